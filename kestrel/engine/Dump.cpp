#include "kestrel/engine/Dump.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <new>
#include <optional>

namespace kestrel {

namespace {

using codec::Reader;
using codec::TableEntry;
using codec::Writer;

constexpr char kMagic[8] = {'K', 'E', 'S', 'T', 'R', 'D', 'M', 'P'};
constexpr uint32_t kFormatVersion = 2;  // 1: transactions without owner, start date, isVersion
constexpr size_t kChecksumSize = SHA256_DIGEST_LENGTH;

bool KnownVersion(uint32_t version) { return version == 1 || version == kFormatVersion; }

// Whether the checksum at the end of `bytes` (at least kChecksumSize of them) is right.
bool ChecksumMatches(const std::string& bytes) {
  const size_t body = bytes.size() - kChecksumSize;
  unsigned char sum[kChecksumSize];
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), body, sum);
  return std::memcmp(sum, bytes.data() + body, kChecksumSize) == 0;
}

// Checks the size and magic; returns a reader over the body after the format version, which it
// reads into `version`. The checksum is left to the caller.
Reader OpenBody(const std::string& bytes, uint32_t& version) {
  if (bytes.size() < sizeof kMagic + 4 + kChecksumSize) throw DumpCorrupt("the dump is truncated");
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) throw DumpCorrupt("not a dump");
  Reader r(bytes.data(), bytes.size() - kChecksumSize, sizeof kMagic);
  version = r.Num<uint32_t>();
  return r;
}

// Reads the body behind a checksum that is verified beside it: the answer is the reading's, but a
// wrong checksum is reported in its place (the reading's failures are then of no interest).
// Large dumps are verified on a helper thread, so that with a core to spare the checksum costs
// no time.
template <typename Read>
auto ReadVerified(const std::string& bytes, Read read) -> decltype(read()) {
  constexpr size_t kParallelFrom = 1u << 20;
  std::future<bool> sound =
      std::async(bytes.size() >= kParallelFrom ? std::launch::async | std::launch::deferred
                                               : std::launch::deferred,
                 [&bytes] { return ChecksumMatches(bytes); });
  std::optional<decltype(read())> result;
  std::exception_ptr failure;
  try {
    result.emplace(read());
  } catch (...) {
    failure = std::current_exception();
  }
  if (!sound.get()) throw DumpCorrupt("the checksum does not match");
  if (failure) std::rethrow_exception(failure);
  return std::move(*result);
}

// Walks a dump's body from the schema name on, to its end: the header, the class table, the
// records by the stored layout of their entries and the transactions with their changes,
// checking every count against the bytes left. It needs no schema, so it checks structure
// only. Throws DumpCorrupt.
DumpInfo WalkBody(Reader& r, uint32_t version) {
  if (!KnownVersion(version)) throw DumpCorrupt("unknown format version");
  DumpInfo info;
  info.formatVersion = version;
  info.schemaName = r.Str();
  info.schemaVersion = r.Str();
  r.Num<int32_t>();
  const auto classCount = r.Num<uint32_t>();
  r.NeedItems(classCount, 8);
  std::vector<std::vector<size_t>> kinds(classCount);
  for (auto& fieldKinds : kinds) {
    r.Str();
    const auto fieldCount = r.Num<uint32_t>();
    r.NeedItems(fieldCount, 8);
    for (uint32_t i = 0; i < fieldCount; ++i) {
      r.Str();
      fieldKinds.push_back(AlternativeOf(r.Num<int32_t>()));
    }
  }
  auto skipValues = [&] {
    const auto index = r.Num<uint32_t>();
    if (index >= kinds.size()) throw DumpCorrupt("bad class index");
    for (const size_t kind : kinds[index]) r.SkipValue(kind);
  };
  info.recordCount = r.Num<uint64_t>();
  r.NeedItems(info.recordCount, 8);
  for (uint64_t i = 0; i < info.recordCount; ++i) {
    r.Num<int32_t>();
    skipValues();
  }
  info.transactionCount = r.Num<uint32_t>();
  r.NeedItems(info.transactionCount, 8);
  for (uint32_t i = 0; i < info.transactionCount; ++i) {
    codec::ReadScenarioHeader(r, version >= 2);
    const auto changes = r.Num<uint64_t>();
    r.NeedItems(changes, 5);
    for (uint64_t k = 0; k < changes; ++k) {
      r.Num<int32_t>();
      const auto kind = r.Num<uint8_t>();
      if (kind > 1) throw DumpCorrupt("bad change kind");
      if (kind == 1) skipValues();
    }
  }
  if (!r.AtEnd()) throw DumpCorrupt("unexpected bytes after the transactions");
  return info;
}

