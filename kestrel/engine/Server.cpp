#include "kestrel/engine/Server.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "kestrel/engine/Dump.h"
#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/Scenarios.h"
#include "kestrel/engine/SchemaReader.h"

namespace kestrel {

namespace {

std::vector<std::string> ListJsonFiles(const std::string& dir) {
  std::vector<std::string> files;
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return files;
  while (const dirent* entry = ::readdir(d)) {
    const std::string name = entry->d_name;
    if (name.size() > 5 && name[0] != '.' && name.compare(name.size() - 5, 5, ".json") == 0)
      files.push_back(dir + "/" + name);
  }
  ::closedir(d);
  std::sort(files.begin(), files.end());
  return files;
}

std::string Absolute(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

bool EndsWithDmp(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  return tail == ".dmp";
}

}  // namespace

KSStatus LoadDumpFile(const std::string& path, const Schema& schema, Store& store,
                      std::string* checksum, ClassMembers* members) {
  std::string bytes;
  switch (ReadDumpFile(path, bytes)) {
    case ReadOutcome::kOk: break;
    case ReadOutcome::kWrongKind:
    case ReadOutcome::kDamaged: return KS_ERR_DUMP_CORRUPT;
    default: return KS_ERR_FILE_NOT_FOUND;
  }
  try {
    store = DecodeDump(bytes, schema, members);
  } catch (const DumpSchemaMismatch&) {
    return KS_ERR_DUMP_SCHEMA;
  } catch (const DumpCorrupt&) {
    return KS_ERR_DUMP_CORRUPT;
  }
  if (checksum != nullptr) *checksum = DumpChecksum(bytes);
  return KS_OK;
}

KSStatus LoadDumpInto(const std::string& path, Database& db, std::string* checksum) {
  ClassMembers members;
  const KSStatus status = LoadDumpFile(path, db.GetSchema(), db.Data(), checksum, &members);
  if (status == KS_OK) db.Index().Adopt(std::move(members));
  return status;
}

KSStatus LoadOnlineDatabase(const OnlineEntry& entry, const SchemaPtr& schema, DatabasePtr& db,
                            std::string& problem) {
  auto loaded = std::make_shared<Database>(entry.name, schema, entry.archive);
  std::string checksum;
  if (const KSStatus status = LoadDumpInto(entry.archive, *loaded, &checksum); status != KS_OK)
    return status;
  // The rows are made from the dump alone, as in the life the journal continues.
  SyncScenarioRows(*loaded);
  if (!entry.journal.empty()) loaded->ReopenJournal(entry.journal, checksum, problem);
  db = std::move(loaded);
  return KS_OK;
}

std::string OnlineLoadFailure(const OnlineEntry& entry, KSStatus status) {
  std::string reason;
  switch (status) {
    case KS_ERR_NO_SUCH_META:
      reason = "schema " + entry.schema + " " + entry.version + " is not served";
      break;
    case KS_ERR_INVALID_NAME: reason = "the name is not a plain name or is used twice"; break;
    case KS_ERR_FILE_NOT_FOUND: reason = "the archive is missing or not a regular file"; break;
    case KS_ERR_DUMP_CORRUPT: reason = "the archive is truncated, corrupt or not a dump"; break;
    case KS_ERR_DUMP_SCHEMA: reason = "the archive belongs to another schema or version"; break;
    default: reason = "status " + std::to_string(status); break;
  }
  return entry.archive + ": database " + entry.name + " could not be brought online: " + reason;
}

KSStatus CheckOnlineArchive(const OnlineEntry& entry, const std::vector<SchemaPtr>& metas) {
  const bool served = std::any_of(metas.begin(), metas.end(), [&](const SchemaPtr& m) {
    return m->name == entry.schema && m->version == entry.version;
  });
  if (!served) return KS_ERR_NO_SUCH_META;
  std::string bytes;
  switch (ReadDumpFile(entry.archive, bytes)) {
    case ReadOutcome::kOk: break;
    case ReadOutcome::kWrongKind:
    case ReadOutcome::kDamaged: return KS_ERR_DUMP_CORRUPT;
    default: return KS_ERR_FILE_NOT_FOUND;
  }
  try {
    const DumpInfo info = ReadDumpInfo(bytes);
    if (info.schemaName != entry.schema || info.schemaVersion != entry.version)
      return KS_ERR_DUMP_SCHEMA;
  } catch (const DumpCorrupt&) {
    return KS_ERR_DUMP_CORRUPT;
  }
  return KS_OK;
}

void ReadMetas(const std::string& metasDir, std::vector<SchemaPtr>& metas,
               std::vector<std::string>& problems) {
  for (const std::string& file : ListJsonFiles(metasDir)) {
    try {
      SchemaPtr schema = ReadSchemaFile(file);
      const bool twice = std::any_of(metas.begin(), metas.end(), [&](const SchemaPtr& m) {
        return m->name == schema->name && m->version == schema->version;
      });
      if (twice) {
        problems.push_back(file + ": /: schema " + schema->name + " " + schema->version +
                           " is installed twice");
        continue;
      }
      metas.push_back(std::move(schema));
    } catch (const SchemaError& e) {
      problems.push_back(e.what());
    }
  }
  std::sort(metas.begin(), metas.end(), [](const SchemaPtr& a, const SchemaPtr& b) {
    return std::tie(a->name, a->version) < std::tie(b->name, b->version);
  });
}

KSStatus Server::Open(const std::string& dir, std::shared_ptr<Server>& server) {
  if (!FileExists(dir + "/server.json")) return KS_ERR_NO_SUCH_SERVER;
  std::shared_ptr<Server> s(new Server(dir, BaseName(dir)));
  bool busy = false;
  if (!s->lock_.Acquire(dir + "/.lock", busy))
    return busy ? KS_ERR_SERVER_IN_USE : KS_ERR_SERVER_STATE;
  // Holding the lock, this process alone writes here: what a killed writer left is debris.
  RemoveStaleTemporaryFiles(dir);
  RemoveStaleTemporaryFiles(dir + "/metas");
  RemoveStaleTemporaryFiles(dir + "/databases");
  ServerState state;
  std::string error;
  if (!ReadServerState(dir, state, error)) return KS_ERR_SERVER_STATE;
  if (!state.running) return KS_ERR_SERVER_NOT_RUNNING;
  ReadMetas(dir + "/metas", s->metas_, s->problems_);
  s->LoadOnlineDatabases(state);
  s->LogProblems();
  server = std::move(s);
  return KS_OK;
}

void Server::LoadOnlineDatabases(const ServerState& state) {
  for (const OnlineEntry& entry : state.databases) {
    const SchemaPtr schema = FindMeta(entry.schema, entry.version);
    DatabasePtr db;
    std::string problem;
    const KSStatus status = !schema ? KS_ERR_NO_SUCH_META
                            : !IsPlainName(entry.name) || online_.count(entry.name)
                                ? KS_ERR_INVALID_NAME
                                : LoadOnlineDatabase(entry, schema, db, problem);
    if (!problem.empty()) problems_.push_back(problem);
    if (status == KS_OK)
      online_.emplace(entry.name, std::move(db));
    else
      problems_.push_back(OnlineLoadFailure(entry, status));
  }
}

void Server::LogProblems() const {
  if (problems_.empty()) return;
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  ::gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ ", &utc);
  std::string lines;
  for (const std::string& problem : problems_) lines += stamp + problem + "\n";
  // The log is an aid: a server whose log cannot be written still serves.
  AppendToFile(dir_ + "/server.log", lines);
}

SchemaPtr Server::FindMeta(const std::string& name, const std::string& version) const {
  for (const SchemaPtr& schema : metas_)
    if (schema->name == name && schema->version == version) return schema;
  return nullptr;
}

DatabasePtr Server::FindDatabase(const std::string& name) const {
  const auto it = online_.find(name);
  return it == online_.end() ? nullptr : it->second;
}

std::vector<DatabasePtr> Server::DatabasesOf(const Schema& schema) const {
  std::vector<DatabasePtr> result;
  for (const auto& [name, db] : online_)
    if (&db->GetSchema() == &schema) result.push_back(db);
  return result;
}

std::string Server::ArchiveFor(const std::string& name) const {
  return dir_ + "/databases/" + name + ".dmp";
}

KSStatus Server::CheckNewName(const std::string& name) const {
  if (!IsPlainName(name)) return KS_ERR_INVALID_NAME;
  if (online_.count(name)) return KS_ERR_DATABASE_ONLINE;
  return KS_OK;
}

bool Server::WriteState() const {
  ServerState state;
  state.name = name_;
  state.running = running_;
  for (const auto& [name, db] : online_)
    state.databases.push_back({name, db->GetSchema().name, db->GetSchema().version,
                               db->ArchivePath(), db->JournalFile()});
  return WriteServerState(dir_, state);
}

KSStatus Server::Restore(const SchemaPtr& schema, const std::string& path, std::string& name) {
  std::string file = path;
  if (IsDirectory(path)) {
    name = BaseName(path);
    file = path;
    while (file.size() > 1 && file.back() == '/') file.pop_back();
    file += "/db.dmp";
  } else {
    if (!path.empty() && path.back() == '/') return KS_ERR_FILE_NOT_FOUND;
    name = BaseName(path);
    if (EndsWithDmp(name)) name.resize(name.size() - 4);
  }
  if (const KSStatus status = CheckNewName(name); status != KS_OK) return status;
  auto db = std::make_shared<Database>(name, schema, Absolute(file));
  if (const KSStatus status = LoadDumpInto(file, *db); status != KS_OK)
    return status;
  SyncScenarioRows(*db);
  online_.emplace(name, db);
  if (!WriteState()) {
    online_.erase(name);
    return KS_ERR_SERVER_STATE;
  }
  return KS_OK;
}

KSStatus Server::AddNew(const DatabasePtr& db) {
  if (const KSStatus status = CheckNewName(db->Name()); status != KS_OK) return status;
  if (FileExists(db->ArchivePath())) return KS_ERR_ARCHIVE_EXISTS;
  SyncScenarioRows(*db);
  if (!db->Save()) return KS_ERR_WRITE_FAILED;
  online_.emplace(db->Name(), db);
  if (!WriteState()) {
    online_.erase(db->Name());
    ::unlink(db->ArchivePath().c_str());
    return KS_ERR_SERVER_STATE;
  }
  return KS_OK;
}

KSStatus Server::CreateEmpty(const SchemaPtr& schema, const std::string& name) {
  if (const KSStatus status = CheckNewName(name); status != KS_OK) return status;
  return AddNew(Database::CreateEmpty(name, schema, ArchiveFor(name)));
}

KSStatus Server::Clone(const std::string& name, const std::string& newName) {
  const DatabasePtr source = FindDatabase(name);
  if (!source) return KS_ERR_NO_SUCH_DATABASE;
  if (const KSStatus status = CheckNewName(newName); status != KS_OK) return status;
  auto copy = std::make_shared<Database>(newName, source->SchemaRef(), ArchiveFor(newName));
  copy->Data() = source->Data();
  return AddNew(copy);
}

KSStatus Server::Save(const std::string& name) {
  const DatabasePtr db = FindDatabase(name);
  if (!db) return KS_ERR_NO_SUCH_DATABASE;
  if (db->Busy()) return KS_ERR_TRANSACTION_BUSY;
  return db->Save() ? KS_OK : KS_ERR_WRITE_FAILED;
}

KSStatus Server::EnableJournal(const std::string& name, const std::string& path) {
  const DatabasePtr db = FindDatabase(name);
  if (!db) return KS_ERR_NO_SUCH_DATABASE;
  if (path.empty()) return KS_ERR_INVALID_ARGUMENT;
  const std::string file = AbsolutePath(path);
  const std::string before = db->JournalFile();
  if (file == before) return KS_OK;
  if (const KSStatus status = db->EnableJournal(file); status != KS_OK) return status;
  if (WriteState()) return KS_OK;
  // A journal that the state file does not name would not be replayed after a crash.
  before.empty() ? db->DisableJournal() : db->EnableJournal(before);
  return KS_ERR_SERVER_STATE;
}

KSStatus Server::DisableJournal(const std::string& name) {
  const DatabasePtr db = FindDatabase(name);
  if (!db) return KS_ERR_NO_SUCH_DATABASE;
  const std::string before = db->JournalFile();
  if (before.empty()) return KS_OK;
  if (const KSStatus status = db->DisableJournal(); status != KS_OK) return status;
  if (WriteState()) return KS_OK;
  db->EnableJournal(before);
  return KS_ERR_SERVER_STATE;
}

KSStatus Server::TakeOffline(const std::string& name, bool save, bool always) {
  const DatabasePtr db = FindDatabase(name);
  if (!db) return KS_ERR_NO_SUCH_DATABASE;
  if (save && db->Busy()) return KS_ERR_TRANSACTION_BUSY;
  if (save && (always || db->Modified() || !FileExists(db->ArchivePath())) && !db->Save())
    return KS_ERR_WRITE_FAILED;
  online_.erase(name);
  if (!WriteState()) {
    online_.emplace(name, db);
    return KS_ERR_SERVER_STATE;
  }
  db->SetOffline();
  return KS_OK;
}

KSStatus Server::Close() {
  KSStatus status = KS_OK;
  for (const auto& [name, db] : online_)
    if (db->Modified() && !db->Save()) status = KS_ERR_WRITE_FAILED;
  running_ = false;
  if (!WriteState() && status == KS_OK) status = KS_ERR_SERVER_STATE;
  for (const auto& [name, db] : online_) db->SetOffline();
  online_.clear();
  lock_.Release();
  return status;
}

}  // namespace kestrel
