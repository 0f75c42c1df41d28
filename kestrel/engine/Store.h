// The committed data of one database: its records by ID, records whose class the schema does
// not know (kept so that they survive a save and can be reported and removed by the integrity
// check), the next free record ID, and the persistent transactions with the changes each keeps
// over its parent's view. Transactions layer their deltas over this store; a commit into the
// actual plan writes into `records`.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
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

// Record IDs run from 1 to kMaxRecordId; a store whose next ID lies beyond kMaxRecordId + 1 is
// corrupt. The top of the integer range stays unused so that no ID arithmetic can overflow.
constexpr RecordID kMaxRecordId = 0x7FFF0000;

// Bookkeeping of one layer of changes while the database is online (never stored): the commit
// sequence number of each write into the layer, and per record the version that the parent's
// view showed when the layer's transaction first read it (the base of conflict detection).
struct Versions {
  std::unordered_map<RecordID, uint64_t> written;
  std::unordered_map<RecordID, uint64_t> read;
  void Clear() {
    written.clear();
    read.clear();
  }
};

// A persistent transaction (scenario): the one source of its name, parent, visibility (flags
// 0x1000 private, 0x2000 protected), owner, start date, description and changes. The
// _DBTransaction row that lists it is derived from it (see Scenarios.h).
struct PersistentTransaction {
  std::string name;
  std::string parent;  // empty: directly under Root
  int32_t flags = 0;
  std::u16string description;
  Delta delta;
  std::u16string owner;   // user who created it
  int32_t startDate = 0;  // seconds since 1970 UTC
  bool isVersion = true;  // listed among the database's scenarios
  Versions versions;
};

class Store {
 public:
  std::map<RecordID, Record> records;
  std::map<RecordID, UnknownRecord> unknownRecords;
  RecordID nextId = 1;
  std::vector<PersistentTransaction> transactions;

  // Appends a record under the next free ID; throws std::length_error when the IDs ran out.
  RecordID Insert(Record record);
  // The next free ID, reserved; throws std::length_error when the IDs ran out.
  RecordID NewId();
  const PersistentTransaction* FindTransaction(const std::string& name) const;
  PersistentTransaction* FindTransaction(const std::string& name);
  // Approximate bytes held.
  size_t MemoryUsage() const;
};

}  // namespace kestrel
