#include "dialogs/KRLoadDBIntoSvr_DLG_Schemas.h"

#include "objectmodel/KRDataSet_CO_Server.h"
#include "platform/text/Utf.h"

namespace {

// Asks `ask` of a fresh proxy of the server once it is connected. The
// proxy's last reference goes on return, which disconnects it.
template <class Ask>
TKRServerAnswer AskServer(const std::string& hostName, const std::string& serverName, Ask ask) {
  try {
    const ComPtr<IKRServer> server = MakeComObject<TKRServerInterface>();
    server->Set_HostName(Utf8ToUtf16(hostName));
    server->Set_ServerName(Utf8ToUtf16(serverName));
    if (!server->CheckConnected()) return std::nullopt;
    const ComPtr<IKRStringList> list = ask(*server);
    std::vector<std::string> texts;
    const int32_t count = list ? list->Get_Count() : 0;
    for (int32_t i = 0; i < count; ++i) texts.push_back(Utf16ToUtf8(list->Get_Strings(i)));
    return texts;
  } catch (const Exception&) {
    return std::nullopt;
  }
}

}  // namespace

TKRServerAnswer TKRServerProxySchemaSource::SchemaNames(const std::string& hostName,
                                                        const std::string& serverName) {
  return AskServer(hostName, serverName,
                   [](IKRServer& server) { return server.Get_SchemaNames(); });
}

TKRServerAnswer TKRServerProxySchemaSource::SchemaVersions(const std::string& hostName,
                                                           const std::string& serverName,
                                                           const std::string& schemaName) {
  return AskServer(hostName, serverName, [&schemaName](IKRServer& server) {
    return server.Get_SchemaVersions(Utf8ToUtf16(schemaName));
  });
}
