#include "objectmodel/KRDataSet_CO_Errors.h"

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"

TKRServerDBError::TKRServerDBError(KSHandle session, const KSErrorRecord* errorRecord)
    : TKRDBError<IKRServerDBError>(errorRecord != nullptr ? errorRecord->severity : 1),
      FErrorCode(errorRecord != nullptr ? errorRecord->code : kKRNoErrorRecord) {
  if (errorRecord != nullptr) {
    FText = ConvertAPIStringToWideString(KRAPI().KSFormatError(session, errorRecord, 1));
  }
}

std::u16string TKRServerDBError::Get_Text() {
  return Guard([&] { return FText; });
}

int32_t TKRServerDBError::Get_ErrorCode() {
  return Guard([&] { return FErrorCode; });
}

TKRLocalDBError::TKRLocalDBError(int32_t rscStringID, const OleVariant& arguments, int32_t severity)
    : TKRDBError<IKRLocalDBError>(severity),
      FRscStringID(rscStringID),
      FArguments(std::make_unique<TKRStrings>()) {
  if (arguments.IsEmpty() || arguments.IsNull()) return;
  for (int32_t i = arguments.LowBound(); i <= arguments.HighBound(); ++i) {
    FArguments->push_back(VarToStr(arguments[i]));
  }
}

ComPtr<IKRStringList> TKRLocalDBError::Get_Arguments() {
  return Guard([&] {
    return ComPtr<IKRStringList>(
        MakeComObject<TKRStringList>(FArguments.get(), ComPtr<IUnknown>(UnknownSelf())));
  });
}

int32_t TKRLocalDBError::Get_RscStringID() {
  return Guard([&] { return FRscStringID; });
}
