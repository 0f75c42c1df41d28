// The cursor's navigation, reading, editing and hooks; connecting and
// refreshing are in KRDataSet_CO_Cursor_Open.cpp.

#include "objectmodel/KRDataSet_CO_Cursor.h"

#include <algorithm>

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Server.h"

TKRCursorInterface::TKRCursorInterface(TKRCursorOwner* owner)
    : FOwner(owner), FCurrentRecordID(kKRNullRecordID), FParentRecordID(kKRNullRecordID) {}

ComPtr<TKRCursorInterface> TKRCursorInterface::CreateWithOwner(TKRCursorOwner* owner) {
  return MakeComObject<TKRCursorInterface>(owner);
}

ComPtr<IKRTransaction> TKRCursorInterface::Get_Transaction() {
  return Guard([&] { return ProxyAs<IKRTransaction>(FParent.Get()); });
}

void TKRCursorInterface::Set_Transaction(IKRTransaction* transaction) {
  SetParentAndJoin(transaction, &IKRTransaction::Get_Cursors);
}

int32_t TKRCursorInterface::Get_RecordCount() {
  return Guard([&] {
    if (!CheckConnected()) return int32_t(kUnknownCount);
    if (!CountIsKnown()) FRecordCount = KRAPI().KSGetCount(FHandle);
    return FRecordCount;
  });
}

KSStatus TKRCursorInterface::GetCurrentRecord(KSField* values, int32_t& sequence) {
  return Guard([&]() -> KSStatus {
    if (!CheckConnected()) return kKRCursorNotConnected;
    if (FPosition == krcpBeforeFirst) return KS_BEGIN_OF_TABLE;
    if (FPosition == krcpAfterLast) return KS_END_OF_TABLE;
    const TKRAPITable& api = KRAPI();
    const KSStatus status = api.KSGetCurrentValues(FHandle, values);
    if (status == KS_OK) sequence = api.KSGetCurrentRecordPos(FHandle);
    return status;
  });
}

// What a step forward and a step back each use.
struct TKRCursorInterface::TKRDirection {
  TKRCursorPosition Origin;  // the end a step enters the rows from
  TKRCursorPosition End;     // the end a step leaves them to
  KSStatus EndStatus;        // the status of reaching End
  TKRAPIMove TKRAPITable::*Enter;
  TKRAPIMove TKRAPITable::*Step;
  TKRAPIFetch TKRAPITable::*Fetch;
};

const TKRCursorInterface::TKRDirection TKRCursorInterface::kForward{
    krcpBeforeFirst,           krcpAfterLast,          KS_END_OF_TABLE,
    &TKRAPITable::KSGotoFirst, &TKRAPITable::KSGotoNext, &TKRAPITable::KSGetNextRecord};
const TKRCursorInterface::TKRDirection TKRCursorInterface::kBackward{
    krcpAfterLast,            krcpBeforeFirst,            KS_BEGIN_OF_TABLE,
    &TKRAPITable::KSGotoLast, &TKRAPITable::KSGotoPrevious, &TKRAPITable::KSGetPreviousRecord};

KSStatus TKRCursorInterface::GetNextRecord(KSField* values, int32_t& sequence) {
  return Guard([&] { return FetchRecord(kForward, values, sequence); });
}

KSStatus TKRCursorInterface::GetPreviousRecord(KSField* values, int32_t& sequence) {
  return Guard([&] { return FetchRecord(kBackward, values, sequence); });
}

KSStatus TKRCursorInterface::GoToNextRecord() {
  return Guard([&] { return MoveRecord(kForward); });
}

KSStatus TKRCursorInterface::GoToPreviousRecord() {
  return Guard([&] { return MoveRecord(kBackward); });
}

KSStatus TKRCursorInterface::FetchRecord(const TKRDirection& direction, KSField* values,
                                         int32_t& sequence) {
  if (FPosition == direction.End) return direction.EndStatus;
  if (!CheckConnected()) return kKRCursorNotConnected;
  const TKRAPITable& api = KRAPI();
  if (FPosition == direction.Origin) {
    const KSStatus status = (api.*direction.Enter)(FHandle);
    if (status != KS_OK) return status;
    FPosition = krcpOnRecord;
    return GetCurrentRecord(values, sequence);
  }
  KSStatus status = (api.*direction.Fetch)(FHandle, values);
  if (status == KS_NO_FURTHER_RECORD) status = direction.EndStatus;
  if (status == KS_OK) sequence = api.KSGetCurrentRecordPos(FHandle);
  if (status == direction.EndStatus) FPosition = direction.End;
  return status;
}

