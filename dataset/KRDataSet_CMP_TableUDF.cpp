// User-defined fields: text fields that the database defines per class in
// records of "BOUDF" (field "description" the name, "classType" the class)
// and whose values it keeps in records of "BOUDFValue" ("boP" the owning
// record, "UDFP" the definition record, "value" the text).

#include <functional>

#include "dataset/KRDataSet_CMP_Condition.h"
#include "dataset/KRDataSet_CMP_FieldMapping.h"
#include "dataset/KRDataSet_CMP_Table.h"
#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "platform/text/Utf.h"

namespace {

// A library cursor of its own on a system class, read front to back and
// released when it goes.
class TKRScratchCursor {
 public:
  TKRScratchCursor(KSHandle transaction, const char16_t* className,
                   std::vector<const char16_t*> fields, const char16_t* indexName,
                   const TKRAPICondition& condition) {
    const TKRAPITable& api = KRAPI();
    const KSHandle sort = api.KSGetNewSortHandle();
    api.KSSetFilterCondition(sort, condition.Get());
    FHandle = api.KSCreateCursor(transaction, className, fields.data(), int32_t(fields.size()),
                                 indexName, sort);
    api.KSReleaseSortHandle(sort);
    FValues.resize(fields.size());
  }
  ~TKRScratchCursor() {
    if (FHandle != 0) KRAPI().KSReleaseCursor(FHandle);
  }
  TKRScratchCursor(const TKRScratchCursor&) = delete;
  TKRScratchCursor& operator=(const TKRScratchCursor&) = delete;

  // Calls `visit` with each row's values and record ID.
  void ForEach(const std::function<void(const KSField* values, KSRecordID id)>& visit) {
    if (FHandle == 0) return;
    const TKRAPITable& api = KRAPI();
    for (KSStatus status = api.KSGotoFirst(FHandle); status == KS_OK;
         status = api.KSGotoNext(FHandle)) {
      if (api.KSGetCurrentValues(FHandle, FValues.data()) != KS_OK) return;
      visit(FValues.data(), api.KSGetCurrentRecordID(FHandle));
    }
  }

 private:
  KSHandle FHandle = 0;
  std::vector<KSField> FValues;
};

// The condition field = value.
TKRAPICondition MakeEqualCondition(const char16_t* fieldName, int32_t apiType, int32_t value) {
  KSField field{};
  field.type = apiType;
  field.value.asInteger = value;
  return TKRAPICondition(KRAPI().KSMakeNewCondition(fieldName, krapicoEqual, &field, krapicmpaValue));
}

}  // namespace

void TKRTable::CreateUserDefinedFieldNames() {
  FUserDefinedFieldNames.clear();
  const ComPtr<IKRSession> session = GetSession();
  const KSHandle transaction = GetTransaction()->Get_Handle();
  for (KSClassID id = GetClassID(); id != kKRNullClassID; id = session->GetParentClassID(id)) {
    TKRScratchCursor cursor(transaction, u"BOUDF", {u"description"}, u"primaryPV",
                            MakeEqualCondition(u"classType", KS_TYPE_ENUMERATED, id));
    cursor.ForEach([&](const KSField* values, KSRecordID recordID) {
      FUserDefinedFieldNames.push_back(
          {ConvertAPIStringToString(values[0].value.asString), recordID});
    });
  }
}

void TKRTable::CreateUserDefinedFields() {
  if (FUserDefinedFieldNames.empty()) CreateUserDefinedFieldNames();
  const ComPtr<IKRSession> session = GetSession();
  const KSFieldDescription* valueDescription =
      session->GetFieldDescription(session->GetClassID(u"BOUDFValue"), u"value", false);
  const int32_t length = IsRealFieldDescription(valueDescription) ? valueDescription->length : 0;
  for (const TKRUserDefinedField& udf : FUserDefinedFieldNames) {
    if (FieldDefs().IndexOf(udf.Name) >= 0) continue;
    const TKRFieldDef* def =
        KRAddFieldDef(FieldDefs(), FRecordDataSize, udf.Name, {kKRUserDefinedField, nullptr, length});
    def->CreateField(this);
  }
}

void TKRTable::DestroyUserDefinedFields() {
  for (int32_t i = FieldDefs().Count() - 1; i >= 0; --i) {
    const auto& def = static_cast<const TKRFieldDef&>(FieldDefs()[i]);
    if (!def.UserDefined()) continue;
    if (TField* field = FindField(def.Name())) delete field;
    FieldDefs().Delete(i);
  }
}

void TKRTable::GetUserDefinedFields(TRecordBuffer buffer, KSRecordID id) {
  std::vector<const TKRFieldDef*> fields;
  for (int32_t i = 0; i < FieldDefs().Count(); ++i) {
    const auto& def = static_cast<const TKRFieldDef&>(FieldDefs()[i]);
    if (def.UserDefined()) {
      EmptyField(buffer, def);
      fields.push_back(&def);
    }
  }
  if (fields.empty() || id == kKRNullRecordID) return;
  TKRScratchCursor cursor(GetTransaction()->Get_Handle(), u"BOUDFValue", {u"value", u"UDFP"},
                          nullptr, MakeEqualCondition(u"boP", KS_TYPE_REFERENCE, id));
  cursor.ForEach([&](const KSField* values, KSRecordID) {
    for (const TKRUserDefinedField& udf : FUserDefinedFieldNames) {
      if (udf.DefinitionID != values[1].value.asInteger) continue;
      for (const TKRFieldDef* def : fields) {
        if (def->Name() == udf.Name) FillBufferWithField(buffer, *def, values[0]);
      }
    }
  });
}
