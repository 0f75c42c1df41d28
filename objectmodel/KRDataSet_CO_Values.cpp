#include "objectmodel/KRDataSet_CO_Values.h"

#include <utility>

TKRArgument::TKRArgument(std::u16string description, bool isMandatory, int32_t fieldType,
                         bool isArray)
    : TKRFieldValue<IKRArgument>(fieldType, isArray),
      FDescription(std::move(description)),
      FIsMandatory(isMandatory) {}

bool TKRArgument::Get_IsMandatory() {
  return Guard([&] { return FIsMandatory; });
}

void TKRArgument::AddValue(const OleVariant& value) {
  Guard([&] {
    if (!FIsArray) return;
    if (FValue.IsEmpty()) {
      FValue = OleVariant::ArrayOf({value.Deref()});
      return;
    }
    const int32_t high = FValue.HighBound() + 1;
    FValue.Redim(high);
    FValue[high] = value.Deref();
  });
}

std::u16string TKRArgument::Get_Description() {
  return Guard([&] { return FDescription; });
}

bool IsAPIFieldNull(const KSField& field) {
  switch (field.type) {
    case KS_TYPE_ID:
    case KS_TYPE_REFERENCE:
      return field.value.asInteger == -1;
    case KS_TYPE_INTEGER:
    case KS_TYPE_DATETIME:
    case KS_TYPE_UNSIGNED:
    case KS_TYPE_UNSIGNED2:
    case KS_TYPE_ENUMERATED:
      return field.value.asInteger == 0;
    case KS_TYPE_DURATION:
      return field.value.asInteger == kKRNullDuration;
    case KS_TYPE_FLOAT:
    case KS_TYPE_CURRENCY:
      return field.value.asDouble == 0.0;
    case KS_TYPE_STRING:
      return field.value.asString == nullptr || field.value.asString[0] == 0;
    case KS_TYPE_BLOB:
      return field.blobLength == 0 || field.value.asBlob == nullptr;
    default:
      return false;
  }
}
