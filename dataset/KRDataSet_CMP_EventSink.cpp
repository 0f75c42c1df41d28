#include "dataset/KRDataSet_CMP_EventSink.h"

#include "objectmodel/KRDataSet_CO_Boundary.h"
#include "platform/text/SysUtils.h"
#include "platform/text/Utf.h"
#include "platform/vcl/MainThread.h"
#include "support/KRComponentStrings.h"
#include "support/KRLocalizedMessageDialogs_UNT.h"

namespace {

std::string TextOf(const OleVariant& value) { return Utf16ToUtf8(value.AsString()); }

}  // namespace

HRESULT TKRProxyEventSink::QueryInterface(const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IKRProxyEventHandler) {
    *object = static_cast<IKRProxyEventHandler*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

void TKRProxyEventSink::ProxyEvent(IKRProxy*, int32_t event, OleVariant& data) {
  RunAtInterface(this, nullptr, [&] {
    switch (event) {
      case kKREventInterfaceFailure:
        HandleSafeCallException(TextOf(data[0]), TextOf(data[1]), data[4].AsBool(), TextOf(data[3]),
                                intptr_t(data[2].AsInt64()));
        break;
      case kKREventTrace:
        Trace(TextOf(data[1]), data[0].AsInteger());
        break;
      case kKREventErrorLog:
        LogError(TextOf(data[1]), data[0].AsInteger());
        break;
      default:
        HandleProxyEvent(event, data);
    }
  });
}

void TKRProxyEventSink::HandleProxyEvent(int32_t, OleVariant&) {}

void TKRProxyEventSink::HandleSafeCallException(const std::string& className,
                                                const std::string& message, bool silent,
                                                const std::string& where, intptr_t address) {
  if (!OnSafeCallException) {
    DisplaySafeCallException(className, message, silent, where, address);
  } else if (IsBeingDestroyed()) {
    OnSafeCallException = nullptr;
  } else {
    const TKRSafeCallExceptionEvent handler = OnSafeCallException;
    handler(FComponent, className, message, silent, where, address);
  }
}

void TKRProxyEventSink::DisplaySafeCallException(const std::string& className,
                                                 const std::string& message, bool silent,
                                                 const std::string& where, intptr_t address) {
  if (silent) return;
  const std::string text = Format(ComponentString(krsSafeCallExceptionText),
                                  {className, message, int64_t(address), where, FComponent.Name(),
                                   std::string(FComponent.ClassName())});
  LocMsgWithTitleDlg(ComponentString(krsSafeCallExceptionTitle), text, mtError, mbOKOnly, 0);
}

void TKRProxyEventSink::Trace(const std::string& text, int32_t detail) {
  Report(OnTrace, text, detail);
}

void TKRProxyEventSink::LogError(const std::string& text, int32_t level) {
  Report(OnLogError, text, level);
}

void TKRProxyEventSink::Report(
    std::function<void(TComponent&, const std::string&, int32_t)>& handler, const std::string& text,
    int32_t detail) {
  if (!handler || !IsMainThread()) return;
  if (IsBeingDestroyed()) {
    handler = nullptr;
    return;
  }
  // A copy, so that a handler may replace or clear itself while it runs.
  const auto call = handler;
  call(FComponent, detail != 0 ? text + GetTraceDetails() : text, detail);
}

std::string TKRProxyEventSink::GetTraceDetails() const {
  std::string details = "\nComponent: " + std::string(FComponent.ClassName());
  if (!FComponent.Name().empty()) details += "\nName: " + FComponent.Name();
  details += GetExtraTraceDetails();
  if (const TComponent* owner = FComponent.Owner()) {
    details += "\nOwner: " + std::string(owner->ClassName());
  }
  return details;
}

void TKRProxyEventSink::ClearEventsWhenOwnerRemoved(TComponent* component, TOperation operation) {
  if (operation != opRemove || component == nullptr || component != FComponent.Owner()) return;
  OnSafeCallException = nullptr;
  OnTrace = nullptr;
  OnLogError = nullptr;
}

bool TKRProxyEventSink::IsBeingDestroyed() const {
  const TComponent* owner = FComponent.Owner();
  return (owner != nullptr ? *owner : FComponent).ComponentState().Contains(csDestroying);
}
