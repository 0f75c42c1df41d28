#include "dataset/KRDataSet_CMP_Transactions.h"

#include <unordered_map>
#include <utility>

#include "objectmodel/KRDataSet_CO_Transaction.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/PublishedProperties.h"

namespace {

[[maybe_unused]] const bool kRegistered = [] {
  RegisterComponentClass<TKRTransaction>("TKRTransaction");
  return true;
}();

// Calls a handler through a copy, so that it may replace or clear itself.
void Fire(const TKRNotifyEvent& event, TComponent& sender) {
  if (!event) return;
  const TKRNotifyEvent handler = event;
  handler(sender);
}

// The answer to a request: the handler's, or granted without one.
bool Ask(const TKRRequestEvent& event, TComponent& sender) {
  if (!event) return true;
  const TKRRequestEvent handler = event;
  return handler(sender);
}

// The cluster of the transactions an owner holds: a number of its own,
// from 1 on, the same for as long as the process runs; kKRNoCluster without
// an owner. Numbers rather than addresses, since a cluster ID has 32 bits.
int32_t ClusterIDOf(const TComponent* owner) {
  if (owner == nullptr) return kKRNoCluster;
  static std::unordered_map<const TComponent*, int32_t> clusters;
  return clusters.try_emplace(owner, int32_t(clusters.size()) + 1).first->second;
}

// A flag of the component's proxy: read as false, and not written, when the
// component has no proxy of interface I.
template <class I>
bool ProxyFlag(TKRProxy& component, bool (I::*get)()) {
  const ComPtr<I> proxy = component.GetProxyInterfaceAs<I>();
  return proxy && (proxy.Get()->*get)();
}

template <class I>
void SetProxyFlag(TKRProxy& component, void (I::*set)(bool), bool value) {
  if (const ComPtr<I> proxy = component.GetProxyInterfaceAs<I>()) (proxy.Get()->*set)(value);
}

}  // namespace

TKRBaseTransaction::TKRBaseTransaction(TComponent* owner, ComPtr<IKRBaseTransaction> proxy)
    : TKRProxy(owner, std::move(proxy)) {}

void TKRBaseTransaction::HandleProxyEvent(int32_t event, OleVariant& data) {
  switch (event) {
    case kKREventBeforeRefresh:
      Fire(OnBeforeRefresh, *this);
      break;
    case kKREventAfterRefresh:
      Fire(OnAfterRefresh, *this);
      break;
    default:
      TKRProxy::HandleProxyEvent(event, data);
  }
}

TKRReadWriteTransaction::TKRReadWriteTransaction(TComponent* owner,
                                                 ComPtr<IKRReadWriteTransaction> proxy)
    : TKRBaseTransaction(owner, std::move(proxy)) {}

void TKRReadWriteTransaction::GetPublishedProperties(TPublishedProperties& properties) {
  TKRBaseTransaction::GetPublishedProperties(properties);
  properties.AddComponent(
      "ParentTransaction_", [this]() -> TComponent* { return FParentTransaction_; },
      [this](TComponent* component) {
        auto* parent = dynamic_cast<TKRBaseTransaction*>(component);
        if (component != nullptr && parent == nullptr) {
          throw EComponentError(component->Name() + " is not a transaction");
        }
        SetParentTransaction_(parent);
      });
  properties.AddBoolean(
      "ReadOnly", [this] { return ReadOnly(); }, [this](bool value) { SetReadOnly(value); },
      ReadOnlyDefault());
  properties.AddBoolean(
      "RestartOnErrors", [this] { return RestartOnErrors(); },
      [this](bool value) { SetRestartOnErrors(value); }, true);
  properties.AddBoolean(
      "ReportProgress", [this] { return FReportProgress; },
      [this](bool value) { FReportProgress = value; }, false);
}

void TKRReadWriteTransaction::SetParentTransaction_(TKRBaseTransaction* parent) {
  if (parent == FParentTransaction_) return;
  if (parent != nullptr) {
    const auto self = GetProxyInterfaceAs<IKRReadWriteTransaction>();
    const auto above = parent->GetProxyInterfaceAs<IKRBaseTransaction>();
    if (parent == this || (self && above && self->IsLinkedTo(above.Get()))) {
      throw EComponentError("The transaction " + parent->Name() + " lies below " + Name() +
                            " and cannot be its parent transaction");
    }
  }
  SetProxyParent(parent);
  if (FParentTransaction_ != nullptr) FParentTransaction_->RemoveFreeNotification(this);
  FParentTransaction_ = parent;
  if (parent != nullptr) parent->FreeNotification(this);
}

