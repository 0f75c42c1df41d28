#include "dataset/KRDataSet_CMP_Proxy.h"

#include <utility>

TKRProxy::TKRProxy(TComponent* owner, ComPtr<IKRProxy> proxy)
    : TComponent(owner),
      TKRProxyEventSink(static_cast<TComponent&>(*this)),
      FProxyInterface(std::move(proxy)) {
  if (FProxyInterface) FProxyInterface->RegisterEventHandler(this);
}

TKRProxy::~TKRProxy() {
  Destroying();
  if (!FProxyInterface) return;
  // Failures here have been reported at the proxy's interface; a destructor
  // has no one to hand them to.
  try {
    FProxyInterface->UnregisterEventHandler(this);
    FProxyInterface->Disconnect();
  } catch (const Exception&) {
  }
}

ComPtr<IKRProxy> TKRProxy::GetProxyInterface() {
  if (!FProxyInterface) LogError("Proxy interface not set.", 2);
  return FProxyInterface;
}

void TKRProxy::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  ClearEventsWhenOwnerRemoved(component, operation);
}
