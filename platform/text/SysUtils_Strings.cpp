#include "platform/text/SysUtils.h"

#include <limits>

#include "platform/text/Exception.h"

namespace {

template <typename Char>
std::basic_string<Char> TrimRange(std::basic_string_view<Char> s, bool left, bool right) {
  // Compared unsigned, so that the bytes of UTF-8 sequences are never blanks.
  const auto blank = [](Char c) { return std::make_unsigned_t<Char>(c) <= ' '; };
  size_t begin = 0;
  size_t end = s.size();
  if (left) {
    while (begin < end && blank(s[begin])) ++begin;
  }
  if (right) {
    while (end > begin && blank(s[end - 1])) --end;
  }
  return std::basic_string<Char>(s.substr(begin, end - begin));
}

template <typename Unsigned>
std::string Hex(Unsigned value, int digits) {
  std::string out;
  do {
    out.insert(out.begin(), "0123456789ABCDEF"[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (static_cast<int>(out.size()) < digits) out.insert(0, digits - out.size(), '0');
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads an integer of type Int: decimal within its range, or hexadecimal
// using all of its bits.
template <typename Int>
bool ParseInteger(std::string_view s, Int& result) {
  using Unsigned = std::make_unsigned_t<Int>;
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    base = 16, ++i;
  } else if (s.size() - i >= 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16, i += 2;
  }
  const Unsigned limit = base == 16
                             ? std::numeric_limits<Unsigned>::max()
                             : Unsigned(std::numeric_limits<Int>::max()) + (negative ? 1u : 0u);
  if (i >= s.size()) return false;
  Unsigned value = 0;
  for (; i < s.size(); ++i) {
    const int d = HexDigit(s[i]);
    if (d < 0 || d >= base) return false;
    if (value > (limit - Unsigned(d)) / Unsigned(base)) return false;
    value = value * Unsigned(base) + Unsigned(d);
  }
  // Two's complement: the unsigned bits reinterpreted, negated when signed.
  result = static_cast<Int>(negative ? Unsigned(0) - value : value);
  return true;
}

template <typename Int>
Int IntegerOrRaise(std::string_view s) {
  Int value;
  if (!ParseInteger(s, value)) {
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
  }
  return value;
}

}  // namespace

std::string Trim(std::string_view s) { return TrimRange(s, true, true); }
std::string TrimLeft(std::string_view s) { return TrimRange(s, true, false); }
std::string TrimRight(std::string_view s) { return TrimRange(s, false, true); }
std::u16string Trim(std::u16string_view s) { return TrimRange(s, true, true); }
std::u16string TrimLeft(std::u16string_view s) { return TrimRange(s, true, false); }
std::u16string TrimRight(std::u16string_view s) { return TrimRange(s, false, true); }

std::string IntToStr(int32_t value) { return std::to_string(value); }
std::string IntToStr(int64_t value) { return std::to_string(value); }
std::string IntToHex(int32_t value, int digits) {
  return Hex(static_cast<uint32_t>(value), digits);
}
std::string IntToHex(int64_t value, int digits) {
  return Hex(static_cast<uint64_t>(value), digits);
}

bool TryStrToInt(std::string_view s, int32_t& value) { return ParseInteger(s, value); }
bool TryStrToInt64(std::string_view s, int64_t& value) { return ParseInteger(s, value); }
int32_t StrToInt(std::string_view s) { return IntegerOrRaise<int32_t>(s); }
int64_t StrToInt64(std::string_view s) { return IntegerOrRaise<int64_t>(s); }

int32_t StrToIntDef(std::string_view s, int32_t def) {
  int32_t value;
  return ParseInteger(s, value) ? value : def;
}

int64_t StrToInt64Def(std::string_view s, int64_t def) {
  int64_t value;
  return ParseInteger(s, value) ? value : def;
}
