#include "kestrel/engine/Database.h"

#include <stdexcept>

#include "kestrel/engine/Dump.h"
#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/Password.h"
#include "kestrel/engine/Text.h"

namespace kestrel {

namespace {

const ClassDef& UserClass(const Schema& schema) { return *schema.FindClass("SYSUser"); }

size_t Field(const ClassDef& cls, const char* name) {
  return static_cast<size_t>(cls.FieldIndex(name));
}

}  // namespace

std::shared_ptr<Database> Database::CreateEmpty(std::string name, SchemaPtr schema,
                                                std::string archivePath) {
  auto db = std::make_shared<Database>(std::move(name), std::move(schema), std::move(archivePath));
  db->AddUser(u"system", "", true);
  return db;
}

bool Database::Save() {
  std::string checksum;
  return Save(checksum);
}

bool Database::Save(std::string& checksum) {
  if (busy_) return false;
  if (!SaveDump(archivePath_, *schema_, store_, checksum)) return false;
  modified_ = false;
  // A failed restart leaves the journal refusing every entry (see Journal::Append), so that no
  // change is acknowledged that a crash would lose.
  if (journal_) journal_->Restart(checksum);
  return true;
}

std::string Database::JournalFile() const { return journal_ ? journal_->Path() : std::string(); }

KSStatus Database::EnableJournal(const std::string& path) {
  if (journal_ && journal_->Path() == path) return KS_OK;
  std::string owner;
  if (FileSize(path) > 0 && (!Journal::Owner(path, owner) || owner != name_))
    return KS_ERR_NOT_A_JOURNAL;
  if (busy_) return KS_ERR_TRANSACTION_BUSY;
  std::string checksum;
  if (!Save(checksum)) return KS_ERR_WRITE_FAILED;
  std::unique_ptr<Journal> journal = Journal::Create(path, name_, *schema_, checksum);
  if (!journal) return KS_ERR_WRITE_FAILED;
  journal_ = std::move(journal);
  return KS_OK;
}

KSStatus Database::DisableJournal() {
  if (!journal_) return KS_OK;
  if (busy_) return KS_ERR_TRANSACTION_BUSY;
  if (modified_ && !Save()) return KS_ERR_WRITE_FAILED;
  journal_.reset();
  return KS_OK;
}

void Database::ReopenJournal(const std::string& path, const std::string& base,
                             std::string& problem) {
  Journal::Reopened reopened = Journal::Reopen(path, name_, *schema_, base, store_);
  problem = std::move(reopened.problem);
  journal_ = std::move(reopened.journal);
  if (reopened.entries > 0) {
    indexes_.Invalidate();
    ++changes_;
    modified_ = true;
  }
}

bool Database::WriteAhead(JournalEntry& entry) {
  return !journal_ || entry.Empty() || journal_->Append(entry, store_.nextId);
}

RecordID Database::AddUser(const std::u16string& user, const std::string& password, bool isAdmin) {
  if (user.empty()) throw std::invalid_argument("the user name is empty");
  if (FindUser(user) != kNullRecord) throw std::invalid_argument("the user exists already");
  const ClassDef& cls = UserClass(*schema_);
  Record record{cls.id, std::vector<Value>(cls.allFields.size())};
  record.values[Field(cls, "name")] = user;
  record.values[Field(cls, "password")] = ToUtf16(HashPassword(password));
  record.values[Field(cls, "isAdmin")] = int32_t{isAdmin ? 1 : 0};
  const RecordID id = NewRecordId();
  JournalEntry entry = NewJournalEntry();
  entry.Write(id, record);
  if (!WriteAhead(entry)) throw std::runtime_error("the journal cannot be written");
  modified_ = true;
  ApplyToBase(id, std::move(record), NextSequence());
  return id;
}

RecordID Database::FindUser(const std::u16string& user) const {
  const ClassDef& cls = UserClass(*schema_);
  return indexes_.FindByName(cls.id, Field(cls, "name"), ToUtf8(user));
}

bool Database::HasUsers() const {
  const ClassID users = UserClass(*schema_).id;
  for (const auto& [id, record] : store_.records)
    if (record.classId == users) return true;
  return false;
}

RecordID Database::Authenticate(const std::u16string& user, const std::string& password) const {
  const RecordID id = FindUser(user);
  std::string hash;
  bool known = false;
  if (id != kNullRecord) {
    const Value stored = FieldValue(id, "password");
    if (const auto* text = std::get_if<std::u16string>(&stored)) {
      hash = ToUtf8(*text);
      known = true;
    }
  }
  const bool ok = VerifyPassword(password, known ? &hash : nullptr);
  return ok ? id : kNullRecord;
}

void Database::SetLastLogin(RecordID user, int32_t stamp) {
  const auto it = store_.records.find(user);
  if (it == store_.records.end()) return;
  Record changed = it->second;
  changed.values[Field(UserClass(*schema_), "lastLogin")] = stamp;
  JournalEntry entry = NewJournalEntry();
  entry.Write(user, changed);
  if (WriteAhead(entry)) ApplyToBase(user, std::move(changed), NextSequence());
}

uint64_t Database::BaseVersion(RecordID id) const {
  const auto it = baseVersions_.find(id);
  return it == baseVersions_.end() ? 0 : it->second;
}

void Database::ApplyToBase(RecordID id, std::optional<Record> record, uint64_t version) {
  const auto it = store_.records.find(id);
  const Record* before = it == store_.records.end() ? nullptr : &it->second;
  indexes_.Update(id, before, record ? &*record : nullptr);
  if (record) {
    if (before != nullptr)
      it->second = std::move(*record);
    else
      store_.records.emplace(id, std::move(*record));
  } else if (before != nullptr) {
    store_.records.erase(it);
  }
  baseVersions_[id] = version;
  modified_ = true;
  ++changes_;
}

Value Database::FieldValue(RecordID id, const std::string& field) const {
  const auto it = store_.records.find(id);
  if (it == store_.records.end()) return {};
  const ClassDef* cls = schema_->FindClass(it->second.classId);
  const int at = cls ? cls->FieldIndex(field) : -1;
  return at < 0 ? Value{} : it->second.values[static_cast<size_t>(at)];
}

}  // namespace kestrel
