// The table's writing: field values into the record buffer, inserting,
// posting, cancelling, deleting, the automatic commit and the hooks of the
// transaction's commit.

#include <deque>

#include "dataset/KRDataSet_CMP_BlobStream.h"
#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_Table.h"
#include "dataset/KRDataSet_CMP_TableBuffer.h"
#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDateConversion_UNT.h"
#include "platform/text/SysUtils.h"
#include "platform/text/Utf.h"
#include "platform/vcl/DBConsts.h"

// The values of a record's written fields as the Database API takes them,
// each naming its field; owns the names and texts the values point to.
struct TKRFieldValues {
  std::vector<KSField> Values;
  std::deque<std::u16string> Texts;
  std::deque<TKRBlobBytes> Blobs;

  int32_t Count() const { return int32_t(Values.size()); }
  const KSField* Data() const { return Values.empty() ? nullptr : Values.data(); }
  // A value of `type` named `name`; its text and blob pointers are set by
  // the caller.
  KSField& Add(const std::string& name, int32_t type) {
    KSField& value = Values.emplace_back();
    value.type = type;
    value.name = Texts.emplace_back(Utf8ToUtf16(name)).c_str();
    return value;
  }
};

namespace {

constexpr int32_t kRequiredFieldMissing = 10401;

// Writes the null value of `apiType` into the data area at `data`.
void WriteAPINullValue(uint8_t* data, int32_t apiType, int32_t size) {
  switch (apiType) {
    case KS_TYPE_DURATION:
      WriteAt(data, int32_t(2147483647));
      break;
    case KS_TYPE_ID:
    case KS_TYPE_REFERENCE:
      WriteAt(data, int32_t(kKRNullRecordID));
      break;
    case KS_TYPE_FLOAT:
    case KS_TYPE_CURRENCY:
    case KS_TYPE_DATETIME:
      WriteAt(data, 0.0);
      break;
    case KS_TYPE_STRING:
      std::memset(data, 0, size_t(size + 1) * sizeof(char16_t));
      break;
    default:
      WriteAt(data, int32_t(0));
  }
}

// Raises `E` with `message` after tracing it as the table's errors are.
template <class E>
[[noreturn]] void RaiseTableError(TKRTable& table, const std::string& message) {
  table.Trace(message, 2);
  throw E(message);
}

}  // namespace

// --- Field values ----------------------------------------------------------------------

void TKRTable::SetFieldData(TField* field, const void* buffer) {
  const TRecordBuffer record = GetActiveRecordBuffer();
  if (!dsWriteModes.Contains(State()) || record == nullptr) DatabaseError(SNotEditing, this);
  if (field->FieldNo() < 1) {
    field->Validate(buffer);
    WriteCalcField(record, *field, buffer);
  } else {
    if (State() == dsCalcFields) DatabaseError(SNotEditing, this);
    field->Validate(buffer);
    if (field->FieldKind() == fkInternalCalc) return;
    const TKRFieldDef* def = DefOf(*field);
    if (def != nullptr) WriteField(record, *def, *field, buffer);
  }
  if (State() != dsCalcFields && State() != dsFilter) {
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
  }
}

