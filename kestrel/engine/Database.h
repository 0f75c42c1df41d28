// One online database: its name, schema, archive path, committed data and state flags.
// Users are records of SYSUser; the helpers here keep their password hashes and log-on times.
// A Database is owned by its server and shared with the sessions working on it; `online`
// turns false when the server takes it offline, after which sessions only see it gone.
//
// Transactions (Transaction.h) read the committed data through Data() and write it only
// through ApplyToBase, which stamps each write with a commit sequence number (the record's
// version) and keeps the indexes in step. Whoever changes the store through the non-const
// Data() instead (loading, repairs, the admin tool) makes the indexes stale; they are built
// again on their next use.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "kestrel/engine/Indexes.h"
#include "kestrel/engine/Journal.h"
#include "kestrel/engine/Schema.h"
#include "kestrel/engine/Store.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel {

// A write lock of a transaction on the whole database (cls kNoClass) or on a class and its
// subclasses: transactions of other sessions may not change what it covers.
struct DatabaseLock {
  const void* owner = nullptr;  // the transaction holding it
  uint64_t session = 0;
  ClassID cls = kNoClass;
};

class Database {
 public:
  Database(std::string name, SchemaPtr schema, std::string archivePath)
      : name_(std::move(name)),
        schema_(std::move(schema)),
        archivePath_(std::move(archivePath)),
        indexes_(*schema_, store_) {}
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // A database with the administrator "system" (empty password) and nothing else.
  static std::shared_ptr<Database> CreateEmpty(std::string name, SchemaPtr schema,
                                               std::string archivePath);

  const std::string& Name() const { return name_; }
  const Schema& GetSchema() const { return *schema_; }
  const SchemaPtr& SchemaRef() const { return schema_; }
  const std::string& ArchivePath() const { return archivePath_; }
  // Direct access for loading, repairs and tools; makes the indexes stale.
  Store& Data() {
    indexes_.Invalidate();
    ++changes_;
    return store_;
  }
  const Store& Data() const { return store_; }
  const Store& Committed() const { return store_; }

  Indexes& Index() { return indexes_; }
  // The persistent transactions, for the engine's scenario functions (Scenarios.h); changing
  // them leaves the record indexes valid.
  std::vector<PersistentTransaction>& Scenarios() {
    ++changes_;
    return store_.transactions;
  }
  PersistentTransaction* FindScenario(const std::string& name) { return store_.FindTransaction(name); }
  // A new commit sequence number: every write of a record, at any level, gets its own.
  uint64_t NextSequence() {
    ++changes_;
    return ++sequence_;
  }
  // Counts the changes of anything a view may show: committed records, layers of changes (every
  // write, commit and rollback) and scenarios. While it stands still, what was read through a
  // view is still what the view shows, so readers may keep it (cursors keep fetched rows).
  uint64_t Changes() const { return changes_; }
  void NoteChange() { ++changes_; }
  // Version of a committed record: the sequence number of its last write since the database
  // came online (or of its deletion), 0 when it was not written since.
  uint64_t BaseVersion(RecordID id) const;
  // Writes one committed record (nullopt deletes it) as of sequence number `version`, keeping
  // the indexes in step, and marks the database modified.
  void ApplyToBase(RecordID id, std::optional<Record> record, uint64_t version);
  // Reserves a new record ID; throws std::length_error when the IDs ran out.
  RecordID NewRecordId() { return store_.NewId(); }

  std::vector<DatabaseLock>& Locks() { return locks_; }
  // True while a commit into this database runs; changes are refused meanwhile.
  bool Busy() const { return busy_; }
  void SetBusy(bool busy) { busy_ = busy; }

  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }
  bool Online() const { return online_; }
  void SetOffline() { online_ = false; }
  // The journal (Journal.h). While one is active, whoever changes what a save writes hands the
  // change to WriteAhead first and makes it only when that succeeds; a save starts the journal
  // afresh.
  bool JournalActive() const { return journal_ != nullptr; }
  // The journal's file, empty when none is active.
  std::string JournalFile() const;
  // Saves the database, then journals into `path` (an absolute path), which must be missing,
  // empty or a journal of this database. KS_OK (also when that journal is active already),
  // KS_ERR_NOT_A_JOURNAL, KS_ERR_WRITE_FAILED (the previous journal, if any, stays active).
  KSStatus EnableJournal(const std::string& path);
  // Saves the database when it has unsaved changes, then stops journaling; the file stays.
  // KS_OK, KS_ERR_WRITE_FAILED (the journal stays active).
  KSStatus DisableJournal();
  // After a load from the dump with checksum `base`: replays the journal at `path` and goes on
  // journaling into it. A journal that cannot be used leaves the database without one, and
  // `problem` says why (it also reports dropped damaged entries).
  void ReopenJournal(const std::string& path, const std::string& base, std::string& problem);
  // Writes the entry to the active journal (none: nothing to do); false when it cannot, and
  // then the change must not be made.
  bool WriteAhead(JournalEntry& entry);
  // An entry for this database's schema.
  JournalEntry NewJournalEntry() const { return JournalEntry(*schema_); }

  // Writes the database to its archive atomically and starts the journal afresh; false leaves
  // the archive as it was. Refused while a commit runs (Busy): the dump would catch half of it.
  bool Save();

  // Users. Names compare without regard to the case of a-z; FindUser looks them up in an index
  // by name (of the SYSUser records, the lowest ID first). AddUser throws
  // std::invalid_argument for an empty or existing name, std::runtime_error when the journal
  // cannot be written. SetLastLogin changes nothing when the journal cannot be written.
  RecordID AddUser(const std::u16string& user, const std::string& password, bool isAdmin);
  RecordID FindUser(const std::u16string& user) const;
  bool HasUsers() const;
  // The user's record when the password matches; kNullRecord for an unknown user or a wrong
  // password (both cost one key derivation).
  RecordID Authenticate(const std::u16string& user, const std::string& password) const;
  void SetLastLogin(RecordID user, int32_t stamp);

  // Value of a field of a stored record (null when the record or field is missing).
  Value FieldValue(RecordID id, const std::string& field) const;

 private:
  std::string name_;
  SchemaPtr schema_;
  std::string archivePath_;
  Store store_;
  // Mutable: the indexes are built on first use, also by const lookups such as FindUser.
  mutable Indexes indexes_;
  // Save that tells the checksum of the dump written.
  bool Save(std::string& checksum);

  uint64_t sequence_ = 0;
  uint64_t changes_ = 0;
  std::unordered_map<RecordID, uint64_t> baseVersions_;
  std::vector<DatabaseLock> locks_;
  bool busy_ = false;
  bool modified_ = false;
  bool online_ = true;
  std::unique_ptr<Journal> journal_;
};

using DatabasePtr = std::shared_ptr<Database>;

}  // namespace kestrel
