#pragma once
// EConsoleError: a user action or a document operation of the console that
// could not be done; the message says why, in the console's words.

#include <string>

#include "platform/com/HResult.h"
#include "platform/text/Exception.h"

KR_DECLARE_EXCEPTION(EConsoleError, Exception);

// "what (0x80004005)": a failed result in the console's messages.
std::string FailureText(const std::string& what, HRESULT result);
