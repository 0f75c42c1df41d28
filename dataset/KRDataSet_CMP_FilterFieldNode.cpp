#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_Filter.h"
#include "dataset/KRDataSet_CMP_FilterPattern.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Values.h"
#include "objectmodel/KRDateConversion_UNT.h"
#include "platform/text/Utf.h"

namespace {

// How a field node keeps a value of each API field type.
enum class TValueKind { None, RecordID, Boolean, Integer, Duration, Float, Stamp, Text };

TValueKind KindOf(int32_t fieldType) {
  switch (fieldType) {
    case KS_TYPE_ID:
    case KS_TYPE_REFERENCE:
      return TValueKind::RecordID;
    case KS_TYPE_BOOLEAN:
      return TValueKind::Boolean;
    case KS_TYPE_INTEGER:
    case KS_TYPE_UNSIGNED:
    case KS_TYPE_UNSIGNED2:
    case KS_TYPE_ENUMERATED:
      return TValueKind::Integer;
    case KS_TYPE_DURATION:
      return TValueKind::Duration;
    case KS_TYPE_FLOAT:
    case KS_TYPE_CURRENCY:
      return TValueKind::Float;
    case KS_TYPE_DATETIME:
      return TValueKind::Stamp;
    case KS_TYPE_STRING:
      return TValueKind::Text;
    default:
      return TValueKind::None;
  }
}

}  // namespace

int32_t FilterFieldTypeOf(const KSFieldDescription* description) {
  if (description == kKRIdentifierField) return KS_TYPE_ID;
  if (description == kKRCountField) return KS_TYPE_UNSIGNED2;
  return description->type;
}

void TKRFieldFilterNode::SetFieldName(const std::string& value) {
  if (value == FFieldName) return;
  TKRFilterTable* table = DescribingTable();
  if (table == nullptr || value.empty()) {
    FFieldName = value;
    return;
  }
  const KSFieldDescription* description = table->FindFieldDescription(value);
  if (description == nullptr) throw EKRDatabaseError("Unknown field '" + value + "'");
  FFieldName = value;
  SetFieldType(FCompareWithField ? KS_TYPE_STRING : FilterFieldTypeOf(description));
}

void TKRFieldFilterNode::SetOperator(TKRAPIConditionOperator value) {
  if (!IsAPIConditionOperator(value)) {
    throw EKRDatabaseError("Invalid condition operator " + std::to_string(int(value)));
  }
  FOperator = value;
}

void TKRFieldFilterNode::SetFieldType(int32_t value) {
  if (value == FFieldType) return;
  FFieldType = value;
  ClearFieldValue();
  if (value != KS_TYPE_STRING) FCompareWithField = false;
}

void TKRFieldFilterNode::SetLiteral(bool value) {
  if (value == FLiteral) return;
  FLiteral = value;
  RestoreText();
}

void TKRFieldFilterNode::SetCompareWithField(bool value) {
  if (value == FCompareWithField) return;
  if (value) SetFieldType(KS_TYPE_STRING);
  FCompareWithField = value;
  RestoreText();
}

OleVariant TKRFieldFilterNode::GetFieldValue() const {
  if (FIsNull) return OleVariant::Null();
  switch (KindOf(FFieldType)) {
    case TValueKind::RecordID:
    case TValueKind::Integer:
    case TValueKind::Duration:
      return OleVariant(std::get<int32_t>(FValue));
    case TValueKind::Boolean:
      return OleVariant(ConvertToBoolean(std::get<int32_t>(FValue)));
    case TValueKind::Float:
      return OleVariant(std::get<double>(FValue));
    case TValueKind::Stamp:
      return OleVariant::FromDate(ConvertUTCToDateTime(std::get<int32_t>(FValue)));
    case TValueKind::Text:
      return OleVariant(FCompareWithField ? FComparedFieldName : FEnteredText);
    case TValueKind::None:
      break;
  }
  return OleVariant::Null();
}

void TKRFieldFilterNode::SetFieldValue(const OleVariant& value) {
  const TValueKind kind = KindOf(FFieldType);
  if (value.IsNull() || value.IsEmpty() || kind == TValueKind::None) {
    ClearFieldValue();
    return;
  }
  if (kind == TValueKind::Text) {
    StoreText(value.AsString());
    return;
  }
  // Converted before anything changes, so that a value that does not
  // convert leaves the node as it was.
  TValue converted;
  bool isNull = false;
  switch (kind) {
    case TValueKind::RecordID:
      converted = value.AsInteger();
      isNull = std::get<int32_t>(converted) == -1;
      break;
    case TValueKind::Boolean:
      converted = ConvertToAPIBoolean(value.AsBool());
      break;
    case TValueKind::Integer:
      converted = value.AsInteger();
      isNull = std::get<int32_t>(converted) == 0;
      break;
    case TValueKind::Duration:
      converted = value.AsInteger();
      isNull = std::get<int32_t>(converted) == kKRNullDuration;
      break;
    case TValueKind::Float:
      converted = value.AsDouble();
      isNull = std::get<double>(converted) == 0.0;
      break;
    case TValueKind::Stamp:
      converted = ConvertDateTimeToUTC(value.AsDate());
      isNull = std::get<int32_t>(converted) == 0;
      break;
    case TValueKind::None:
    case TValueKind::Text:
      break;
  }
  ClearFieldValue();
  if (isNull) return;
  FValue = std::move(converted);
  FIsNull = false;
}

