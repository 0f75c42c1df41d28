// Opening and closing a table: its field definitions, its fields' access and
// text hooks, the record buffer layout and the cursor.

#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_FieldDefsBuilder.h"
#include "dataset/KRDataSet_CMP_FieldSync.h"
#include "dataset/KRDataSet_CMP_FieldText.h"
#include "dataset/KRDataSet_CMP_StringField.h"
#include "dataset/KRDataSet_CMP_Table.h"
#include "platform/text/Utf.h"
#include "platform/vcl/NumericFields.h"

namespace {

// The open table a field belongs to, and its definition; the text hooks look
// them up on every call, as a field may outlive a table's definitions.
struct TKRFieldContext {
  TKRTable* Table = nullptr;
  TKRFieldDef* Def = nullptr;
};

TKRFieldContext ContextOf(const TField& field) {
  auto* table = dynamic_cast<TKRTable*>(field.DataSet());
  if (table == nullptr || !table->Active() || field.FieldNo() < 1) return {};
  return {table, table->GetEAFieldDef(field.FieldNo())};
}

bool IsDesigning(const TComponent& component) {
  return component.ComponentState().Contains(csDesigning);
}

}  // namespace

TFieldClass TKRTable::GetFieldClass(TFieldType fieldType) const {
  if (fieldType == ftString) return MakeField<TKRStringField>;
  return TDataSet::GetFieldClass(fieldType);
}

std::vector<TField*> TKRTable::PersistentDataFields() const {
  std::vector<TField*> fields;
  if (DefaultFields()) return fields;
  for (TField* field : Fields()) {
    if (field->FieldKind() == fkData) fields.push_back(field);
  }
  return fields;
}

void TKRTable::InternalInitFieldDefs() {
  FieldDefs().Clear();
  FRecordDataSize = 0;
  const KSClassID classID = GetClassID();
  if (classID == kKRNullClassID) return;
  TKRFieldDefsBuilder builder(FieldDefs(), *GetSession(), classID, FTableName);
  builder.Build(PersistentDataFields());
  FRecordDataSize = builder.RecordDataSize();
}

const KSFieldDescription* TKRTable::GetFieldDescription(const std::string& name,
                                                        bool includeCount) {
  return TKRFieldDefsBuilder(FieldDefs(), *GetSession(), GetClassID(), FTableName)
      .GetFieldDescription(name, includeCount);
}

TKRFieldDescriptions TKRTable::GetFieldDescriptions() {
  return TKRFieldDefsBuilder(FieldDefs(), *GetSession(), GetClassID(), FTableName)
      .GetFieldDescriptions();
}

TField* TKRTable::AddFieldByName(const std::string& name) {
  if (TField* existing = FindField(name)) return existing;
  const int32_t index = FieldDefs().IndexOf(name);
  TKRFieldDef* def =
      index >= 0 ? static_cast<TKRFieldDef*>(&FieldDefs()[index])
                 : KRAddFieldDef(FieldDefs(), FRecordDataSize, name,
                                 {GetFieldDescription(name, false)});
  if (def == nullptr) KRTableError(*this, "Unknown field '" + name + "'");
  TComponent* owner = Owner() != nullptr ? Owner() : this;
  TField* field = def->CreateField(owner);
  const bool inActualPlan = GetInActualPlan();
  field->SetReadOnly(def->GetReadOnly(inActualPlan));
  field->SetVisible(def->GetVisible(inActualPlan));
  field->SetName(KRFieldComponentName(Name(), name));
  if (auto* integer = dynamic_cast<TIntegerField*>(field)) {
    integer->SetMinValue(0);
    if (def->APIFieldType() == KS_TYPE_UNSIGNED || def->APIFieldType() == KS_TYPE_UNSIGNED2) {
      integer->SetMaxValue(kKRMaxUnsignedValue);
    }
  }
  return field;
}

