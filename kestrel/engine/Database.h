// One online database: its name, schema, archive path, committed data and state flags.
// Users are records of SYSUser; the helpers here keep their password hashes and log-on times.
// A Database is owned by its server and shared with the sessions working on it; `online`
// turns false when the server takes it offline, after which sessions only see it gone.
#pragma once

#include <memory>
#include <string>

#include "kestrel/engine/Schema.h"
#include "kestrel/engine/Store.h"

namespace kestrel {

class Database {
 public:
  Database(std::string name, SchemaPtr schema, std::string archivePath)
      : name_(std::move(name)), schema_(std::move(schema)), archivePath_(std::move(archivePath)) {}

  // A database with the administrator "system" (empty password) and nothing else.
  static std::shared_ptr<Database> CreateEmpty(std::string name, SchemaPtr schema,
                                               std::string archivePath);

  const std::string& Name() const { return name_; }
  const Schema& GetSchema() const { return *schema_; }
  const SchemaPtr& SchemaRef() const { return schema_; }
  const std::string& ArchivePath() const { return archivePath_; }
  Store& Data() { return store_; }
  const Store& Data() const { return store_; }

  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }
  bool Online() const { return online_; }
  void SetOffline() { online_ = false; }
  bool JournalActive() const { return journalActive_; }
  const std::string& JournalFile() const { return journalFile_; }
  void SetJournal(bool active, std::string file) {
    journalActive_ = active;
    journalFile_ = std::move(file);
  }

  // Writes the database to its archive atomically; false leaves the archive as it was.
  bool Save();

  // Users. Names compare without regard to the case of a-z. AddUser throws
  // std::invalid_argument for an empty or existing name.
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
  bool modified_ = false;
  bool online_ = true;
  bool journalActive_ = false;
  std::string journalFile_;
};

using DatabasePtr = std::shared_ptr<Database>;

}  // namespace kestrel
