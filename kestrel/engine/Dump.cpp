#include "kestrel/engine/Dump.h"

#include <openssl/sha.h>

#include <algorithm>
#include <cstring>

#include "kestrel/engine/Password.h"
#include "kestrel/engine/Text.h"

namespace kestrel {

namespace {

constexpr char kMagic[8] = {'K', 'E', 'S', 'T', 'R', 'D', 'M', 'P'};
constexpr uint32_t kFormatVersion = 2;  // 1: transactions without owner, start date, isVersion
constexpr size_t kChecksumSize = SHA256_DIGEST_LENGTH;

class Writer {
 public:
  explicit Writer(size_t expected) { out_.reserve(expected); }
  void Raw(const void* p, size_t n) { out_.append(static_cast<const char*>(p), n); }
  template <typename T>
  void Num(T v) {
    unsigned char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));  // the engine runs on little-endian machines only
    Raw(b, sizeof(T));
  }
  void Str(const std::string& s) {
    Num(static_cast<uint32_t>(s.size()));
    Raw(s.data(), s.size());
  }
  void WStr(const std::u16string& s) {
    Num(static_cast<uint32_t>(s.size()));
    Raw(s.data(), s.size() * sizeof(char16_t));
  }
  void Value(const kestrel::Value& v, int32_t fieldType) {
    if (IsNull(v) || !FitsType(v, fieldType)) {
      Num<uint8_t>(0);
      return;
    }
    Num<uint8_t>(1);
    std::visit(
        [this](const auto& x) {
          using T = std::decay_t<decltype(x)>;
          if constexpr (std::is_same_v<T, int32_t> || std::is_same_v<T, double>) {
            Num(x);
          } else if constexpr (std::is_same_v<T, std::u16string>) {
            WStr(x);
          } else if constexpr (std::is_same_v<T, Blob>) {
            Num(static_cast<uint32_t>(x.size()));
            Raw(x.data(), x.size());
          } else if constexpr (std::is_same_v<T, LinkList>) {
            Num(static_cast<uint32_t>(x.size()));
            for (RecordID id : x) Num(id);
          }
        },
        v);
  }
  std::string& Bytes() { return out_; }

 private:
  std::string out_;
};

class Reader {
 public:
  Reader(const std::string& bytes, size_t end) : data_(bytes.data()), end_(end) {}
  void Raw(void* p, size_t n) {
    Need(n);
    std::memcpy(p, data_ + pos_, n);
    pos_ += n;
  }
  template <typename T>
  T Num() {
    T v;
    Raw(&v, sizeof(T));
    return v;
  }
  std::string Str() {
    const auto n = Num<uint32_t>();
    Need(n);
    std::string s(data_ + pos_, n);
    pos_ += n;
    return s;
  }
  std::u16string WStr() {
    const auto n = Num<uint32_t>();
    Need(static_cast<uint64_t>(n) * 2);
    std::u16string s(n, u'\0');
    Raw(s.data(), static_cast<size_t>(n) * 2);
    return s;
  }
  kestrel::Value Value(int32_t fieldType) {
    const auto present = Num<uint8_t>();
    if (present == 0) return {};
    if (present != 1) throw DumpCorrupt("bad value marker");
    switch (AlternativeOf(fieldType)) {
      case 1:
        return Num<int32_t>();
      case 2:
        return Num<double>();
      case 3:
        return WStr();
      case 4: {
        const auto n = Num<uint32_t>();
        Need(n);
        Blob b(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return b;
      }
      case 5: {
        const auto n = Num<uint32_t>();
        Need(static_cast<uint64_t>(n) * 4);
        LinkList ids(n);
        for (auto& id : ids) id = Num<int32_t>();
        return ids;
      }
      default:
        throw DumpCorrupt("value of a field type that holds none");
    }
  }
  // Guards counts read from the file against the bytes left, so that a corrupt count cannot
  // make the reader reserve huge amounts of memory.
  void NeedItems(uint64_t count, size_t minBytesEach) {
    if (count > (end_ - pos_) / minBytesEach) throw DumpCorrupt("count exceeds the dump's size");
  }
  bool AtEnd() const { return pos_ == end_; }

 private:
  void Need(uint64_t n) const {
    if (n > end_ - pos_) throw DumpCorrupt("the dump is truncated");
  }
  const char* data_;
  size_t end_;
  size_t pos_ = 0;
};

struct TableEntry {
  std::string name;
  std::vector<std::string> fieldNames;
  std::vector<int32_t> fieldTypes;
  const ClassDef* cls = nullptr;    // null: unknown to the schema
  std::vector<int> schemaPosition;  // per field: index in cls->allFields, -1 dropped
  bool sameLayout = false;          // the stored fields are exactly the class's, in order
};

void Checksum(const std::string& bytes, size_t n, unsigned char out[kChecksumSize]) {
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), n, out);
}

