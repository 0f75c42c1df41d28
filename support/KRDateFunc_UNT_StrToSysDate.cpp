#include <algorithm>

#include "platform/text/DateTimeText.h"
#include "platform/text/FormatSettings.h"
#include "platform/text/Locale.h"
#include "platform/text/SysUtils.h"
#include "support/KRComponentStrings.h"
#include "support/KRDateFunc_UNT.h"

namespace {

constexpr TDateTime kFirstDate = 25570;  // 2 January 1970
constexpr TDateTime kLastDate = 50422;   // 17 January 2038

[[noreturn]] void RaiseInvalidDate(std::string_view s) {
  throw EKRDateFuncException(Format(ComponentString(krsInvalidDate),
                                    {std::string(s), DateToStr(kFirstDate), DateToStr(kLastDate)}));
}

// The first character of a text (a whole UTF-8 sequence), upper-cased.
std::string FirstLetter(std::string_view s) {
  if (s.empty()) return {};
  const auto lead = static_cast<unsigned char>(s.front());
  const size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return AnsiUpperCase(s.substr(0, std::min(length, s.size())));
}

bool EndsWith(std::string_view s, std::string_view end) {
  return !end.empty() && s.size() > end.size() && s.substr(s.size() - end.size()) == end;
}

// The locale's AM/PM designators, upper-cased, and their first letters.
struct TDesignators {
  std::string Am = AnsiUpperCase(FormatSettings().TimeAMString);
  std::string Pm = AnsiUpperCase(FormatSettings().TimePMString);
  std::string AmLetter = FirstLetter(Am);
  std::string PmLetter = FirstLetter(Pm);

  bool Mentioned(std::string_view upperText) const {
    return (!AmLetter.empty() && upperText.find(AmLetter) != std::string_view::npos) ||
           (!PmLetter.empty() && upperText.find(PmLetter) != std::string_view::npos);
  }

  // A token that starts with a designator's first letter stands for that
  // designator, which is answered in `designator`.
  bool IsDesignator(std::string_view token, std::string& designator) const {
    const std::string first = FirstLetter(token);
    if (first.empty() || (first != AmLetter && first != PmLetter)) return false;
    designator = first == AmLetter ? Am : Pm;
    return true;
  }

  // Cuts a designator, in full or by its first letter, off the end of a
  // number ("10a", "10pm") and answers it in `designator`.
  void CutSuffix(std::string& token, std::string& designator) const {
    const std::string upper = AnsiUpperCase(token);
    for (const std::string* end : {&Am, &Pm, &AmLetter, &PmLetter}) {
      if (EndsWith(upper, *end)) {
        designator = end == &Am || end == &AmLetter ? Am : Pm;
        token = upper.substr(0, upper.size() - end->size());
        return;
      }
    }
  }
};

// A two-digit year (any number below 100) in full: 40 .. 99 in the 1900s,
// 0 .. 39 in the 2000s. Other texts are left to the date conversion.
std::string WidenedYear(const std::string& part) {
  int32_t year = 0;
  if (part.empty() ||
      !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
      !TryStrToInt(part, year) || year >= 100) {
    return part;
  }
  return Format("%.4d", {year + (year >= 40 ? 1900 : 2000)});
}

// The month number of a short month name, or the text as it stands.
std::string MonthNumber(const std::string& part) {
  for (int m = 0; m < 12; ++m) {
    if (AnsiSameText(part, FormatSettings().ShortMonthNames[m])) return Format("%.2d", {m + 1});
  }
  return part;
}

// Reads the date at the front of `rest`, part by part in the order of the
// short date format, taking the parts the text lacks from today; answers
// whether the text gave any part. `rest` keeps what follows the date.
bool ReadDate(std::string& rest, TDateTime now, std::string_view s, TDateTime& date) {
  const char separator = FormatSettings().DateSeparator;
  uint16_t year, month, day;
  DecodeDate(now, year, month, day);
  std::string format = AnsiUpperCase(FormatSettings().ShortDateFormat);
  std::string rebuilt;
  bool given = false;
  while (!format.empty()) {
    const std::string token = GetNextToken(format, separator);
    const char kind = token.empty() ? '\0' : token.front();
    std::string part;
    if (!rest.empty()) {
      part = GetNextToken(rest, separator);
      if (kind == 'Y' && token.size() == 2) part = WidenedYear(part);
      if (kind == 'M' && token.size() == 3) part = MonthNumber(part);
      given = true;
    } else if (kind == 'Y') {
      part = token.size() == 4 ? IntToStr(int32_t(year)) : Format("%.2d", {year % 100});
    } else if (kind == 'M') {
      part = Format("%.2d", {month});
    } else if (kind == 'D') {
      part = Format("%.2d", {day});
    }
    rebuilt += part + separator;
  }
  if (!rebuilt.empty()) rebuilt.pop_back();
  if (!TryStrToDate(rebuilt, date)) RaiseInvalidDate(s);
  return given;
}

// Reads the time at the front of `rest`, in the order of the long time
// format; the designator, wherever it was typed, goes last. Answers whether
// the text gave a number.
bool ReadTime(std::string& rest, std::string_view s, TDateTime& time) {
  const char separator = FormatSettings().TimeSeparator;
  const TDesignators designators;
  std::string format = AnsiUpperCase(FormatSettings().LongTimeFormat);
  std::string rebuilt;
  std::string designator;
  bool given = false;
  while (!format.empty() && !rest.empty()) {
    GetNextToken(format, ':');
    std::string part = GetNextToken(rest, separator);
    if (designators.IsDesignator(part, designator)) continue;
    designators.CutSuffix(part, designator);
    rebuilt += (given ? std::string(1, separator) : std::string()) + part;
    given = true;
  }
  if (!given) return false;
  if (!designator.empty()) rebuilt += " " + designator;
  if (!TryStrToTime(rebuilt, time)) RaiseInvalidDate(s);
  return true;
}

}  // namespace

TDateTime StrToSysDate(std::string_view s, bool defaultToToday) {
  const TDateTime now = Now();
  std::string text = Trim(s);
  if (text == "*") text = DateTimeToStr(now);
  const bool hasTime = text.find(FormatSettings().TimeSeparator) != std::string::npos ||
                       TDesignators().Mentioned(AnsiUpperCase(text));
  const bool hasDate =
      text.find(FormatSettings().DateSeparator) != std::string::npos || (!text.empty() && !hasTime);

  TDateTime date = 0;
  bool dateGiven = false;
  if (hasDate) {
    dateGiven = ReadDate(text, now, s, date);
  } else if (hasTime) {
    date = DateOf(now);
  }
  if (date < kFirstDate || date > kLastDate) RaiseInvalidDate(s);

  TDateTime time = 0;
  if (hasTime && ReadTime(text, s, time)) return date + time;
  if (dateGiven) return date + TimeOf(now);
  return defaultToToday ? DateOf(now) : 0;
}
