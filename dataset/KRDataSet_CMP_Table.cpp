// The table's connection to its cursor, transaction and session, its
// properties, its errors, and what it tells its cursor.

#include "dataset/KRDataSet_CMP_Table.h"

#include "dataset/KRDataSet_CMP_Defaults.h"
#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_TableMaster.h"
#include "dataset/KRDataSet_CMP_Transactions.h"
#include "objectmodel/KRDataSet_CO_Functions.h"
#include "platform/text/SysUtils.h"
#include "platform/text/Utf.h"
#include "platform/vcl/DBConsts.h"

void KRTableError(TKRTable& table, const std::string& message) {
  table.Trace(message, 2);
  throw EKRDatabaseError(message);
}

TKRTable::TKRTable(TComponent* owner)
    : TDataSet(owner),
      TKRProxyEventSink(static_cast<TComponent&>(*this)),
      FFilter(this),
      FSortFields(this),
      FDistinctFields(this),
      FMasterLink(std::make_unique<TKRMasterDataLink>(*this)),
      FClassID(kKRUnknownClassID) {
  // The table's own handlers come first; they call the user's.
  TDataSet::OnPostError = [this](TDataSet&, EDatabaseError& error, TDataAction& action) {
    HandleOperationError(error, action, OnPostError);
  };
  TDataSet::OnDeleteError = [this](TDataSet&, EDatabaseError& error, TDataAction& action) {
    HandleOperationError(error, action, OnDeleteError);
  };
  FCursor = TKRCursorInterface::CreateWithOwner(this);
  FCursorWrapper = std::make_unique<TKRThreadSafeInterface>(ComPtr<IKRCursor>(FCursor.Get()));
  FCursor->RegisterEventHandler(this);
}

TKRTable::~TKRTable() {
  // The cursor must not call back into a table that is going away.
  FCursor->DetachOwner();
  Destroying();
  FMasterLink->SetDataSource(nullptr);
  Close();
  try {
    FCursor->UnregisterEventHandler(this);
    FCursor->Disconnect();
  } catch (const Exception&) {
    // Reported at the cursor's interface already; a destructor has no one
    // to hand it to.
  }
}

// --- Connection ------------------------------------------------------------------

namespace {

bool AppliesDesignDefaults(const TComponent& component) {
  return component.ComponentState().Contains(csDesigning) &&
         !component.ComponentState().Contains(csLoading);
}

}  // namespace

ComPtr<IKRCursor> TKRTable::GetCursor() {
  ComPtr<IKRCursor> cursor = FCursorWrapper->GetThreadSafeInterface<IKRCursor>();
  if (!cursor) KRTableError(*this, "Cursor is not set");
  if (AppliesDesignDefaults(*this)) SetupCursorDefaults(cursor.Get());
  return cursor;
}

IKRCursor& TKRTable::CursorForCall(ComPtr<IKRCursor>& held) {
  if (std::this_thread::get_id() == FThreadID && !AppliesDesignDefaults(*this)) return *FCursor;
  held = GetCursor();
  return *held;
}

ComPtr<IKRTransaction> TKRTable::GetTransaction() {
  ComPtr<IKRTransaction> transaction = GetCursor()->Get_Transaction();
  if (!transaction) KRTableError(*this, "Transaction is not set");
  return transaction;
}

ComPtr<IKRSession> TKRTable::GetSession() {
  ComPtr<IKRSession> session = GetTransaction()->Get_Session();
  if (!session) KRTableError(*this, "Transaction is not connected to a session");
  return session;
}

void TKRTable::SetTransaction(IKRTransaction* transaction) {
  const ComPtr<IKRCursor> cursor = GetCursor();
  if (AreProxiesEqual(cursor->Get_Transaction().Get(), transaction)) return;
  cursor->Set_Transaction(transaction);
}

void TKRTable::SetTransaction_(TKRTransaction* transaction) {
  if (FTransaction_ != nullptr) FTransaction_->RemoveFreeNotification(this);
  FTransaction_ = transaction;
  if (transaction != nullptr) transaction->FreeNotification(this);
  SetTransaction(transaction != nullptr ? transaction->GetProxyInterfaceAs<IKRTransaction>().Get()
                                        : nullptr);
}

void TKRTable::DisconnectCursor() { FCursor->Disconnect(); }