// Feeds a Reader from a file as it walks it.
class FileSource : public codec::ByteSource {
 public:
  explicit FileSource(SteppedFile& file) : file_(file) {}
  std::string_view Fetch(size_t n) override {
    if (!file_.ReadTo(n)) failed_ = true;
    return file_.Contents();
  }
  bool Failed() const { return failed_; }

 private:
  SteppedFile& file_;
  bool failed_ = false;
};

// SHA-256 over bytes handed over in pieces.
class Sha256 {
 public:
  Sha256() : context_(EVP_MD_CTX_new()) {
    if (!context_ || EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) != 1)
      throw std::bad_alloc();
  }
  void Add(std::string_view bytes) {
    if (EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()) != 1) throw std::bad_alloc();
  }
  std::string Finish() {
    unsigned char sum[kChecksumSize];
    if (EVP_DigestFinal_ex(context_.get(), sum, nullptr) != 1) throw std::bad_alloc();
    return std::string(reinterpret_cast<const char*>(sum), sizeof sum);
  }

 private:
  struct Free {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
  };
  std::unique_ptr<EVP_MD_CTX, Free> context_;
};

// Takes the encoded bytes from a Writer a piece at a time: each piece is hashed and handed to
// `put` on a helper thread while the encoder fills the next, so that with a core to spare the
// hashing and writing cost the encoder no time. A piece is handed over only after the one
// before it was accepted, so `put` sees the pieces one by one and in order.
class PieceSink {
 public:
  static constexpr size_t kPiece = 1u << 20;

  explicit PieceSink(const std::function<bool(std::string_view)>& put)
      : put_(put), filling_(2 * kPiece), handed_(2 * kPiece) {}
  PieceSink(const PieceSink&) = delete;
  PieceSink& operator=(const PieceSink&) = delete;
  ~PieceSink() {
    if (pending_.valid()) pending_.wait();
  }

  Writer& Out() { return filling_; }
  // Hands over what was written once it makes a piece; false when a piece was refused.
  bool Step() {
    if (filling_.Size() < kPiece) return true;
    if (!Settle()) return false;
    std::swap(filling_, handed_);
    filling_.Clear();
    // A machine that cannot start a thread runs the task when it is waited for.
    pending_ =
        std::async(std::launch::async | std::launch::deferred, [this] { return Put(handed_); });
    return true;
  }
  // Hands over the rest and then the checksum of everything; answers the checksum, or nothing
  // when a piece was refused.
  std::string Finish() {
    if (!Settle() || !Put(filling_)) return {};
    std::string sum = hash_.Finish();
    return put_(sum) ? sum : std::string();
  }

 private:
  bool Put(const Writer& piece) {
    hash_.Add(piece.View());
    return put_(piece.View());
  }
  bool Settle() { return !pending_.valid() || pending_.get(); }

  const std::function<bool(std::string_view)>& put_;
  Sha256 hash_;
  Writer filling_;
  Writer handed_;
  std::future<bool> pending_;  // last, so that it is waited for before the rest goes
};