void TKRTable::SetTableName(const std::string& value) {
  if (value == FTableName) return;
  CheckInactive();
  const KSClassID oldClass = FTableName.empty() ? kKRNullClassID : GetClassID();
  FTableName = value;
  FClassID = kKRUnknownClassID;
  if (!ComponentState().Contains(csLoading)) {
    DisconnectCursor();
    FUserDefinedFieldNames.clear();
    InternalInitFieldDefs();
    if (!GetSession()->IsSubClassOf(oldClass, GetClassID())) ClassChanged(oldClass);
  }
  DataEvent(dePropertyChange, 0);
}

void TKRTable::ClassChanged(KSClassID) {
  FDistinctFields.Clear();
  FFilter.Clear();
  FSortFields.Clear();
  DestroyFields();
  if (!IsIndexUsable(FIndexName)) FIndexName.clear();
}

// --- InternalOpen ------------------------------------------------------------------

void TKRTable::InternalOpen() {
  if (GetClassID() == kKRNullClassID) {
    KRTableError(*this, FTableName.empty() ? "table name not set"
                                           : "invalid table name: '" + FTableName + "'");
  }
  SetBookmarkSize(sizeof(TKRBookmark));
  InternalInitFieldDefs();
  if (DefaultFields()) CreateFields();
  FUDFActive = FUserDefinedFields && GetSession()->GetClassID(u"BOUDF") != kKRNullClassID;
  if (FUDFActive) CreateUserDefinedFields();
  BindFields(true);
  SynchronizeFields();
  LayOutRecordBuffer();
  if (!IsIndexUsable(FIndexName)) KRTableError(*this, "invalid index name: '" + FIndexName + "'");
  PrepareFields();
  ConnectCursor();
}

void TKRTable::SynchronizeFields() {
  if (DefaultFields()) return;
  const bool syncRequired = !FReadOnly && FOptions.Contains(krtoSyncRequiredFields);
  for (TField* field : Fields()) {
    if (const TKRFieldDef* def = DefOf(*field); def != nullptr && field->FieldKind() == fkData) {
      KRSynchronizeField(*field, *def, syncRequired);
    }
  }
}

void TKRTable::LayOutRecordBuffer() {
  FBlobDefs.clear();
  FBlobIndex.assign(size_t(FieldDefs().Count()), -1);
  for (int32_t i = 0; i < FieldDefs().Count(); ++i) {
    const auto& def = static_cast<const TKRFieldDef&>(FieldDefs()[i]);
    if (IsBlobFieldType(def.DataType())) {
      FBlobIndex[size_t(i)] = int32_t(FBlobDefs.size());
      FBlobDefs.push_back(&def);
    }
  }
  // The blob slots lie where the field states would: each holds a state
  // byte and a pointer to the blob's bytes.
  FFieldStateOffset = FRecordDataSize + CalcFieldsSize();
  FBookmarkFlagOffset =
      FFieldStateOffset + int32_t(FBlobDefs.size() * (1 + sizeof(std::vector<uint8_t>*)));
  FBookmarkOffset = FBookmarkFlagOffset + 1;
  FRecordSize = FBookmarkOffset + BookmarkSize();
}

void TKRTable::PrepareFields() {
  const bool inActualPlan = GetInActualPlan();
  const bool designing = IsDesigning(*this);
  for (TField* field : Fields()) {
    TKRFieldDef* def = DefOf(*field);
    KRApplyFieldAccess(*field, def, inActualPlan, designing);
    if (!designing && !field->OnGetText && !field->OnSetText) InstallTextHooks(*field, def);
  }
  FFieldAccessApplied = true;
}