void TKRTable::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TKRTable*>(&source);
  if (other == nullptr) {
    TDataSet::Assign(source);
    return;
  }
  auto& from = const_cast<TKRTable&>(*other);
  if (const ComPtr<IKRTransaction> transaction = from.FCursor->Get_Transaction()) {
    SetTransaction(transaction.Get());
  } else {
    SetTransaction_(from.FTransaction_);
  }
  SetMasterSource(from.FMasterSource);
  SetIndexName("");
  SetTableName(from.FTableName);
  SetIndexName(from.FIndexName);
  DestroyFields();
  for (TField* field : from.Fields()) {
    if (field->FieldKind() != fkData) continue;
    TField* copy = AddFieldByName(field->FieldName());
    copy->SetReadOnly(field->ReadOnly());
    copy->SetRequired(field->Required());
    copy->SetVisible(field->Visible());
  }
  SetDistinctFields(from.FDistinctFields);
  SetSortFields(from.FSortFields);
  SetFilter(from.FFilter);
  SetReadOnly(from.FReadOnly);
  SetRecordCacheSize(from.FRecordCacheSize);
  FMasterField = from.FMasterField;
  FUserDefinedFields = from.FUserDefinedFields;
  FAutoCommit = from.FAutoCommit;
  FOptions = from.FOptions;
  BeforeOpen = from.BeforeOpen;
  AfterOpen = from.AfterOpen;
  BeforeClose = from.BeforeClose;
  AfterClose = from.AfterClose;
  BeforeInsert = from.BeforeInsert;
  AfterInsert = from.AfterInsert;
  BeforeEdit = from.BeforeEdit;
  AfterEdit = from.AfterEdit;
  BeforePost = from.BeforePost;
  AfterPost = from.AfterPost;
  BeforeCancel = from.BeforeCancel;
  AfterCancel = from.AfterCancel;
  BeforeDelete = from.BeforeDelete;
  AfterDelete = from.AfterDelete;
  BeforeScroll = from.BeforeScroll;
  AfterScroll = from.AfterScroll;
  OnCalcFields = from.OnCalcFields;
  OnNewRecord = from.OnNewRecord;
  OnEditError = from.OnEditError;
  OnPostError = from.OnPostError;
  OnDeleteError = from.OnDeleteError;
  OnSafeCallException = from.OnSafeCallException;
  OnTrace = from.OnTrace;
  OnLogError = from.OnLogError;
  OnStartRemoteOperation = from.OnStartRemoteOperation;
  OnEndRemoteOperation = from.OnEndRemoteOperation;
}

// --- Properties -----------------------------------------------------------------------

void TKRTable::SetReadOnly(bool value) {
  if (value == FReadOnly) return;
  CheckInactive();
  FReadOnly = value;
}

void TKRTable::SetRecordCacheSize(int32_t value) {
  if (value == FRecordCacheSize) return;
  FRecordCacheSize = value;
  DisconnectCursor();
}

void TKRTable::SetFilter(const TKRFilter& value) {
  if (FFilter.Equals(value)) return;
  FFilter.Assign(value);
  DisconnectCursor();
}

void TKRTable::SetSortFields(const TKRSortFields& value) {
  if (FSortFields.Equals(value)) return;
  FSortFields.Assign(value);
  DisconnectCursor();
}

void TKRTable::SetDistinctFields(const TKRFieldNames& value) {
  if (FDistinctFields.Equals(value)) return;
  FDistinctFields.Assign(value);
  DisconnectCursor();
}

void TKRTable::SetMasterSource(TDataSource* source) {
  if (source == FMasterSource) return;
  if (source != nullptr && IsLinkedTo(source)) DatabaseError(SCircularDataLink, this);
  const bool hadMaster = GetMasterTable() != nullptr;
  if (FMasterSource != nullptr) FMasterSource->RemoveFreeNotification(this);
  FMasterSource = source;
  if (source != nullptr) source->FreeNotification(this);
  FMasterLink->SetDataSource(source);
  if (hadMaster != (GetMasterTable() != nullptr)) DisconnectCursor();
}

void TKRTable::Notification(TComponent* component, TOperation operation) {
  TDataSet::Notification(component, operation);
  ClearEventsWhenOwnerRemoved(component, operation);
  if (operation != opRemove || component == nullptr) return;
  if (component == FTransaction_) {
    FTransaction_ = nullptr;
    SetTransaction(nullptr);
  }
  if (component == FMasterSource) {
    FMasterSource = nullptr;
    FMasterLink->SetDataSource(nullptr);
  }
}

std::string TKRTable::GetExtraTraceDetails() const {
  return "\nClass: " + FTableName + "\nIndex: " + FIndexName;
}

// --- Class -------------------------------------------------------------------------------

KSClassID TKRTable::GetClassID() {
  if (FClassID == kKRUnknownClassID && !FTableName.empty()) {
    FClassID = GetSession()->GetClassID(Utf8ToUtf16(FTableName));
  }
  return FClassID == kKRUnknownClassID ? kKRNullClassID : FClassID;
}

int32_t TKRTable::GetAccess() { return GetSession()->GetClassAccess(GetClassID(), true); }