void TKRTable::WriteField(TRecordBuffer record, const TKRFieldDef& def, const TField& field,
                          const void* value) {
  if (!field.Visible() || !def.GetVisible(GetInActualPlan())) {
    KRTableError(*this, "The field '" + field.DisplayName() + "' is denied.");
  }
  if (field.ReadOnly() && !def.GetVirtualField() && State() != dsSetKey && State() != dsFilter) {
    KRTableError(*this, "The field '" + field.DisplayName() + "' is read-only.");
  }
  const int32_t type = def.APIFieldType();
  if (FBlobIndex[size_t(def.FieldNo() - 1)] >= 0) DatabaseError(SNotEditing, this);
  uint8_t* data = record + def.BufferOffset();
  if (value != nullptr) {
    switch (def.DataType()) {
      case ftBoolean:
        WriteAt(data, KSBool(ReadAt<int16_t>(static_cast<const uint8_t*>(value)) != 0 ? 1 : 0));
        break;
      case ftDate:
      case ftTime:
      case ftDateTime: {
        TDateTime dateTime = 0.0;
        DataConvert(const_cast<TField*>(&field), value, &dateTime, false);
        WriteAt(data, dateTime);
        break;
      }
      case ftString:
        WriteTextAt(data, static_cast<const char16_t*>(value), def.Size());
        break;
      case ftFloat:
      case ftCurrency:
        std::memcpy(data, value, sizeof(double));
        break;
      default:
        std::memcpy(data, value, sizeof(int32_t));
    }
  }
  // A cleared field and one given its type's null value both read as null.
  uint8_t& state = StateOf(record, def);
  if (value == nullptr || IsAPINullValue(type, data)) {
    WriteAPINullValue(data, type, def.Size());
    state = krfsNull;
  } else if (state == krfsEmpty) {
    state = krfsSet;
  } else if (state == krfsLoaded || state == krfsNull) {
    state = krfsModified;
  }
}

TKRFieldValues TKRTable::ExtractFieldValues(TRecordBuffer buffer) {
  TKRFieldValues values;
  const bool inActualPlan = GetInActualPlan();
  for (TField* field : Fields()) {
    const TKRFieldDef* def = DefOf(*field);
    if (def == nullptr || !field->Visible() || field->ReadOnly()) continue;
    const uint8_t state = StateOf(buffer, *def);
    if (state != krfsModified && state != krfsSet && state != krfsNull) continue;
    if (!def->GetVisible(inActualPlan) || def->NoDescription() || def->UserDefined() ||
        def->Description() == nullptr || def->Description() == kKRUserDefinedField ||
        def->GetVirtualField() || def->GetAccess(inActualPlan) == KS_ACCESS_READ_ONLY) {
      continue;
    }
    const int32_t type = def->APIFieldType();
    KSField& value = values.Add(def->Name(), type);
    const int32_t blob = FBlobIndex[size_t(def->FieldNo() - 1)];
    if (blob >= 0) {
      const TKRBlobBytes& bytes = *BlobOf(buffer, blob);
      if (type == KS_TYPE_BLOB) {
        const TKRBlobBytes& copy = values.Blobs.emplace_back(bytes);
        value.value.asBlob = copy.empty() ? nullptr : copy.data();
        value.blobLength = int32_t(copy.size());
      } else {
        value.value.asString =
            values.Texts.emplace_back(Utf8ToUtf16(std::string(bytes.begin(), bytes.end()))).c_str();
      }
      continue;
    }
    const uint8_t* data = buffer + def->BufferOffset();
    switch (type) {
      case KS_TYPE_BOOLEAN:
        value.value.asBoolean = ReadAt<KSBool>(data);
        break;
      case KS_TYPE_FLOAT:
      case KS_TYPE_CURRENCY:
        value.value.asDouble = ReadAt<double>(data);
        break;
      case KS_TYPE_DATETIME: {
        const double dateTime = ReadAt<double>(data);
        value.value.asStamp = dateTime == 0.0 ? 0 : ConvertDateTimeToUTC(dateTime);
        break;
      }
      case KS_TYPE_STRING:
        value.value.asString = values.Texts.emplace_back(ReadTextAt(data)).c_str();
        break;
      default:
        value.value.asInteger = ReadAt<int32_t>(data);
    }
  }
  return values;
}

// --- Inserting -----------------------------------------------------------------------------

