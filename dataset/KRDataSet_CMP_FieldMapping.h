#pragma once
// How a table's field definitions are made from API field descriptions.
//
// KRFieldShapeOf maps a description to the data type and size of its field:
//   -1 ("id")       integer, 4        -2 ("Count()")   integer, 4
//   2               boolean, 4        3, 4, 7, 8, 10, 11 integer, 4
//   5               float, 8          6                date-time, 8
//   9               string of the description's length, memo for length 0
//   15              currency, 8       16               blob, 0
//   1, 14           no definition (record IDs and link indexes are not
//                   fields of a record)
//   0, 12, 13, >16  EKRDatabaseError "Unsupported field type"
//
// KRAddFieldDef adds the definition numbered Count() + 1 and lays it out in
// the record buffer: every field that is not blob-like takes one presence
// byte and its data bytes (strings two bytes a character and a two-byte
// terminator) after the data
// already laid out, and the record data size grows by as much; blob-like
// fields take no space and get offset 0.

#include <cstdint>
#include <optional>
#include <string>

#include "dataset/KRDataSet_CMP_FieldDef.h"
#include "platform/vcl/Field.h"
#include "platform/vcl/FieldDefs.h"

struct TKRFieldShape {
  TFieldType DataType = ftUnknown;
  int32_t Size = 0;
};

// For a real description or the markers -1 and -2; none for types 1 and 14.
std::optional<TKRFieldShape> KRFieldShapeOf(const KSFieldDescription* description);

// A string of `length` characters; memo for length 0 (unlimited).
TKRFieldShape KRStringFieldShape(int32_t length);

// What a definition is made from: the description (a real one or a marker;
// null when the class does not describe the field), the persistent field
// the definition is for (when there is one), and the length of the
// user-defined values (for kKRUserDefinedField).
struct TKRFieldDefSource {
  const KSFieldDescription* Description = nullptr;
  const TField* PersistentField = nullptr;
  int32_t UserDefinedLength = 0;
};

// Adds the definition of `name` to `defs`, growing `recordDataSize`; null
// when the description gives no definition (types 1 and 14). A missing
// description needs a persistent field, whose type and size the definition
// keeps (marked kKRUndescribedField, invisible, API type 0); without one it
// raises "Unknown field '<name>'".
TKRFieldDef* KRAddFieldDef(TFieldDefs& defs, int32_t& recordDataSize, const std::string& name,
                           const TKRFieldDefSource& source);
