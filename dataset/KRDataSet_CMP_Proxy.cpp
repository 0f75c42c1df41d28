#include "dataset/KRDataSet_CMP_Proxy.h"

#include <utility>

TKRProxy::TKRProxy(TComponent* owner, ComPtr<IKRProxy> proxy)
    : TComponent(owner),
      TKRProxyEventSink(static_cast<TComponent&>(*this)),
      FProxyInterface(std::move(proxy)),
      FThreadSafeProxy(std::make_unique<TKRThreadSafeInterface>(FProxyInterface)) {
  if (FProxyInterface) FProxyInterface->RegisterEventHandler(this);
}

TKRProxy::~TKRProxy() {
  Destroying();
  if (!FProxyInterface) return;
  // Failures here have been reported at the proxy's interface; a destructor
  // has no one to hand them to.
  try {
    FProxyInterface->UnregisterEventHandler(this);
    FThreadSafeProxy.reset();
    FProxyInterface->Disconnect();
  } catch (const Exception&) {
  }
}

ComPtr<IKRProxy> TKRProxy::GetProxyInterface() {
  ComPtr<IKRProxy> proxy =
      FThreadSafeProxy ? FThreadSafeProxy->GetThreadSafeInterface<IKRProxy>() : FProxyInterface;
  if (!proxy) LogError("Proxy interface not set.", 2);
  return proxy;
}

void TKRProxy::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  ClearEventsWhenOwnerRemoved(component, operation);
}
