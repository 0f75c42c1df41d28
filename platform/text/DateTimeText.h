#pragma once
// Date and time text under the process's FormatSettings().
//
// FormatDateTime letters (case-insensitive): d dd (day), ddd dddd (short and
// long day name), ddddd (short date format), dddddd (long date format),
// m mm (month; minutes when it follows an h), mmm mmmm (month names),
// yy yyyy, h hh, n nn, s ss, z zzz (milliseconds), t (short time format),
// tt (long time format), c (short date, then the long time unless it is
// midnight), am/pm and a/p (the designator in the letters' own case), ampm
// (the locale designators; any of these makes h a 12-hour clock), / and :
// (the locale separators), and literals in single or double quotes. Other
// characters are copied. An empty format means "c".
//
// StrToDate reads two or three numbers split by the date separator, in the
// order of day, month and year of ShortDateFormat; a missing year is the
// current year, and a year of one or two digits is placed by
// TwoDigitYearCenturyWindow. StrToTime reads hours with optional minutes,
// seconds and a fraction of a second (after the decimal separator), and an
// AM/PM designator before or after. StrToDateTime reads a date, a time, or
// a date followed by a time. Blanks around the parts are allowed; anything
// else raises EConvertError ("'text' is not a valid date" and so on).

#include <string>
#include <string_view>

#include "platform/text/DateTime.h"
#include "platform/text/FormatSettings.h"

std::string FormatDateTime(std::string_view format, TDateTime value);
std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& settings);

std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
std::string DateTimeToStr(TDateTime value);

bool TryStrToDate(std::string_view text, TDateTime& result);
bool TryStrToTime(std::string_view text, TDateTime& result);
bool TryStrToDateTime(std::string_view text, TDateTime& result);
TDateTime StrToDate(std::string_view text);
TDateTime StrToTime(std::string_view text);
TDateTime StrToDateTime(std::string_view text);

bool TryStrToDate(std::string_view text, TDateTime& result, const TFormatSettings& settings);
bool TryStrToTime(std::string_view text, TDateTime& result, const TFormatSettings& settings);
bool TryStrToDateTime(std::string_view text, TDateTime& result, const TFormatSettings& settings);