KSStatus TKRCursorInterface::MoveRecord(const TKRDirection& direction) {
  if (FPosition == direction.End) return direction.EndStatus;
  if (!CheckConnected()) return kKRCursorNotConnected;
  const TKRAPITable& api = KRAPI();
  if (FPosition == direction.Origin) {
    const KSStatus status = (api.*direction.Enter)(FHandle);
    if (status == KS_OK) FPosition = krcpOnRecord;
    return status;
  }
  const KSStatus status = (api.*direction.Step)(FHandle);
  if (status == direction.EndStatus) FPosition = direction.End;
  return status;
}

template <class Call>
KSStatus TKRCursorInterface::GoToRow(Call&& call) {
  if (!CheckConnected()) return kKRCursorNotConnected;
  const KSStatus status = call(KRAPI());
  if (status == KS_OK) FPosition = krcpOnRecord;
  return status;
}

KSStatus TKRCursorInterface::GoToRecordID(KSRecordID id) {
  return Guard([&] {
    return GoToRow([&](const TKRAPITable& api) { return api.KSGotoRecordID(FHandle, id); });
  });
}

KSStatus TKRCursorInterface::GoToRecordSequence(int32_t sequence) {
  return Guard([&] {
    return GoToRow([&](const TKRAPITable& api) { return api.KSGoto(FHandle, sequence); });
  });
}

KSStatus TKRCursorInterface::GoToFirstMatch(KSHandle condition) {
  return Guard([&] {
    return GoToRow(
        [&](const TKRAPITable& api) { return api.KSGotoFirstMatch(FHandle, condition); });
  });
}

KSStatus TKRCursorInterface::GoToBeginningOfTable() {
  return Guard([&]() -> KSStatus {
    if (!CheckConnected()) return kKRCursorNotConnected;
    FPosition = krcpBeforeFirst;
    return KS_OK;
  });
}

KSStatus TKRCursorInterface::GoToEndOfTable() {
  return Guard([&]() -> KSStatus {
    if (!CheckConnected()) return kKRCursorNotConnected;
    FPosition = krcpAfterLast;
    return KS_OK;
  });
}

KSStatus TKRCursorInterface::InsertNewRecord(int32_t count, const KSField* values,
                                             KSRecordID& newID) {
  return Guard([&]() -> KSStatus {
    if (!CheckConnected()) return kKRCursorNotConnected;
    const TKRAPITable& api = KRAPI();
    FRecordCount = kUnknownCount;
    const KSStatus status = api.KSInsertNewRecord(FHandle, values, count, nullptr, &newID);
    if (status == KS_OK) {
      FPostedRecordSequence = api.KSGetCurrentRecordPos(FHandle);
      FPosition = krcpOnRecord;
    }
    // A record created outside the cursor's rows is a change of the data
    // all the same: the transaction must keep it.
    if (status == KS_OK || status == KS_RECORD_NOT_IN_CURSOR) NotifyDataChange();
    return status;
  });
}

KSStatus TKRCursorInterface::SetCurrentRecordValues(int32_t count, const KSField* values) {
  return Guard([&]() -> KSStatus {
    if (!CheckConnected()) return kKRCursorNotConnected;
    if (count < 1) {
      const int32_t recNo = FOwner != nullptr ? FOwner->GetRecNo() : 0;
      FPostedRecordSequence = recNo > 0 ? recNo - 1 : -1;
      return KS_OK;
    }
    const TKRAPITable& api = KRAPI();
    const KSStatus status = api.KSSetCurrentValues(FHandle, values, count);
    if (status != KS_OK) return status;
    FRecordCount = kUnknownCount;
    const int32_t rows = Get_RecordCount();
    if (rows <= 0) {
      FPosition = krcpBeforeFirst;
      FPostedRecordSequence = -1;
    } else {
      FPostedRecordSequence = api.KSGetCurrentRecordPos(FHandle);
    }
    NotifyDataChange();
    return status;
  });
}

KSStatus TKRCursorInterface::DeleteCurrentRecord() {
  return Guard([&]() -> KSStatus {
    if (!CheckConnected()) return kKRCursorNotConnected;
    const int32_t before = Get_RecordCount();
    const KSStatus status = KRAPI().KSDeleteCurrentRecord(FHandle);
    AfterDelete(status, before, 1);
    return status;
  });
}