// Encodes the dump of `store` and hands its bytes to `put` in order (PieceSink), the checksum
// last. Answers the checksum, or nothing as soon as `put` answers false.
std::string EncodeInPieces(const Schema& schema, const Store& store,
                           const std::function<bool(std::string_view)>& put) {
  PieceSink sink(put);
  Writer& w = sink.Out();
  w.Raw(kMagic, sizeof kMagic);
  w.Num(kFormatVersion);
  w.Str(schema.name);
  w.Str(schema.version);
  w.Num<int32_t>(store.nextId);
  std::vector<TableEntry> table = codec::SchemaTable(schema);
  // The unknown records' entries follow the schema's, one per record in the records' order.
  const auto firstUnknown = static_cast<uint32_t>(table.size());
  for (const auto& [id, record] : store.unknownRecords)
    table.push_back(codec::UnknownEntry(record.className, record.fieldNames, record.fieldTypes));
  codec::WriteTable(w, table);
  w.Num(static_cast<uint64_t>(store.records.size() + store.unknownRecords.size()));
  for (const auto& [id, record] : store.records) {
    w.Num(id);
    w.Num(static_cast<uint32_t>(record.classId - 1));
    codec::WriteRecordValues(w, table[static_cast<size_t>(record.classId - 1)], record.values);
    if (!sink.Step()) return {};
  }
  uint32_t entry = firstUnknown;
  for (const auto& [id, record] : store.unknownRecords) {
    w.Num(id);
    w.Num(entry);
    codec::WriteRecordValues(w, table[entry++], record.values);
    if (!sink.Step()) return {};
  }
  w.Num(static_cast<uint32_t>(store.transactions.size()));
  for (const PersistentTransaction& t : store.transactions) {
    codec::WriteScenarioHeader(w, t);
    w.Num(static_cast<uint64_t>(t.delta.size()));
    for (const auto& [id, change] : t.delta) {
      w.Num(id);
      codec::WriteChange(w, schema, change);
      if (!sink.Step()) return {};
    }
  }
  return sink.Finish();
}

// Reads a dump's body from the schema name on, for `schema`; throws DumpCorrupt or
// DumpSchemaMismatch.
Store DecodeBody(Reader& r, uint32_t version, const Schema& schema, ClassMembers* members) {
  if (!KnownVersion(version)) throw DumpCorrupt("unknown format version");
  const std::string name = r.Str();
  const std::string schemaVersion = r.Str();
  if (name != schema.name || schemaVersion != schema.version)
    throw DumpSchemaMismatch("the dump belongs to schema " + name + " " + schemaVersion);
  Store store;
  store.nextId = r.Num<int32_t>();
  if (store.nextId < 1 || store.nextId > kMaxRecordId + 1)
    throw DumpCorrupt("the next record ID is out of range");
  const std::vector<TableEntry> table = codec::ReadTable(r, schema);
  auto entryAt = [&](uint32_t index) -> const TableEntry& {
    if (index >= table.size()) throw DumpCorrupt("bad class index");
    return table[index];
  };
  auto checkId = [&](RecordID id) {
    if (id < 1 || id >= store.nextId) throw DumpCorrupt("record ID out of range");
  };
  const auto recordCount = r.Num<uint64_t>();
  r.NeedItems(recordCount, 8);
  RecordID last = 0;
  // Only user records hold password hashes; looking the class up once spares a name comparison
  // per record.
  const ClassDef* users = schema.FindClass("SYSUser");
  MembersCollector collector(members, schema.classes.size());
  for (uint64_t i = 0; i < recordCount; ++i) {
    const auto id = r.Num<int32_t>();
    checkId(id);
    const TableEntry& entry = entryAt(r.Num<uint32_t>());
    std::vector<Value> values = codec::ReadRecordValues(r, entry);
    bool fresh;
    if (entry.cls != nullptr) {
      // Records come in ascending order from our writer: appending needs no search.
      const size_t before = store.records.size();
      const auto hint = id > last ? store.records.end() : store.records.lower_bound(id);
      const auto added =
          store.records.emplace_hint(hint, id, codec::ToRecord(entry, std::move(values)));
      fresh = store.records.size() > before;
      if (entry.cls == users) codec::CheckPasswordHash(*entry.cls, added->second);
      collector.Add(entry.cls->id, id);
    } else {
      fresh = store.unknownRecords
                  .emplace(id, UnknownRecord{entry.name, entry.fieldNames, entry.fieldTypes,
                                             std::move(values)})
                  .second;
    }
    last = std::max(last, id);
    if (!fresh || (!store.unknownRecords.empty() && store.records.count(id) &&
                   store.unknownRecords.count(id)))
      throw DumpCorrupt("record ID stored twice");
  }
  collector.Finish();
  const auto transactionCount = r.Num<uint32_t>();
  r.NeedItems(transactionCount, 8);
  for (uint32_t i = 0; i < transactionCount; ++i) {
    PersistentTransaction t = codec::ReadScenarioHeader(r, version >= 2);
    if (t.name.empty() || store.FindTransaction(t.name) != nullptr ||
        (!t.parent.empty() && store.FindTransaction(t.parent) == nullptr))
      throw DumpCorrupt("bad persistent transaction " + t.name);
    const auto changes = r.Num<uint64_t>();
    r.NeedItems(changes, 5);
    for (uint64_t k = 0; k < changes; ++k) {
      const auto id = r.Num<int32_t>();
      checkId(id);
      t.delta[id] = codec::ReadChange(r, table);
    }
    store.transactions.push_back(std::move(t));
  }
  if (!r.AtEnd()) throw DumpCorrupt("unexpected bytes after the transactions");
  return store;
}

}  // namespace

