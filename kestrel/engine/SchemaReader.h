// Reads a schema from its JSON text and adds the system classes every schema has
// (SYSUser, _DBTransaction with its link index childrenPV, BOUDF, BOUDFValue).
//
// JSON shape (every key but "name", "version" and "classes" optional):
//   {"name": "Sales", "version": "1.0",
//    "classes": [{"name": "Customer", "base": "", "flags": 0, "rootAccess": 1,
//                 "versionAccess": 1, "protectedBy": "locked",
//                 "fields": [{"name": "name", "type": 9, "length": 40, "access": 1,
//                             "versionAccess": 1, "references": "", "default": "x",
//                             "valueList": 0, "required": false}]}],
//    "globalIndexes": [{"name": "byName", "class": "Customer", "fields": ["name"],
//                       "unique": true}],
//    "linkIndexes": [{"name": "ordersPV", "class": "Customer", "target": "Order",
//                     "via": "customerP", "fields": ["date"]}],
//    "valueLists": [{"id": 1, "values": {"1": "Open", "2": "Closed"}}],
//    "services": [{"name": "Billing", "public": true, "rootAccess": 1, "versionAccess": 0}],
//    "signals": [{"name": "LowStock", "class": "Item", "condition": "stock < limit",
//                 "arguments": [{"name": "limit", "description": "Lowest stock", "type": 3,
//                                "array": false}]}]}
// A class may name a base defined anywhere in the file; cycles are errors. Defaults are JSON
// numbers, booleans, strings, or hexadecimal strings for blobs. A signal's condition
// (SignalCondition.h) is parsed with the schema: a condition that does not parse, or a class
// that does not exist, is an error of the file.
//
// Protection. A class's access (rootAccess in the actual plan, versionAccess in scenarios;
// 0 read-only, 1 read-write, 2 insert only, 3 invisible) says what transactions may do with its
// records: only read-write lets them change or delete records, read-write or insert lets them
// insert; a refusal is status 1037. "protectedBy" names a boolean field (of the class or
// inherited) that protects single records: while it is true, the record cannot be deleted and
// only that field itself can be changed (so that the protection can be lifted first). Subclasses
// inherit the field. _DBTransaction is read-only: the engine keeps its rows itself.
#pragma once

#include <stdexcept>
#include <string>

#include "kestrel/engine/Schema.h"

namespace kestrel {

// A schema file that cannot be served: what() is "<file>: <position>: <reason>", where the
// position is a byte offset for a syntax error or a JSON pointer for a content error.
class SchemaError : public std::runtime_error {
 public:
  SchemaError(const std::string& file, const std::string& position, const std::string& reason)
      : std::runtime_error(file + ": " + position + ": " + reason) {}
};

SchemaPtr ParseSchema(const std::string& jsonText, const std::string& fileName);
SchemaPtr ReadSchemaFile(const std::string& path);

}  // namespace kestrel
