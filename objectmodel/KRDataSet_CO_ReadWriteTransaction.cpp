#include "objectmodel/KRDataSet_CO_ReadWriteTransaction.h"

template <class I>
ComPtr<IKRSession> TKRReadWriteTransactionInterface<I>::Get_Session() {
  return this->Guard([&]() -> ComPtr<IKRSession> {
    const ComPtr<IKRBaseTransaction> parent = Get_ParentTransaction();
    return parent ? parent->Get_Session() : nullptr;
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::Get_ReadOnly() {
  return this->Guard([&] { return FReadOnlyRequested || FReadOnlyState == krosReadOnly; });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::Set_ReadOnly(bool readOnly) {
  this->Guard([&] {
    if (readOnly == FReadOnlyRequested) return;
    if (Get_ReadOnly() != readOnly) this->Disconnect();
    FReadOnlyRequested = readOnly;
  });
}

template <class I>
ComPtr<IKRBaseTransaction> TKRReadWriteTransactionInterface<I>::Get_ParentTransaction() {
  return this->Guard([&] { return ProxyAs<IKRBaseTransaction>(this->FParent.Get()); });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::Set_ParentTransaction(IKRBaseTransaction* parent) {
  this->SetParentAndJoin(parent, &IKRBaseTransaction::Get_Transactions);
}

template <class I>
std::u16string TKRReadWriteTransactionInterface<I>::Get_Name() {
  return this->Guard([&] { return FName; });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::Set_Name(const std::u16string& name) {
  this->Guard([&] {
    if (name == FName) return;
    this->Disconnect();
    FName = name;
  });
}

template <class I>
int32_t TKRReadWriteTransactionInterface<I>::Get_Level() {
  return this->Guard([&] {
    const ComPtr<IKRBaseTransaction> parent = Get_ParentTransaction();
    return parent ? parent->Get_Level() + 1 : 0;
  });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::InternalRefresh() {
  this->Guard([&] {
    TKRBaseTransactionInterface<I>::InternalRefresh();
    // A refresh inside a commit keeps the errors the commit found.
    if (!FCommitting) ClearErrors(true);
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::IsLinkedTo(IKRBaseTransaction* transaction) {
  return this->Guard([&] {
    for (ComPtr<IKRBaseTransaction> at(transaction); at; at = at->Get_ParentTransaction()) {
      if (AreProxiesEqual(at.Get(), this)) return true;
    }
    return false;
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::Get_Isolated() {
  return this->Guard([&] { return FIsolated; });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::Set_Isolated(bool isolated) {
  this->Guard([&] { FIsolated = isolated; });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::NotifyDataChange(IKRProxy* source, bool clearErrors) {
  this->Guard([&] {
    OleVariant data;
    if (FCommitting) {
      this->SendEvent(kKREventDataChange, data);
      return;
    }
    if (clearErrors) ClearErrors(true);
    const intptr_t sourceID = source != nullptr ? source->Get_UniqueID() : 0;
    const ComPtr<IKRTransaction> plainSource = ProxyAs<IKRTransaction>(source);
    const int32_t sourceCluster = plainSource ? plainSource->Get_ClusterID() : kKRNoCluster;
    this->ForEachChild([&](IKRBaseTransaction& child) {
      const ComPtr<IKRTransaction> plain = ProxyAs<IKRTransaction>(&child);
      if (!plain) return;
      const bool same = (source != nullptr && plain->Get_UniqueID() == sourceID) ||
                        (sourceCluster != kKRNoCluster && plain->Get_ClusterID() == sourceCluster);
      if (same) return;
      // One sibling that fails to take the news keeps none of the others from it.
      try {
        plain->NotifyUpdatesAvailable();
      } catch (const Exception&) {
      }
    });
    this->SendEvent(kKREventDataChange, data);
  });
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::Get_CanCommit() {
  return this->Guard([] { return false; });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::Set_CanCommit(bool) {
  this->Guard([] {});
}

template <class I>
bool TKRReadWriteTransactionInterface<I>::Get_RestartOnErrors() {
  return this->Guard([&] { return FRestartOnErrors; });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::Set_RestartOnErrors(bool restart) {
  this->Guard([&] { FRestartOnErrors = restart; });
}

template <class I>
void TKRReadWriteTransactionInterface<I>::SetReadOnlyObtained(bool readOnly) {
  if (FReadOnlyState == krosUnknown && FReadOnlyRequested == readOnly) return;
  const TKRReadOnlyState state = readOnly ? krosReadOnly : krosReadWrite;
  if (state == FReadOnlyState) return;
  FReadOnlyState = state;
  OleVariant data(readOnly);
  this->SendEvent(kKREventReadOnlyObtained, data);
}

template <class I>
void TKRReadWriteTransactionInterface<I>::AssignHandle() {
  const TKRAPITable& api = KRAPI();
  const std::u16string name = this->Get_Name();
  const ComPtr<IKRBaseTransaction> parent = Get_ParentTransaction();
  if (this->Get_Persistent()) {
    const ComPtr<IKRSession> session = Get_Session();
    if (session && session->CheckConnected() && (!parent || parent->CheckConnected())) {
      this->FHandle =
          api.KSFindTransaction(session->Get_Handle(), ConvertWideStringToAPIString(name));
    }
  }
  if (this->FHandle == 0 && parent && parent->CheckConnected()) StartTransaction(*parent, name);
  if (this->FHandle != 0) {
    this->FLastError = 0;
    api.KSTransactionSetUserData(this->FHandle, static_cast<IKRProxy*>(this));
  }
}

template <class I>
void TKRReadWriteTransactionInterface<I>::StartTransaction(IKRBaseTransaction& parent,
                                                           const std::u16string& name) {
  const TKRAPITable& api = KRAPI();
  const bool persistent = this->Get_Persistent();
  bool canCommit = Get_CanCommit();
  bool readOnly = false;
  int32_t flags = 0;
  if (persistent) {
    flags |= krtcfPersistent;
  } else {
    readOnly = FReadOnlyRequested || FIsolated;
    if (canCommit && !parent.Get_Persistent() && parent.Get_ReadOnly()) readOnly = true;
    canCommit = canCommit && !readOnly;
    if (readOnly) flags |= krtcfReadOnly;
  }
  const bool withIntent = persistent ? Get_Level() > 1 : canCommit;
  flags |= withIntent ? krtcfWithIntentToCommit : krtcfWithoutIntentToCommit;
  flags = SetCreationFlags(flags);

  const KSHandle parentHandle = parent.Get_Handle();
  const TKRAPIString apiName = ConvertWideStringToAPIString(name);
  this->FHandle = api.KSStartTransaction(parentHandle, flags, apiName);
  if (this->FHandle != 0) {
    const bool granted = api.KSGetStartTransactionError(this->FHandle) == KS_READ_ONLY_GRANTED;
    SetReadOnlyObtained(readOnly || granted);
    return;
  }
  this->FLastError = api.KSGetStartTransactionError(parentHandle);
  if (persistent || readOnly || !canCommit) return;
  this->FHandle =
      api.KSStartTransaction(parentHandle, krtcfReadOnly | krtcfWithoutIntentToCommit, apiName);
  if (this->FHandle != 0) {
    SetReadOnlyObtained(true);
  } else {
    this->FLastError = api.KSGetStartTransactionError(parentHandle);
  }
}

template <class I>
void TKRReadWriteTransactionInterface<I>::ReleaseHandle() {
  const TKRAPITable& api = KRAPI();
  if (!this->Get_Persistent()) api.KSRollback(this->FHandle);
  api.KSReleaseTransaction(this->FHandle);
}

#define KR_INSTANTIATE_READ_WRITE_KIND(I) template class TKRReadWriteTransactionInterface<I>;
KR_FOR_EACH_READ_WRITE_KIND(KR_INSTANTIATE_READ_WRITE_KIND)
