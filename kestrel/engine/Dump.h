// The binary dump (.dmp) of a database. All integers are little-endian.
//
//   magic            8 bytes "KESTRDMP"
//   format version   u32 (2; version 1 is read too: its transactions lack the three fields
//                    after the description)
//   schema name      str        (str: u32 byte count + UTF-8 bytes)
//   schema version   str
//   next record ID   i32
//   class table      u32 count, per class: str name, u32 field count,
//                    per field: str name, i32 field type
//   records          u64 count, per record: i32 ID, u32 class-table index, values
//   transactions     u32 count, per transaction: str name, str parent (empty: under Root),
//                    i32 flags, wstr description (u32 unit count + UTF-16LE units),
//                    wstr owner, i32 start date, u8 isVersion,
//                    u64 change count, per change: i32 record ID, u8 kind
//                    (0 deleted, 1 record: u32 class-table index, values)
//   checksum         32 bytes: SHA-256 of every byte before it
//
// values: per field of the record's class-table entry, u8 0 (null) or 1 followed by the value
// in the field type's representation: i32 for integer-like types, f64 for float and currency,
// wstr for strings, u32 byte count + bytes for blobs, u32 count + i32 IDs for link fields.
// Records of a class that the schema lacks are kept with the layout of their table entry.
// A dump is corrupt, besides bad structure, when its next record ID lies outside 1 to
// kMaxRecordId + 1 or a SYSUser password hash asks for more than kMaxPasswordIterations.
#pragma once

#include <stdexcept>
#include <string>

#include "kestrel/engine/Schema.h"
#include "kestrel/engine/Store.h"

namespace kestrel {

// The dump is not a well-formed dump (truncated, corrupt checksum, bad structure).
class DumpCorrupt : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
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
// Parses a dump made for `schema`; throws DumpCorrupt or DumpSchemaMismatch.
Store DecodeDump(const std::string& bytes, const Schema& schema);
// Checks the checksum and reads the header and counts; throws DumpCorrupt.
DumpInfo ReadDumpInfo(const std::string& bytes);

}  // namespace kestrel