// Verifies the checksum and magic; returns a reader over the body and the format version.
Reader OpenBody(const std::string& bytes, uint32_t& version) {
  if (bytes.size() < sizeof kMagic + 4 + kChecksumSize) throw DumpCorrupt("the dump is truncated");
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) throw DumpCorrupt("not a dump");
  const size_t body = bytes.size() - kChecksumSize;
  unsigned char sum[kChecksumSize];
  Checksum(bytes, body, sum);
  if (std::memcmp(sum, bytes.data() + body, kChecksumSize) != 0)
    throw DumpCorrupt("the checksum does not match");
  Reader r(bytes, body);
  char magic[sizeof kMagic];
  r.Raw(magic, sizeof magic);
  version = r.Num<uint32_t>();
  if (version != 1 && version != kFormatVersion) throw DumpCorrupt("unknown format version");
  return r;
}

void WriteRecordValues(Writer& w, const TableEntry& entry, const std::vector<Value>& values) {
  for (size_t i = 0; i < entry.fieldTypes.size(); ++i)
    w.Value(i < values.size() ? values[i] : Value{}, entry.fieldTypes[i]);
}

std::vector<Value> ReadRecordValues(Reader& r, const TableEntry& entry) {
  std::vector<Value> values;
  values.reserve(entry.fieldTypes.size());
  for (int32_t fieldType : entry.fieldTypes) values.push_back(r.Value(fieldType));
  return values;
}

// Maps stored values onto the schema's field list by name; fields the schema lacks are
// dropped, fields the dump lacks are null.
Record ToRecord(const TableEntry& entry, std::vector<Value> values) {
  if (entry.sameLayout) return Record{entry.cls->id, std::move(values)};
  Record record;
  record.classId = entry.cls->id;
  record.values.resize(entry.cls->allFields.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const int at = entry.schemaPosition[i];
    if (at >= 0) record.values[static_cast<size_t>(at)] = std::move(values[i]);
  }
  return record;
}

// Hashes that would make a logon run for minutes mark a crafted or corrupt dump.
void CheckPasswordHash(const ClassDef& cls, const Record& record) {
  if (cls.name != "SYSUser") return;
  const int at = cls.FieldIndex("password");
  const auto* hash = std::get_if<std::u16string>(&record.values[static_cast<size_t>(at)]);
  if (hash != nullptr && !HashIterationsAcceptable(ToUtf8(*hash)))
    throw DumpCorrupt("a password hash asks for too many iterations");
}

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
  std::vector<TableEntry> table;
  for (const ClassDef& cls : schema.classes) {
    TableEntry entry{cls.name, {}, {}, &cls, {}};
    for (const FieldDef& field : cls.allFields) {
      entry.fieldNames.push_back(field.name);
      entry.fieldTypes.push_back(field.IsComputedLink() ? type::kUnsupported : field.type);
    }
    table.push_back(std::move(entry));
  }
  std::map<RecordID, uint32_t> unknownEntry;
  for (const auto& [id, record] : store.unknownRecords) {
    unknownEntry[id] = static_cast<uint32_t>(table.size());
    table.push_back(
        TableEntry{record.className, record.fieldNames, record.fieldTypes, nullptr, {}});
  }
  w.Num(static_cast<uint32_t>(table.size()));
  for (const TableEntry& entry : table) {
    w.Str(entry.name);
    w.Num(static_cast<uint32_t>(entry.fieldNames.size()));
    for (size_t i = 0; i < entry.fieldNames.size(); ++i) {
      w.Str(entry.fieldNames[i]);
      w.Num(entry.fieldTypes[i]);
    }
  }
  w.Num(static_cast<uint64_t>(store.records.size() + store.unknownRecords.size()));
  for (const auto& [id, record] : store.records) {
    w.Num(id);
    w.Num(static_cast<uint32_t>(record.classId - 1));
    WriteRecordValues(w, table[static_cast<size_t>(record.classId - 1)], record.values);
  }
  for (const auto& [id, record] : store.unknownRecords) {
    w.Num(id);
    w.Num(unknownEntry[id]);
    WriteRecordValues(w, table[unknownEntry[id]], record.values);
  }
  w.Num(static_cast<uint32_t>(store.transactions.size()));
  for (const PersistentTransaction& t : store.transactions) {
    w.Str(t.name);
    w.Str(t.parent);
    w.Num(t.flags);
    w.WStr(t.description);
    w.WStr(t.owner);
    w.Num(t.startDate);
    w.Num<uint8_t>(t.isVersion ? 1 : 0);
    w.Num(static_cast<uint64_t>(t.delta.size()));
    for (const auto& [id, change] : t.delta) {
      w.Num(id);
      w.Num<uint8_t>(change ? 1 : 0);
      if (!change) continue;
      w.Num(static_cast<uint32_t>(change->classId - 1));
      WriteRecordValues(w, table[static_cast<size_t>(change->classId - 1)], change->values);
    }
  }
  unsigned char sum[kChecksumSize];
  Checksum(w.Bytes(), w.Bytes().size(), sum);
  w.Raw(sum, sizeof sum);
  return std::move(w.Bytes());
}

