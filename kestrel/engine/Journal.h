// The write-ahead journal of a database: every change that a save would write reaches the
// journal's file, flushed to disk, before the change is made, so that a database whose process
// dies between two saves comes back with every change it acknowledged. A save writes the dump
// and starts the journal afresh.
//
// Format (integers little-endian; str, wstr, the class table, values, changes and scenario
// headers as described in BinaryCodec.h):
//
//   magic    8 bytes "KESTRJNL"
//   frames   each: u32 payload length, the payload, 32 bytes SHA-256 of the payload
//
// The first frame is the header:
//   format version   u32 (1)
//   database name    str
//   base             32 bytes: the checksum of the dump the journal continues (DumpChecksum)
//   schema name      str
//   schema version   str
//   class table      the schema's classes in ID order
// Every further frame is one entry, the changes of one operation in the order they were made:
//   next record ID   i32
//   op count         u32, then per op a u8 kind and its operands:
//     1 record written      i32 ID, u32 class-table index, values
//     2 record deleted      i32 ID (also a record of a class the schema lacks)
//     3 scenario created    scenario header (it starts without changes)
//     4 scenario described  str name, wstr description
//     5 scenario changed    str name, i32 ID, change
//     6 scenario emptied    str name (its changes went to its parent)
//     7 scenario removed    str name (its descendants have ops of their own)
//
// Replay. A journal applies to the dump whose checksum it names and to nothing else: a journal
// naming another dump is what a crash between a save and the journal's restart leaves behind,
// and holds nothing that the dump lacks. Entries apply in order up to the end, or up to the
// first frame that is cut short (the write a crash interrupted) or whose checksum does not
// match; that frame and everything after it are dropped, and appending resumes there.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "kestrel/engine/BinaryCodec.h"
#include "kestrel/engine/Schema.h"
#include "kestrel/engine/Store.h"

namespace kestrel {

// The ops of one entry, encoded as they are added.
class JournalEntry {
 public:
  explicit JournalEntry(const Schema& schema) : schema_(schema) {}
  // A record of the committed data written (nullopt: deleted).
  void Write(RecordID id, const std::optional<Record>& record);
  void CreateScenario(const PersistentTransaction& scenario);
  void DescribeScenario(const std::string& name, const std::u16string& description);
  // The scenario's change of a record (nullopt: the scenario deletes it).
  void ChangeScenario(const std::string& name, RecordID id, const std::optional<Record>& change);
  void EmptyScenario(const std::string& name);
  void RemoveScenario(const std::string& name);

  bool Empty() const { return count_ == 0; }
  uint32_t Count() const { return count_; }
  std::string_view Ops() const { return ops_.View(); }

 private:
  void Op(uint8_t kind) {
    ops_.Num(kind);
    ++count_;
  }

  const Schema& schema_;
  codec::Writer ops_;
  uint32_t count_ = 0;
};

class Journal {
 public:
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Creates the journal at `path` (replacing the file atomically): no entries, continuing the
  // dump whose checksum is `base`. Null when the file cannot be written.
  static std::unique_ptr<Journal> Create(const std::string& path, const std::string& database,
                                         const Schema& schema, const std::string& base);

  struct Reopened {
    std::unique_ptr<Journal> journal;  // null: the journal cannot be used (`problem` says why)
    size_t entries = 0;                // entries applied to the store
    std::string problem;               // what went wrong, empty when nothing did
  };
  // Reopens the journal of a database that was just loaded from the dump with checksum `base`:
  // applies its entries to `store`, cuts off what follows the last good entry and keeps the
  // file open for appending.
  static Reopened Reopen(const std::string& path, const std::string& database, const Schema& schema,
                         const std::string& base, Store& store);

  // The database a journal file belongs to: false when the file is no journal (or unreadable).
  static bool Owner(const std::string& path, std::string& database);

  const std::string& Path() const { return path_; }
  // Appends the entry and flushes it to disk. False when it cannot: the file then ends as it
  // did before; when not even that can be ensured, every later append fails too, until a
  // Restart succeeds.
  bool Append(JournalEntry& entry, RecordID nextId);
  // Starts afresh after a save of the dump whose checksum is `base`.
  bool Restart(const std::string& base);

 private:
  Journal(std::string path, std::string database, const Schema& schema)
      : path_(std::move(path)), database_(std::move(database)), schema_(schema) {}
  // Opens the file for writing from `size` on, cutting off what follows.
  bool OpenAt(uint64_t size);
  void Close();

  std::string path_;
  std::string database_;
  const Schema& schema_;
  int fd_ = -1;
  uint64_t size_ = 0;  // bytes of whole frames
  bool failed_ = false;
};

}  // namespace kestrel
