#include "objectmodel/KRDataSet_CO_Transaction.h"

#include "objectmodel/KRDataSet_CO_Cursor_Interface.h"
#include "platform/com/Guid.h"

TKRTransactionInterface::TKRTransactionInterface()
    : FCursors(MakeComObject<TKRProxyList>()), FDBServices(MakeComObject<TKRProxyList>()) {}

std::u16string TKRTransactionInterface::Get_Name() {
  return Guard([&] {
    if (FName.empty()) {
      GUID guid{};
      FName = SUCCEEDED(CoCreateGuid(&guid)) ? GuidToWideString(guid) : u"#";
    }
    return FName;
  });
}

bool TKRTransactionInterface::Get_InActualPlan() {
  return Guard([&] {
    if (const ComPtr<IKRBaseTransaction> parent = Get_ParentTransaction()) {
      return parent->Get_InActualPlan();
    }
    const ComPtr<IKRSession> session = Get_Session();
    return !session || session->Get_InActualPlan();
  });
}

bool TKRTransactionInterface::Get_CanCommit() {
  return Guard([&] { return FCanCommit; });
}

void TKRTransactionInterface::Set_CanCommit(bool canCommit) {
  Guard([&] {
    if (canCommit == FCanCommit) return;
    Disconnect();
    FCanCommit = canCommit;
  });
}

void TKRTransactionInterface::NotifyDataChange(IKRProxy* source, bool clearErrors) {
  Guard([&] {
    TKRReadWriteTransactionInterface::NotifyDataChange(source, clearErrors);
    if (Get_CanCommit()) FModified = true;
  });
}

bool TKRTransactionInterface::Get_HasDependents() {
  return Guard([&] {
    return !IsProxyListEmpty(FCursors.Get()) || !IsProxyListEmpty(FDBServices.Get()) ||
           TKRReadWriteTransactionInterface::Get_HasDependents();
  });
}

ComPtr<IKRProxyList> TKRTransactionInterface::Get_DBServices() {
  return Guard([&] { return FDBServices; });
}

ComPtr<IKRProxyList> TKRTransactionInterface::Get_Cursors() {
  return Guard([&] { return FCursors; });
}

template <class Action>
void TKRTransactionInterface::ForEachCursor(Action&& action) {
  TKRProxyIterator cursors(FCursors.Get());
  ComPtr<IKRProxy> cursor;
  while (cursors.Next(cursor)) {
    if (const auto typed = ProxyAs<IKRCursor>(cursor.Get())) action(*typed);
  }
}

void TKRTransactionInterface::InternalRefresh() {
  Guard([&] {
    TKRReadWriteTransactionInterface::InternalRefresh();
    ForEachCursor([](IKRCursor& cursor) { cursor.Refresh(); });
  });
}

void TKRTransactionInterface::RemapID(KSRecordID oldID, KSRecordID newID) {
  Guard([&] {
    TKRReadWriteTransactionInterface::RemapID(oldID, newID);
    ForEachCursor([&](IKRCursor& cursor) { cursor.RemapID(oldID, newID); });
  });
}

bool TKRTransactionInterface::GetIsReadyToCommit() {
  bool ready = TKRReadWriteTransactionInterface::GetIsReadyToCommit();
  ForEachCursor([&](IKRCursor& cursor) {
    if (ready) ready = cursor.DoBeforeCommit();
  });
  return ready;
}

void TKRTransactionInterface::HandleBeforeCommitErrors() {
  Guard([&] {
    TKRReadWriteTransactionInterface::HandleBeforeCommitErrors();
    ForEachCursor([](IKRCursor& cursor) { cursor.Refresh(); });
  });
}

void TKRTransactionInterface::DoAfterCommit(bool success) {
  Guard([&] {
    TKRReadWriteTransactionInterface::DoAfterCommit(success);
    ForEachCursor([&](IKRCursor& cursor) { cursor.DoAfterCommit(success); });
  });
}

bool TKRTransactionInterface::CanLock() { return CheckConnected() && !Get_ReadOnly(); }

bool TKRTransactionInterface::LockDatabase(int32_t mode) {
  return Guard([&] { return CanLock() && KRAPI().KSLockDatabase(FHandle, 0, mode) == KS_OK; });
}

bool TKRTransactionInterface::LockClass(KSClassID classID, int32_t mode) {
  return Guard([&] {
    if (classID == kKRNullClassID || !CanLock()) return false;
    const ComPtr<IKRSession> session = Get_Session();
    const std::u16string className = session ? session->GetClassName(classID) : u"";
    return !className.empty() &&
           KRAPI().KSLockTable(FHandle, 0, mode, ConvertWideStringToAPIString(className)) == KS_OK;
  });
}

bool TKRTransactionInterface::Get_AutoUpdate() {
  return Guard([&] { return FAutoUpdate; });
}

void TKRTransactionInterface::Set_AutoUpdate(bool autoUpdate) {
  Guard([&] { FAutoUpdate = autoUpdate; });
}

void TKRTransactionInterface::NotifyUpdatesAvailable() {
  Guard([&] {
    if (Get_CanCommit() && (!Get_Connected() || FModified)) return;
    if (FAutoUpdate) Refresh();
    OleVariant data;
    SendEvent(kKREventUpdatesAvailable, data);
  });
}

int32_t TKRTransactionInterface::Get_ClusterID() {
  return Guard([&] { return FClusterID; });
}

void TKRTransactionInterface::Set_ClusterID(int32_t clusterID) {
  Guard([&] { FClusterID = clusterID; });
}

void TKRTransactionInterface::ReleaseHandle() {
  FModified = false;
  TKRReadWriteTransactionInterface::ReleaseHandle();
}

void TKRTransactionInterface::DisconnectDependents() {
  TKRReadWriteTransactionInterface::DisconnectDependents();
  if (FCursors) FCursors->Disconnect();
  if (FDBServices) FDBServices->Disconnect();
}

void TKRTransactionInterface::ReleaseDependents() {
  TKRReadWriteTransactionInterface::ReleaseDependents();
  FCursors.Reset();
  FDBServices.Reset();
}
