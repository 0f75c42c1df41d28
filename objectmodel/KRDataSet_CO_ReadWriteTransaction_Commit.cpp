// Commit, rollback and commit progress of a read-write transaction, and the
// data operations that act on the transaction itself.

#include <algorithm>

#include "objectmodel/KRDataSet_CO_Events.h"
#include "objectmodel/KRDataSet_CO_ReadWriteTransaction.h"
#include "platform/com/OleErrors.h"
#include "platform/win32/Messages.h"

template <class I>
bool TKRReadWriteTransactionInterface<I>::Commit(bool refresh, bool withProgress) {
  return this->Guard([&] {
    RefreshErrors(true);
    if (!Get_OnlyWarnings()) {
      // Errors found before: the commit is not tried; the dependents may
      // show the records again. A failure reported by a dependent's
      // interface is not the commit's.
      try {
        HandleBeforeCommitErrors();
      } catch (const EOleSysError&) {
      }
      return false;
    }
    bool success = DoBeforeCommit();
    if (success && this->Get_Connected()) {
      success = InternalCommit(withProgress) < krclErrors;
      if (refresh) this->Refresh();
    }
    DoAfterCommit(success);
    return success;
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::DoBeforeCommit() {
  return this->Guard([&] {
    FCommitting = true;
    FCommitProgressPercentage = 0;
    FCommitProgressText.clear();
    if (!GetIsReadyToCommit()) return false;
    OleVariant ok(true);
    this->SendEvent(kKREventBeforeCommit, ok);
    return ok.AsBool();
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::GetIsReadyToCommit() {
  bool ready = true;
  ForEachReadWriteChild([&](IKRReadWriteTransaction& child) {
    if (ready) ready = child.DoBeforeCommit();
  });
  return ready;
}

template <class I>
void TKRReadWriteTransactionInterface<I>::HandleBeforeCommitErrors() {
  this->Guard([&] {
    ForEachReadWriteChild(
        [](IKRReadWriteTransaction& child) { child.HandleBeforeCommitErrors(); });
  });
}

template <class I>
int32_t TKRReadWriteTransactionInterface<I>::InternalCommit(bool withProgress) {
  return this->Guard([&] {
    if (!this->Get_Connected()) return int32_t(krclCommitted);
    int32_t level = krclCommitted;
    ForEachReadWriteChild([&](IKRReadWriteTransaction& child) {
      level = std::max(level, child.InternalCommit(withProgress));
    });
    if (level < krclErrors) level = CommitOwnChanges(level, withProgress);
    if (level >= krclRestarted) this->FRestarted = true;
    FCommitProgressPercentage = 100;
    FCommitProgressText.clear();
    return level;
  });
}

template <class I>
int32_t TKRReadWriteTransactionInterface<I>::CommitOwnChanges(int32_t level, bool withProgress) {
  const TKRAPITable& api = KRAPI();
  this->DisconnectDependents();
  if (level == krclCommitted) this->FTransactions->Disconnect();
  KSStatus status = KS_OK;
  if (this->Get_ReadOnly() || !Get_CanCommit()) {
    api.KSRollback(this->FHandle);
  } else {
    status = CallCommit(withProgress);
  }
  if (status != KS_OK) {
    bool changed = RefreshErrors(false);
    if (status == KS_ERR_COMMIT_CONFLICT) {
      level = krclRestarted;
      if (Get_ErrorCount() == 0) {
        AddError(kKRChangedElsewhere, 1, OleVariant(), false);
        changed = true;
      }
      if (!IsProxyListEmpty(this->FTransactions.Get())) {
        AddError(kKRModificationsUndone, 0, OleVariant(), false);
        changed = true;
        level = krclErrors;
      }
    } else {
      level = Get_OnlyWarnings() ? krclWarnings : krclErrors;
    }
    if (changed) NotifyErrorCountChange();
  }
  if (level < krclRestarted) {
    this->Disconnect();
    if (level < krclErrors) {
      // The siblings learn of the change; one that fails to keeps the
      // commit from nothing.
      if (const ComPtr<IKRReadWriteTransaction> parent = ReadWriteParent()) {
        try {
          parent->NotifyDataChange(this, false);
        } catch (const Exception&) {
        }
      }
    }
  }
  return level;
}

template <class I>
KSStatus TKRReadWriteTransactionInterface<I>::CallCommit(bool withProgress) {
  if (withProgress) GetGlobalCommitProgressReceptionManager().Subscribe(this);
  // The library reports progress from its own thread while this call
  // waits; the reports wait as posted messages, handled in order below.
  const KSStatus status = KRAPI().KSCommit(
      this->FHandle, FRestartOnErrors ? krapicfWithRestart : krapicfNormal, 0,
      withProgress ? &GlobalHandleCommitProgressReception : nullptr, withProgress ? 1 : 0);
  ProcessMessages();
  if (withProgress) GetGlobalCommitProgressReceptionManager().Unsubscribe(this);
  return status;
}

template <class I>
void TKRReadWriteTransactionInterface<I>::DoAfterCommit(bool success) {
  this->Guard([&] {
    ForEachReadWriteChild([&](IKRReadWriteTransaction& child) { child.DoAfterCommit(success); });
    OleVariant data(success);
    this->SendEvent(kKREventAfterCommit, data);
    FCommitting = false;
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::Rollback(bool refresh) {
  return this->Guard([&] {
    const bool success = DoBeforeRollback();
    if (success) {
      const bool wasConnected = this->Get_Connected();
      InternalRollback();
      if (refresh && wasConnected) this->Refresh();
    }
    DoAfterRollback();
    return success;
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::DoBeforeRollback() {
  return this->Guard([&] {
    bool ok = true;
    ForEachReadWriteChild([&](IKRReadWriteTransaction& child) {
      if (ok) ok = child.DoBeforeRollback();
    });
    if (!ok) return false;
    OleVariant data(true);
    this->SendEvent(kKREventBeforeRollback, data);
    return data.AsBool();
  });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::InternalRollback() {
  this->Disconnect();
  ClearErrors(true);
}

template <class I>
void TKRReadWriteTransactionInterface<I>::DoAfterRollback() {
  this->Guard([&] {
    ForEachReadWriteChild([](IKRReadWriteTransaction& child) { child.DoAfterRollback(); });
    OleVariant data;
    this->SendEvent(kKREventAfterRollback, data);
  });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::CommitProgressCallback(int32_t percentage,
                                                                 const std::u16string& text,
                                                                 bool finished) {
  FCommitProgressPercentage = finished ? 100 : percentage;
  FCommitProgressText = finished ? std::u16string() : text;
  DoUpdateCommitProgress();
}

template <class I>
void TKRReadWriteTransactionInterface<I>::DoUpdateCommitProgress() {
  this->Guard([&] {
    OleVariant data(Get_CommitProgressPercentage());
    this->SendEvent(kKREventCommitProgress, data);
    if (const ComPtr<IKRReadWriteTransaction> parent = ReadWriteParent()) {
      parent->DoUpdateCommitProgress();
    }
  });
}

template <class I>
int32_t TKRReadWriteTransactionInterface<I>::Get_CommitProgressPercentage() {
  return this->Guard([&] {
    const int32_t children = this->FTransactions ? this->FTransactions->Get_Count() : 0;
    if (children == 0) return FCommitProgressPercentage;
    int32_t sum = 0;
    ForEachReadWriteChild(
        [&](IKRReadWriteTransaction& child) { sum += child.Get_CommitProgressPercentage(); });
    // The children's average weighs 90 %, the transaction's own figure 10 %.
    return (sum * 90 / children + FCommitProgressPercentage * 10) / 100;
  });
}

template <class I>
std::u16string TKRReadWriteTransactionInterface<I>::Get_CommitProgressText() {
  return this->Guard([&] { return FCommitProgressText; });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::CreateNNLink(const std::u16string& fieldName,
                                                       KSRecordID id1, KSRecordID id2) {
  this->Guard([&] { ChangeLink(KRAPI().KSCreateNewLink, fieldName, id1, id2); });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::DestroyNNLink(const std::u16string& fieldName,
                                                        KSRecordID id1, KSRecordID id2) {
  this->Guard([&] { ChangeLink(KRAPI().KSDestroyLink, fieldName, id1, id2); });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::ChangeLink(TKRLinkCall call,
                                                     const std::u16string& fieldName,
                                                     KSRecordID id1, KSRecordID id2) {
  if (!MayWrite()) return;
  if (call(this->FHandle, id1, ConvertWideStringToAPIString(fieldName), id2) == KS_OK) {
    NotifyDataChange(nullptr, true);
  }
}

template <class I>
void TKRReadWriteTransactionInterface<I>::DeleteAllRecords(KSClassID classID) {
  this->Guard([&] {
    if (classID == kKRNullClassID || !MayWrite()) return;
    const ComPtr<IKRSession> session = Get_Session();
    const std::u16string className = session ? session->GetClassName(classID) : u"";
    if (className.empty()) return;
    int32_t count = 0;
    const KSStatus status = KRAPI().KSDestroyAll(
        this->FHandle, ConvertWideStringToAPIString(className), 0, &count);
    if (status == KS_OK) NotifyDataChange(nullptr, true);
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::MayWrite() {
  return this->Get_Connected() && !this->Get_ReadOnly();
}

#define KR_INSTANTIATE_COMMIT(I)                                                              \
  template bool TKRReadWriteTransactionInterface<I>::Commit(bool, bool);                      \
  template bool TKRReadWriteTransactionInterface<I>::DoBeforeCommit();                        \
  template bool TKRReadWriteTransactionInterface<I>::GetIsReadyToCommit();                    \
  template void TKRReadWriteTransactionInterface<I>::HandleBeforeCommitErrors();              \
  template int32_t TKRReadWriteTransactionInterface<I>::InternalCommit(bool);                 \
  template int32_t TKRReadWriteTransactionInterface<I>::CommitOwnChanges(int32_t, bool);      \
  template KSStatus TKRReadWriteTransactionInterface<I>::CallCommit(bool);                    \
  template void TKRReadWriteTransactionInterface<I>::DoAfterCommit(bool);                     \
  template bool TKRReadWriteTransactionInterface<I>::Rollback(bool);                          \
  template bool TKRReadWriteTransactionInterface<I>::DoBeforeRollback();                      \
  template void TKRReadWriteTransactionInterface<I>::InternalRollback();                      \
  template void TKRReadWriteTransactionInterface<I>::DoAfterRollback();                       \
  template void TKRReadWriteTransactionInterface<I>::CommitProgressCallback(                  \
      int32_t, const std::u16string&, bool);                                                  \
  template void TKRReadWriteTransactionInterface<I>::DoUpdateCommitProgress();                \
  template int32_t TKRReadWriteTransactionInterface<I>::Get_CommitProgressPercentage();       \
  template std::u16string TKRReadWriteTransactionInterface<I>::Get_CommitProgressText();      \
  template void TKRReadWriteTransactionInterface<I>::CreateNNLink(const std::u16string&,      \
                                                                  KSRecordID, KSRecordID);    \
  template void TKRReadWriteTransactionInterface<I>::DestroyNNLink(const std::u16string&,     \
                                                                   KSRecordID, KSRecordID);   \
  template void TKRReadWriteTransactionInterface<I>::DeleteAllRecords(KSClassID);             \
  template void TKRReadWriteTransactionInterface<I>::ChangeLink(                              \
      TKRLinkCall, const std::u16string&, KSRecordID, KSRecordID);                            \
  template bool TKRReadWriteTransactionInterface<I>::MayWrite();
KR_FOR_EACH_READ_WRITE_KIND(KR_INSTANTIATE_COMMIT)
