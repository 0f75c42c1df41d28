#include "dataset/KRDataSet_CMP_Defaults.h"

#include <functional>
#include <string>

#include "objectmodel/KRDataSet_CO_Session.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"
#include "platform/text/Utf.h"
#include "platform/win32/Registry.h"

namespace {

// The defaults made so far. Deliberately never destroyed: at exit the
// Database API and the event reception may be gone already, and releasing a
// proxy then would call into them.
struct TKRDefaultProxies {
  ComPtr<IKRServer> Server;
  ComPtr<IKRSchema> Schema;
  ComPtr<IKRDatabase> Database;
  ComPtr<IKRSession> Session;
  ComPtr<IKRTransaction> Transaction;
};

TKRDefaultProxies& Defaults() {
  static auto* const defaults = new TKRDefaultProxies;
  return *defaults;
}

std::string Reason(LONG code) {
  if (code == ERROR_BADDB || code == ERROR_READ_FAULT || code == ERROR_WRITE_FAULT) {
    return RegistryErrorText();
  }
  return "error " + std::to_string(code);
}

// The key of the defaults, created when missing, open for reading and
// writing while the object lives.
class TKRDefaultsKey {
 public:
  TKRDefaultsKey() {
    const LONG code = RegCreateKeyEx(HKEY_LOCAL_MACHINE, kKRDefaultsKey, &FKey);
    if (code != ERROR_SUCCESS) Fail("cannot be opened", "", code);
  }
  ~TKRDefaultsKey() { RegCloseKey(FKey); }
  TKRDefaultsKey(const TKRDefaultsKey&) = delete;
  TKRDefaultsKey& operator=(const TKRDefaultsKey&) = delete;

  // The value's text; empty when the value is missing.
  std::u16string Read(const char* name) const {
    std::string text;
    const LONG code = RegQueryValueEx(FKey, name, text);
    if (code == ERROR_FILE_NOT_FOUND) return {};
    if (code != ERROR_SUCCESS) Fail("cannot be read", name, code);
    return Utf8ToUtf16(text);
  }

  void Write(const char* name, const std::u16string& text) const {
    const LONG code = RegSetValueEx(FKey, name, Utf16ToUtf8(text));
    if (code != ERROR_SUCCESS) Fail("cannot be written", name, code);
  }

  // The value when it is not empty; otherwise `fallback()`, which is written
  // to the value, so that the registry shows what the default uses.
  std::u16string ReadOrWrite(const char* name,
                             const std::function<std::u16string()>& fallback) const {
    std::u16string text = Read(name);
    if (text.empty()) {
      text = fallback();
      Write(name, text);
    }
    return text;
  }

 private:
  [[noreturn]] static void Fail(const std::string& what, const std::string& name, LONG code) {
    std::string path = std::string("HKEY_LOCAL_MACHINE\\") + kKRDefaultsKey;
    if (!name.empty()) path += "\\" + name;
    throw EKRDefaultsError("The default connection value " + path + " " + what + ": " +
                           Reason(code));
  }

  HKEY FKey = nullptr;
};

// The first text of a list, empty for none or an empty list.
std::u16string FirstOf(IKRStringList* list) {
  return list != nullptr && list->Get_Count() > 0 ? list->Get_Strings(0) : std::u16string();
}

// The default in `slot`, made by `make` when missing; a failed make leaves
// the slot empty, so that the next request tries again.
template <class I, class Make>
ComPtr<I> Kept(ComPtr<I>& slot, Make make) {
  if (!slot) slot = make();
  return slot;
}

}  // namespace

ComPtr<IKRServer> GetDefaultServer() {
  return Kept(Defaults().Server, [] {
    ComPtr<IKRServer> server = MakeComObject<TKRServerInterface>();
    const TKRDefaultsKey key;
    server->Set_HostName(key.ReadOrWrite("HostName", [&] { return server->Get_HostName(); }));
    server->Set_ServerName(key.ReadOrWrite("ServerName", [&] { return server->Get_ServerName(); }));
    return server;
  });
}

ComPtr<IKRSchema> GetDefaultSchema() {
  return Kept(Defaults().Schema, [] {
    const ComPtr<IKRServer> server = GetDefaultServer();
    ComPtr<IKRSchema> schema = MakeComObject<TKRSchemaInterface>();
    schema->Set_Server(server.Get());
    const TKRDefaultsKey key;
    const std::u16string name =
        key.ReadOrWrite("SchemaName", [&] { return FirstOf(server->Get_SchemaNames().Get()); });
    schema->Set_Name(name);
    schema->Set_Version(key.ReadOrWrite(
        "SchemaVersion", [&] { return FirstOf(server->Get_SchemaVersions(name).Get()); }));
    return schema;
  });
}

ComPtr<IKRDatabase> GetDefaultDatabase() {
  return Kept(Defaults().Database, [] {
    const ComPtr<IKRSchema> schema = GetDefaultSchema();
    ComPtr<IKRDatabase> database = MakeComObject<TKRDatabaseInterface>();
    database->Set_Schema(schema.Get());
    const std::u16string name = FirstOf(schema->Get_DatabaseNames().Get());
    if (!name.empty()) database->Set_Name(name);
    return database;
  });
}

ComPtr<IKRSession> GetDefaultSession() {
  return Kept(Defaults().Session, [] {
    const ComPtr<IKRDatabase> database = GetDefaultDatabase();
    ComPtr<IKRSession> session = MakeComObject<TKRSessionInterface>();
    session->Set_Database(database.Get());
    const TKRDefaultsKey key;
    session->Set_UserName(key.Read("UserName"));
    session->Set_Password(key.Read("UserPassword"));
    return session;
  });
}

ComPtr<IKRTransaction> GetDefaultTransaction() {
  return Kept(Defaults().Transaction, [] {
    const ComPtr<IKRSession> session = GetDefaultSession();
    ComPtr<IKRTransaction> transaction = MakeComObject<TKRTransactionInterface>();
    transaction->Set_ParentTransaction(session->Get_RootTransaction().Get());
    return transaction;
  });
}

void ReleaseDefaultProxies() {
  TKRDefaultProxies& defaults = Defaults();
  defaults.Transaction.Reset();
  defaults.Session.Reset();
  defaults.Database.Reset();
  defaults.Schema.Reset();
  defaults.Server.Reset();
}

void SetupSchemaDefaults(IKRSchema* schema) {
  if (schema == nullptr) return;
  if (!schema->Get_Server()) schema->Set_Server(GetDefaultServer().Get());
}

void SetupDatabaseDefaults(IKRDatabase* database) {
  if (database == nullptr) return;
  if (!database->Get_Schema()) database->Set_Schema(GetDefaultSchema().Get());
  SetupSchemaDefaults(database->Get_Schema().Get());
}

void SetupSessionDefaults(IKRSession* session) {
  if (session == nullptr) return;
  if (!session->Get_Database()) session->Set_Database(GetDefaultDatabase().Get());
  SetupDatabaseDefaults(session->Get_Database().Get());
}

void SetupTransactionDefaults(IKRBaseTransaction* transaction) {
  if (transaction == nullptr) return;
  ComPtr<IKRBaseTransaction> top = transaction->Get_TopMostParentTransaction();
  if (const auto readWrite = ProxyAs<IKRReadWriteTransaction>(top.Get())) {
    readWrite->Set_ParentTransaction(GetDefaultSession()->Get_RootTransaction().Get());
    top = readWrite->Get_TopMostParentTransaction();
  }
  if (!top->Get_Session()) top->Set_Session(GetDefaultSession().Get());
  SetupSessionDefaults(top->Get_Session().Get());
}
