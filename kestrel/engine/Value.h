// Field types and stored field values of the engine.
// A Value is null (std::monostate) or holds the representation of its field's type:
// int32 for boolean, integer, duration, date-time stamp, unsigned, enumerated and reference;
// double for float and currency; UTF-16 text for strings; bytes for blobs; record IDs for
// link fields. The API's per-type null values (-1 reference, 0 enumerated, ...) are mapped to
// null when a value enters the engine, so that "null" has one meaning inside.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace kestrel {

using RecordID = int32_t;
using ClassID = int32_t;
constexpr RecordID kNullRecord = -1;
constexpr ClassID kNoClass = -1;

namespace type {
constexpr int32_t kUnsupported = 0;
constexpr int32_t kId = 1;
constexpr int32_t kBoolean = 2;
constexpr int32_t kInteger = 3;
constexpr int32_t kDuration = 4;
constexpr int32_t kFloat = 5;
constexpr int32_t kDateTime = 6;
constexpr int32_t kUnsigned = 7;
constexpr int32_t kUnsigned2 = 8;
constexpr int32_t kString = 9;
constexpr int32_t kEnumerated = 10;
constexpr int32_t kReference = 11;
constexpr int32_t kLinks = 14;
constexpr int32_t kCurrency = 15;
constexpr int32_t kBlob = 16;
}  // namespace type

using Blob = std::vector<uint8_t>;
using LinkList = std::vector<RecordID>;
using Value = std::variant<std::monostate, int32_t, double, std::u16string, Blob, LinkList>;

// The variant alternative a field of `fieldType` holds (0 for types that hold nothing).
size_t AlternativeOf(int32_t fieldType);
// Whether a stored field type is one of the types a schema may declare.
bool IsKnownType(int32_t fieldType);
// Whether `v` fits a field of `fieldType` (null always fits).
bool FitsType(const Value& v, int32_t fieldType);
// Maps the API's null value of the type to null; other values unchanged.
Value Normalize(Value v, int32_t fieldType);
inline bool IsNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

// Values as a client reads them (cursor rows, conditions, sort orders): a null reads as its
// type's null value of the API (-1 for IDs and references, 2147483647 for durations, 0 for the
// other integer types and booleans, 0.0, the empty text, no bytes, no linked records).
const Value& NullAsRead(int32_t fieldType);
// Orders two values as read: numbers by value, integers and floating-point alike; texts by
// UTF-16 code units (case-sensitive); blobs bytewise. Values of different kinds (a text and a
// number) order by kind. Answers -1, 0 or 1.
int CompareRead(const Value& a, const Value& b);

}  // namespace kestrel
