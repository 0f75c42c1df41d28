#pragma once
// Date, duration and number text of the data-set components' display and
// edit hooks.
//
// Durations are seconds, shown as a number, a blank and a unit name ("2 h",
// "1.5 min"); the unit names come from the components' string table and
// are read once, when first needed (SetDurationUnits reads them again).
// Date-times are shown in a normalised form of the locale's formats
// (GetDateFormat, GetTimeFormat) and read leniently by StrToSysDate. Every
// function reads the process's current FormatSettings() and clock. Texts
// are UTF-8; indexes into them are 1-based byte positions, and only ASCII
// characters count as "single-byte" characters.
//
// Failures raise EKRDateFuncException, with the message from the string
// table; only a number StrToDuration cannot read raises the runtime's
// EConvertError.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text/DateTime.h"
#include "platform/text/Exception.h"

KR_DECLARE_EXCEPTION(EKRDateFuncException, Exception);

enum TKRDurUnit : uint8_t {
  krduAuto,
  krduSec,
  krduMin,
  krduHour,
  krduDay,
  krduWeek,
  krduMonth,
  krduYear
};
inline constexpr int kDurUnitCount = 8;

// Seconds per unit; a month is 365/12 days, a year 365 days. Auto has no
// length of its own (-1) and is resolved before it would divide.
inline constexpr double kDurUnitSeconds[kDurUnitCount] = {-1,    1,      60,      3600,
                                                          86400, 604800, 2628000, 31536000};

// True when the character at `index` is an ASCII character equal to `ch`
// after upper-casing both; false outside the text.
bool StringCharIsSameAs(std::string_view s, int index, char ch);
// True when the character at `index` is '0' .. '9'.
bool StringCharIsDigit(std::string_view s, int index);
// How many consecutive characters from `start` are StringCharIsSameAs `ch`.
int ComputeNbChar(char ch, int start, std::string_view s);

// (Re)reads the unit names from the string table.
void SetDurationUnits();
const std::string& DurationUnitName(TKRDurUnit unit);

// `seconds` in `unit` (auto counts as seconds).
double GetDurationValue(TKRDurUnit unit, double seconds);
// The duration as text in `unit`, or with krduAuto in the largest unit not
// longer than the value (seconds below one second); `decimals` digits after
// the decimal separator. Values above 2147483647 s are shown as that many.
std::string DurationToStr(double value, int decimals, TKRDurUnit unit);
// Reads "[-]number[ unit]" (the unit name in any case; without one,
// `defaultUnit`, auto meaning seconds) into seconds, limited to
// 2147483646 s either way; an empty or blank text is 0.
double StrToDuration(std::string_view s, TKRDurUnit defaultUnit);

// The locale's short date format normalised to "mm", "mmm", "dd", "yy" and
// "yyyy" parts with its own separators ("M/d/yyyy" gives "mm/dd/yyyy").
std::string GetDateFormat();
// The locale's long time format normalised to "hh", "mm", "ss" and "AMPM"
// ("h:mm:ss AMPM" gives "hh:mm:ss AMPM").
std::string GetTimeFormat();
// GetDateFormat, a blank, GetTimeFormat.
std::string GetDateTimeFormat();
std::string SysDateToStr(TDateTime value);
std::string SysDateToDateStr(TDateTime value);

// Reads a date, a time, or a date followed by a time, in the order of the
// locale's formats. Missing date parts come from today, a missing time
// from the current time of day; a year below 100 is widened (40 .. 99 to
// the 1900s, 0 .. 39 to the 2000s); a month may be written as its short
// name under a "MMM" format; the AM/PM designator may be given in full or
// by its first letter, alone or after the last number ("10:30a"); "*" is
// now. The date must lie between 2 January 1970 and 17 January 2038 (an
// empty text has none and fails). A text that names neither a date nor a
// time value (a designator alone) is today when `defaultToToday`, else 0.
TDateTime StrToSysDate(std::string_view s, bool defaultToToday);

// Cuts the next token off the front of `s`: the text before the first blank
// or `separator`; then drops the blanks that follow and at most one
// separator. An empty text gives an empty token.
std::string GetNextToken(std::string& s, char separator);