void TKRTable::InitRecord(TRecordBuffer buffer) {
  TDataSet::InitRecord(buffer);
  FPendingRecordID = kKRNullRecordID;
  const TKRFieldValues values = ExtractFieldValues(buffer);
  const ComPtr<IKRCursor> cursor = GetCursor();
  KSRecordID id = kKRNullRecordID;
  const KSStatus status = cursor->InsertNewRecord(values.Count(), values.Data(), id);
  FImmediateInsertFailed = status != KS_OK;
  if (status == KS_OK) {
    FPendingRecordID = id;
    int32_t sequence = -1;
    if (cursor->GetCurrentRecord(FValues.data(), sequence) == KS_OK) {
      // The new record has no place among the rows shown until it is posted.
      FillBufferWithFields(buffer, FValues.data(), -1, id);
    }
  } else if (status == KS_RECORD_NOT_IN_CURSOR) {
    FPendingRecordID = id;
    ReadObjectInto(buffer, id);
  }
  // Any other failure creates nothing: Post inserts the record then.
  SetBookmarkFlag(buffer, bfInserted);
}

void TKRTable::ReadObjectInto(TRecordBuffer buffer, KSRecordID id) {
  const TKRAPITable& api = KRAPI();
  const KSHandle object = api.KSGetObject(GetTransaction()->Get_Handle(), id);
  if (object == 0) return;
  std::vector<std::u16string> names;
  for (const TKRFieldDef* def : FCursorDefs) names.push_back(Utf8ToUtf16(def->Name()));
  if (names.empty()) names.emplace_back(u"id");
  std::vector<const char16_t*> pointers;
  for (const std::u16string& name : names) pointers.push_back(name.c_str());
  std::vector<KSField> values(names.size());
  const KSStatus status =
      api.KSGetValues(object, pointers.data(), int32_t(pointers.size()), values.data());
  if (status == KS_OK) FillBufferWithFields(buffer, values.data(), -1, id);
  api.KSReleaseObject(object);
}

// --- Posting ---------------------------------------------------------------------------------

