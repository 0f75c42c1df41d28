#include "support/KRUtilFunctions_UNT.h"

#include "platform/com/OleErrors.h"

HRESULT GetSilentExceptionErrorCode() { return kSilentExceptionErrorCode; }

bool IsChildOf(const ExceptionClass& cls, std::string_view className) {
  return ClassInheritsFrom(cls, className);
}

bool IsSilentExceptionClass(const ExceptionClass& cls) {
  return IsChildOf(cls, EAbort::StaticClass().name);
}

bool IsSilentException(const Exception& e) {
  if (IsSilentExceptionClass(e.Class())) return true;
  const auto* oleError = dynamic_cast<const EOleSysError*>(&e);
  return oleError != nullptr && oleError->ErrorCode() == kSilentExceptionErrorCode;
}
