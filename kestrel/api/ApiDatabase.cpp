// Operations on whole databases of a server.
#include "kestrel/api/ApiState.h"
#include "kestrel/api/Remote.h"
#include "kestrel/engine/AsciiFormat.h"
#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/Integrity.h"
#include "kestrel/engine/SqliteImport.h"

using namespace kestrel;
using namespace kestrel::api;

namespace {

// Runs `body` with the live connection of `server`, answering the connection's status when
// there is none.
template <typename F>
KSStatus WithServer(KSHandle server, F&& body) {
  return Guard<KSStatus>(KS_ERR_INTERNAL, [&]() -> KSStatus {
    KSStatus status;
    Connection* connection = LiveConnection(server, status);
    return connection ? body(*connection) : status;
  });
}

// The meta handle's schema when it belongs to the connection's server.
SchemaPtr SchemaOf(const Connection& connection, KSHandle meta) {
  Meta* m = GetState().metas.Get(meta);
  return m && m->server == connection.server ? m->schema : nullptr;
}

bool IsLanguageCode(const std::string& code) {
  if (code.size() != 3) return false;
  for (const char c : code)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  return true;
}

// Tells every connection of the server and the global callback that the set of online
// databases changed.
void DatabasesChanged(const ServerPtr& server, const std::string& name) {
  State& s = GetState();
  for (KSHandle h : s.connections.Handles())
    if (s.connections.Get(h)->server == server)
      Notify(h, KS_EVENT_SERVER_NOTICE, KS_NOTICE_DATABASES_CHANGED, {EventValue::Text(ToUtf16(name))});
  Notify(0, KS_EVENT_SERVER_NOTICE, KS_NOTICE_DATABASES_CHANGED, {EventValue::Text(ToUtf16(name))});
}

void NotifySessionsOf(const DatabasePtr& db, int32_t kind, const std::string& text) {
  State& s = GetState();
  for (KSHandle h : s.sessions.Handles())
    if (s.sessions.Get(h)->db == db) Notify(h, kind, 0, {EventValue::Text(ToUtf16(text))});
}

KSStatus Offline(Connection& connection, const std::string& name, bool save, bool always) {
  const DatabasePtr db = connection.server->FindDatabase(name);
  const KSStatus status = connection.server->TakeOffline(name, save, always);
  if (status != KS_OK) return status;
  NotifySessionsOf(db, KS_EVENT_DATABASE_OFFLINE, name);
  DatabasesChanged(connection.server, name);
  return KS_OK;
}

// Brings a new database online through `create` and announces it.
template <typename F>
KSStatus AddDatabase(Connection& connection, const std::string& name, F&& create) {
  const KSStatus status = create();
  if (status == KS_OK) DatabasesChanged(connection.server, name);
  return status;
}

}  // namespace

