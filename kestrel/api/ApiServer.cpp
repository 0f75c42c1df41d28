// Server connections, metas and DB services.
#include "kestrel/api/ApiState.h"
#include "kestrel/api/Remote.h"
#include "kestrel/api/LastErrors.h"
#include "kestrel/api/LocalHost.h"

#include <algorithm>

using namespace kestrel;
using namespace kestrel::api;

namespace {

// The running server of that name, started in this process on first use.
KSStatus ServerFor(const std::string& name, ServerPtr& server) {
  if (!IsPlainName(name)) return KS_ERR_NO_SUCH_SERVER;
  const std::string dir = ServerDirectory(KestrelHome(), name);
  State& s = GetState();
  const auto it = s.servers.find(dir);
  if (it != s.servers.end() && it->second->Running()) {
    server = it->second;
    return KS_OK;
  }
  const KSStatus status = Server::Open(dir, server);
  if (status == KS_OK) s.servers[dir] = server;
  return status;
}

Meta* MetaOf(KSHandle handle) { return GetState().metas.Get(handle); }

void ReleaseMeta(KSHandle handle) {
  State& s = GetState();
  std::unique_ptr<Meta> meta = s.metas.Remove(handle);
  if (!meta) return;
  if (Connection* c = s.connections.Get(meta->connection)) c->metas.erase(meta->schema.get());
}

KSHandle MetaHandle(KSHandle server, Connection& connection, const SchemaPtr& schema) {
  const auto it = connection.metas.find(schema.get());
  if (it != connection.metas.end()) return it->second;
  auto meta = std::make_unique<Meta>();
  meta->connection = server;
  meta->server = connection.server;
  meta->schema = schema;
  const KSHandle handle = GetState().metas.Add(std::move(meta));
  if (handle != 0) connection.metas[schema.get()] = handle;
  return handle;
}

}  // namespace

extern "C" {

KSHandle KSConnectServer(const char16_t* host, const char16_t* server) {
  // A daemon serving the host takes the connection; without one the server runs here.
  if (const auto remote = remote::ConnectServer(host, server)) return *remote;
  LastErrorOf(LastError::kConnect) = KS_ERR_INTERNAL;
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    LastErrorOf(LastError::kConnect) = KS_ERR_INVALID_ARGUMENT;
    if (host == nullptr || server == nullptr) return 0;
    if (!IsLocalHost(Narrow(host))) {
      LastErrorOf(LastError::kConnect) = KS_ERR_HOST_NOT_REACHABLE;
      return 0;
    }
    ServerPtr running;
    LastErrorOf(LastError::kConnect) = ServerFor(Narrow(server), running);
    if (LastErrorOf(LastError::kConnect) != KS_OK) return 0;
    auto connection = std::make_unique<Connection>();
    connection->server = running;
    const KSHandle handle = GetState().connections.Add(std::move(connection));
    LastErrorOf(LastError::kConnect) = handle != 0 ? KS_OK : KS_ERR_INTERNAL;
    return handle;
  });
}

KSStatus KSGetLastConnectError(void) { return LastErrorOf(LastError::kConnect); }

KSStatus KSDisconnectServer(KSHandle server) {
  KS_FORWARD_STATUS(KSDisconnectServer, server);
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    State& s = GetState();
    Connection* connection = s.connections.Get(server);
    if (connection == nullptr) return KS_ERR_INVALID_HANDLE;
    const auto metas = connection->metas;
    for (const auto& [schema, meta] : metas) ReleaseMeta(meta);
    s.events.Register(server, nullptr, nullptr, false);
    s.connections.Remove(server);
    return KS_OK;
  });
}

