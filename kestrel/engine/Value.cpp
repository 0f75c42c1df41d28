#include "kestrel/engine/Value.h"

#include <limits>

namespace kestrel {

size_t AlternativeOf(int32_t fieldType) {
  switch (fieldType) {
    case type::kId:
    case type::kBoolean:
    case type::kInteger:
    case type::kDuration:
    case type::kDateTime:
    case type::kUnsigned:
    case type::kUnsigned2:
    case type::kEnumerated:
    case type::kReference:
      return 1;
    case type::kFloat:
    case type::kCurrency:
      return 2;
    case type::kString:
      return 3;
    case type::kBlob:
      return 4;
    case type::kLinks:
      return 5;
    default:
      return 0;
  }
}

bool IsKnownType(int32_t fieldType) { return AlternativeOf(fieldType) != 0; }

bool FitsType(const Value& v, int32_t fieldType) {
  return IsNull(v) || v.index() == AlternativeOf(fieldType);
}

Value Normalize(Value v, int32_t fieldType) {
  if (const auto* i = std::get_if<int32_t>(&v)) {
    switch (fieldType) {
      case type::kId:
      case type::kReference:
        if (*i == -1) return {};
        break;
      case type::kDateTime:
      case type::kEnumerated:
        if (*i == 0) return {};
        break;
      case type::kDuration:
        if (*i == std::numeric_limits<int32_t>::max()) return {};
        break;
      default:
        break;
    }
  } else if (const auto* s = std::get_if<std::u16string>(&v)) {
    if (s->empty()) return {};
  } else if (const auto* b = std::get_if<Blob>(&v)) {
    if (b->empty()) return {};
  }
  return v;
}

}  // namespace kestrel
