#pragma once
// The process's locale settings, used by the date, time and number text
// functions. They start as English (United States) and may be changed by the
// program (and by tests); ResetFormatSettings restores the English defaults.
// The settings are one process-wide object: change them only while no other
// thread formats or parses text.

#include <string>

struct TFormatSettings {
  std::string ShortDateFormat;  // e.g. "M/d/yyyy"
  std::string LongDateFormat;   // e.g. "dddd, MMMM d, yyyy"
  std::string LongTimeFormat;   // e.g. "h:mm:ss AMPM"
  std::string ShortTimeFormat;  // e.g. "h:mm AMPM"
  char DateSeparator = '/';
  char TimeSeparator = ':';
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  std::string TimeAMString;
  std::string TimePMString;
  std::string ShortMonthNames[12];  // January first
  std::string LongMonthNames[12];
  std::string ShortDayNames[7];  // Sunday first
  std::string LongDayNames[7];
  std::string CurrencyString;  // placed before the amount
  int CurrencyDecimals = 2;
  // A two-digit year is read as the year within the hundred years that start
  // this many years before the current year (0: the current century).
  int TwoDigitYearCenturyWindow = 50;
};

// The English (United States) settings.
TFormatSettings DefaultFormatSettings();

TFormatSettings& FormatSettings();
void ResetFormatSettings();