void TKRTable::CustomPost(bool noResync) {
  UpdateRecord();
  if (State() != dsEdit && State() != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  CheckRequiredFieldsOfPost();
  DoBeforePost();
  CheckOperation([this] { InternalPost(); }, TDataSet::OnPostError);
  SetState(dsBrowse);
  if (!noResync) TDataSet::Resync(TResyncMode{});
  DoAfterPost();
}

void TKRTable::CheckRequiredFieldsOfPost() {
  const ComPtr<IKRTransaction> transaction = GetTransaction();
  bool missing = false;
  for (TField* field : Fields()) {
    if (!field->Required() || field->ReadOnly() || field->FieldKind() != fkData ||
        !field->IsNull()) {
      continue;
    }
    if (!missing) field->FocusControl();
    missing = true;
    transaction->AddError(kRequiredFieldMissing, 1,
                          OleVariant::ArrayOf({OleVariant(Utf8ToUtf16(field->DisplayLabel()))}),
                          false);
  }
  if (!missing) return;
  transaction->NotifyErrorCountChange();
  RaiseTableError<EKRRequiredFieldError>(*this, "required fields missing");
}

void TKRTable::InternalPost() { InternalWriteBuffer(ActiveBuffer(), State() != dsEdit); }

void TKRTable::InternalWriteBuffer(TRecordBuffer buffer, bool isInsert) {
  FRememberedRecordID = GetRecordID();
  const TKRFieldValues values = ExtractFieldValues(buffer);
  const ComPtr<IKRCursor> cursor = GetCursor();
  bool insertedThroughCursor = isInsert && !FImmediateInsertFailed;
  if (isInsert && FPendingRecordID == kKRNullRecordID) {
    // The insert could not create the record at once: it is created now,
    // rather than writing the values over the record the cursor stands on.
    KSRecordID id = kKRNullRecordID;
    const KSStatus status = cursor->InsertNewRecord(values.Count(), values.Data(), id);
    if (status != KS_RECORD_NOT_IN_CURSOR) CheckAPIErrorCode(status);
    FPendingRecordID = id;
    FRememberedRecordID = id;
    insertedThroughCursor = status == KS_OK;
    WriteUserDefinedFields(buffer, id, true);
  } else if (FImmediateInsertFailed && FPendingRecordID != kKRNullRecordID) {
    WriteObjectValues(FPendingRecordID, values);
    WriteUserDefinedFields(buffer, FPendingRecordID, true);
    // The rebuilt cursor shows the record.
    DisconnectCursor();
  } else {
    // Append and an insert into an empty table leave the cursor at an end,
    // not on the record created.
    if (isInsert) CheckAPIErrorCode(cursor->GoToRecordID(FPendingRecordID));
    CheckAPIErrorCode(cursor->SetCurrentRecordValues(values.Count(), values.Data()));
    WriteUserDefinedFields(buffer, FRememberedRecordID, isInsert);
  }
  const KSRecordID pending = FPendingRecordID;
  FPendingRecordID = kKRNullRecordID;
  try {
    PerformAutoCommit();
  } catch (const EKRAutoCommitError&) {
    RecoverFromFailedAutoCommit(values, pending, insertedThroughCursor);
    throw;
  }
}

void TKRTable::WriteObjectValues(KSRecordID id, const TKRFieldValues& values) {
  const TKRAPITable& api = KRAPI();
  const KSHandle object = api.KSGetObject(GetTransaction()->Get_Handle(), id);
  const KSStatus status =
      object == 0 ? KS_ERR_NO_SUCH_RECORD : api.KSSetValues(object, values.Data(), values.Count());
  if (object != 0) api.KSReleaseObject(object);
  CheckAPIErrorCode(status);
}

void TKRTable::RecoverFromFailedAutoCommit(const TKRFieldValues& values, KSRecordID pending,
                                           bool insertedThroughCursor) {
  const ComPtr<IKRCursor> cursor = GetCursor();
  const ComPtr<IKRTransaction> transaction = GetTransaction();
  cursor->Set_NotificationEnabled(false);
  try {
    KSRecordID now = pending;
    if (transaction->Get_RestartOnErrors() && transaction->Get_Connected()) {
      if (insertedThroughCursor &&
          cursor->GoToRecordSequence(cursor->Get_PostedRecordSequence()) == KS_OK) {
        now = KRAPI().KSGetCurrentRecordID(cursor->Get_Handle());
      }
    } else if (pending != kKRNullRecordID) {
      // Without a restart the record is gone with the transaction's
      // changes: it is made again for the next try.
      if (cursor->InsertNewRecord(values.Count(), values.Data(), now) != KS_OK) now = pending;
    }
    if (pending != kKRNullRecordID && now != pending && now != kKRNullRecordID) {
      transaction->RemapID(pending, now);
    }
  } catch (...) {
    cursor->Set_NotificationEnabled(true);
    throw;
  }
  cursor->Set_NotificationEnabled(true);
}

void TKRTable::PerformAutoCommit() {
  if (!FAutoCommit) return;
  FAutoCommitInProgress = true;
  if (!GetTransaction()->Commit(false, false)) {
    RaiseTableError<EKRAutoCommitError>(*this, "automatic commit failed");
  }
  FAutoCommitInProgress = false;
}

void TKRTable::DoAfterPost() {
  const int32_t sequence = GetCursor()->Get_PostedRecordSequence();
  if (sequence >= 0) {
    if (sequence + 1 <= GetRecordCount()) SetRecNo(sequence + 1);
  } else if (FAutoCommit) {
    FindRecordID(FRememberedRecordID);
  }
  DoEndRemoteOperation();
  TDataSet::DoAfterPost();
}

// --- Cancelling ------------------------------------------------------------------------------

void TKRTable::DoBeforeCancel() {
  TDataSet::DoBeforeCancel();
  DoStartRemoteOperation();
  const KSRecordID pending = FPendingRecordID;
  FPendingRecordID = kKRNullRecordID;
  // The table returns to the record it stood on when the insert began; a
  // rollback that refreshes the cursor returns there too.
  const bool inserting = State() == dsInsert;
  if (inserting) {
    WriteAt(ActiveBuffer() + FBookmarkOffset, TKRBookmark{FRecordBeforeInsert, -1});
    CursorPosChanged();
  }
  if (FAutoCommit && !FAutoCommitInProgress) {
    // A master that moves while the rollback refreshes it must not post
    // the edit being cancelled.
    FAutoRollbackInProgress = true;
    bool rolledBack = false;
    try {
      rolledBack = GetTransaction()->Rollback(inserting);
    } catch (...) {
      FAutoRollbackInProgress = false;
      throw;
    }
    FAutoRollbackInProgress = false;
    if (!rolledBack) KRTableError(*this, "rollback in DoAfterCancel failed");
  } else if (!FAutoCommit && pending != kKRNullRecordID) {
    if (FImmediateInsertFailed) {
      DestroyObject(pending);
    } else {
      const ComPtr<IKRCursor> cursor = GetCursor();
      if (cursor->GoToRecordID(pending) == KS_OK) {
        CheckAPIErrorCode(cursor->DeleteCurrentRecord());
      }
    }
  }
}

void TKRTable::DestroyObject(KSRecordID id) {
  const TKRAPITable& api = KRAPI();
  const KSHandle object = api.KSGetObject(GetTransaction()->Get_Handle(), id);
  if (object == 0) return;
  const KSStatus status = api.KSDestroyObject(object);
  api.KSReleaseObject(object);
  CheckAPIErrorCode(status);
}

void TKRTable::DoAfterCancel() {
  DoEndRemoteOperation();
  TDataSet::DoAfterCancel();
}

// --- Deleting ----------------------------------------------------------------------------------

void TKRTable::InternalDelete() {
  const KSStatus status = GetCursor()->DeleteCurrentRecord();
  // A refused delete leaves the server's reasons in the transaction.
  if (status != KS_ERR_DELETE_REFERENCED && status != KS_ERR_DELETE_REFUSED) {
    CheckAPIErrorCode(status);
  }
  PerformAutoCommit();
}

void TKRTable::InternalDeleteAll() {
  int32_t deleted = 0;
  const KSStatus status = GetCursor()->DeleteCurrentDataSet(deleted);
  if (status != KS_ERR_DELETE_REFERENCED && status != KS_ERR_DELETE_REFUSED) {
    CheckAPIErrorCode(status);
  }
  PerformAutoCommit();
}

void TKRTable::DeleteAll() {
  CheckActive();
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeDelete();
  DoBeforeScroll();
  CheckOperation([this] { InternalDeleteAll(); }, TDataSet::OnDeleteError);
  TDataSet::Resync(TResyncMode{});
  DoAfterDelete();
  DoAfterScroll();
}

// --- Errors of posts and deletes -----------------------------------------------------------------

void TKRTable::HandleOperationError(EDatabaseError& error, TDataAction& action,
                                    const TDataSetErrorEvent& userHandler) {
  if (dynamic_cast<const EKRAutoCommitError*>(&error) != nullptr) action = daAbort;
  if (userHandler) userHandler(*this, error, action);
  if (action != daRetry) DoEndRemoteOperation();
}

// --- Remote operations ---------------------------------------------------------------------------

void TKRTable::DoStartRemoteOperation() {
  if (OnStartRemoteOperation) OnStartRemoteOperation(*this);
}

void TKRTable::DoEndRemoteOperation() {
  if (OnEndRemoteOperation) OnEndRemoteOperation(*this);
}

void TKRTable::DoBeforeInsert() {
  TDataSet::DoBeforeInsert();
  FRecordBeforeInsert = GetRecordID();
  DoStartRemoteOperation();
}

void TKRTable::DoAfterInsert() {
  DoEndRemoteOperation();
  TDataSet::DoAfterInsert();
}

void TKRTable::DoBeforePost() {
  TDataSet::DoBeforePost();
  DoStartRemoteOperation();
}

void TKRTable::DoBeforeDelete() {
  TDataSet::DoBeforeDelete();
  DoStartRemoteOperation();
}

void TKRTable::DoAfterDelete() {
  DoEndRemoteOperation();
  TDataSet::DoAfterDelete();
}

// --- The transaction's commit ----------------------------------------------------------------------

bool TKRTable::DoBeforeCommit() {
  if (FAutoCommitInProgress) return true;
  FWasEditing = dsEditModes.Contains(State());
  if (!FWasEditing) return true;
  FWasModified = Modified();
  const bool autoCommit = FAutoCommit;
  FAutoCommit = false;
  try {
    CustomPost(true);
  } catch (...) {
    FAutoCommit = autoCommit;
    throw;
  }
  FAutoCommit = autoCommit;
  return true;
}

void TKRTable::DoAfterCommit(bool success) {
  if (FAutoCommitInProgress || success || !FWasEditing) return;
  FWasEditing = false;
  if (!Active() || dsEditModes.Contains(State())) return;
  TDataSet::Resync(TResyncMode{});
  if (!FindRecordID(FRememberedRecordID)) return;
  Edit();
  SetModified(FWasModified);
}

void TKRTable::RemapID(KSRecordID oldID, KSRecordID newID) {
  if (!Active()) return;
  std::vector<const TKRFieldDef*> references;
  for (int32_t i = 0; i < FieldDefs().Count(); ++i) {
    const auto& def = static_cast<const TKRFieldDef&>(FieldDefs()[i]);
    const bool described = IsRealFieldDescription(def.Description()) || def.Name() == "id";
    if (described && (def.APIFieldType() == KS_TYPE_ID || def.APIFieldType() == KS_TYPE_REFERENCE) &&
        FBlobIndex[size_t(def.FieldNo() - 1)] < 0) {
      references.push_back(&def);
    }
  }
  for (int32_t i = 0; i < BufferedRecordCount(); ++i) {
    const TRecordBuffer buffer = Buffers(i);
    TKRBookmark bookmark = BookmarkOf(buffer);
    if (bookmark.RecordID == oldID) {
      bookmark.RecordID = newID;
      WriteAt(buffer + FBookmarkOffset, bookmark);
    }
    for (const TKRFieldDef* def : references) {
      uint8_t* data = buffer + def->BufferOffset();
      if (ReadAt<int32_t>(data) == oldID) WriteAt(data, int32_t(newID));
    }
  }
  if (FPendingRecordID == oldID) FPendingRecordID = newID;
  if (FRememberedRecordID == oldID) FRememberedRecordID = newID;
}

// --- Blob streams --------------------------------------------------------------------------------

std::unique_ptr<TStream> TKRTable::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  CheckActive();
  const TKRFieldDef* def = DefOf(*field);
  if (def == nullptr || FBlobIndex[size_t(def->FieldNo() - 1)] < 0) {
    KRTableError(*this, "Field '" + field->DisplayName() + "' is not a blob field");
  }
  if (State() == dsCalcFields) DatabaseError(SNotEditing, this);
  const TRecordBuffer record = GetActiveRecordBuffer();
  TKRBlobBytes* bytes =
      record != nullptr ? BlobOf(record, FBlobIndex[size_t(def->FieldNo() - 1)]) : nullptr;
  if (mode != bmRead) {
    if (field->ReadOnly()) DatabaseError(Format(SFieldReadOnly, {field->DisplayName()}), this);
    if (State() != dsEdit && State() != dsInsert) DatabaseError(SNotEditing, this);
    StateOf(record, *def) = krfsNull;
    if (mode == bmWrite) bytes->clear();
  }
  if (bytes == nullptr) return std::make_unique<TMemoryStream>();
  return std::make_unique<TKRBlobStream>(
      *bytes,
      [this, field] {
        SetModified(true);
        DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
      },
      [this](const std::string& message) { Trace("Blob stream: " + message, 2); });
}