KSStatus KSCloseServer(KSHandle server) {
  KS_FORWARD_STATUS(KSCloseServer, server);
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    KSStatus status;
    Connection* connection = LiveConnection(server, status);
    if (connection == nullptr) return status;
    const ServerPtr closing = connection->server;
    State& s = GetState();
    const std::u16string name = ToUtf16(closing->Name());
    std::vector<KSHandle> connections;
    for (KSHandle h : s.connections.Handles())
      if (s.connections.Get(h)->server == closing) connections.push_back(h);
    for (KSHandle h : connections)
      Notify(h, KS_EVENT_SERVER_NOTICE, KS_NOTICE_SHUTTING_DOWN, {EventValue::Text(name)});
    Notify(0, KS_EVENT_SERVER_NOTICE, KS_NOTICE_SHUTTING_DOWN, {EventValue::Text(name)});
    status = closing->Close();
    for (KSHandle h : connections) Notify(h, KS_EVENT_SERVER_SHUTDOWN, 0, {EventValue::Text(name)});
    Notify(0, KS_EVENT_SERVER_SHUTDOWN, 0, {EventValue::Text(name)});
    for (KSHandle h : s.sessions.Handles())
      if (s.sessions.Get(h)->server == closing) Notify(h, KS_EVENT_CONNECTION_LOST, 0, {EventValue::Text(name)});
    return status;
  });
}

KSStatus KSServerSetUserData(KSHandle server, void* userData) {
  return SetUserData(GetState().connections, server, userData);
}

const KSHandle* KSGetAvailableMetas(KSHandle server, int32_t* count) {
  KS_FORWARD(KSGetAvailableMetas, server, count);
  if (count != nullptr) *count = 0;
  return Guard<const KSHandle*>(nullptr, [&]() -> const KSHandle* {
    KSStatus status;
    Connection* connection = LiveConnection(server, status);
    if (connection == nullptr || count == nullptr) return nullptr;
    std::vector<KSHandle> handles;
    for (const SchemaPtr& schema : connection->server->Metas())
      if (const KSHandle h = MetaHandle(server, *connection, schema)) handles.push_back(h);
    return connection->results.Handles(std::move(handles), count);
  });
}

const char16_t* KSGetMetaName(KSHandle meta) {
  KS_FORWARD(KSGetMetaName, meta);
  return Guard<const char16_t*>(nullptr, [&]() -> const char16_t* {
    Meta* m = MetaOf(meta);
    return m ? m->results.Text(ToUtf16(m->schema->name)) : nullptr;
  });
}

const char16_t* KSGetMetaVersion(KSHandle meta) {
  KS_FORWARD(KSGetMetaVersion, meta);
  return Guard<const char16_t*>(nullptr, [&]() -> const char16_t* {
    Meta* m = MetaOf(meta);
    return m ? m->results.Text(ToUtf16(m->schema->version)) : nullptr;
  });
}

KSHandle KSSearchMeta(KSHandle server, const char16_t* name, const char16_t* version) {
  KS_FORWARD(KSSearchMeta, server, name, version);
  return Guard<KSHandle>(0, [&]() -> KSHandle {
    KSStatus status;
    Connection* connection = LiveConnection(server, status);
    if (connection == nullptr) return 0;
    const SchemaPtr schema = connection->server->FindMeta(Narrow(name), Narrow(version));
    return schema ? MetaHandle(server, *connection, schema) : 0;
  });
}

KSStatus KSReleaseMeta(KSHandle meta) {
  KS_FORWARD_STATUS(KSReleaseMeta, meta);
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&] {
    if (MetaOf(meta) == nullptr) return KS_ERR_INVALID_HANDLE;
    ReleaseMeta(meta);
    return KS_OK;
  });
}

KSStatus KSMetaSetUserData(KSHandle meta, void* userData) {
  return SetUserData(GetState().metas, meta, userData);
}

const char16_t* const* KSGetAvailableServices(KSHandle server, KSHandle meta, int32_t* count,
                                              KSBool publicOnly) {
  KS_FORWARD(KSGetAvailableServices, server, meta, count, publicOnly);
  if (count != nullptr) *count = 0;
  return Guard<const char16_t* const*>(nullptr, [&]() -> const char16_t* const* {
    KSStatus status;
    Connection* connection = LiveConnection(server, status);
    Meta* m = MetaOf(meta);
    if (connection == nullptr || m == nullptr || m->server != connection->server || !count)
      return nullptr;
    std::vector<std::u16string> names;
    for (const ServiceDef& service : m->schema->services)
      if (publicOnly == 0 || service.isPublic) names.push_back(ToUtf16(service.name));
    std::sort(names.begin(), names.end());
    return m->results.Texts(std::move(names), count);
  });
}

}  // extern "C"