KSStatus TKRCursorInterface::DeleteCurrentDataSet(int32_t& deletedCount) {
  return Guard([&]() -> KSStatus {
    deletedCount = 0;
    if (FOwner == nullptr || !CheckConnected()) return kKRCursorNotConnected;
    const int32_t before = Get_RecordCount();
    const KSStatus status =
        FParentRecordID == kKRNullRecordID ? DestroyAll(deletedCount) : DeleteRows(deletedCount);
    Refresh();
    AfterDelete(status, before, deletedCount);
    return status;
  });
}

KSStatus TKRCursorInterface::DestroyAll(int32_t& deletedCount) {
  const TKRAPITable& api = KRAPI();
  const KSHandle condition = FOwner->MakeFilterCondition();
  struct ReleaseCondition {
    KSHandle condition;
    ~ReleaseCondition() {
      if (condition != 0) KRAPI().KSReleaseCondition(condition);
    }
  } release{condition};
  return api.KSDestroyAll(Get_Transaction()->Get_Handle(),
                          ConvertStringToAPIString(FOwner->GetTableName()), condition,
                          &deletedCount);
}

KSStatus TKRCursorInterface::DeleteRows(int32_t& deletedCount) {
  const TKRAPITable& api = KRAPI();
  while (api.KSGotoFirst(FHandle) == KS_OK) {
    if (const KSStatus status = api.KSDeleteCurrentRecord(FHandle); status != KS_OK) {
      // Some rows may be gone: the count is read afresh.
      FRecordCount = kUnknownCount;
      return status;
    }
    ++deletedCount;
  }
  return KS_OK;
}

void TKRCursorInterface::AfterDelete(KSStatus status, int32_t countBefore, int32_t deleted) {
  if (status == KS_OK) {
    if (countBefore >= 1 && CountIsKnown()) {
      FRecordCount = std::max(FRecordCount - deleted, 0);
      if (FRecordCount == 0) FPosition = krcpBeforeFirst;
    }
    NotifyDataChange();
  } else if (status == KS_ERR_DELETE_REFERENCED || status == KS_ERR_DELETE_REFUSED) {
    // The refusal's errors stay listed: the change reported does not clear
    // them.
    if (const ComPtr<IKRTransaction> transaction = Get_Transaction()) {
      transaction->RefreshErrors(true);
    }
    NotifyTransaction(false);
  }
}

int32_t TKRCursorInterface::CompareIDs(KSRecordID id1, KSRecordID id2) {
  return Guard([&] {
    if (!CheckConnected()) return 0;
    switch (KRAPI().KSCursorIDCompare(FHandle, id1, id2)) {
      case 1:
        return -1;
      case 3:
        return 1;
      default:
        return 0;
    }
  });
}

int32_t TKRCursorInterface::Get_PostedRecordSequence() {
  return Guard([&] { return FPostedRecordSequence; });
}

KSRecordID TKRCursorInterface::Get_ParentRecordID() {
  return Guard([&] { return FParentRecordID; });
}

bool TKRCursorInterface::DoBeforeCommit() {
  return Guard([&] { return FOwner == nullptr || FOwner->DoBeforeCommit(); });
}

void TKRCursorInterface::DoAfterCommit(bool success) {
  Guard([&] {
    if (FOwner != nullptr) FOwner->DoAfterCommit(success);
  });
}

void TKRCursorInterface::RemapID(KSRecordID oldID, KSRecordID newID) {
  Guard([&] {
    if (FOwner != nullptr) FOwner->RemapID(oldID, newID);
  });
}

bool TKRCursorInterface::Get_NotificationEnabled() {
  return Guard([&] { return FNotificationEnabled; });
}

void TKRCursorInterface::Set_NotificationEnabled(bool enabled) {
  Guard([&] { FNotificationEnabled = enabled; });
}

void TKRCursorInterface::NotifyDataChange() {
  Guard([&] { NotifyTransaction(true); });
}

void TKRCursorInterface::NotifyTransaction(bool clearErrors) {
  if (!FNotificationEnabled) return;
  if (const ComPtr<IKRTransaction> transaction = Get_Transaction()) {
    transaction->NotifyDataChange(this, clearErrors);
  }
}
