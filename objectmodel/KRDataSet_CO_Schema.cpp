#include "objectmodel/KRDataSet_CO_Schema.h"

#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_ProxyList.h"
#include "platform/text/Utf.h"

TKRSchemaInterface::TKRSchemaInterface() : FDatabases(MakeComObject<TKRProxyList>()) {}

ComPtr<IKRServer> TKRSchemaInterface::Get_Server() {
  return Guard([&] { return ProxyAs<IKRServer>(FParent.Get()); });
}

void TKRSchemaInterface::Set_Server(IKRServer* server) {
  SetParentAndJoin(server, &IKRServer::Get_Schemas);
}

std::u16string TKRSchemaInterface::Get_Name() {
  return Guard([&] { return FName; });
}

void TKRSchemaInterface::Set_Name(const std::u16string& name) {
  Guard([&] {
    if (name == FName) return;
    Disconnect();
    FName = name;
  });
}

std::u16string TKRSchemaInterface::Get_Version() {
  return Guard([&] { return FVersion; });
}

void TKRSchemaInterface::Set_Version(const std::u16string& version) {
  Guard([&] {
    if (version == FVersion) return;
    Disconnect();
    FVersion = version;
  });
}

ComPtr<IKRProxyList> TKRSchemaInterface::Get_Databases() {
  return Guard([&] { return FDatabases; });
}

ComPtr<IKRStringList> TKRSchemaInterface::Get_DBServiceNames() {
  return Guard([&] { return BorrowStrings(ServiceNameCache()); });
}

bool TKRSchemaInterface::IsDBServicePrivate(const std::u16string& name) {
  return Guard([&] {
    const int32_t index = GetDBServiceIndex(name);
    return index >= 0 && !FDBServiceNames->Public[size_t(index)];
  });
}

ComPtr<IKRStringList> TKRSchemaInterface::Get_DatabaseNames() {
  return Guard([&]() -> ComPtr<IKRStringList> {
    if (!CheckConnected()) return nullptr;
    int32_t count = 0;
    const auto* names =
        KRAPI().KSGetAvailableDatabases(Get_Server()->Get_Handle(), FHandle, &count);
    return OwnStrings(SortedAPIStrings(count, names));
  });
}

bool TKRSchemaInterface::IsDBServiceNameValid(const std::u16string& name) {
  return Guard([&] { return GetDBServiceIndex(name) != -1; });
}

bool TKRSchemaInterface::Get_HasDependents() {
  return Guard([&] {
    return !IsProxyListEmpty(FDatabases.Get()) || TKRProxyInterface::Get_HasDependents();
  });
}

void TKRSchemaInterface::AssignHandle() {
  const ComPtr<IKRServer> server = Get_Server();
  if (!server || !server->CheckConnected()) return;
  const TKRAPITable& api = KRAPI();
  FHandle = api.KSSearchMeta(server->Get_Handle(), ConvertWideStringToAPIString(FName),
                             ConvertWideStringToAPIString(FVersion));
  if (FHandle != 0) api.KSMetaSetUserData(FHandle, static_cast<IKRProxy*>(this));
}

void TKRSchemaInterface::ReleaseHandle() { KRAPI().KSReleaseMeta(FHandle); }

void TKRSchemaInterface::DisconnectDependents() {
  TKRProxyInterface::DisconnectDependents();
  if (FDatabases) FDatabases->Disconnect();
}

void TKRSchemaInterface::ReleaseDependents() {
  TKRProxyInterface::ReleaseDependents();
  FDatabases.Reset();
}

void TKRSchemaInterface::AfterDisconnect() {
  TKRProxyInterface::AfterDisconnect();
  FDBServiceNames.Reset();
}

TKRSchemaInterface::TKRServiceNameCache* TKRSchemaInterface::ServiceNameCache() {
  if (!FDBServiceNames && CheckConnected()) {
    const TKRAPITable& api = KRAPI();
    const KSHandle server = Get_Server()->Get_Handle();
    auto cache = MakeComObject<TKRServiceNameCache>();
    int32_t count = 0;
    const auto* all = api.KSGetAvailableServices(server, FHandle, &count, 0);
    cache->List = SortedAPIStrings(count, all);
    cache->Public.assign(cache->List.size(), false);
    const auto* publicOnly = api.KSGetAvailableServices(server, FHandle, &count, 1);
    const TKRStrings publicNames = APIStrings(count, publicOnly);
    for (const std::string& name : publicNames) {
      const int32_t index = FindSortedString(cache->List, name);
      if (index < 0) {
        throw EKRSchemaError("The public DB service \"" + name +
                             "\" is missing from the schema's DB services");
      }
      cache->Public[size_t(index)] = true;
    }
    FDBServiceNames = cache;
  }
  return FDBServiceNames.Get();
}

int32_t TKRSchemaInterface::GetDBServiceIndex(const std::u16string& name) {
  TKRServiceNameCache* cache = ServiceNameCache();
  return cache != nullptr ? FindSortedString(cache->List, Utf16ToUtf8(name)) : -1;
}
