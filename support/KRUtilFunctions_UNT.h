#pragma once
// Utility functions of the module. Silent exceptions: an exception is silent
// when its class or an ancestor is named "EAbort" (class names are compared
// along the ancestor chain, without regard to ASCII case), or when it is an
// EOleSysError carrying exactly the silent error code. A silent exception
// ends an operation without a message being shown for it.

#include <string_view>

#include "platform/com/HResult.h"
#include "platform/text/Exception.h"

// Severity error, facility 64, code 0.
inline constexpr HRESULT kSilentExceptionErrorCode = MAKE_HRESULT(SEVERITY_ERROR, 64, 0);

HRESULT GetSilentExceptionErrorCode();
// True when `cls` or one of its ancestors is named `className`.
bool IsChildOf(const ExceptionClass& cls, std::string_view className);
bool IsSilentExceptionClass(const ExceptionClass& cls);
bool IsSilentException(const Exception& e);
