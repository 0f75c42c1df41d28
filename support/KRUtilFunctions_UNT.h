#pragma once
// Utility functions of the module: number text, and silent exceptions.
//
// Silent exceptions: an exception is silent when its class or an ancestor is
// named "EAbort" (class names are compared along the ancestor chain, without
// regard to ASCII case), or when it is an EOleSysError carrying exactly the
// silent error code. A silent exception ends an operation without a message
// being shown for it.

#include <string>
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

// A number as display text under the locale's separators: up to
// 999000000000000 (and any negative value) in fixed notation with
// `decimals` digits after the decimal separator, grouped by thousands when
// `thousandSeparators`; a larger value in scientific notation with
// `decimals` + 1 significant digits and four exponent digits.
std::string FloatToString(double value, int decimals, bool thousandSeparators);
