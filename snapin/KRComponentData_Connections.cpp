// The component data's connection chain: servers, schemas, databases and
// sessions named by the node tree, the logon, shutting a server down, and
// loading a dump into a server.

#include "snapin/KRComponentData_Connections.h"

#include <algorithm>

#include "dialogs/KRLogon_DLG.h"
#include "platform/text/Locale.h"
#include "platform/text/SysUtils.h"
#include "platform/text/Utf.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRComponentData_Commands.h"
#include "snapin/KRStrings.h"

namespace {

// The proxy when it is there and connected (connecting it when needed),
// else none.
template <class T>
ComPtr<T> IfConnected(ComPtr<T> proxy) {
  if (proxy && proxy->CheckConnected()) return proxy;
  return nullptr;
}

// The first text of a list, or false for no list or an empty one.
bool FirstString(IKRStringList* list, std::u16string& text) {
  if (list == nullptr || list->Get_Count() == 0) return false;
  text = list->Get_Strings(0);
  return true;
}

}  // namespace

ComPtr<IKRServer> NewServerProxy(const std::string& hostName, const std::string& serverName) {
  ComPtr<IKRServer> server = MakeComObject<TKRServerInterface>();
  server->Set_HostName(Utf8ToUtf16(AnsiLowerCase(hostName)));
  server->Set_ServerName(Utf8ToUtf16(serverName));
  return server;
}

ComPtr<IKRServer> NewServerProxy(const TKRFolder* workstationFolder,
                                 const TKRFolder* serverFolder) {
  return NewServerProxy(workstationFolder != nullptr ? workstationFolder->ColumnText(0) : "",
                        serverFolder != nullptr ? serverFolder->ColumnText(0) : "");
}

ComPtr<IKRSchema> NewSchemaProxy(IKRServer* server, const std::string& name,
                                 const std::string& version) {
  ComPtr<IKRSchema> schema = MakeComObject<TKRSchemaInterface>();
  schema->Set_Server(server);
  schema->Set_Name(Utf8ToUtf16(name));
  schema->Set_Version(Utf8ToUtf16(version));
  return schema;
}

