#include "platform/text/FormatSettings.h"

#include <gtest/gtest.h>

TEST(FormatSettings, EnglishDefaultsAndReset) {
  TFormatSettings& fs = FormatSettings();
  fs.ShortDateFormat = "dd.MM.yyyy";
  fs.DecimalSeparator = ',';
  fs.ShortMonthNames[11] = "Dez";
  ResetFormatSettings();
  EXPECT_EQ(&FormatSettings(), &fs);  // the same process-wide object
  EXPECT_EQ(fs.ShortDateFormat, "M/d/yyyy");
  EXPECT_EQ(fs.LongTimeFormat, "h:mm:ss AMPM");
  EXPECT_EQ(fs.DateSeparator, '/');
  EXPECT_EQ(fs.TimeSeparator, ':');
  EXPECT_EQ(fs.DecimalSeparator, '.');
  EXPECT_EQ(fs.ThousandSeparator, ',');
  EXPECT_EQ(fs.TimeAMString, "AM");
  EXPECT_EQ(fs.TimePMString, "PM");
  EXPECT_EQ(fs.ShortMonthNames[0], "Jan");
  EXPECT_EQ(fs.ShortMonthNames[11], "Dec");
  EXPECT_EQ(fs.LongMonthNames[8], "September");
  EXPECT_EQ(fs.ShortDayNames[0], "Sun");
}