extern "C" {

const char16_t* const* KSGetAvailableDatabases(KSHandle server, KSHandle meta, int32_t* count) {
  KS_FORWARD(KSGetAvailableDatabases, server, meta, count);
  if (count != nullptr) *count = 0;
  return Guard<const char16_t* const*>(nullptr, [&]() -> const char16_t* const* {
    KSStatus status;
    Connection* connection = LiveConnection(server, status);
    const SchemaPtr schema = connection ? SchemaOf(*connection, meta) : nullptr;
    if (!schema || count == nullptr) return nullptr;
    std::vector<std::u16string> names;
    for (const DatabasePtr& db : connection->server->DatabasesOf(*schema))
      names.push_back(ToUtf16(db->Name()));
    return GetState().metas.Get(meta)->results.Texts(std::move(names), count);
  });
}

KSStatus KSRestoreDBFromArchive(KSHandle server, KSHandle meta, const char16_t* path) {
  KS_FORWARD_STATUS(KSRestoreDBFromArchive, server, meta, path);
  return WithServer(server, [&](Connection& c) -> KSStatus {
    const SchemaPtr schema = SchemaOf(c, meta);
    if (!schema) return KS_ERR_INVALID_HANDLE;
    if (path == nullptr || *path == 0) return KS_ERR_INVALID_ARGUMENT;
    std::string name;
    const KSStatus status = c.server->Restore(schema, Narrow(path), name);
    if (status == KS_OK) DatabasesChanged(c.server, name);
    return status;
  });
}

KSStatus KSSaveDB(KSHandle server, const char16_t* name) {
  KS_FORWARD_STATUS(KSSaveDB, server, name);
  return WithServer(server, [&](Connection& c) -> KSStatus {
    const DatabasePtr db = c.server->FindDatabase(Narrow(name));
    const KSStatus status = c.server->Save(Narrow(name));
    if (status == KS_OK) NotifySessionsOf(db, KS_EVENT_SESSION_MESSAGE, db->ArchivePath());
    return status;
  });
}

KSStatus KSShutdownDB(KSHandle server, const char16_t* name) {
  KS_FORWARD_STATUS(KSShutdownDB, server, name);
  return WithServer(server, [&](Connection& c) { return Offline(c, Narrow(name), true, false); });
}

KSStatus KSShutdownDBEx(KSHandle server, const char16_t* name, int32_t option, KSBool flag) {
  KS_FORWARD_STATUS(KSShutdownDBEx, server, name, option, flag);
  return WithServer(server, [&](Connection& c) -> KSStatus {
    if (option != 0 && option != 1) return KS_ERR_INVALID_ARGUMENT;
    return Offline(c, Narrow(name), option == 0, flag != 0);
  });
}

KSStatus KSDestroyDB(KSHandle server, const char16_t* name) {
  KS_FORWARD_STATUS(KSDestroyDB, server, name);
  return WithServer(server, [&](Connection& c) { return Offline(c, Narrow(name), false, false); });
}

KSStatus KSCreateEmptyDB(KSHandle server, KSHandle meta, const char16_t* name,
                         const char16_t* language) {
  KS_FORWARD_STATUS(KSCreateEmptyDB, server, meta, name, language);
  return WithServer(server, [&](Connection& c) -> KSStatus {
    const SchemaPtr schema = SchemaOf(c, meta);
    if (!schema) return KS_ERR_INVALID_HANDLE;
    const std::string dbName = Narrow(name);
    if (const KSStatus status = c.server->CheckNewName(dbName); status != KS_OK) return status;
    if (!IsLanguageCode(Narrow(language))) return KS_ERR_INVALID_LANGUAGE;
    return AddDatabase(c, dbName, [&] { return c.server->CreateEmpty(schema, dbName); });
  });
}

KSStatus KSCloneDB(KSHandle server, const char16_t* name, const char16_t* newName) {
  KS_FORWARD_STATUS(KSCloneDB, server, name, newName);
  return WithServer(server, [&](Connection& c) {
    return AddDatabase(c, Narrow(newName),
                       [&] { return c.server->Clone(Narrow(name), Narrow(newName)); });
  });
}

KSStatus KSSaveDBToAsciiFile(KSHandle server, const char16_t* name, const char16_t* file) {
  KS_FORWARD_STATUS(KSSaveDBToAsciiFile, server, name, file);
  return WithServer(server, [&](Connection& c) -> KSStatus {
    const DatabasePtr db = c.server->FindDatabase(Narrow(name));
    if (!db) return KS_ERR_NO_SUCH_DATABASE;
    if (file == nullptr || *file == 0) return KS_ERR_INVALID_ARGUMENT;
    return WriteFileAtomically(Narrow(file), WriteAscii(db->GetSchema(), db->Committed()))
               ? KS_OK
               : KS_ERR_WRITE_FAILED;
  });
}

KSStatus KSCreateDBFromAsciiFile(KSHandle server, KSHandle meta, const char16_t* name,
                                 const char16_t* file) {
  KS_FORWARD_STATUS(KSCreateDBFromAsciiFile, server, meta, name, file);
  return WithServer(server, [&](Connection& c) -> KSStatus {
    const SchemaPtr schema = SchemaOf(c, meta);
    if (!schema) return KS_ERR_INVALID_HANDLE;
    const std::string dbName = Narrow(name);
    if (const KSStatus status = c.server->CheckNewName(dbName); status != KS_OK) return status;
    std::string text;
    if (!FileExists(Narrow(file)) || !ReadWholeFile(Narrow(file), text))
      return KS_ERR_FILE_NOT_FOUND;
    auto db = std::make_shared<Database>(dbName, schema, c.server->ArchiveFor(dbName));
    ClassMembers members;
    try {
      db->Data() = ReadAscii(text, *schema, &members);
    } catch (const AsciiFormatError&) {
      return KS_ERR_ASCII_FORMAT;
    }
    db->Index().Adopt(std::move(members));
    // A text without users would give a database nobody can log on to.
    if (!db->HasUsers()) db->AddUser(u"system", "", true);
    return AddDatabase(c, dbName, [&] { return c.server->AddNew(db); });
  });
}

KSStatus KSCreateDBFromRDBMS(KSHandle server, KSHandle meta, const char16_t* second,
                             const char16_t* first, const char16_t* name) {
  KS_FORWARD_STATUS(KSCreateDBFromRDBMS, server, meta, second, first, name);
  return WithServer(server, [&](Connection& c) -> KSStatus {
    const SchemaPtr schema = SchemaOf(c, meta);
    if (!schema) return KS_ERR_INVALID_HANDLE;
    const std::string dbName = Narrow(name);
    if (const KSStatus status = c.server->CheckNewName(dbName); status != KS_OK) return status;
    const std::string archive = c.server->ArchiveFor(dbName);
    if (FileExists(archive)) return KS_ERR_ARCHIVE_EXISTS;
    const std::string report = second != nullptr && *second != 0 ? AbsolutePath(Narrow(second)) : "";
    DatabasePtr db;
    ImportReport imported;
    if (const KSStatus status =
            CreateFromSqlite(AbsolutePath(Narrow(first)), dbName, schema, archive, report, db, imported);
        status != KS_OK)
      return status;
    return AddDatabase(c, dbName, [&] { return c.server->AddNew(db); });
  });
}

KSStatus KSEnableJournal(KSHandle server, const char16_t* name, const char16_t* file) {
  KS_FORWARD_STATUS(KSEnableJournal, server, name, file);
  return WithServer(server, [&](Connection& c) {
    return c.server->EnableJournal(Narrow(name), Narrow(file));
  });
}

KSStatus KSDisableJournal(KSHandle server, const char16_t* name, const char16_t* file) {
  KS_FORWARD_STATUS(KSDisableJournal, server, name, file);
  return WithServer(server, [&](Connection& c) { return c.server->DisableJournal(Narrow(name)); });
}

int32_t KSGetDBMemoryUsage(KSHandle server, const char16_t* name) {
  KS_FORWARD(KSGetDBMemoryUsage, server, name);
  return Guard<int32_t>(0, [&]() -> int32_t {
    KSStatus status;
    Connection* connection = LiveConnection(server, status);
    const DatabasePtr db = connection ? connection->server->FindDatabase(Narrow(name)) : nullptr;
    if (!db) return 0;
    const size_t bytes = db->Committed().MemoryUsage();
    return bytes > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bytes);
  });
}

