#include "dataset/KRDataSet_CMP_FieldMapping.h"

#include <memory>

#include "dataset/KRDataSet_CMP_Errors.h"

TKRFieldShape KRStringFieldShape(int32_t length) {
  if (length == 0) return {ftMemo, 0};
  return {ftString, length};
}

std::optional<TKRFieldShape> KRFieldShapeOf(const KSFieldDescription* description) {
  // The record ID is a 4-byte value in the buffer like any integer.
  if (description == kKRIdentifierField) return TKRFieldShape{ftInteger, 4};
  if (description == kKRCountField) return TKRFieldShape{ftInteger, 4};
  switch (description->type) {
    case KS_TYPE_ID:
    case KS_TYPE_LINKS:
      return std::nullopt;
    case KS_TYPE_BOOLEAN:
      return TKRFieldShape{ftBoolean, 4};
    case KS_TYPE_INTEGER:
    case KS_TYPE_DURATION:
    case KS_TYPE_UNSIGNED:
    case KS_TYPE_UNSIGNED2:
    case KS_TYPE_ENUMERATED:
    case KS_TYPE_REFERENCE:
      return TKRFieldShape{ftInteger, 4};
    case KS_TYPE_FLOAT:
      return TKRFieldShape{ftFloat, 8};
    case KS_TYPE_DATETIME:
      return TKRFieldShape{ftDateTime, 8};
    case KS_TYPE_STRING:
      return KRStringFieldShape(description->length);
    case KS_TYPE_CURRENCY:
      return TKRFieldShape{ftCurrency, 8};
    case KS_TYPE_BLOB:
      return TKRFieldShape{ftBlob, 0};
    default:
      throw EKRDatabaseError("Unsupported field type");
  }
}

namespace {

// The API side of a new definition, by what it was made from.
void DescribeFieldDef(TKRFieldDef& def, const std::string& name,
                      const KSFieldDescription* description) {
  def.SetDescription(description);
  if (description == kKRIdentifierField) {
    def.SetNoDescription(true);
    def.SetAPIFieldType(KS_TYPE_ID);
    def.SetAccess(KS_ACCESS_READ_ONLY, KS_ACCESS_READ_ONLY);
  } else if (description == kKRCountField) {
    def.SetAPIFieldType(KS_TYPE_UNSIGNED2);
    def.SetAccess(KS_ACCESS_READ_ONLY, KS_ACCESS_READ_ONLY);
  } else if (description == kKRUndescribedField) {
    def.SetNoDescription(true);
    def.SetAPIFieldType(KS_TYPE_UNSUPPORTED);
    def.SetAccess(KS_ACCESS_INVISIBLE, KS_ACCESS_INVISIBLE);
  } else if (description == kKRUserDefinedField) {
    def.SetUserDefined(true);
    def.SetAPIFieldType(KS_TYPE_STRING);
  } else {
    def.SetAPIFieldType(description->type);
    def.SetAccess(description->actualAccess, description->versionAccess);
    if (!KRIsVirtualFieldName(name)) def.SetRequired(description->required != 0);
    if (description->type == KS_TYPE_ENUMERATED) def.SetValueListID(description->valueListID);
  }
}

}  // namespace

TKRFieldDef* KRAddFieldDef(TFieldDefs& defs, int32_t& recordDataSize, const std::string& name,
                           const TKRFieldDefSource& source) {
  const KSFieldDescription* description = source.Description;
  TKRFieldShape shape;
  if (description == nullptr || description == kKRUndescribedField) {
    if (source.PersistentField == nullptr) throw EKRDatabaseError("Unknown field '" + name + "'");
    description = kKRUndescribedField;
    shape = {source.PersistentField->DataType(), source.PersistentField->Size()};
  } else if (description == kKRUserDefinedField) {
    shape = KRStringFieldShape(source.UserDefinedLength);
  } else {
    const std::optional<TKRFieldShape> mapped = KRFieldShapeOf(description);
    if (!mapped) return nullptr;
    shape = *mapped;
  }

  const bool isString = shape.DataType == ftString || shape.DataType == ftWideString;
  auto def = std::make_unique<TKRFieldDef>(name, shape.DataType, isString ? shape.Size : 0,
                                           false, defs.Count() + 1);
  // The record data grows only once the definition is in: a refused name
  // leaves the layout as it was.
  int32_t grownSize = recordDataSize;
  if (!IsBlobFieldType(shape.DataType)) {
    // A string of Size() characters keeps its terminator too, as its
    // field reads it.
    const int32_t dataBytes = isString ? (shape.Size + 1) * 2 : shape.Size;
    def->SetBufferOffset(recordDataSize + 1);
    grownSize += dataBytes + 1;
  }
  DescribeFieldDef(*def, name, description);
  TKRFieldDef& added = defs.AddFieldDef(std::move(def));
  recordDataSize = grownSize;
  return &added;
}
