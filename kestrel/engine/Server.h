// A local server served by this process: its lock, schemas (metas) and online databases.
// Every operation answers a status code of the Database API (KS_OK or an error) and leaves the
// server unchanged when it fails. The server's state file is rewritten whenever the set of
// online databases changes, so that the next process serving it brings the same databases
// online from their archives.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kestrel/engine/Database.h"
#include "kestrel/engine/LockFile.h"
#include "kestrel/engine/Schema.h"
#include "kestrel/engine/ServerState.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel {

class Server {
 public:
  // Starts serving `dir` in this process: KS_ERR_NO_SUCH_SERVER (no server.json),
  // KS_ERR_SERVER_STATE (unreadable), KS_ERR_SERVER_IN_USE (locked by another process),
  // KS_ERR_SERVER_NOT_RUNNING (stopped). Temporary files left by killed writers are removed;
  // every problem of the opening (Problems()) is appended to the server's log, server.log.
  static KSStatus Open(const std::string& dir, std::shared_ptr<Server>& server);

  const std::string& Name() const { return name_; }
  const std::string& Directory() const { return dir_; }
  bool Running() const { return running_; }

  const std::vector<SchemaPtr>& Metas() const { return metas_; }  // sorted by name, version
  // "file: position: reason" of every schema file that is not served, and of every online
  // database that could not be brought back.
  const std::vector<std::string>& Problems() const { return problems_; }
  SchemaPtr FindMeta(const std::string& name, const std::string& version) const;

  DatabasePtr FindDatabase(const std::string& name) const;
  std::vector<DatabasePtr> DatabasesOf(const Schema& schema) const;  // sorted by name

  KSStatus Restore(const SchemaPtr& schema, const std::string& path, std::string& name);
  KSStatus CreateEmpty(const SchemaPtr& schema, const std::string& name);
  KSStatus Clone(const std::string& name, const std::string& newName);
  // Brings a prepared database online with a new archive under databases/ (written at once).
  KSStatus AddNew(const DatabasePtr& db);
  // KS_OK, KS_ERR_NO_SUCH_DATABASE, KS_ERR_WRITE_FAILED, KS_ERR_TRANSACTION_BUSY (a commit
  // of the database runs: a save would catch half of it).
  KSStatus Save(const std::string& name);
  // Takes a database offline, saving it first when `save` (and, unless `always`, only when
  // it has unsaved changes); a failed save keeps it online.
  KSStatus TakeOffline(const std::string& name, bool save, bool always);
  // Turns a database's journal on (into `path`, relative paths taken from the working
  // directory) or off, as Database::EnableJournal / DisableJournal, and records it in the state
  // file so that the next start replays it. KS_ERR_NO_SUCH_DATABASE, KS_ERR_INVALID_ARGUMENT
  // (an empty path), KS_ERR_SERVER_STATE (the state file cannot be written: nothing changed).
  KSStatus EnableJournal(const std::string& name, const std::string& path);
  KSStatus DisableJournal(const std::string& name);
  // Saves every modified database, marks the server stopped and releases the lock. Answers
  // KS_ERR_WRITE_FAILED when a database could not be saved (the server stops all the same).
  KSStatus Close();

  // Path of the archive a new database of this name gets.
  std::string ArchiveFor(const std::string& name) const;
  // Refusals shared by every operation that brings a new name online.
  KSStatus CheckNewName(const std::string& name) const;

 private:
  Server(std::string dir, std::string name) : dir_(std::move(dir)), name_(std::move(name)) {}
  void LoadOnlineDatabases(const ServerState& state);
  bool WriteState() const;
  void LogProblems() const;

  std::string dir_;
  std::string name_;
  LockFile lock_;
  bool running_ = true;
  std::vector<SchemaPtr> metas_;
  std::vector<std::string> problems_;
  std::map<std::string, DatabasePtr> online_;
};

using ServerPtr = std::shared_ptr<Server>;

// Reads every schema file of a metas directory, sorted by name and version; files with an
// error (and second copies of a name and version) are left out and described in `problems`.
void ReadMetas(const std::string& metasDir, std::vector<SchemaPtr>& metas,
               std::vector<std::string>& problems);

// Reads and decodes a dump file for `schema`: KS_OK, KS_ERR_FILE_NOT_FOUND,
// KS_ERR_DUMP_CORRUPT, KS_ERR_DUMP_SCHEMA. `checksum` gets the dump's checksum, `members` the
// records of each class.
KSStatus LoadDumpFile(const std::string& path, const Schema& schema, Store& store,
                      std::string* checksum = nullptr, ClassMembers* members = nullptr);
// LoadDumpFile into the database's store, with the records of each class handed to its
// indexes on the way.
KSStatus LoadDumpInto(const std::string& path, Database& db, std::string* checksum = nullptr);

// Brings back a database that the state file lists as online, as a starting server does: from
// its archive, then its journal when it has one. KS_OK with `db`, or the status of the load;
// `problem` tells what went wrong with the journal (the database then has none).
KSStatus LoadOnlineDatabase(const OnlineEntry& entry, const SchemaPtr& schema, DatabasePtr& db,
                            std::string& problem);

// "ARCHIVE: database NAME could not be brought online: REASON", the reason told by `status`,
// the failed load's status.
std::string OnlineLoadFailure(const OnlineEntry& entry, KSStatus status);
// Checks, without loading it, that an online database can be brought back: its schema is among
// `metas` and its archive is a sound dump of that schema. KS_OK or the status a load would give.
KSStatus CheckOnlineArchive(const OnlineEntry& entry, const std::vector<SchemaPtr>& metas);

}  // namespace kestrel
