#include "kestrel/engine/Store.h"

#include <stdexcept>

namespace kestrel {

namespace {

size_t ValueBytes(const Value& v) {
  size_t bytes = sizeof(Value);
  if (const auto* s = std::get_if<std::u16string>(&v)) bytes += s->capacity() * sizeof(char16_t);
  if (const auto* b = std::get_if<Blob>(&v)) bytes += b->capacity();
  if (const auto* l = std::get_if<LinkList>(&v)) bytes += l->capacity() * sizeof(RecordID);
  return bytes;
}

size_t RecordBytes(const Record& record) {
  // A map node holds the key, the record and about four pointers of bookkeeping.
  size_t bytes = sizeof(RecordID) + sizeof(Record) + 4 * sizeof(void*);
  for (const Value& v : record.values) bytes += ValueBytes(v);
  return bytes;
}

}  // namespace

RecordID Store::NewId() {
  if (nextId < 1 || nextId > kMaxRecordId) throw std::length_error("no record IDs left");
  return nextId++;
}

RecordID Store::Insert(Record record) {
  const RecordID id = NewId();
  records.emplace_hint(records.end(), id, std::move(record));
  return id;
}

const PersistentTransaction* Store::FindTransaction(const std::string& name) const {
  for (const PersistentTransaction& t : transactions)
    if (t.name == name) return &t;
  return nullptr;
}

PersistentTransaction* Store::FindTransaction(const std::string& name) {
  for (PersistentTransaction& t : transactions)
    if (t.name == name) return &t;
  return nullptr;
}

size_t Store::MemoryUsage() const {
  size_t bytes = sizeof(Store);
  for (const auto& [id, record] : records) bytes += RecordBytes(record);
  for (const auto& [id, record] : unknownRecords) {
    bytes += sizeof(UnknownRecord) + record.className.capacity();
    for (const Value& v : record.values) bytes += ValueBytes(v);
  }
  for (const PersistentTransaction& t : transactions) {
    bytes += sizeof(PersistentTransaction) + t.name.capacity() + t.description.capacity() * 2;
    for (const auto& [id, change] : t.delta) bytes += change ? RecordBytes(*change) : 16;
  }
  return bytes;
}

}  // namespace kestrel
