#include "support/KRUtilFunctions_UNT.h"

#include "platform/com/OleErrors.h"
#include "platform/text/SysUtils.h"

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

std::string FloatToString(double value, int decimals, bool thousandSeparators) {
  if (value <= 999000000000000.0) {
    return FloatToStrF(value, thousandSeparators ? ffNumber : ffFixed, 15, decimals);
  }
  return FloatToStrF(value, ffExponent, decimals + 1, 4);
}