void TKRReadWriteTransaction::SetProxyParent(TKRBaseTransaction* parent) {
  const auto proxy = GetProxyInterfaceAs<IKRReadWriteTransaction>();
  if (!proxy) return;
  ComPtr<IKRBaseTransaction> above;
  if (parent != nullptr) above = parent->GetProxyInterfaceAs<IKRBaseTransaction>();
  proxy->Set_ParentTransaction(above.Get());
}

bool TKRReadWriteTransaction::ReadOnly() {
  return ProxyFlag(*this, &IKRReadWriteTransaction::Get_ReadOnly);
}

void TKRReadWriteTransaction::SetReadOnly(bool readOnly) {
  SetProxyFlag(*this, &IKRReadWriteTransaction::Set_ReadOnly, readOnly);
}

bool TKRReadWriteTransaction::RestartOnErrors() {
  return ProxyFlag(*this, &IKRReadWriteTransaction::Get_RestartOnErrors);
}

void TKRReadWriteTransaction::SetRestartOnErrors(bool restart) {
  SetProxyFlag(*this, &IKRReadWriteTransaction::Set_RestartOnErrors, restart);
}

void TKRReadWriteTransaction::HandleProxyEvent(int32_t event, OleVariant& data) {
  switch (event) {
    case kKREventDataChange:
      Fire(OnDataChange, *this);
      break;
    case kKREventErrorCountChange:
      Fire(OnErrorCountChange, *this);
      break;
    case kKREventAfterCommit:
      Fire(OnAfterCommit, *this);
      break;
    case kKREventAfterRollback:
      Fire(OnAfterRollback, *this);
      break;
    case kKREventCommitProgress:
      Fire(OnUpdateCommitProgress, *this);
      break;
    case kKREventBeforeCommit:
      data.Assign(OleVariant(Ask(OnBeforeCommit, *this)));
      break;
    case kKREventBeforeRollback:
      data.Assign(OleVariant(Ask(OnBeforeRollback, *this)));
      break;
    case kKREventReadOnlyObtained:
      if (OnReadOnlyChanged) {
        const TKRReadOnlyChangedEvent handler = OnReadOnlyChanged;
        handler(*this, data.AsBool());
      }
      break;
    default:
      TKRBaseTransaction::HandleProxyEvent(event, data);
  }
}

void TKRReadWriteTransaction::Notification(TComponent* component, TOperation operation) {
  TKRBaseTransaction::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FParentTransaction_) {
    // Only the address of a component being destroyed may be used.
    FParentTransaction_ = nullptr;
    SetProxyParent(nullptr);
  }
}

TKRTransaction::TKRTransaction(TComponent* owner)
    : TKRTransaction(owner, MakeComObject<TKRTransactionInterface>()) {}

TKRTransaction::TKRTransaction(TComponent* owner, ComPtr<IKRTransaction> proxy)
    : TKRReadWriteTransaction(owner, proxy) {
  if (proxy) proxy->Set_ClusterID(ClusterIDOf(owner));
}

void TKRTransaction::GetPublishedProperties(TPublishedProperties& properties) {
  TKRReadWriteTransaction::GetPublishedProperties(properties);
  properties.AddBoolean(
      "CanCommit", [this] { return CanCommit(); }, [this](bool value) { SetCanCommit(value); },
      true);
  properties.AddBoolean(
      "AutoUpdate", [this] { return AutoUpdate(); }, [this](bool value) { SetAutoUpdate(value); },
      true);
}

bool TKRTransaction::CanCommit() { return ProxyFlag(*this, &IKRTransaction::Get_CanCommit); }

void TKRTransaction::SetCanCommit(bool canCommit) {
  SetProxyFlag(*this, &IKRTransaction::Set_CanCommit, canCommit);
}

bool TKRTransaction::AutoUpdate() { return ProxyFlag(*this, &IKRTransaction::Get_AutoUpdate); }

void TKRTransaction::SetAutoUpdate(bool autoUpdate) {
  SetProxyFlag(*this, &IKRTransaction::Set_AutoUpdate, autoUpdate);
}

void TKRTransaction::HandleProxyEvent(int32_t event, OleVariant& data) {
  if (event == kKREventUpdatesAvailable) {
    Fire(OnUpdatesAvailable, *this);
  } else {
    TKRReadWriteTransaction::HandleProxyEvent(event, data);
  }
}
