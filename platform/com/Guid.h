#pragma once
// GUID: a 128-bit identifier in the platform's binary layout (16 bytes, the
// first three fields in host byte order). Text form is the braced
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; parsing accepts either case of hex
// digit, formatting always writes upper case. GUIDs compare field by field,
// hash, and can be written as compile-time literals with GuidLiteral.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "platform/com/HResult.h"

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
  friend constexpr std::strong_ordering operator<=>(const GUID&, const GUID&) = default;
};
static_assert(sizeof(GUID) == 16, "GUID keeps the platform's 16-byte layout");

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline constexpr GUID GUID_NULL{};

constexpr bool IsEqualGUID(const GUID& a, const GUID& b) { return a == b; }

namespace guid_detail {

template <class Char>
constexpr int HexDigit(Char c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  return -1;
}

// Reads `count` hex digits at `pos`; false when one of them is not a digit.
template <class Char>
constexpr bool ReadHex(std::basic_string_view<Char> s, size_t pos, size_t count, uint32_t& out) {
  out = 0;
  for (size_t i = 0; i < count; ++i) {
    const int d = HexDigit(s[pos + i]);
    if (d < 0) return false;
    out = (out << 4) | static_cast<uint32_t>(d);
  }
  return true;
}

// Parses the 36-character unbraced form "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX".
template <class Char>
constexpr bool ParseBody(std::basic_string_view<Char> s, GUID& g) {
  if (s.size() != 36 || s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-') return false;
  uint32_t v = 0;
  if (!ReadHex(s, 0, 8, v)) return false;
  g.Data1 = v;
  if (!ReadHex(s, 9, 4, v)) return false;
  g.Data2 = static_cast<uint16_t>(v);
  if (!ReadHex(s, 14, 4, v)) return false;
  g.Data3 = static_cast<uint16_t>(v);
  constexpr size_t kBytePos[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (size_t i = 0; i < 8; ++i) {
    if (!ReadHex(s, kBytePos[i], 2, v)) return false;
    g.Data4[i] = static_cast<uint8_t>(v);
  }
  return true;
}

// Parses the braced form.
template <class Char>
constexpr bool ParseBraced(std::basic_string_view<Char> s, GUID& g) {
  return s.size() == 38 && s.front() == '{' && s.back() == '}' && ParseBody(s.substr(1, 36), g);
}

}  // namespace guid_detail

// A GUID from a literal in the braced or the unbraced form; a malformed
// literal does not compile.
template <size_t N>
consteval GUID GuidLiteral(const char (&text)[N]) {
  const std::string_view s(text, N - 1);
  GUID g{};
  const bool ok = s.size() == 38 ? guid_detail::ParseBraced(s, g) : guid_detail::ParseBody(s, g);
  if (!ok) throw "malformed GUID literal";
  return g;
}

// Braced text to GUID. The Try forms answer false for malformed text; the
// others raise EConvertError naming the text.
bool TryGuidFromString(std::string_view text, GUID& out);
bool TryGuidFromString(std::u16string_view text, GUID& out);
GUID GuidFromString(std::string_view text);
GUID GuidFromString(std::u16string_view text);

// Upper-case braced text of a GUID (38 characters).
std::string GuidToString(const GUID& g);
std::u16string GuidToWideString(const GUID& g);

// Platform-shaped forms: CLSIDFromString answers CO_E_CLASSSTRING for
// malformed text (and E_INVALIDARG for null pointers); StringFromGUID2 writes
// the zero-terminated braced text and answers the characters written
// including the terminator, or 0 when the buffer is too small.
HRESULT CLSIDFromString(const char16_t* text, CLSID* out);
int StringFromGUID2(const GUID& g, char16_t* buffer, int size);

// A new random (version 4, variant 1) GUID. Answers E_POINTER for null and
// E_FAIL when the system's random source fails.
HRESULT CoCreateGuid(GUID* out);

template <>
struct std::hash<GUID> {
  size_t operator()(const GUID& g) const noexcept {
    uint64_t halves[2];
    std::memcpy(halves, &g, sizeof halves);
    return std::hash<uint64_t>{}(halves[0] ^ (halves[1] * 0x9E3779B97F4A7C15ull));
  }
};
