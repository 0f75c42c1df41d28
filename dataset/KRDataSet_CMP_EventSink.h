#pragma once
// TKRProxyEventSink: what every component that receives a proxy's events
// shares (the component proxies and the tables). It is the proxy's event
// handler and turns the proxy's diagnostic events into component events:
//   16 (a failure caught at the proxy's interface) → HandleSafeCallException,
//   17 (a trace request, [level, text]) → Trace,
//   18 (an error-log request, [level, text]) → LogError;
// every other event goes to HandleProxyEvent, which each kind of component
// overrides for its own codes and passes the rest to its base.
//
// - The handler interface is not counted: the component's owner (or its
//   creator) decides its life, and the component unregisters from its proxy
//   before it goes. ProxyEvent runs at the interface boundary, so whatever an
//   event handler raises reaches the proxy as the boundary's error.
// - HandleSafeCallException calls OnSafeCallException when it is assigned;
//   without a handler DisplaySafeCallException shows the failure in an error
//   box, unless the failure is a silent one.
// - Trace and LogError call OnTrace and OnLogError when they are assigned, on
//   the main thread only: trace and log output asked for on another thread
//   is dropped. A non-zero detail or level appends GetTraceDetails.
// - While the component is being destroyed (its owner, when it has one, else
//   itself), a handler that would be called is cleared instead: it may
//   belong to a form that is going away.
// - When the component's owner is removed, the three events are cleared.

#include <cstdint>
#include <functional>
#include <string>

#include "objectmodel/KRDataSet_CO_Interfaces.h"
#include "platform/vcl/Component.h"

using TKRSafeCallExceptionEvent =
    std::function<void(TComponent& sender, const std::string& className, const std::string& message,
                       bool silent, const std::string& where, intptr_t address)>;
using TKRTraceEvent =
    std::function<void(TComponent& sender, const std::string& text, int32_t detail)>;
using TKRLogErrorEvent =
    std::function<void(TComponent& sender, const std::string& text, int32_t level)>;
using TKRNotifyEvent = std::function<void(TComponent& sender)>;

class TKRProxyEventSink : public IKRProxyEventHandler {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override;
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }
  void ProxyEvent(IKRProxy* sender, int32_t event, OleVariant& data) final;

  // `address` is where the failure was raised; `where` the class of the
  // proxy that trapped it; `silent` whether it ends an operation quietly.
  void HandleSafeCallException(const std::string& className, const std::string& message,
                               bool silent, const std::string& where, intptr_t address);
  // Shows the failure in an error box with an OK button, unless `silent`.
  void DisplaySafeCallException(const std::string& className, const std::string& message,
                                bool silent, const std::string& where, intptr_t address);
  void Trace(const std::string& text, int32_t detail);
  void LogError(const std::string& text, int32_t level);
  // "\nComponent: <class>", "\nName: <name>" when it has one, the lines of
  // GetExtraTraceDetails, and "\nOwner: <owner's class>" when it has one.
  std::string GetTraceDetails() const;

  TKRSafeCallExceptionEvent OnSafeCallException;
  TKRTraceEvent OnTrace;
  TKRLogErrorEvent OnLogError;

 protected:
  explicit TKRProxyEventSink(TComponent& component) : FComponent(component) {}
  ~TKRProxyEventSink() = default;

  // The events other than the diagnostic ones; the base ignores them.
  virtual void HandleProxyEvent(int32_t event, OleVariant& data);
  // The lines a kind of component adds to the trace details, each starting
  // with "\n"; none by default.
  virtual std::string GetExtraTraceDetails() const { return {}; }
  // Called from the component's Notification.
  void ClearEventsWhenOwnerRemoved(TComponent* component, TOperation operation);

 private:
  // The component, or its owner when it has one, is being destroyed.
  bool IsBeingDestroyed() const;
  // Calls `handler` with the text (and the details when `detail` is not 0),
  // under the rules of Trace and LogError.
  void Report(std::function<void(TComponent&, const std::string&, int32_t)>& handler,
              const std::string& text, int32_t detail);

  TComponent& FComponent;
};