std::string EncodeDump(const Schema& schema, const Store& store) {
  std::string bytes;
  EncodeInPieces(schema, store, [&bytes](std::string_view piece) {
    bytes.append(piece);
    return true;
  });
  return bytes;
}

bool SaveDump(const std::string& path, const Schema& schema, const Store& store,
              std::string& checksum) {
  AtomicFile file(path);
  const std::string sum =
      EncodeInPieces(schema, store, [&file](std::string_view piece) { return file.Write(piece); });
  if (sum.empty() || !file.Commit()) return false;
  checksum = sum;
  return true;
}

Store DecodeDump(const std::string& bytes, const Schema& schema, ClassMembers* members) {
  uint32_t version = 0;
  Reader r = OpenBody(bytes, version);
  return ReadVerified(bytes, [&] { return DecodeBody(r, version, schema, members); });
}

DumpInfo ReadDumpInfo(const std::string& bytes) {
  uint32_t version = 0;
  Reader r = OpenBody(bytes, version);
  return ReadVerified(bytes, [&] { return WalkBody(r, version); });
}

std::string DumpChecksum(const std::string& bytes) {
  return bytes.size() < kChecksumSize ? std::string() : bytes.substr(bytes.size() - kChecksumSize);
}

ReadOutcome ReadDumpFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  SteppedFile file;
  const ReadOutcome outcome = file.Open(path, UINT64_MAX, std::string_view(kMagic, sizeof kMagic));
  if (outcome != ReadOutcome::kOk) return outcome;
  // The structure is walked as the file is read, so that a file that cannot be a dump (a count
  // beyond its size, or an end of structure far from its end, as in a sparse file behind a
  // valid header) is refused after a few reads, not after reading all of it.
  if (file.Size() < sizeof kMagic + 4 + kChecksumSize) return ReadOutcome::kDamaged;
  FileSource source(file);
  try {
    Reader r(source, static_cast<size_t>(file.Size()) - kChecksumSize, sizeof kMagic);
    WalkBody(r, r.Num<uint32_t>());
  } catch (const DumpCorrupt&) {
    return source.Failed() ? ReadOutcome::kUnreadable : ReadOutcome::kDamaged;
  }
  if (!file.ReadTo(file.Size())) return ReadOutcome::kUnreadable;
  bytes = std::move(file.Contents());
  return ReadOutcome::kOk;
}

}  // namespace kestrel
