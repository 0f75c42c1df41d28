#include "kestrel/engine/BinaryCodec.h"

#include <algorithm>

#include "kestrel/engine/Password.h"
#include "kestrel/engine/Text.h"

namespace kestrel::codec {

namespace {

// Written for the trailing fields a record lacks. An lvalue like the record's own values, so that
// `i < size ? values[i] : kNull` binds a reference rather than copying each value.
const Value kNull;

}  // namespace

void Writer::Str(const std::string& s) {
  Num(static_cast<uint32_t>(s.size()));
  Raw(s.data(), s.size());
}

void Writer::WStr(const std::u16string& s) {
  Num(static_cast<uint32_t>(s.size()));
  Raw(s.data(), s.size() * sizeof(char16_t));
}

void Writer::KindValue(const kestrel::Value& v, size_t kind) {
  if (v.index() != kind || IsNull(v)) {
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
          Raw(x.data(), x.size() * sizeof(RecordID));
        }
      },
      v);
}

std::string Writer::Take() {
  out_.resize(used_);
  used_ = 0;
  return std::move(out_);
}

void Writer::Grow(size_t n) {
  out_.resize(std::max(2 * out_.size(), std::max<size_t>(used_ + n, 256)));
}

Reader::Reader(ByteSource& source, size_t end, size_t begin)
    : data_(nullptr), end_(end), held_(0), pos_(begin), source_(&source) {
  const std::string_view held = source.Fetch(begin);
  data_ = held.data();
  held_ = std::min(held.size(), end_);
  if (held_ < pos_) throw CorruptData("the data is truncated");
}

void Reader::Fetch(uint64_t n) {
  if (source_ == nullptr || n > end_ - pos_) throw CorruptData("the data is truncated");
  const std::string_view held = source_->Fetch(pos_ + static_cast<size_t>(n));
  data_ = held.data();
  held_ = std::min(held.size(), end_);
  if (n > held_ - pos_) throw CorruptData("the data is truncated");
}

std::string Reader::Str() {
  const auto n = Num<uint32_t>();
  Need(n);
  std::string s(data_ + pos_, n);
  pos_ += n;
  return s;
}

std::u16string Reader::WStr() {
  const auto n = Num<uint32_t>();
  Need(static_cast<uint64_t>(n) * 2);
  std::u16string s(n, u'\0');
  Raw(s.data(), static_cast<size_t>(n) * 2);
  return s;
}

kestrel::Value Reader::KindValue(size_t kind) {
  const auto present = Num<uint8_t>();
  if (present == 0) return {};
  if (present != 1) throw CorruptData("bad value marker");
  switch (kind) {
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
      Need(uint64_t{n} * sizeof(RecordID));
      LinkList ids(n);
      Raw(ids.data(), ids.size() * sizeof(RecordID));
      return ids;
    }
    default:
      throw CorruptData("value of a field type that holds none");
  }
}

void Reader::SkipValue(size_t kind) {
  const auto present = Num<uint8_t>();
  if (present == 0) return;
  if (present != 1) throw CorruptData("bad value marker");
  uint64_t n;
  switch (kind) {
    case 1:
      n = sizeof(int32_t);
      break;
    case 2:
      n = sizeof(double);
      break;
    case 3:
      n = uint64_t{Num<uint32_t>()} * sizeof(char16_t);
      break;
    case 4:
      n = Num<uint32_t>();
      break;
    case 5:
      n = uint64_t{Num<uint32_t>()} * sizeof(RecordID);
      break;
    default:
      throw CorruptData("value of a field type that holds none");
  }
  Need(n);
  pos_ += static_cast<size_t>(n);
}

TableEntry UnknownEntry(std::string name, std::vector<std::string> fieldNames,
                        std::vector<int32_t> fieldTypes) {
  TableEntry entry{
      std::move(name), std::move(fieldNames), std::move(fieldTypes), {}, nullptr, {}, false};
  for (const int32_t fieldType : entry.fieldTypes) entry.kinds.push_back(AlternativeOf(fieldType));
  return entry;
}

std::vector<TableEntry> SchemaTable(const Schema& schema) {
  std::vector<TableEntry> table;
  table.reserve(schema.classes.size());
  for (const ClassDef& cls : schema.classes) {
    TableEntry entry{cls.name, {}, {}, {}, &cls, {}, true};
    for (const FieldDef& field : cls.allFields) {
      entry.fieldNames.push_back(field.name);
      entry.fieldTypes.push_back(StoredType(field));
      entry.kinds.push_back(AlternativeOf(entry.fieldTypes.back()));
      entry.schemaPosition.push_back(static_cast<int>(entry.schemaPosition.size()));
    }
    table.push_back(std::move(entry));
  }
  return table;
}

