#include "objectmodel/KRAPI_UNT_Strings.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/text/Utf.h"

namespace {

char16_t gRing[kAPIStringRingSlots][kAPIStringRingSlotUnits];
int gNextRingSlot = 0;

// Writes text into the next ring slot, cut so that it and its terminator fit
// and no surrogate pair is split.
TKRAPIString WriteToRing(std::u16string_view text) {
  char16_t* slot = gRing[gNextRingSlot];
  gNextRingSlot = (gNextRingSlot + 1) % kAPIStringRingSlots;
  size_t n = std::min(text.size(), size_t(kAPIStringRingSlotUnits - 1));
  if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  std::memcpy(slot, text.data(), n * sizeof(char16_t));
  slot[n] = 0;
  return slot;
}

char16_t FoldAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }

// Shared loop of the two case-insensitive comparisons: at most maxLen units,
// ending after s2's terminator.
int32_t CompareFolded(TKRAPIString s1, TKRAPIString s2, size_t maxLen) {
  for (size_t i = 0; i < maxLen; ++i) {
    char16_t a = s1[i];
    char16_t b = s2[i];
    if (a != b) {
      a = FoldAsciiLetter(a);
      b = FoldAsciiLetter(b);
      if (a != b) return int32_t(a) - int32_t(b);
    }
    if (s2[i] == 0) break;
  }
  return 0;
}

constexpr size_t kSizeWord = sizeof(uint32_t);

}  // namespace

bool ConvertToBoolean(int32_t value) { return value != 0; }

int32_t ConvertToAPIBoolean(bool flag) { return flag ? krapiTrue : krapiFalse; }

bool IsAPIStringNull(TKRAPIString s) { return s == nullptr; }

size_t APIStringLength(TKRAPIString s) { return Utf16Length(s); }

char16_t* APIStringLCopy(char16_t* dest, TKRAPIString src, size_t maxLen) {
  size_t n = 0;
  if (src != nullptr) {
    while (n < maxLen && src[n] != 0) {
      dest[n] = src[n];
      ++n;
    }
  }
  dest[n] = 0;
  return dest;
}

int32_t APIStringICompare(TKRAPIString s1, TKRAPIString s2) {
  return CompareFolded(s1, s2, SIZE_MAX);
}

int32_t APIStringLICompare(TKRAPIString s1, TKRAPIString s2, size_t maxLen) {
  return CompareFolded(s1, s2, maxLen);
}

char16_t* StrMoveW(char16_t* dest, const char16_t* src, size_t count) {
  std::memmove(dest, src, count * sizeof(char16_t));
  return dest;
}

char16_t* StrAllocW(size_t n) {
  const size_t bytes = n * sizeof(char16_t) + kSizeWord;
  auto* block = static_cast<uint8_t*>(std::calloc(1, bytes));
  if (block == nullptr) return nullptr;
  const uint32_t size = uint32_t(bytes);
  std::memcpy(block, &size, kSizeWord);
  return reinterpret_cast<char16_t*>(block + kSizeWord);
}

char16_t* DuplicateAPIString(TKRAPIString s) {
  if (s == nullptr) return nullptr;
  const size_t units = APIStringLength(s) + 1;
  char16_t* copy = StrAllocW(units);
  if (copy != nullptr) std::memcpy(copy, s, units * sizeof(char16_t));
  return copy;
}

void FreeAPIString(char16_t* s) {
  if (s != nullptr) std::free(reinterpret_cast<uint8_t*>(s) - kSizeWord);
}

TKRAPIString APIStringScan(TKRAPIString s, char16_t ch) {
  if (s == nullptr) return nullptr;
  for (;; ++s) {
    if (*s == ch) return s;
    if (*s == 0) return nullptr;
  }
}

intptr_t APIStringSubIndex(TKRAPIString start, TKRAPIString p) { return p - start; }

std::string ConvertAPIStringToString(TKRAPIString s) {
  return Utf16ToUtf8(std::u16string_view(s == nullptr ? u"" : s));
}

std::u16string ConvertAPIStringToWideString(TKRAPIString s) {
  return s == nullptr ? std::u16string() : std::u16string(s);
}

TKRAPIString ConvertPCharToAPIString(const char* p) {
  return ConvertStringToAPIString(p == nullptr ? std::string_view() : std::string_view(p));
}

TKRAPIString ConvertStringToAPIString(std::string_view s) { return WriteToRing(Utf8ToUtf16(s)); }

TKRAPIString ConvertWideStringToAPIString(std::u16string_view w) { return WriteToRing(w); }

void AddAPIStrings(std::vector<std::string>& list, int32_t count, const TKRAPIString* array) {
  for (int32_t i = 0; i < count; ++i) list.push_back(ConvertAPIStringToString(array[i]));
}

TKRAPIStringArray CreateAPIStrings(const std::vector<std::string>& list) {
  if (list.empty()) return nullptr;
  TKRAPIStringArray array(new TKRAPIString[list.size()]);
  for (size_t i = 0; i < list.size(); ++i) array[i] = ConvertStringToAPIString(list[i]);
  return array;
}

void DestroyAPIStrings(TKRAPIStringArray& array) { array.reset(); }
