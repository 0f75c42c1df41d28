// The binary building blocks that the dump and the journal share: little-endian numbers, texts,
// the class table that names the stored layout of each class, and the values of records.
//
//   str    u32 byte count + UTF-8 bytes
//   wstr   u32 unit count + UTF-16LE units
//   class table   u32 count, per class: str name, u32 field count, per field: str name,
//                 i32 field type (0 for a field that stores nothing)
//   values        per field of the record's class-table entry, u8 0 (null) or 1 followed by the
//                 value in the field type's representation: i32 for integer-like types, f64 for
//                 float and currency, wstr for strings, u32 byte count + bytes for blobs, u32
//                 count + i32 IDs for link fields
#pragma once

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kestrel/engine/Schema.h"
#include "kestrel/engine/Store.h"

namespace kestrel {

// Bytes that are not well-formed (truncated, bad structure).
class CorruptData : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace codec {

// Appends encoded bytes to a buffer that grows ahead of them, so that a small write is a bounds
// check and a copy.
class Writer {
 public:
  explicit Writer(size_t expected = 0) { out_.resize(expected); }
  void Raw(const void* p, size_t n) {
    if (n == 0) return;  // an empty vector's data() may be null, which memcpy must not see
    if (n > out_.size() - used_) Grow(n);
    std::memcpy(out_.data() + used_, p, n);
    used_ += n;
  }
  template <typename T>
  void Num(T v) {
    Raw(&v, sizeof(T));  // the engine runs on little-endian machines only
  }
  void Str(const std::string& s);
  void WStr(const std::u16string& s);
  // A value of a field of `fieldType`; a value that does not fit the type is written as null.
  void Value(const kestrel::Value& v, int32_t fieldType) { KindValue(v, AlternativeOf(fieldType)); }
  // The same for a field whose type holds the Value alternative `kind` (AlternativeOf).
  void KindValue(const kestrel::Value& v, size_t kind);
  size_t Size() const { return used_; }
  // The bytes written, to be changed in place (a length filled in after its contents).
  char* Data() { return out_.data(); }
  std::string_view View() const { return {out_.data(), used_}; }
  // Hands over the bytes written and leaves the writer empty.
  std::string Take();
  // Forgets the bytes written and keeps the buffer for the next.
  void Clear() { used_ = 0; }

 private:
  void Grow(size_t n);
  std::string out_;  // its size is the buffer's; the first used_ bytes are written
  size_t used_ = 0;
};

// Where a Reader finds the bytes it was not given at once: a file read as it is walked.
class ByteSource {
 public:
  // Fetches on until the first `n` bytes are held, unless the source ends before; answers every
  // byte held, from the first.
  virtual std::string_view Fetch(size_t n) = 0;

 protected:
  ~ByteSource() = default;
};

// Reads bytes [begin, end) of a buffer, or of a source whose first `end` bytes it fetches as it
// needs them; every read past the end throws CorruptData.
class Reader {
 public:
  Reader(const char* data, size_t end, size_t begin = 0)
      : data_(data), end_(end), held_(end), pos_(begin) {}
  Reader(ByteSource& source, size_t end, size_t begin = 0);
  void Raw(void* p, size_t n) {
    if (n == 0) return;  // an empty vector's data() may be null, which memcpy must not see
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
  std::string Str();
  std::u16string WStr();
  kestrel::Value Value(int32_t fieldType) { return KindValue(AlternativeOf(fieldType)); }
  // A value of a field whose type holds the Value alternative `kind` (AlternativeOf).
  kestrel::Value KindValue(size_t kind);
  // Checks a value as KindValue reads it and steps over it without making it.
  void SkipValue(size_t kind);
  // Guards counts read from the bytes against the bytes left, so that a corrupt count cannot
  // make the reader reserve huge amounts of memory.
  void NeedItems(uint64_t count, size_t minBytesEach) const {
    if (count > (end_ - pos_) / minBytesEach) throw CorruptData("count exceeds the data's size");
  }
  bool AtEnd() const { return pos_ == end_; }
  size_t Position() const { return pos_; }

 private:
  void Need(uint64_t n) {
    if (n > held_ - pos_) Fetch(n);
  }
  // Makes `n` more bytes available from the source; throws CorruptData when they lie past the
  // end or the source ends first.
  void Fetch(uint64_t n);
  const char* data_;
  size_t end_;
  size_t held_;  // bytes available at data_: end_, or what the source holds so far
  size_t pos_;
  ByteSource* source_ = nullptr;
};

// One class as stored: its name and fields, and how they map onto the schema's class.
struct TableEntry {
  std::string name;
  std::vector<std::string> fieldNames;
  std::vector<int32_t> fieldTypes;
  std::vector<size_t> kinds;        // per field: the Value alternative its type holds
  const ClassDef* cls = nullptr;    // null: unknown to the schema
  std::vector<int> schemaPosition;  // per field: index in cls->allFields, -1 dropped
  bool sameLayout = false;          // the stored fields are exactly the class's, in order
};

// The type a field is stored with: its own, or 0 for a field that stores nothing.
inline int32_t StoredType(const FieldDef& field) {
  return field.IsComputedLink() ? type::kUnsupported : field.type;
}

// The entry of a class the schema lacks, stored with the given layout.
TableEntry UnknownEntry(std::string name, std::vector<std::string> fieldNames,
                        std::vector<int32_t> fieldTypes);
// The schema's classes in ID order (class-table index = class ID - 1).
std::vector<TableEntry> SchemaTable(const Schema& schema);
void WriteTable(Writer& w, const std::vector<TableEntry>& table);
// Reads a class table and maps it onto the schema by class and field names.
std::vector<TableEntry> ReadTable(Reader& r, const Schema& schema);

// The values of a record of the schema class `cls`, stored with the class's own layout.
void WriteClassValues(Writer& w, const ClassDef& cls, const std::vector<Value>& values);
void WriteRecordValues(Writer& w, const TableEntry& entry, const std::vector<Value>& values);
std::vector<Value> ReadRecordValues(Reader& r, const TableEntry& entry);
// Maps stored values of a known class onto the schema's field list by name; fields the schema
// lacks are dropped, fields the stored layout lacks are null.
Record ToRecord(const TableEntry& entry, std::vector<Value> values);
// A record of a schema class as a change: u8 1, u32 class-table index (class ID - 1), values;
// or u8 0 for a deletion (nullopt).
void WriteChange(Writer& w, const Schema& schema, const std::optional<Record>& change);
// Reads a change written by WriteChange; throws CorruptData for a class the schema lacks.
std::optional<Record> ReadChange(Reader& r, const std::vector<TableEntry>& table);
// A scenario's name, parent (empty: under Root), flags, description, owner, start date and
// isVersion: str, str, i32, wstr, wstr, i32, u8. `withOwner` false reads the first format,
// which ends after the description.
void WriteScenarioHeader(Writer& w, const PersistentTransaction& scenario);
PersistentTransaction ReadScenarioHeader(Reader& r, bool withOwner = true);
// Throws CorruptData for a SYSUser record whose password hash would make a logon run for
// minutes: the mark of crafted or corrupt data.
void CheckPasswordHash(const ClassDef& cls, const Record& record);

}  // namespace codec
}  // namespace kestrel