void WriteTable(Writer& w, const std::vector<TableEntry>& table) {
  w.Num(static_cast<uint32_t>(table.size()));
  for (const TableEntry& entry : table) {
    w.Str(entry.name);
    w.Num(static_cast<uint32_t>(entry.fieldNames.size()));
    for (size_t i = 0; i < entry.fieldNames.size(); ++i) {
      w.Str(entry.fieldNames[i]);
      w.Num(entry.fieldTypes[i]);
    }
  }
}

std::vector<TableEntry> ReadTable(Reader& r, const Schema& schema) {
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
        throw CorruptData("unknown field type");
      entry.fieldTypes.push_back(fieldType);
      entry.kinds.push_back(AlternativeOf(fieldType));
      int at = entry.cls ? entry.cls->FieldIndex(entry.fieldNames.back()) : -1;
      if (at >= 0 && entry.cls->allFields[static_cast<size_t>(at)].type != fieldType) at = -1;
      entry.schemaPosition.push_back(at);
    }
    entry.sameLayout = entry.cls != nullptr && fieldCount == entry.cls->allFields.size();
    for (uint32_t i = 0; entry.sameLayout && i < fieldCount; ++i)
      entry.sameLayout = entry.schemaPosition[i] == static_cast<int>(i);
  }
  return table;
}

void WriteClassValues(Writer& w, const ClassDef& cls, const std::vector<Value>& values) {
  for (size_t i = 0; i < cls.allFields.size(); ++i)
    w.Value(i < values.size() ? values[i] : kNull, StoredType(cls.allFields[i]));
}

void WriteRecordValues(Writer& w, const TableEntry& entry, const std::vector<Value>& values) {
  for (size_t i = 0; i < entry.kinds.size(); ++i)
    w.KindValue(i < values.size() ? values[i] : kNull, entry.kinds[i]);
}

std::vector<Value> ReadRecordValues(Reader& r, const TableEntry& entry) {
  std::vector<Value> values;
  values.reserve(entry.kinds.size());
  for (const size_t kind : entry.kinds) values.push_back(r.KindValue(kind));
  return values;
}

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

void WriteChange(Writer& w, const Schema& schema, const std::optional<Record>& change) {
  w.Num<uint8_t>(change ? 1 : 0);
  if (!change) return;
  w.Num(static_cast<uint32_t>(change->classId - 1));
  WriteClassValues(w, *schema.FindClass(change->classId), change->values);
}

std::optional<Record> ReadChange(Reader& r, const std::vector<TableEntry>& table) {
  const auto kind = r.Num<uint8_t>();
  if (kind == 0) return std::nullopt;
  if (kind != 1) throw CorruptData("bad change kind");
  const auto index = r.Num<uint32_t>();
  if (index >= table.size()) throw CorruptData("bad class index");
  const TableEntry& entry = table[index];
  if (entry.cls == nullptr) throw CorruptData("change of a record of an unknown class");
  return ToRecord(entry, ReadRecordValues(r, entry));
}

void WriteScenarioHeader(Writer& w, const PersistentTransaction& scenario) {
  w.Str(scenario.name);
  w.Str(scenario.parent);
  w.Num(scenario.flags);
  w.WStr(scenario.description);
  w.WStr(scenario.owner);
  w.Num(scenario.startDate);
  w.Num<uint8_t>(scenario.isVersion ? 1 : 0);
}

PersistentTransaction ReadScenarioHeader(Reader& r, bool withOwner) {
  PersistentTransaction scenario;
  scenario.name = r.Str();
  scenario.parent = r.Str();
  scenario.flags = r.Num<int32_t>();
  scenario.description = r.WStr();
  if (withOwner) {
    scenario.owner = r.WStr();
    scenario.startDate = r.Num<int32_t>();
    scenario.isVersion = r.Num<uint8_t>() != 0;
  }
  return scenario;
}

void CheckPasswordHash(const ClassDef& cls, const Record& record) {
  if (cls.name != "SYSUser") return;
  const int at = cls.FieldIndex("password");
  const auto* hash = std::get_if<std::u16string>(&record.values[static_cast<size_t>(at)]);
  if (hash != nullptr && !HashIterationsAcceptable(ToUtf8(*hash)))
    throw CorruptData("a password hash asks for too many iterations");
}

}  // namespace kestrel::codec
