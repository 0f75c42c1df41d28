// The binary dump (.dmp) of a database. All integers are little-endian.
//
//   magic            8 bytes "KESTRDMP"
//   format version   u32 (2; version 1 is read too: its transactions lack the three fields
//                    after the description)
//   schema name      str
//   schema version   str
//   next record ID   i32
//   class table      the schema's classes in ID order, then the classes of unknown records
//   records          u64 count, per record: i32 ID, u32 class-table index, values
//   transactions     u32 count, per transaction: str name, str parent (empty: under Root),
//                    i32 flags, wstr description (u32 unit count + UTF-16LE units),
//                    wstr owner, i32 start date, u8 isVersion,
//                    u64 change count, per change: i32 record ID, u8 kind
//                    (0 deleted, 1 record: u32 class-table index, values)
//   checksum         32 bytes: SHA-256 of every byte before it
//
// str, wstr, the class table and values are described in BinaryCodec.h. Records of a class
// that the schema lacks are kept with the layout of their table entry. The journal that
// continues a dump (Journal.h) shares these elements. A dump is corrupt, besides bad
// structure, when its next record ID lies outside 1 to kMaxRecordId + 1 or a SYSUser password
// hash asks for more than kMaxPasswordIterations.
#pragma once

#include <stdexcept>
#include <string>

#include "kestrel/engine/BinaryCodec.h"
#include "kestrel/engine/FileIO.h"
#include "kestrel/engine/Indexes.h"
#include "kestrel/engine/Schema.h"
#include "kestrel/engine/Store.h"

namespace kestrel {

// The dump is not a well-formed dump (truncated, corrupt checksum, bad structure).
using DumpCorrupt = CorruptData;
// The dump is well-formed but belongs to another schema name or version.
class DumpSchemaMismatch : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DumpInfo {
  uint32_t formatVersion = 0;
  std::string schemaName;
  std::string schemaVersion;
  uint64_t recordCount = 0;
  uint32_t transactionCount = 0;
};

std::string EncodeDump(const Schema& schema, const Store& store);
// Writes the dump of `store` to `path` as it is encoded, a piece at a time, replacing the file
// atomically (AtomicFile); false leaves `path` as it was. On success `checksum` receives the
// dump's checksum (DumpChecksum).
bool SaveDump(const std::string& path, const Schema& schema, const Store& store,
              std::string& checksum);
// Parses a dump made for `schema`; throws DumpCorrupt or DumpSchemaMismatch. `members`, when
// given, receives the records of each class (for Indexes::Adopt).
Store DecodeDump(const std::string& bytes, const Schema& schema, ClassMembers* members = nullptr);
// Checks the checksum, reads the header and counts and walks the structure to its end; throws
// DumpCorrupt.
DumpInfo ReadDumpInfo(const std::string& bytes);
// Reads a dump file whole: anything that is not a regular file beginning with the dump's magic
// is refused before its body is read (kWrongKind for a file of another kind). The structure is
// checked as the file is read: a file whose structure cannot be a dump's (truncated, a count
// beyond its size, bytes past the end of the structure) is refused as kDamaged, and reading
// stops there. The checksum is left to DecodeDump and ReadDumpInfo.
ReadOutcome ReadDumpFile(const std::string& path, std::string& bytes);
// The checksum that ends a dump (its last 32 bytes): what identifies the dump a journal
// continues. Empty for bytes too short to be a dump.
std::string DumpChecksum(const std::string& bytes);

}  // namespace kestrel
