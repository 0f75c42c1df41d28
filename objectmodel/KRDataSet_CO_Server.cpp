#include "objectmodel/KRDataSet_CO_Server.h"

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Events.h"
#include "objectmodel/KRDataSet_CO_Events_Data.h"
#include "objectmodel/KRDataSet_CO_ProxyList.h"
#include "platform/text/Utf.h"

bool IsServerLostEvent(int32_t kind, int32_t code) {
  switch (kind) {
    case 1:
    case 2:
    case 4:
      return true;
    case 3:
      return code == KS_NOTICE_SHUTTING_DOWN || code == KS_NOTICE_SERVER_STOPPED;
    default:
      return false;
  }
}

void MarkServerLost(IKRServer* server) {
  if (server == nullptr) return;
  server->Set_HandleCanBeReleased(false);
  server->Set_Available(false);
  server->Disconnect();
}

TKRServerInterface::TKRServerInterface() : FSchemas(MakeComObject<TKRProxyList>()) {}

TKRServerInterface::~TKRServerInterface() {
  // A receiver that goes without removing its handlers still ends the
  // registration, so that no event is dispatched to it afterwards.
  if (IsGlobalEventReceiver()) {
    try {
      StopGlobalEventReception();
    } catch (...) {
    }
  }
}

std::u16string TKRServerInterface::Get_HostName() {
  return Guard([&] { return FHostName; });
}

void TKRServerInterface::Set_HostName(const std::u16string& hostName) {
  Guard([&] {
    if (hostName == FHostName) return;
    Disconnect();
    FHostName = hostName;
  });
}

std::u16string TKRServerInterface::Get_ServerName() {
  return Guard([&] { return FServerName; });
}

void TKRServerInterface::Set_ServerName(const std::u16string& serverName) {
  Guard([&] {
    if (serverName == FServerName) return;
    Disconnect();
    FServerName = serverName;
  });
}

ComPtr<IKRProxyList> TKRServerInterface::Get_Schemas() {
  return Guard([&] { return FSchemas; });
}

ComPtr<IKRStringList> TKRServerInterface::Get_SchemaNames() {
  return Guard([&] { return BorrowStrings(SchemaNameCache()); });
}

ComPtr<IKRStringList> TKRServerInterface::Get_SchemaVersions(const std::u16string& schemaName) {
  return Guard([&]() -> ComPtr<IKRStringList> {
    TKRSchemaNameCache* cache = SchemaNameCache();
    if (cache == nullptr) return nullptr;
    const int32_t index = FindSortedString(cache->List, Utf16ToUtf8(schemaName));
    if (index < 0) return nullptr;
    return BorrowStrings(&cache->Versions[size_t(index)], cache->UnknownSelf());
  });
}

bool TKRServerInterface::Get_Available() {
  return Guard([&] { return FAvailable; });
}

void TKRServerInterface::Set_Available(bool available) {
  Guard([&] { FAvailable = available; });
}

void TKRServerInterface::Close() {
  Guard([&] { KRAPI().KSCloseServer(Get_Handle()); });
}

bool TKRServerInterface::Get_HasDependents() {
  return Guard(
      [&] { return !IsProxyListEmpty(FSchemas.Get()) || TKRProxyInterface::Get_HasDependents(); });
}

void TKRServerInterface::RegisterEventHandler(IKRProxyEventHandler* handler) {
  Guard([&] {
    TKRProxyInterface::RegisterEventHandler(handler);
    if (GetDefaultSubscription().Active) return;
    ActivateDefaultSubscription(this);
    KRAPI().KSRegisterEventCallback(0, GlobalHandleAPIEventReception, nullptr);
  });
}

void TKRServerInterface::UnregisterEventHandler(IKRProxyEventHandler* handler) {
  Guard([&] {
    TKRProxyInterface::UnregisterEventHandler(handler);
    if (IsGlobalEventReceiver()) StopGlobalEventReception();
  });
}

void TKRServerInterface::HandleAPIEvent(OleVariant& data) {
  Guard([&] {
    TKRProxyInterface::HandleAPIEvent(data);
    TKREventData event(data);
    if (IsServerLostEvent(event.Kind(), event.Code())) event.SetDisconnects();
    if (event.Disconnects()) MarkServerLost(this);
    SendEvent(kKREventAPIEvent, data);
  });
}

void TKRServerInterface::AssignHandle() {
  if (!FAvailable) {
    FLastError = kKRServerNotAvailable;
    return;
  }
  const TKRAPITable& api = KRAPI();
  const TKRAPIString host = ConvertWideStringToAPIString(FHostName);
  FHandle = api.KSConnectServer(host, ConvertWideStringToAPIString(FServerName));
  if (FHandle == 0) {
    FLastError = api.KSGetLastConnectError();
  } else {
    api.KSServerSetUserData(FHandle, static_cast<IKRProxy*>(this));
  }
}

void TKRServerInterface::ReleaseHandle() { KRAPI().KSDisconnectServer(FHandle); }

void TKRServerInterface::DisconnectDependents() {
  TKRProxyInterface::DisconnectDependents();
  if (FSchemas) FSchemas->Disconnect();
}

void TKRServerInterface::ReleaseDependents() {
  TKRProxyInterface::ReleaseDependents();
  FSchemas.Reset();
}

void TKRServerInterface::AfterDisconnect() {
  TKRProxyInterface::AfterDisconnect();
  FSchemaNames.Reset();
}

TKRServerInterface::TKRSchemaNameCache* TKRServerInterface::SchemaNameCache() {
  if (!FSchemaNames && CheckConnected()) {
    const TKRAPITable& api = KRAPI();
    int32_t count = 0;
    const KSHandle* metas = api.KSGetAvailableMetas(FHandle, &count);
    auto cache = MakeComObject<TKRSchemaNameCache>();
    for (int32_t i = 0; metas != nullptr && i < count; ++i) {
      std::string name = ConvertAPIStringToString(api.KSGetMetaName(metas[i]));
      const size_t before = cache->List.size();
      const auto index = size_t(AddSortedString(cache->List, std::move(name)));
      if (cache->List.size() != before) {
        cache->Versions.insert(cache->Versions.begin() + std::ptrdiff_t(index), TKRStrings());
      }
      AddSortedString(cache->Versions[index],
                      ConvertAPIStringToString(api.KSGetMetaVersion(metas[i])));
    }
    FSchemaNames = cache;
  }
  return FSchemaNames.Get();
}

bool TKRServerInterface::IsGlobalEventReceiver() {
  const TKRSubscription& subscription = GetDefaultSubscription();
  return subscription.Active && subscription.Key == static_cast<IKRProxy*>(this);
}

void TKRServerInterface::StopGlobalEventReception() {
  KRAPI().KSRegisterEventCallback(0, nullptr, nullptr);
  DeactivateDefaultSubscription();
}
