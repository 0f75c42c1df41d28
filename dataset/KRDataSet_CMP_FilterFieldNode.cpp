#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_Filter.h"
#include "dataset/KRDataSet_CMP_FilterPattern.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Functions.h"
#include "objectmodel/KRDataSet_CO_Values.h"
#include "objectmodel/KRDateConversion_UNT.h"
#include "platform/text/Utf.h"


TKRFilterValueKind FilterValueKindOf(int32_t fieldType) {
  switch (fieldType) {
    case KS_TYPE_ID:
    case KS_TYPE_REFERENCE:
      return TKRFilterValueKind::RecordID;
    case KS_TYPE_BOOLEAN:
      return TKRFilterValueKind::Boolean;
    case KS_TYPE_INTEGER:
    case KS_TYPE_UNSIGNED:
    case KS_TYPE_UNSIGNED2:
    case KS_TYPE_ENUMERATED:
      return TKRFilterValueKind::Integer;
    case KS_TYPE_DURATION:
      return TKRFilterValueKind::Duration;
    case KS_TYPE_FLOAT:
    case KS_TYPE_CURRENCY:
      return TKRFilterValueKind::Float;
    case KS_TYPE_DATETIME:
      return TKRFilterValueKind::Stamp;
    case KS_TYPE_STRING:
      return TKRFilterValueKind::Text;
    default:
      return TKRFilterValueKind::None;
  }
}

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

void TKRFieldFilterNode::SetTextFlag(bool& flag, bool value) {
  if (value == flag) return;
  flag = value;
  RestoreText();
}

void TKRFieldFilterNode::SetLiteral(bool value) { SetTextFlag(FLiteral, value); }

void TKRFieldFilterNode::SetIgnoreCase(bool value) { SetTextFlag(FIgnoreCase, value); }

void TKRFieldFilterNode::SetMatchStart(bool value) { SetTextFlag(FMatchStart, value); }

void TKRFieldFilterNode::SetCompareWithField(bool value) {
  if (value == FCompareWithField) return;
  if (value) SetFieldType(KS_TYPE_STRING);
  FCompareWithField = value;
  RestoreText();
}

OleVariant TKRFieldFilterNode::GetFieldValue() const {
  if (FIsNull) return OleVariant::Null();
  if (FFieldType == KS_TYPE_STRING) {
    return OleVariant(FCompareWithField ? FComparedFieldName : FEnteredText);
  }
  OleVariant value;
  ConvertAPIFieldToOleVariant(GetAPIFieldValue(), value);
  return value;
}

void TKRFieldFilterNode::SetFieldValue(const OleVariant& value) {
  const TKRFilterValueKind kind = FilterValueKindOf(FFieldType);
  if (value.IsNull() || value.IsEmpty() || kind == TKRFilterValueKind::None) {
    ClearFieldValue();
    return;
  }
  if (kind == TKRFilterValueKind::Text) {
    StoreText(value.AsString());
    return;
  }
  // Converted before anything changes, so that a value that does not
  // convert leaves the node as it was.
  TValue converted;
  switch (kind) {
    case TKRFilterValueKind::RecordID:
    case TKRFilterValueKind::Integer:
    case TKRFilterValueKind::Duration:
      converted = value.AsInteger();
      break;
    case TKRFilterValueKind::Boolean:
      converted = ConvertToAPIBoolean(value.AsBool());
      break;
    case TKRFilterValueKind::Float:
      converted = value.AsDouble();
      break;
    case TKRFilterValueKind::Stamp:
      converted = ConvertDateTimeToUTC(value.AsDate());
      break;
    case TKRFilterValueKind::None:
    case TKRFilterValueKind::Text:
      break;
  }
  ClearFieldValue();
  FValue = std::move(converted);
  FIsNull = IsAPIFieldNull(GetAPIFieldValue());
}

void TKRFieldFilterNode::ClearFieldValue() {
  switch (FilterValueKindOf(FFieldType)) {
    case TKRFilterValueKind::RecordID:
      FValue = int32_t{-1};
      break;
    case TKRFilterValueKind::Duration:
      FValue = kKRNullDuration;
      break;
    case TKRFilterValueKind::Boolean:
    case TKRFilterValueKind::Integer:
    case TKRFilterValueKind::Stamp:
      FValue = int32_t{0};
      break;
    case TKRFilterValueKind::Float:
      FValue = 0.0;
      break;
    case TKRFilterValueKind::Text:
      FValue = std::u16string();
      break;
    case TKRFilterValueKind::None:
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
    if (!StoresExpression()) {
      stored = text;
    } else if (FLiteral) {
      stored = Utf8ToUtf16(ConvertToKeyExpression(Utf16ToUtf8(text), FIgnoreCase, FMatchStart));
    } else {
      stored = Utf8ToUtf16(ConvertToRegularExpression(Utf16ToUtf8(text)));
    }
    FComparedFieldName.clear();
  }
  FEnteredText = text;
  FIsNull = stored.empty();
  FValue = std::move(stored);
}

bool TKRFieldFilterNode::StoresExpression() const {
  return !FCompareWithField && (!FLiteral || FIgnoreCase || FMatchStart);
}

// An empty text that was stored (not cleared) is stored again too: as an
// expression it may find more than the nulls.
void TKRFieldFilterNode::RestoreText() {
  if (FFieldType == KS_TYPE_STRING && (!FEnteredText.empty() || !FIsNull)) {
    StoreText(FEnteredText);
  }
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
  if (FFieldType == KS_TYPE_STRING && StoresExpression() && !FIsNull) {
    return krapicmpaRegularExpression;
  }
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
  copy->FIgnoreCase = FIgnoreCase;
  copy->FMatchStart = FMatchStart;
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
         field->FLiteral == FLiteral && field->FIgnoreCase == FIgnoreCase &&
         field->FMatchStart == FMatchStart && field->FCompareWithField == FCompareWithField &&
         field->FValue == FValue && field->FEnteredText == FEnteredText;
}