void TKRTable::InstallTextHooks(TField& field, TKRFieldDef* def) {
  const int32_t apiType = def != nullptr ? def->APIFieldType() : KS_TYPE_UNSUPPORTED;
  if (apiType == KS_TYPE_DURATION) {
    KRInstallDurationText(field, [&field] {
      const TKRFieldContext context = ContextOf(field);
      return context.Def != nullptr ? context.Def->Precision() : 0;
    });
  } else if (apiType == KS_TYPE_ENUMERATED && !field.CanModify()) {
    KRInstallEnumeratedText(field, [&field](int32_t value) -> std::string {
      const TKRFieldContext context = ContextOf(field);
      if (context.Def == nullptr) return std::to_string(value);
      const ComPtr<IKRSession> session = context.Table->GetSession();
      return Utf16ToUtf8(field.FieldName() == "cls"
                             ? session->GetClassName(value)
                             : session->GetEnumeratedText(context.Def->ValueListID(), value));
    });
    field.SetAlignment(taLeftJustify);
  } else if (auto* boolean = dynamic_cast<TBooleanField*>(&field)) {
    KRSetBooleanDisplayValues(*boolean);
  } else if (auto* number = dynamic_cast<TFloatField*>(&field);
             number != nullptr && !number->Currency() && field.DataType() == ftFloat) {
    KRInstallFloatText(field);
  } else if (field.DataType() == ftDate || field.DataType() == ftTime ||
             field.DataType() == ftDateTime) {
    KRInstallDateTimeText(field);
  } else if (field.DataType() == ftMemo) {
    KRInstallMemoText(field);
  }
}

void TKRTable::ConnectCursor() {
  const ComPtr<IKRCursor> cursor = GetCursor();
  KSStatus status = KS_OK;
  bool report = false;
  if (!cursor->CheckConnected()) {
    status = cursor->Get_LastError();
    // A detail table whose master has no record opens empty.
    const bool noMasterRecord = FMasterSource != nullptr && GetMasterTable() != nullptr &&
                                GetMasterRecordID() == kKRNullRecordID;
    report = !noMasterRecord && status != KS_ERR_NO_SUCH_CLASS;
  }
  if (!IsDesigning(*this)) {
    const int32_t access = GetAccess();
    if (access == KS_ACCESS_READ_ONLY) FReadOnly = true;
    if (access == KS_ACCESS_INVISIBLE) KRTableError(*this, "table access denied");
  }
  if (report && !CheckAPIErrorCode(status)) {
    KRTableError(*this, "unable to open cursor, invalid parameters");
  }
  // The order of the cursor's values: its visible, described fields.
  FCursorDefs.clear();
  FEmptiedDefs.clear();
  FIdentifierValue = -1;
  const bool inActualPlan = GetInActualPlan();
  for (TField* field : Fields()) {
    TKRFieldDef* def = DefOf(*field);
    if (def == nullptr || def->Description() == nullptr ||
        def->Description() == kKRUndescribedField || def->UserDefined()) {
      continue;
    }
    if (field->Visible() && def->GetVisible(inActualPlan)) {
      if (def->Name() == "id") FIdentifierValue = int32_t(FCursorDefs.size());
      FCursorDefs.push_back(def);
    } else {
      FEmptiedDefs.push_back(def);
    }
  }
  // A cursor without fields reads "id" alone.
  FValues.assign(std::max<size_t>(FCursorDefs.size(), 1), KSField{});
  if (FCursorDefs.empty()) FIdentifierValue = 0;
}

// --- Closing ------------------------------------------------------------------------

void TKRTable::CloseCursor() {
  TDataSet::CloseCursor();
  DisconnectCursor();
}

void TKRTable::InternalClose() {
  if (FUDFActive) DestroyUserDefinedFields();
  FUDFActive = false;
  if (FFieldAccessApplied && !DefaultFields()) {
    for (TField* field : Fields()) KRRestoreFieldAccess(*field, DefOf(*field));
  }
  FFieldAccessApplied = false;
  BindFields(false);
  if (DefaultFields()) DestroyFields();
  FCursorDefs.clear();
  FEmptiedDefs.clear();
  FValues.clear();
  SetBookmarkSize(0);
}
