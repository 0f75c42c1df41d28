#include "platform/vcl/DataSetTypes.h"

#include "platform/vcl/Component.h"

namespace {

constexpr const char* kFieldTypeNames[] = {
    "Unknown",    "String",     "SmallInt",      "Integer",     "Word",         "Boolean",
    "Float",      "Currency",   "BCD",           "Date",        "Time",         "DateTime",
    "Bytes",      "VarBytes",   "AutoInc",       "Blob",        "Memo",         "Graphic",
    "FmtMemo",    "ParadoxOle", "dBaseOle",      "TypedBinary", "Cursor",       "FixedChar",
    "WideString", "LargeInt",   "ADT",           "Array",       "Reference",    "DataSet",
    "OraBlob",    "OraClob",    "Variant",       "Interface",   "IDispatch",    "Guid",
    "TimeStamp",  "FMTBcd",     "FixedWideChar", "WideMemo",    "OraTimeStamp", "OraInterval",
    "LongWord",   "ShortInt",   "Byte",          "Extended",    "Connection",   "Params",
    "Stream",     "TimeStampOffset", "Object",   "Single"};
static_assert(std::size(kFieldTypeNames) == ftSingle + 1);

}  // namespace

std::string FieldTypeName(TFieldType type) {
  if (type < ftUnknown || type > ftSingle) return "Unknown";
  return kFieldTypeNames[type];
}

void DatabaseError(const std::string& message, const TComponent* component) {
  if (component != nullptr && !component->Name().empty()) {
    throw EDatabaseError(component->Name() + ": " + message);
  }
  throw EDatabaseError(message);
}
