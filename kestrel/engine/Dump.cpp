#include "kestrel/engine/Dump.h"

#include <openssl/sha.h>

#include <algorithm>
#include <cstring>

namespace kestrel {

namespace {

using codec::Reader;
using codec::TableEntry;
using codec::Writer;

constexpr char kMagic[8] = {'K', 'E', 'S', 'T', 'R', 'D', 'M', 'P'};
constexpr uint32_t kFormatVersion = 2;  // 1: transactions without owner, start date, isVersion
constexpr size_t kChecksumSize = SHA256_DIGEST_LENGTH;

void Checksum(const std::string& bytes, size_t n, unsigned char out[kChecksumSize]) {
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), n, out);
}

bool KnownVersion(uint32_t version) { return version == 1 || version == kFormatVersion; }

// Verifies the checksum and magic; returns a reader over the body and the format version.
Reader OpenBody(const std::string& bytes, uint32_t& version) {
  if (bytes.size() < sizeof kMagic + 4 + kChecksumSize) throw DumpCorrupt("the dump is truncated");
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) throw DumpCorrupt("not a dump");
  const size_t body = bytes.size() - kChecksumSize;
  unsigned char sum[kChecksumSize];
  Checksum(bytes, body, sum);
  if (std::memcmp(sum, bytes.data() + body, kChecksumSize) != 0)
    throw DumpCorrupt("the checksum does not match");
  Reader r(bytes.data(), body);
  char magic[sizeof kMagic];
  r.Raw(magic, sizeof magic);
  version = r.Num<uint32_t>();
  if (!KnownVersion(version)) throw DumpCorrupt("unknown format version");
  return r;
}

// Walks a dump's body from the schema name on, to its end: the header, the class table, the
// records by the stored layout of their entries and the transactions with their changes,
// checking every count against the bytes left. It needs no schema, so it checks structure
// only. Throws DumpCorrupt.
DumpInfo WalkBody(Reader& r, uint32_t version) {
  DumpInfo info;
  info.formatVersion = version;
  info.schemaName = r.Str();
  info.schemaVersion = r.Str();
  r.Num<int32_t>();
  const auto classCount = r.Num<uint32_t>();
  r.NeedItems(classCount, 8);
  std::vector<std::vector<int32_t>> types(classCount);
  for (auto& fieldTypes : types) {
    r.Str();
    const auto fieldCount = r.Num<uint32_t>();
    r.NeedItems(fieldCount, 8);
    for (uint32_t i = 0; i < fieldCount; ++i) {
      r.Str();
      fieldTypes.push_back(r.Num<int32_t>());
    }
  }
  auto skipValues = [&] {
    const auto index = r.Num<uint32_t>();
    if (index >= types.size()) throw DumpCorrupt("bad class index");
    for (int32_t fieldType : types[index]) r.Value(fieldType);
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

}  // namespace

std::string EncodeDump(const Schema& schema, const Store& store) {
  // About 16 bytes per value is a generous guess that spares most reallocations.
  size_t expected = 4096;
  if (!store.records.empty())
    expected += store.records.size() * (8 + 16 * store.records.begin()->second.values.size());
  Writer w(expected);
  w.Raw(kMagic, sizeof kMagic);
  w.Num(kFormatVersion);
  w.Str(schema.name);
  w.Str(schema.version);
  w.Num<int32_t>(store.nextId);
  std::vector<TableEntry> table = codec::SchemaTable(schema);
  std::map<RecordID, uint32_t> unknownEntry;
  for (const auto& [id, record] : store.unknownRecords) {
    unknownEntry[id] = static_cast<uint32_t>(table.size());
    table.push_back(
        TableEntry{record.className, record.fieldNames, record.fieldTypes, nullptr, {}, false});
  }
  codec::WriteTable(w, table);
  w.Num(static_cast<uint64_t>(store.records.size() + store.unknownRecords.size()));
  for (const auto& [id, record] : store.records) {
    w.Num(id);
    w.Num(static_cast<uint32_t>(record.classId - 1));
    codec::WriteRecordValues(w, table[static_cast<size_t>(record.classId - 1)], record.values);
  }
  for (const auto& [id, record] : store.unknownRecords) {
    w.Num(id);
    w.Num(unknownEntry[id]);
    codec::WriteRecordValues(w, table[unknownEntry[id]], record.values);
  }
  w.Num(static_cast<uint32_t>(store.transactions.size()));
  for (const PersistentTransaction& t : store.transactions) {
    codec::WriteScenarioHeader(w, t);
    w.Num(static_cast<uint64_t>(t.delta.size()));
    for (const auto& [id, change] : t.delta) {
      w.Num(id);
      codec::WriteChange(w, schema, change);
    }
  }
  unsigned char sum[kChecksumSize];
  Checksum(w.Bytes(), w.Bytes().size(), sum);
  w.Raw(sum, sizeof sum);
  return std::move(w.Bytes());
}

Store DecodeDump(const std::string& bytes, const Schema& schema, ClassMembers* members) {
  uint32_t version = 0;
  Reader r = OpenBody(bytes, version);
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
      codec::CheckPasswordHash(*entry.cls, added->second);
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

DumpInfo ReadDumpInfo(const std::string& bytes) {
  uint32_t version = 0;
  Reader r = OpenBody(bytes, version);
  return WalkBody(r, version);
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
    const auto version = r.Num<uint32_t>();
    if (!KnownVersion(version)) return ReadOutcome::kDamaged;
    WalkBody(r, version);
  } catch (const DumpCorrupt&) {
    return source.Failed() ? ReadOutcome::kUnreadable : ReadOutcome::kDamaged;
  }
  if (!file.ReadTo(file.Size())) return ReadOutcome::kUnreadable;
  bytes = std::move(file.Contents());
  return ReadOutcome::kOk;
}

}  // namespace kestrel
