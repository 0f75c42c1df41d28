#pragma once
// TKRProxy: the base of the components that wrap a proxy of the object model
// so that it can be placed on a form, configured and given event handlers.
//
// - The component holds a counted reference to its proxy interface (or
//   none) and keeps it in a TKRThreadSafeInterface as well, then registers
//   itself as the proxy's event handler. When it goes it unregisters first,
//   frees the thread-safe wrapper (revoking the proxy's registration in the
//   global interface table), then disconnects the proxy (which may live on,
//   held by others, but no longer connected).
// - GetProxyInterface answers the interface through the thread-safe
//   wrapper: the held interface on the thread that created the component,
//   the table's on another thread (EKRThreadSafeInterfaceError when the
//   proxy could not be registered there). Without a proxy it logs
//   "Proxy interface not set." at level 2 and answers none.
// - The proxy's events reach the component as TKRProxyEventSink describes;
//   the kinds of component add their own events.
//
// Components are used on the console's thread; so is their proxy.

#include <memory>
#include <string_view>

#include "dataset/KRDataSet_CMP_EventSink.h"
#include "objectmodel/KRDataSet_CO_Server.h"
#include "objectmodel/KRThreadSafeInterface_CO.h"

class TKRProxy : public TComponent, public TKRProxyEventSink {
 public:
  // Wraps `proxy` (none is allowed), owned by `owner` when one is given.
  TKRProxy(TComponent* owner, ComPtr<IKRProxy> proxy);
  ~TKRProxy() override;

  std::string_view ClassName() const override { return "TKRProxy"; }

  ComPtr<IKRProxy> GetProxyInterface();
  // The proxy's interface T, or none (logged as above when there is no
  // proxy at all).
  template <class T>
  ComPtr<T> GetProxyInterfaceAs() {
    return ProxyAs<T>(GetProxyInterface().Get());
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  ComPtr<IKRProxy> FProxyInterface;
  std::unique_ptr<TKRThreadSafeInterface> FThreadSafeProxy;
};