Store DecodeDump(const std::string& bytes, const Schema& schema) {
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
  const auto classCount = r.Num<uint32_t>();
  r.NeedItems(classCount, 8);
  std::vector<TableEntry> table(classCount);
  for (TableEntry& entry : table) {
    entry.name = r.Str();
    const auto fieldCount = r.Num<uint32_t>();
    r.NeedItems(fieldCount, 8);
    entry.cls = schema.FindClass(entry.name);
    for (uint32_t i = 0; i < fieldCount; ++i) {
      entry.fieldNames.push_back(r.Str());
      const auto fieldType = r.Num<int32_t>();
      if (fieldType != type::kUnsupported && !IsKnownType(fieldType))
        throw DumpCorrupt("unknown field type");
      entry.fieldTypes.push_back(fieldType);
      int at = entry.cls ? entry.cls->FieldIndex(entry.fieldNames.back()) : -1;
      if (at >= 0 && entry.cls->allFields[static_cast<size_t>(at)].type != fieldType) at = -1;
      entry.schemaPosition.push_back(at);
    }
    entry.sameLayout = entry.cls != nullptr && fieldCount == entry.cls->allFields.size();
    for (uint32_t i = 0; entry.sameLayout && i < fieldCount; ++i)
      entry.sameLayout = entry.schemaPosition[i] == static_cast<int>(i);
  }
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
  for (uint64_t i = 0; i < recordCount; ++i) {
    const auto id = r.Num<int32_t>();
    checkId(id);
    const TableEntry& entry = entryAt(r.Num<uint32_t>());
    std::vector<Value> values = ReadRecordValues(r, entry);
    bool fresh;
    if (entry.cls != nullptr) {
      // Records come in ascending order from our writer: appending needs no search.
      const size_t before = store.records.size();
      const auto hint = id > last ? store.records.end() : store.records.lower_bound(id);
      const auto added = store.records.emplace_hint(hint, id, ToRecord(entry, std::move(values)));
      fresh = store.records.size() > before;
      CheckPasswordHash(*entry.cls, added->second);
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
  const auto transactionCount = r.Num<uint32_t>();
  r.NeedItems(transactionCount, 8);
  for (uint32_t i = 0; i < transactionCount; ++i) {
    PersistentTransaction t;
    t.name = r.Str();
    t.parent = r.Str();
    t.flags = r.Num<int32_t>();
    t.description = r.WStr();
    if (version >= 2) {
      t.owner = r.WStr();
      t.startDate = r.Num<int32_t>();
      t.isVersion = r.Num<uint8_t>() != 0;
    }
    if (t.name.empty() || store.FindTransaction(t.name) != nullptr ||
        (!t.parent.empty() && store.FindTransaction(t.parent) == nullptr))
      throw DumpCorrupt("bad persistent transaction " + t.name);
    const auto changes = r.Num<uint64_t>();
    r.NeedItems(changes, 5);
    for (uint64_t k = 0; k < changes; ++k) {
      const auto id = r.Num<int32_t>();
      checkId(id);
      const auto kind = r.Num<uint8_t>();
      std::optional<Record> change;
      if (kind == 1) {
        const TableEntry& entry = entryAt(r.Num<uint32_t>());
        if (entry.cls == nullptr) throw DumpCorrupt("change of a record of an unknown class");
        change = ToRecord(entry, ReadRecordValues(r, entry));
      } else if (kind != 0) {
        throw DumpCorrupt("bad change kind");
      }
      t.delta[id] = std::move(change);
    }
    store.transactions.push_back(std::move(t));
  }
  if (!r.AtEnd()) throw DumpCorrupt("unexpected bytes after the transactions");
  return store;
}

DumpInfo ReadDumpInfo(const std::string& bytes) {
  DumpInfo info;
  Reader r = OpenBody(bytes, info.formatVersion);
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
  info.recordCount = r.Num<uint64_t>();
  r.NeedItems(info.recordCount, 8);
  for (uint64_t i = 0; i < info.recordCount; ++i) {
    r.Num<int32_t>();
    const auto index = r.Num<uint32_t>();
    if (index >= types.size()) throw DumpCorrupt("bad class index");
    for (int32_t fieldType : types[index]) r.Value(fieldType);
  }
  info.transactionCount = r.Num<uint32_t>();
  return info;
}

}  // namespace kestrel