const char16_t* KSCheckDatabaseIntegrity(KSHandle server, const char16_t* name, int32_t level) {
  KS_FORWARD(KSCheckDatabaseIntegrity, server, name, level);
  return Guard<const char16_t*>(nullptr, [&]() -> const char16_t* {
    KSStatus status;
    Connection* connection = LiveConnection(server, status);
    const DatabasePtr db = connection ? connection->server->FindDatabase(Narrow(name)) : nullptr;
    if (!db || (level != 0 && level != -1)) return nullptr;
    std::string report;
    for (const std::string& line : CheckIntegrity(*db, level == -1)) report += line + "\n";
    return connection->results.Text(ToUtf16(report));
  });
}

const char16_t* const* KSGetAvailableTransactions(KSHandle server, const char16_t* name,
                                                  KSBool rootOnly, int32_t* count) {
  KS_FORWARD(KSGetAvailableTransactions, server, name, rootOnly, count);
  if (count != nullptr) *count = 0;
  return Guard<const char16_t* const*>(nullptr, [&]() -> const char16_t* const* {
    KSStatus status;
    Connection* connection = LiveConnection(server, status);
    const DatabasePtr db = connection ? connection->server->FindDatabase(Narrow(name)) : nullptr;
    if (!db || count == nullptr) return nullptr;
    std::vector<std::u16string> names{u"Root"};
    for (const PersistentTransaction& t : db->Committed().transactions)
      if (rootOnly == 0 || t.parent.empty()) names.push_back(ToUtf16(t.name));
    return connection->results.Texts(std::move(names), count);
  });
}

}  // extern "C"
