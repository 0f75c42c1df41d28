// The import of a relational database (an SQLite file) into a new database of a schema.
//
// Mapping. A table fills the class of the same name (compared without regard to the case of
// a-z), one record per row; a column fills the stored field of the same name (likewise). A
// column that a single-column foreign key of its table leads to another table fills a
// reference field (type 11) with the ID of the record made from the row it leads to, when
// that row's class is the field's class or descends from it. Fields that no column fills take
// their defaults. Left out, and reported: tables that name no class, a system class (SYSUser,
// _DBTransaction) or a class without records of its own; columns that name no field (except
// the primary key's, which only identify rows), a link field, or a reference field without a
// foreign key; foreign keys of several columns; values that do not fit their field (left null:
// counted per column, with the first row); references to rows that are missing or of another
// class (left null). A required field that no column fills is reported too.
//
// Values by field type: integers (boolean, integer, duration, unsigned, enumerated) from
// integers within 32 bits (and reals without fraction), booleans also from "true"/"false";
// float and currency from integers and reals; date-times from integers (seconds since 1970 UTC)
// or texts "YYYY-MM-DD[ HH:MM[:SS[.fff]]]" (also with 'T' and a final 'Z'), read as UTC;
// texts from texts and numbers; blobs from blobs and texts. NULL is null.
#pragma once

#include <string>
#include <vector>

#include "kestrel/engine/Database.h"
#include "kestrel/include/KestrelAPI.h"

namespace kestrel {

struct ImportReport {
  size_t records = 0;              // records made
  size_t classes = 0;              // classes that received records
  std::vector<std::string> lines;  // what was left out, one line each, in table order
};

// Fills `db` (a new database, not online) with the records made from the SQLite file's tables.
// KS_OK, KS_ERR_FILE_NOT_FOUND, KS_ERR_IMPORT_SOURCE (not an SQLite database, or it cannot be
// read); on failure `db` is unchanged.
KSStatus ImportSqlite(const std::string& file, Database& db, ImportReport& report);

// A new database `name` of `schema` (archive `archive`, not written yet, not online) made
// from the SQLite file, with the user "system" (empty password, administrator); its report,
// a summary line naming the source and then the report's lines, is written to `reportFile`
// (empty: beside the archive, "<archive without .dmp>.import.txt"). The statuses of
// ImportSqlite, and KS_ERR_WRITE_FAILED when the report cannot be written.
KSStatus CreateFromSqlite(const std::string& file, const std::string& name, SchemaPtr schema,
                          const std::string& archive, std::string reportFile, DatabasePtr& db,
                          ImportReport& report);

}  // namespace kestrel