void TKRFieldFilterNode::ClearFieldValue() {
  switch (KindOf(FFieldType)) {
    case TValueKind::RecordID:
      FValue = int32_t{-1};
      break;
    case TValueKind::Duration:
      FValue = kKRNullDuration;
      break;
    case TValueKind::Boolean:
    case TValueKind::Integer:
    case TValueKind::Stamp:
      FValue = int32_t{0};
      break;
    case TValueKind::Float:
      FValue = 0.0;
      break;
    case TValueKind::Text:
      FValue = std::u16string();
      break;
    case TValueKind::None:
      FValue = std::monostate();
      break;
  }
  FIsNull = true;
  FEnteredText.clear();
  FComparedFieldName.clear();
}

void TKRFieldFilterNode::StoreText(const std::u16string& text) {
  std::u16string stored;
  if (FCompareWithField) {
    stored = CheckValueFieldName(text) ? text : std::u16string();
    FComparedFieldName = stored;
  } else {
    stored = FLiteral ? text : Utf8ToUtf16(ConvertToRegularExpression(Utf16ToUtf8(text)));
    FComparedFieldName.clear();
  }
  FEnteredText = text;
  FIsNull = stored.empty();
  FValue = std::move(stored);
}

void TKRFieldFilterNode::RestoreText() {
  if (KindOf(FFieldType) == TValueKind::Text && !FEnteredText.empty()) StoreText(FEnteredText);
}

bool TKRFieldFilterNode::CheckValueFieldName(const std::u16string& name) const {
  TKRFilterTable* table = DescribingTable();
  return table == nullptr || table->FindFieldDescription(Utf16ToUtf8(name)) != nullptr;
}

TKRFilterTable* TKRFieldFilterNode::DescribingTable() const {
  if (Filter().IsTableStreamingIn()) return nullptr;
  for (const TKRFilterNode* above = Parent(); above != nullptr; above = above->Parent()) {
    if (above->Kind() == krfnkIndex) return nullptr;
  }
  return Filter().Table();
}

KSField TKRFieldFilterNode::GetAPIFieldValue() const {
  KSField field{};
  field.type = FFieldType;
  if (const auto* integer = std::get_if<int32_t>(&FValue)) {
    field.value.asInteger = *integer;
  } else if (const auto* number = std::get_if<double>(&FValue)) {
    field.value.asDouble = *number;
  } else if (const auto* text = std::get_if<std::u16string>(&FValue)) {
    field.value.asString = text->c_str();
  }
  return field;
}

TKRAPICompareAgainst TKRFieldFilterNode::CompareAgainst() const {
  if (FCompareWithField) return krapicmpaField;
  if (FFieldType == KS_TYPE_STRING && !FLiteral && !FIsNull) return krapicmpaRegularExpression;
  return krapicmpaValue;
}

TKRAPICondition TKRFieldFilterNode::GetAsAPICondition() const {
  const KSField value = GetAPIFieldValue();
  const std::u16string fieldName = Utf8ToUtf16(FFieldName);
  TKRAPICondition made(
      KRAPI().KSMakeNewCondition(fieldName.c_str(), FOperator, &value, CompareAgainst()));
  if (made.IsEmpty()) {
    throw EKRDatabaseError("The filter condition on the field '" + FFieldName +
                           "' cannot be made");
  }
  return made;
}

std::unique_ptr<TKRFilterNode> TKRFieldFilterNode::CopyNode(TKRFilter& filter) const {
  auto copy = std::make_unique<TKRFieldFilterNode>(filter);
  copy->FFieldName = FFieldName;
  copy->FOperator = FOperator;
  copy->FFieldType = FFieldType;
  copy->FIsNull = FIsNull;
  copy->FLiteral = FLiteral;
  copy->FCompareWithField = FCompareWithField;
  copy->FValue = FValue;
  copy->FEnteredText = FEnteredText;
  copy->FComparedFieldName = FComparedFieldName;
  return copy;
}

bool TKRFieldFilterNode::NodesAreEqual(const TKRFilterNode& other) const {
  const auto* field = dynamic_cast<const TKRFieldFilterNode*>(&other);
  return field != nullptr && field->FFieldName == FFieldName && field->FOperator == FOperator &&
         field->FFieldType == FFieldType && field->FIsNull == FIsNull &&
         field->FLiteral == FLiteral && field->FCompareWithField == FCompareWithField &&
         field->FValue == FValue && field->FEnteredText == FEnteredText;
}
