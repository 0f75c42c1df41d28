#include "platform/text/Locale.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

#include "platform/text/Exception.h"
#include "platform/text/Utf.h"

namespace {

template <typename Char>
std::basic_string<Char> MapAscii(std::basic_string_view<Char> text, Char from, Char to) {
  std::basic_string<Char> out(text);
  for (Char& c : out) {
    if (c >= from && c <= Char(from + 25)) c = Char(c - from + to);
  }
  return out;
}

template <typename Char>
int CompareAsciiNoCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  const auto lower = [](Char c) -> unsigned {
    return (c >= 'A' && c <= 'Z') ? c + 32u : unsigned(c);
  };
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned ca = lower(a[i]);
    const unsigned cb = lower(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

icu::UnicodeString ToIcu(std::u16string_view text) {
  return icu::UnicodeString(text.data(), static_cast<int32_t>(text.size()));
}

std::u16string FromIcu(const icu::UnicodeString& s) {
  return std::u16string(s.getBuffer(), static_cast<size_t>(s.length()));
}

// One collator per thread and strength: ICU collators are not safe for
// concurrent use, and cloning once per thread avoids a lock on every compare.
icu::Collator& ThreadCollator(bool ignoreCase) {
  thread_local std::unique_ptr<icu::Collator> collators[2];
  std::unique_ptr<icu::Collator>& slot = collators[ignoreCase ? 1 : 0];
  if (!slot) {
    UErrorCode status = U_ZERO_ERROR;
    slot.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !slot) throw Exception("The text collator cannot be created");
    slot->setStrength(ignoreCase ? icu::Collator::SECONDARY : icu::Collator::IDENTICAL);
  }
  return *slot;
}

int Collate(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult r = ThreadCollator(ignoreCase).compare(ToIcu(a), ToIcu(b), status);
  return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

}  // namespace

std::string LowerCase(std::string_view text) { return MapAscii(text, 'A', 'a'); }
std::string UpperCase(std::string_view text) { return MapAscii(text, 'a', 'A'); }
std::u16string LowerCase(std::u16string_view text) { return MapAscii(text, u'A', u'a'); }
std::u16string UpperCase(std::u16string_view text) { return MapAscii(text, u'a', u'A'); }

int CompareText(std::string_view a, std::string_view b) { return CompareAsciiNoCase(a, b); }
int CompareText(std::u16string_view a, std::u16string_view b) { return CompareAsciiNoCase(a, b); }
bool SameText(std::string_view a, std::string_view b) { return CompareAsciiNoCase(a, b) == 0; }
bool SameText(std::u16string_view a, std::u16string_view b) {
  return CompareAsciiNoCase(a, b) == 0;
}

std::u16string WideLowerCase(std::u16string_view text) {
  icu::UnicodeString s = ToIcu(text);
  return FromIcu(s.toLower(icu::Locale::getRoot()));
}
std::u16string WideUpperCase(std::u16string_view text) {
  icu::UnicodeString s = ToIcu(text);
  return FromIcu(s.toUpper(icu::Locale::getRoot()));
}
std::string AnsiLowerCase(std::string_view text) {
  return Utf16ToUtf8(WideLowerCase(Utf8ToUtf16(text)));
}
std::string AnsiUpperCase(std::string_view text) {
  return Utf16ToUtf8(WideUpperCase(Utf8ToUtf16(text)));
}

int WideCompareText(std::u16string_view a, std::u16string_view b) { return Collate(a, b, true); }
int WideCompareStr(std::u16string_view a, std::u16string_view b) { return Collate(a, b, false); }
bool WideSameText(std::u16string_view a, std::u16string_view b) { return Collate(a, b, true) == 0; }
int AnsiCompareText(std::string_view a, std::string_view b) {
  return Collate(Utf8ToUtf16(a), Utf8ToUtf16(b), true);
}
int AnsiCompareStr(std::string_view a, std::string_view b) {
  return Collate(Utf8ToUtf16(a), Utf8ToUtf16(b), false);
}
bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }
