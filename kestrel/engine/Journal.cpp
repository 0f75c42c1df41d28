#include "kestrel/engine/Journal.h"

#include <fcntl.h>
#include <openssl/sha.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "kestrel/engine/FileIO.h"

namespace kestrel {

namespace {

constexpr char kJournalMagic[8] = {'K', 'E', 'S', 'T', 'R', 'J', 'N', 'L'};
constexpr uint32_t kJournalFormatVersion = 1;
constexpr size_t kJournalChecksumSize = SHA256_DIGEST_LENGTH;
constexpr size_t kLengthSize = sizeof(uint32_t);
// A header frame longer than this marks a file that is no journal.
constexpr uint32_t kMaxHeader = 64u << 20;

enum : uint8_t {
  kRecordWritten = 1,
  kRecordDeleted,
  kScenarioCreated,
  kScenarioDescribed,
  kScenarioChanged,
  kScenarioEmptied,
  kScenarioRemoved,
};

// Seals the frame that starts at `start` of `w`: its length was reserved, its payload follows.
void Seal(codec::Writer& w, size_t start) {
  const auto length = static_cast<uint32_t>(w.Size() - start - kLengthSize);
  std::memcpy(w.Data() + start, &length, kLengthSize);
  unsigned char sum[kJournalChecksumSize];
  SHA256(reinterpret_cast<const unsigned char*>(w.Data() + start + kLengthSize), length, sum);
  w.Raw(sum, sizeof sum);
}

std::string HeaderFile(const std::string& database, const Schema& schema, const std::string& base) {
  codec::Writer w(4096);
  w.Raw(kJournalMagic, sizeof kJournalMagic);
  w.Num<uint32_t>(0);
  w.Num(kJournalFormatVersion);
  w.Str(database);
  w.Raw(base.data(), kJournalChecksumSize);
  w.Str(schema.name);
  w.Str(schema.version);
  codec::WriteTable(w, codec::SchemaTable(schema));
  Seal(w, sizeof kJournalMagic);
  return w.Take();
}

enum class FrameRead { kWhole, kCut, kBad };

// Reads the frame at `pos` into `payload` and moves `pos` past it. kCut: the bytes end inside
// it; kBad: its checksum does not match (`pos` then lies after it all the same).
FrameRead NextFrame(const std::string& bytes, size_t& pos, std::string_view& payload) {
  if (bytes.size() - pos < kLengthSize) return FrameRead::kCut;
  uint32_t length;
  std::memcpy(&length, bytes.data() + pos, kLengthSize);
  if (bytes.size() - pos - kLengthSize < static_cast<uint64_t>(length) + kJournalChecksumSize)
    return FrameRead::kCut;
  payload = std::string_view(bytes.data() + pos + kLengthSize, length);
  pos += kLengthSize + length + kJournalChecksumSize;
  unsigned char sum[kJournalChecksumSize];
  SHA256(reinterpret_cast<const unsigned char*>(payload.data()), payload.size(), sum);
  return std::memcmp(sum, bytes.data() + pos - kJournalChecksumSize, kJournalChecksumSize) == 0
             ? FrameRead::kWhole
             : FrameRead::kBad;
}

struct Header {
  std::string database;
  std::string base;
  std::string schemaName;
  std::string schemaVersion;
  std::vector<codec::TableEntry> table;
};

// The header of a journal's bytes; `pos` moves to the first entry. False for bytes that are no
// journal.
bool ReadHeader(const std::string& bytes, const Schema& schema, Header& header, size_t& pos) {
  if (bytes.size() < sizeof kJournalMagic ||
      std::memcmp(bytes.data(), kJournalMagic, sizeof kJournalMagic) != 0)
    return false;
  pos = sizeof kJournalMagic;
  std::string_view payload;
  if (NextFrame(bytes, pos, payload) != FrameRead::kWhole) return false;
  try {
    codec::Reader r(payload.data(), payload.size());
    if (r.Num<uint32_t>() != kJournalFormatVersion) return false;
    header.database = r.Str();
    header.base.resize(kJournalChecksumSize);
    r.Raw(header.base.data(), kJournalChecksumSize);
    header.schemaName = r.Str();
    header.schemaVersion = r.Str();
    header.table = codec::ReadTable(r, schema);
    return r.AtEnd();
  } catch (const CorruptData&) {
    return false;
  }
}

// The first bytes of a file: its magic and header frame, or less when it is no journal.
std::string ReadHead(const std::string& path) {
  std::string head;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return head;
  auto read = [&](size_t n) {
    const size_t at = head.size();
    head.resize(at + n);
    size_t done = 0;
    while (done < n) {
      const ssize_t got =
          ::pread(fd, head.data() + at + done, n - done, static_cast<off_t>(at + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    head.resize(at + done);
    return done == n;
  };
  uint32_t length = 0;
  if (read(sizeof kJournalMagic + kLengthSize)) {
    std::memcpy(&length, head.data() + sizeof kJournalMagic, kLengthSize);
    if (length <= kMaxHeader) read(length + kJournalChecksumSize);
  }
  ::close(fd);
  return head;
}

PersistentTransaction& ScenarioIn(Store& store, const std::string& name) {
  PersistentTransaction* scenario = store.FindTransaction(name);
  if (scenario == nullptr) throw CorruptData("an entry names the unknown scenario " + name);
  return *scenario;
}

// Applies one entry's ops to the store.
void Apply(std::string_view payload, const std::vector<codec::TableEntry>& table, Store& store) {
  codec::Reader r(payload.data(), payload.size());
  const auto nextId = r.Num<int32_t>();
  if (nextId < 1 || nextId > kMaxRecordId + 1) throw CorruptData("next record ID out of range");
  store.nextId = std::max(store.nextId, nextId);
  auto readId = [&] {
    const auto id = r.Num<int32_t>();
    if (id < 1 || id >= store.nextId) throw CorruptData("record ID out of range");
    return id;
  };
  const auto count = r.Num<uint32_t>();
  r.NeedItems(count, 1);
  for (uint32_t i = 0; i < count; ++i) {
    switch (r.Num<uint8_t>()) {
      case kRecordWritten: {
        const RecordID id = readId();
        const auto index = r.Num<uint32_t>();
        if (index >= table.size()) throw CorruptData("bad class index");
        const codec::TableEntry& entry = table[index];
        std::vector<Value> values = codec::ReadRecordValues(r, entry);
        if (entry.cls != nullptr) {
          Record record = codec::ToRecord(entry, std::move(values));
          codec::CheckPasswordHash(*entry.cls, record);
          store.unknownRecords.erase(id);
          store.records[id] = std::move(record);
        } else {
          store.records.erase(id);
          store.unknownRecords[id] =
              UnknownRecord{entry.name, entry.fieldNames, entry.fieldTypes, std::move(values)};
        }
        break;
      }
      case kRecordDeleted: {
        const RecordID id = readId();
        store.records.erase(id);
        store.unknownRecords.erase(id);
        break;
      }
      case kScenarioCreated: {
        PersistentTransaction scenario = codec::ReadScenarioHeader(r);
        if (scenario.name.empty() || store.FindTransaction(scenario.name) != nullptr ||
            (!scenario.parent.empty() && store.FindTransaction(scenario.parent) == nullptr))
          throw CorruptData("bad scenario " + scenario.name);
        store.transactions.push_back(std::move(scenario));
        break;
      }
      case kScenarioDescribed: {
        PersistentTransaction& scenario = ScenarioIn(store, r.Str());
        scenario.description = r.WStr();
        break;
      }
      case kScenarioChanged: {
        PersistentTransaction& scenario = ScenarioIn(store, r.Str());
        const RecordID id = readId();
        scenario.delta[id] = codec::ReadChange(r, table);
        break;
      }
      case kScenarioEmptied:
        ScenarioIn(store, r.Str()).delta.clear();
        break;
      case kScenarioRemoved: {
        const std::string name = r.Str();
        ScenarioIn(store, name);
        auto& all = store.transactions;
        all.erase(std::remove_if(all.begin(), all.end(),
                                 [&](const PersistentTransaction& s) { return s.name == name; }),
                  all.end());
        break;
      }
      default:
        throw CorruptData("unknown op");
    }
  }
  if (!r.AtEnd()) throw CorruptData("unexpected bytes after the ops");
}

bool WriteAt(int fd, std::string_view bytes, uint64_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

void JournalEntry::Write(RecordID id, const std::optional<Record>& record) {
  Op(record ? kRecordWritten : kRecordDeleted);
  ops_.Num(id);
  if (!record) return;
  ops_.Num(static_cast<uint32_t>(record->classId - 1));
  codec::WriteClassValues(ops_, *schema_.FindClass(record->classId), record->values);
}

void JournalEntry::CreateScenario(const PersistentTransaction& scenario) {
  Op(kScenarioCreated);
  codec::WriteScenarioHeader(ops_, scenario);
}

void JournalEntry::DescribeScenario(const std::string& name, const std::u16string& description) {
  Op(kScenarioDescribed);
  ops_.Str(name);
  ops_.WStr(description);
}

void JournalEntry::ChangeScenario(const std::string& name, RecordID id,
                                  const std::optional<Record>& change) {
  Op(kScenarioChanged);
  ops_.Str(name);
  ops_.Num(id);
  codec::WriteChange(ops_, schema_, change);
}

void JournalEntry::EmptyScenario(const std::string& name) {
  Op(kScenarioEmptied);
  ops_.Str(name);
}

void JournalEntry::RemoveScenario(const std::string& name) {
  Op(kScenarioRemoved);
  ops_.Str(name);
}

Journal::~Journal() { Close(); }

void Journal::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool Journal::OpenAt(uint64_t size) {
  Close();
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd_ < 0 || ::ftruncate(fd_, static_cast<off_t>(size)) != 0 || ::fdatasync(fd_) != 0) {
    Close();
    return false;
  }
  size_ = size;
  return true;
}

std::unique_ptr<Journal> Journal::Create(const std::string& path, const std::string& database,
                                         const Schema& schema, const std::string& base) {
  std::unique_ptr<Journal> journal(new Journal(path, database, schema));
  return journal->Restart(base) ? std::move(journal) : nullptr;
}

bool Journal::Restart(const std::string& base) {
  const std::string header = HeaderFile(database_, schema_, base);
  failed_ = !WriteFileAtomically(path_, header) || !OpenAt(header.size());
  return !failed_;
}

bool Journal::Append(JournalEntry& entry, RecordID nextId) {
  if (failed_ || fd_ < 0) return false;
  const std::string_view ops = entry.Ops();
  codec::Writer frame(kLengthSize + 8 + ops.size() + kJournalChecksumSize);
  frame.Num<uint32_t>(0);
  frame.Num<int32_t>(nextId);
  frame.Num(entry.Count());
  frame.Raw(ops.data(), ops.size());
  Seal(frame, 0);
  if (WriteAt(fd_, frame.View(), size_) && ::fdatasync(fd_) == 0) {
    size_ += frame.Size();
    return true;
  }
  // What reached the file of this entry must not stand before the next one.
  if (::ftruncate(fd_, static_cast<off_t>(size_)) != 0 || ::fdatasync(fd_) != 0) failed_ = true;
  return false;
}

bool Journal::Owner(const std::string& path, std::string& database) {
  // The owner's schema is not known here: a schema without classes reads any class table.
  static const Schema kAnySchema;
  Header header;
  size_t pos = 0;
  if (!ReadHeader(ReadHead(path), kAnySchema, header, pos)) return false;
  database = header.database;
  return true;
}

Journal::Reopened Journal::Reopen(const std::string& path, const std::string& database,
                                  const Schema& schema, const std::string& base, Store& store) {
  Reopened out;
  std::string bytes;
  if (!FileExists(path) || !ReadWholeFile(path, bytes)) {
    out.problem = path + ": the journal cannot be read; the journal is off";
    return out;
  }
  Header header;
  size_t pos = 0;
  if (!ReadHeader(bytes, schema, header, pos)) {
    out.problem = path + ": not a journal; the journal is off";
    return out;
  }
  if (header.database != database || header.schemaName != schema.name ||
      header.schemaVersion != schema.version) {
    out.problem = path + ": the journal of database " + header.database + " of schema " +
                  header.schemaName + " " + header.schemaVersion + "; the journal is off";
    return out;
  }
  std::unique_ptr<Journal> journal(new Journal(path, database, schema));
  size_t good = pos;
  if (header.base == base) {
    while (good < bytes.size()) {
      std::string_view payload;
      size_t next = good;
      const FrameRead read = NextFrame(bytes, next, payload);
      std::string damage;
      if (read == FrameRead::kBad && next < bytes.size()) damage = "its checksum does not match";
      if (read == FrameRead::kWhole) {
        try {
          Apply(payload, header.table, store);
        } catch (const CorruptData& e) {
          damage = e.what();
        }
      }
      if (!damage.empty())
        out.problem = path + ": entry " + std::to_string(out.entries + 1) + " is damaged (" +
                      damage + "); it and the " + std::to_string(bytes.size() - good) +
                      " bytes from it on were dropped";
      if (read != FrameRead::kWhole || !damage.empty()) break;
      good = next;
      ++out.entries;
    }
  }
  // A journal of another dump is left over from a crash right after a save: it starts afresh.
  const bool ready = header.base == base ? journal->OpenAt(good) : journal->Restart(base);
  if (!ready) {
    out.problem = path + ": the journal cannot be written; the journal is off";
    return out;
  }
  out.journal = std::move(journal);
  return out;
}

}  // namespace kestrel
