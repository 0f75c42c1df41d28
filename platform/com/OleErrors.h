#pragma once
// Exceptions that carry a result code across interface boundaries.
// EOleSysError holds the failing HRESULT; constructed without a message it
// takes the code's system text ("OLE error 8000FFFF" style for codes without
// one). EOleException adds what an object reported about the failure: the
// source and the help file and context.

#include <string>

#include "platform/com/HResult.h"
#include "platform/text/Exception.h"

KR_DECLARE_EXCEPTION(EOleError, Exception);

class EOleSysError : public EOleError {
 public:
  EOleSysError(std::string message, HRESULT errorCode, int helpContext = 0);

  HRESULT ErrorCode() const { return errorCode_; }
  void SetErrorCode(HRESULT errorCode) { errorCode_ = errorCode; }
  int HelpContext() const { return helpContext_; }

  static const ExceptionClass& StaticClass() {
    static const ExceptionClass c{"EOleSysError", &EOleError::StaticClass()};
    return c;
  }
  const ExceptionClass& Class() const override { return StaticClass(); }

 private:
  HRESULT errorCode_;
  int helpContext_;
};

class EOleException : public EOleSysError {
 public:
  EOleException(std::string message, HRESULT errorCode, std::string source,
                std::string helpFile = {}, int helpContext = 0);

  const std::string& Source() const { return source_; }
  const std::string& HelpFile() const { return helpFile_; }

  static const ExceptionClass& StaticClass() {
    static const ExceptionClass c{"EOleException", &EOleSysError::StaticClass()};
    return c;
  }
  const ExceptionClass& Class() const override { return StaticClass(); }

 private:
  std::string source_;
  std::string helpFile_;
};

// The system's text for a result code; empty when it has none.
std::string SysErrorMessage(HRESULT code);
// Raises EOleSysError (with the code's text) when `result` failed; answers it
// otherwise, so that S_FALSE stays visible to the caller.
HRESULT OleCheck(HRESULT result);
