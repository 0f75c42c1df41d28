#include "snapin/KRComponentData_Connections.h"

#include "platform/text/Locale.h"
#include "platform/text/Utf.h"

ComPtr<IKRServer> NewServerProxy(const TKRFolder* workstationFolder,
                                 const TKRFolder* serverFolder) {
  ComPtr<IKRServer> server = MakeComObject<TKRServerInterface>();
  const std::string host = workstationFolder != nullptr ? workstationFolder->ColumnText(0) : "";
  server->Set_HostName(Utf8ToUtf16(AnsiLowerCase(host)));
  server->Set_ServerName(Utf8ToUtf16(serverFolder != nullptr ? serverFolder->ColumnText(0) : ""));
  return server;
}

ComPtr<IKRSchema> NewSchemaProxy(IKRServer* server, const std::string& name,
                                 const std::string& version) {
  ComPtr<IKRSchema> schema = MakeComObject<TKRSchemaInterface>();
  schema->Set_Server(server);
  schema->Set_Name(Utf8ToUtf16(name));
  schema->Set_Version(Utf8ToUtf16(version));
  return schema;
}

TKRProxyDisconnector::~TKRProxyDisconnector() {
  for (auto it = FProxies.rbegin(); it != FProxies.rend(); ++it) {
    try {
      (*it)->Disconnect();
    } catch (const Exception&) {
      // A proxy that cannot disconnect is released with its last reference.
    }
  }
}