bool TKRTable::GetInActualPlan() { return GetTransaction()->Get_InActualPlan(); }

bool TKRTable::GetCanModify() const {
  if (ComponentState().Contains(csDestroying)) return false;
  if (!TDataSet::GetCanModify() || FReadOnly) return false;
  auto& self = const_cast<TKRTable&>(*this);
  return !self.GetTransaction()->Get_ReadOnly();
}

TKRFieldDef* TKRTable::GetEAFieldDef(int32_t fieldNo) { return KRGetFieldDef(FieldDefs(), fieldNo); }

// A table adds its definitions through KRAddFieldDef only, so each is a
// TKRFieldDef: the item is cast without a run-time check, as every field
// read comes here.
TKRFieldDef* TKRTable::DefOf(const TField& field) const {
  if (field.FieldNo() < 1) return nullptr;
  return &static_cast<TKRFieldDef&>(
      const_cast<TKRTable&>(*this).FieldDefs().Items(field.FieldNo() - 1));
}

// --- Events --------------------------------------------------------------------------------

void TKRTable::DataEvent(TDataEvent event, intptr_t info) {
  TDataSet::DataEvent(event, info);
  if (event == deUpdateState && dsEditModes.Contains(State())) GetCursor()->NotifyDataChange();
}

// --- Errors --------------------------------------------------------------------------------

bool TKRTable::CheckAPIErrorCode(KSStatus status) {
  if (status == KS_OK || status == kKRCursorNotConnected) return false;
  if (status == kKRNoErrorRecord) throw EAbort("");
  std::string message = "API error code: " + std::to_string(status) + " ($" +
                        IntToHex(status, 8) + ")";
  const ComPtr<IKRSession> session = GetSession();
  if (session->Get_Connected()) {
    message += "\n'" + Utf16ToUtf8(session->GetErrorText(status)) + "'";
  }
  KRTableError(*this, message);
}

// --- What the cursor asks ---------------------------------------------------------------------

std::vector<TKRCursorField> TKRTable::GetCursorFields() {
  std::vector<TKRCursorField> fields;
  for (TField* field : Fields()) {
    TKRCursorField entry{field->FieldName(), field->Visible()};
    if (const TKRFieldDef* def = DefOf(*field)) {
      entry.Described = def->Description() != nullptr && def->Description() != kKRUndescribedField;
      entry.UserDefined = def->UserDefined();
      entry.ActualAccess = def->ActualAccess();
      entry.VersionAccess = def->VersionAccess();
    }
    fields.push_back(entry);
  }
  return fields;
}

const KSFieldDescription* TKRTable::FindFieldDescription(const std::string& fieldName) {
  const int32_t index = FieldDefs().IndexOf(fieldName);
  if (index >= 0) {
    const auto& def = static_cast<const TKRFieldDef&>(FieldDefs()[index]);
    if (def.Description() != kKRUndescribedField && def.Description() != kKRUserDefinedField) {
      return def.Description();
    }
    return nullptr;
  }
  if (GetClassID() == kKRNullClassID) return nullptr;
  return GetSession()->GetFieldDescription(FClassID, Utf8ToUtf16(fieldName), true);
}

KSHandle TKRTable::MakeFilterCondition() { return FFilter.GetAsAPICondition().Detach(); }

std::vector<TKRCursorSortField> TKRTable::GetSortFields() {
  std::vector<TKRCursorSortField> fields;
  for (int i = 0; i < FSortFields.Count(); ++i) {
    const TKRSortField& field = FSortFields.SortField(i);
    fields.push_back({field.FieldName(), field.SortOrder() == krapisoDescending});
  }
  return fields;
}

std::vector<std::string> TKRTable::GetDistinctFields() {
  std::vector<std::string> fields;
  for (int i = 0; i < FDistinctFields.Count(); ++i) {
    fields.push_back(FDistinctFields.GetFieldName(i));
  }
  return fields;
}

TKRCursorOwner* TKRTable::GetMasterTable() {
  if (FMasterSource == nullptr) return nullptr;
  return dynamic_cast<TKRTable*>(FMasterSource->DataSet());
}

KSRecordID TKRTable::GetMasterRecordID() {
  auto* master = static_cast<TKRTable*>(GetMasterTable());
  if (master == nullptr || !master->Active() || master->TDataSet::IsEmpty()) return kKRNullRecordID;
  if (FMasterField.empty()) return master->GetRecordID();
  const TField* field = master->FindField(FMasterField);
  if (field == nullptr || field->IsNull()) return kKRNullRecordID;
  return field->GetAsInteger();
}

void TKRTable::Resync(bool exact) {
  if (exact) {
    TDataSet::Resync(TResyncMode{rmExact});
  } else {
    TDataSet::Resync(TResyncMode{});
  }
}
