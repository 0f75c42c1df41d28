#include "dataset/KRDataSet_CMP_FieldDefsBuilder.h"

#include "dataset/KRDataSet_CMP_Errors.h"
#include "objectmodel/KRDataSet_CO_RootTransaction_Interface.h"
#include "platform/text/Utf.h"

void TKRFieldDefsBuilder::Build(const std::vector<TField*>& persistentDataFields) {
  FDefs.Clear();
  FRecordDataSize = 0;
  if (FClassID == kKRNullClassID) return;
  if (!persistentDataFields.empty()) {
    for (TField* field : persistentDataFields) Add(field->FieldName(), {nullptr, field});
    return;
  }
  Add("id", {kKRIdentifierField});
  const TKRFieldDescriptions descriptions = GetFieldDescriptions();
  for (int32_t i = 0; i < descriptions.Count; ++i) {
    const KSFieldDescription& description = descriptions.Items[i];
    if (description.type == KS_TYPE_ID || description.type == KS_TYPE_LINKS) continue;
    Add(Utf16ToUtf8(description.name), {&description});
  }
}

TKRFieldDef* TKRFieldDefsBuilder::Add(const std::string& name, TKRFieldDefSource source) {
  if (source.Description == nullptr) {
    source.Description = FSession.GetFieldDescription(FClassID, Utf8ToUtf16(name), false);
  }
  return KRAddFieldDef(FDefs, FRecordDataSize, name, source);
}

const KSFieldDescription* TKRFieldDefsBuilder::GetFieldDescription(const std::string& name,
                                                                   bool includeCount) {
  const KSFieldDescription* description =
      FSession.GetFieldDescription(FClassID, Utf8ToUtf16(name), includeCount);
  if (description == nullptr) throw EKRDatabaseError("Unknown field '" + name + "'");
  return description;
}

TKRFieldDescriptions TKRFieldDefsBuilder::GetFieldDescriptions() {
  const TKRFieldDescriptions descriptions = FSession.GetFieldDescriptions(FClassID, true);
  // The library answers no array for a class without fields as well: only
  // a class the session cannot name is an invalid table.
  if (descriptions.Items == nullptr && FSession.GetClassName(FClassID).empty()) {
    throw EKRDatabaseError("Invalid table name '" + FTableName + "'");
  }
  return descriptions;
}
