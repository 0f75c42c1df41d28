// The committed data of one database: its records by ID, records whose class the schema does
// not know (kept so that they survive a save and can be reported and removed by the integrity
// check), the next free record ID, and the persistent transactions with the changes each keeps
// over its parent's view. Transactions layer their deltas over this store; a commit into the
// actual plan writes into `records`.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "kestrel/engine/Value.h"

namespace kestrel {

struct Record {
  ClassID classId = kNoClass;
  std::vector<Value> values;  // one per field of the class, in the class's field order
};

// A record of a class missing from the schema, with the field layout it was stored with.
struct UnknownRecord {
  std::string className;
  std::vector<std::string> fieldNames;
  std::vector<int32_t> fieldTypes;
  std::vector<Value> values;
};

// A change of a transaction: the new state of a record, or nullopt when it was deleted.
using Delta = std::map<RecordID, std::optional<Record>>;

struct PersistentTransaction {
  std::string name;
  std::string parent;  // empty: directly under Root
  int32_t flags = 0;
  std::u16string description;
  Delta delta;
};

class Store {
 public:
  std::map<RecordID, Record> records;
  std::map<RecordID, UnknownRecord> unknownRecords;
  RecordID nextId = 1;
  std::vector<PersistentTransaction> transactions;

  RecordID Insert(Record record);
  const PersistentTransaction* FindTransaction(const std::string& name) const;
  // Approximate bytes held.
  size_t MemoryUsage() const;
};

}  // namespace kestrel
