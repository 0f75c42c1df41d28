// The database text format: UTF-8, one item per line, fields separated by tabs.
//
//   KESTREL-TEXT 1
//   SCHEMA <tab> name <tab> version
//   NEXT <tab> next record ID
//   R <tab> id <tab> class { <tab> field=value }         a record (null fields are left out)
//   T <tab> name <tab> parent <tab> flags <tab> description <tab> owner <tab> start date
//     <tab> isVersion (0 or 1)                            a persistent transaction (the last
//                                                         three may be left out)
//   C <tab> transaction <tab> id <tab> class { <tab> field=value }   a record it changed
//   X <tab> transaction <tab> id                          a record it deleted
//   END
//
// Values by field type: integer-like types in decimal; float and currency as C hexadecimal
// floating point ("%a", exact); strings with \\ \t \n \r escaped; blobs as lowercase hex; link
// fields as comma-separated record IDs; the text \N is null. Records of classes the schema
// lacks are not written (they cannot be read back into the schema). Every record ID of R, C
// and X lines must lie below NEXT (at most kMaxRecordId + 1), and password hashes must not ask
// for more than kMaxPasswordIterations: the text is refused otherwise.
#pragma once

#include <stdexcept>
#include <string>

#include "kestrel/engine/Indexes.h"
#include "kestrel/engine/Schema.h"
#include "kestrel/engine/Store.h"

namespace kestrel {

class AsciiFormatError : public std::runtime_error {
 public:
  AsciiFormatError(size_t line, const std::string& reason)
      : std::runtime_error("line " + std::to_string(line) + ": " + reason) {}
};

std::string WriteAscii(const Schema& schema, const Store& store);
// Throws AsciiFormatError for a malformed text or one of another schema. `members`, when given,
// receives the records of each class (for Indexes::Adopt).
Store ReadAscii(const std::string& text, const Schema& schema, ClassMembers* members = nullptr);

}  // namespace kestrel
