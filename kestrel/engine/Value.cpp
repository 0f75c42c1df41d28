#include "kestrel/engine/Value.h"

#include <algorithm>
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

const Value& NullAsRead(int32_t fieldType) {
  static const Value kMinusOne{int32_t{-1}};
  static const Value kNoDuration{std::numeric_limits<int32_t>::max()};
  static const Value kZero{int32_t{0}};
  static const Value kZeroFloat{0.0};
  static const Value kEmptyText{std::u16string()};
  static const Value kNoBytes{Blob()};
  switch (fieldType) {
    case type::kId:
    case type::kReference:
      return kMinusOne;
    case type::kDuration:
      return kNoDuration;
    case type::kFloat:
    case type::kCurrency:
      return kZeroFloat;
    case type::kString:
      return kEmptyText;
    case type::kBlob:
      return kNoBytes;
    default:
      return kZero;
  }
}

namespace {

template <typename T>
int Order(const T& a, const T& b) {
  return a < b ? -1 : b < a ? 1 : 0;
}

}  // namespace

int CompareRead(const Value& a, const Value& b) {
  if (const auto* x = std::get_if<int32_t>(&a)) {
    if (const auto* y = std::get_if<int32_t>(&b)) return Order(*x, *y);
    if (const auto* y = std::get_if<double>(&b)) return Order(static_cast<double>(*x), *y);
  } else if (const auto* x = std::get_if<double>(&a)) {
    if (const auto* y = std::get_if<double>(&b)) return Order(*x, *y);
    if (const auto* y = std::get_if<int32_t>(&b)) return Order(*x, static_cast<double>(*y));
  } else if (const auto* x = std::get_if<std::u16string>(&a)) {
    if (const auto* y = std::get_if<std::u16string>(&b)) {
      const int c = x->compare(*y);
      return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
  } else if (a.index() == b.index()) {
    return Order(a, b);
  }
  const auto kind = [](const Value& v) {
    return std::holds_alternative<double>(v) ? size_t{1} : v.index();
  };
  return Order(kind(a), kind(b));
}

}  // namespace kestrel