void GetUserAndHost(const std::string& text, std::string& host, std::string& user) {
  host.clear();
  const size_t open = text.find('(');
  if (open == std::string::npos) {
    user = text;
    return;
  }
  std::string_view rest = std::string_view(text).substr(open + 1);
  if (!rest.empty() && rest.back() == ')') rest.remove_suffix(1);
  host = Trim(rest);
  user = Trim(std::string_view(text).substr(0, open));
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

ComPtr<IKRServer> TKRComponentData::OpenServer(const std::string& hostName,
                                               const std::string& serverName) {
  return IfConnected(NewServerProxy(hostName, serverName));
}

ComPtr<IKRSchema> TKRComponentData::OpenSchema(const std::string& hostName,
                                               const std::string& serverName,
                                               const std::string& schemaName,
                                               const std::string& schemaVersion) {
  const ComPtr<IKRServer> server = OpenServer(hostName, serverName);
  if (!server) return nullptr;
  ComPtr<IKRSchema> schema = MakeComObject<TKRSchemaInterface>();
  schema->Set_Server(server.Get());
  if (!schemaName.empty() && !schemaVersion.empty()) {
    schema->Set_Name(Utf8ToUtf16(schemaName));
    schema->Set_Version(Utf8ToUtf16(schemaVersion));
  } else {
    // A server without schemas (or a schema without versions) has no first
    // schema to take: nothing can be reached.
    std::u16string name, version;
    if (!FirstString(server->Get_SchemaNames().Get(), name) ||
        !FirstString(server->Get_SchemaVersions(name).Get(), version)) {
      return nullptr;
    }
    schema->Set_Name(name);
    schema->Set_Version(version);
  }
  return IfConnected(std::move(schema));
}

ComPtr<IKRDatabase> TKRComponentData::OpenDatabase(const std::string& hostName,
                                                   const std::string& serverName,
                                                   const std::string& schemaName,
                                                   const std::string& schemaVersion,
                                                   const std::string& databaseName) {
  const ComPtr<IKRSchema> schema = OpenSchema(hostName, serverName, schemaName, schemaVersion);
  if (!schema) return nullptr;
  ComPtr<IKRDatabase> database = MakeComObject<TKRDatabaseInterface>();
  database->Set_Schema(schema.Get());
  database->Set_Name(Utf8ToUtf16(databaseName));
  return IfConnected(std::move(database));
}

ComPtr<IKRSession> TKRComponentData::OpenSession(const std::string& hostName,
                                                 const std::string& serverName,
                                                 const std::string& schemaName,
                                                 const std::string& schemaVersion,
                                                 const std::string& databaseName,
                                                 std::string& userName, std::string& password) {
  const ComPtr<IKRDatabase> database =
      OpenDatabase(hostName, serverName, schemaName, schemaVersion, databaseName);
  if (!database) return nullptr;
  ComPtr<IKRSession> session = MakeComObject<TKRSessionInterface>();
  session->Set_Database(database.Get());
  session->Set_UserName(Utf8ToUtf16(userName));
  session->Set_Password(Utf8ToUtf16(password));
  bool connected = session->CheckConnected();
  if (!connected) {
    TKRLogonDialog logon;
    logon.SetUsername(userName);
    if (logon.ShowModal() != mrOk) throw KRLogonCancelException("");
    session->Set_UserName(Utf8ToUtf16(logon.Username()));
    session->Set_Password(Utf8ToUtf16(logon.Password()));
    connected = session->CheckConnected();
  }
  if (!connected) return nullptr;
  userName = Utf16ToUtf8(session->Get_UserName());
  password = Utf16ToUtf8(session->Get_Password());
  return session;
}

ComPtr<IKRSession> TKRComponentData::OpenDatabaseSession(TKRFolder& node,
                                                         bool failureMeansNoSession) {
  TKRFolder* databaseFolder =
      node.FolderType() == krftServerDB ? &node : node.SearchParentFolderByType(krftServerDB);
  if (databaseFolder == nullptr) return nullptr;
  const TKRNodeNames names = NodeNamesOf(*databaseFolder);
  const std::string code = databaseFolder->GetUniqueCode();
  std::string user, password;
  PasswordContainer().FindUserPassword(user, password, code);
  ComPtr<IKRSession> session;
  try {
    session = OpenSession(names.host, names.server, names.schemaName, names.schemaVersion,
                          names.database, user, password);
  } catch (const Exception&) {
    if (!failureMeansNoSession) throw;
  }
  if (!session) {
    ShowSnapinMessage(krsUnableToConnectDatabase, names.database);
    return nullptr;
  }
  PasswordContainer().AddEntry(user, password, code);
  return session;
}

bool TKRComponentData::CloseServer(TKRFolder& serverFolder) {
  if (serverFolder.FolderType() != krftServer) return false;
  bool reached = false;
  {
    const ComPtr<IKRServer> server =
        NewServerProxy(serverFolder.SearchForParentComputer(), &serverFolder);
    TKRProxyDisconnector disconnect{{server.Get()}};
    reached = server->CheckConnected();
    if (reached) server->Close();
  }
  serverFolder.SetDirty(false);
  RemoveChildFolders(serverFolder);
  serverFolder.DeleteItems();
  serverFolder.SetDirty(true);
  return reached;
}

std::string TKRComponentData::LoadDBIntoServer(TKRFolder& serverFolder,
                                               const std::string& schemaName,
                                               const std::string& schemaVersion,
                                               const TKRResultData& item, std::string* refusal) {
  const TKRFolder* group = item.Parent();
  if (serverFolder.FolderType() != krftServer || group == nullptr) return {};
  const ComPtr<IKRServer> server =
      NewServerProxy(serverFolder.SearchForParentComputer(), &serverFolder);
  TKRProxyDisconnector disconnect{{server.Get()}};
  if (!server->CheckConnected()) {
    ShowSnapinMessage(krsUnableToConnect);
    return {};
  }
  const ComPtr<IKRSchema> schema = NewSchemaProxy(server.Get(), schemaName, schemaVersion);
  disconnect.Add(schema.Get());
  if (!schema->CheckConnected()) return {};
  // A dump in a subdirectory is named by the directory with its trailing '/'.
  const std::string dump =
      group->ColumnText(2) + "/" + (item.Columns().empty() ? "" : item.Columns()[0]);
  const ComPtr<IKRDatabase> database = MakeComObject<TKRDatabaseInterface>();
  database->Set_Schema(schema.Get());
  database->Set_Name(Utf8ToUtf16(dump));
  disconnect.Add(database.Get());
  // The server names the database and does not report a refused dump, so
  // what was loaded is what the schema lists now and did not list before.
  std::vector<std::u16string> before;
  ForEachString(schema->Get_DatabaseNames().Get(),
                [&](const std::u16string& name) { before.push_back(name); });
  database->Load();
  std::string added;
  ForEachString(schema->Get_DatabaseNames().Get(), [&](const std::u16string& name) {
    if (added.empty() && std::find(before.begin(), before.end(), name) == before.end()) {
      added = Utf16ToUtf8(name);
    }
  });
  if (const int32_t status = database->Get_LastError(); added.empty() && status != 0 && refusal) {
    *refusal = Utf16ToUtf8(GetAPIStatusText(status));
  }
  return added;
}

TKRPasswordContainer& TKRComponentData::PasswordContainer() {
  if (!FPasswordContainer) FPasswordContainer = std::make_unique<TKRPasswordContainer>();
  return *FPasswordContainer;
}
