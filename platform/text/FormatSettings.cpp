#include "platform/text/FormatSettings.h"

TFormatSettings DefaultFormatSettings() {
  TFormatSettings s{
      .ShortDateFormat = "M/d/yyyy",
      .LongDateFormat = "dddd, MMMM d, yyyy",
      .LongTimeFormat = "h:mm:ss AMPM",
      .ShortTimeFormat = "h:mm AMPM",
      .DateSeparator = '/',
      .TimeSeparator = ':',
      .DecimalSeparator = '.',
      .ThousandSeparator = ',',
      .TimeAMString = "AM",
      .TimePMString = "PM",
      .ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct",
                          "Nov", "Dec"},
      .LongMonthNames = {"January", "February", "March", "April", "May", "June", "July", "August",
                         "September", "October", "November", "December"},
      .ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
      .LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
                       "Saturday"},
      .CurrencyString = "$",
      .CurrencyDecimals = 2,
      .TwoDigitYearCenturyWindow = 50,
  };
  return s;
}

TFormatSettings& FormatSettings() {
  static TFormatSettings settings = DefaultFormatSettings();
  return settings;
}

void ResetFormatSettings() { FormatSettings() = DefaultFormatSettings(); }
