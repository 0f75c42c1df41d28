#include "platform/text/DateTimeText.h"

#include <gtest/gtest.h>

namespace {

class DateTimeText : public ::testing::Test {
 protected:
  void SetUp() override { ResetFormatSettings(); }
  void TearDown() override { ResetFormatSettings(); }

  static int ThisYear() {
    uint16_t y, m, d;
    DecodeDate(Date(), y, m, d);
    return y;
  }

  // 5 March 2007, 14:07:09.045 (a Monday).
  const TDateTime sample = EncodeDateTime(2007, 3, 5, 14, 7, 9, 45);
};

}  // namespace

TEST_F(DateTimeText, FormatLettersAndPadding) {
  EXPECT_EQ(FormatDateTime("d dd ddd dddd", sample), "5 05 Mon Monday");
  EXPECT_EQ(FormatDateTime("m mm mmm mmmm", sample), "3 03 Mar March");
  EXPECT_EQ(FormatDateTime("y yy yyyy", sample), "07 07 2007");
  EXPECT_EQ(FormatDateTime("h hh n nn s ss", sample), "14 14 7 07 9 09");
  EXPECT_EQ(FormatDateTime("z zz zzz", sample), "45 45 045");
  EXPECT_EQ(FormatDateTime("YYYY-MM-DD", sample), "2007-03-05");  // letters in either case
  EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(33, 1, 1)), "0033");
}

TEST_F(DateTimeText, MonthLetterAfterHourMeansMinutes) {
  EXPECT_EQ(FormatDateTime("hh:mm", sample), "14:07");
  EXPECT_EQ(FormatDateTime("h mm", sample), "14 07");
  EXPECT_EQ(FormatDateTime("hh'x'mm", sample), "14x07");  // a literal does not end it
  EXPECT_EQ(FormatDateTime("mm hh", sample), "03 14");
  EXPECT_EQ(FormatDateTime("hh dd mm", sample), "14 05 03");  // another letter ends it
}

TEST_F(DateTimeText, TwelveHourClockAndDesignators) {
  EXPECT_EQ(FormatDateTime("h:nn AMPM", sample), "2:07 PM");
  EXPECT_EQ(FormatDateTime("hh am/pm", sample), "02 pm");
  EXPECT_EQ(FormatDateTime("h A/P", sample), "2 P");
  EXPECT_EQ(FormatDateTime("h a/p", EncodeTime(0, 30, 0, 0)), "12 a");  // midnight is 12
  EXPECT_EQ(FormatDateTime("h AM/PM", EncodeTime(12, 0, 0, 0)), "12 PM");
  EXPECT_EQ(FormatDateTime("h \"AMPM\"", sample), "14 AMPM");  // quoted: no 12-hour clock
  FormatSettings().TimePMString = "nachm.";
  EXPECT_EQ(FormatDateTime("h ampm", sample), "2 nachm.");
  EXPECT_EQ(FormatDateTime("a-b", sample), "a-b");  // a lone a stays literal
}

TEST_F(DateTimeText, CompositeFormatsAndDefaults) {
  EXPECT_EQ(FormatDateTime("c", sample), "3/5/2007 2:07:09 PM");
  EXPECT_EQ(FormatDateTime("", sample), "3/5/2007 2:07:09 PM");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2007, 3, 5)), "3/5/2007");  // midnight: no time
  EXPECT_EQ(FormatDateTime("ddddd", sample), "3/5/2007");
  EXPECT_EQ(FormatDateTime("dddddd", sample), "Monday, March 5, 2007");
  EXPECT_EQ(FormatDateTime("t", sample), "2:07 PM");
  EXPECT_EQ(FormatDateTime("tt", sample), "2:07:09 PM");
  EXPECT_EQ(DateToStr(sample), "3/5/2007");
  EXPECT_EQ(TimeToStr(sample), "2:07:09 PM");
  EXPECT_EQ(DateTimeToStr(0), "12/30/1899");
  EXPECT_EQ(DateTimeToStr(-1.25), "12/29/1899 6:00:00 AM");
  // A format that names itself stops expanding instead of recursing forever.
  FormatSettings().ShortDateFormat = "c";
  EXPECT_NO_THROW(FormatDateTime("c", sample));
}

TEST_F(DateTimeText, SeparatorsAndQuotedLiteralsFollowTheLocale) {
  TFormatSettings& fs = FormatSettings();
  fs.DateSeparator = '.';
  fs.TimeSeparator = '-';
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", sample), "05.03.2007 14-07");
  EXPECT_EQ(FormatDateTime("dd'/'mm\":\"yy", sample), "05/03:07");
  EXPECT_EQ(FormatDateTime("'unterminated", sample), "unterminated");
  fs.ShortDateFormat = "dd/MM/yyyy";
  fs.LongTimeFormat = "hh:nn:ss";
  fs.ShortMonthNames[2] = "M\xC3\xA4r";
  EXPECT_EQ(DateTimeToStr(sample), "05.03.2007 14-07-09");
  EXPECT_EQ(FormatDateTime("d mmm", sample), "5 M\xC3\xA4r");
}

TEST_F(DateTimeText, MidnightRoundingMovesToTheNextDay) {
  const TDateTime almost = EncodeDate(1999, 12, 31) + 0.999999999999;
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", almost), "2000-01-01 00:00:00.000");
  EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", EncodeTime(23, 59, 59, 999)), "23:59:59.999");
}

TEST_F(DateTimeText, StrToDateFollowsTheShortDateOrder) {
  EXPECT_EQ(StrToDate("3/5/2007"), EncodeDate(2007, 3, 5));
  EXPECT_EQ(StrToDate(" 3 / 5 / 2007 "), EncodeDate(2007, 3, 5));
  EXPECT_EQ(StrToDate("2/29/2024"), EncodeDate(2024, 2, 29));
  EXPECT_EQ(StrToDate("12/30/1899"), 0.0);
  EXPECT_EQ(StrToDate("3/5"), EncodeDate(ThisYear(), 3, 5));
  TFormatSettings& fs = FormatSettings();
  fs.ShortDateFormat = "dd.MM.yyyy";
  fs.DateSeparator = '.';
  EXPECT_EQ(StrToDate("05.03.2007"), EncodeDate(2007, 3, 5));
  EXPECT_EQ(StrToDate("5.3"), EncodeDate(ThisYear(), 3, 5));
  EXPECT_EQ(StrToDate("05.03.2007."), EncodeDate(2007, 3, 5));  // a trailing separator
  fs.ShortDateFormat = "yyyy-MM-dd";
  fs.DateSeparator = '-';
  EXPECT_EQ(StrToDate("2007-03-05"), EncodeDate(2007, 3, 5));
  EXPECT_EQ(StrToDate("3-5"), EncodeDate(ThisYear(), 3, 5));  // month before day
}

TEST_F(DateTimeText, TwoDigitYearsUseTheCenturyWindow) {
  const int base = ThisYear() - 50;
  const int y = base % 100;  // two digits that land exactly on the window's start
  EXPECT_EQ(StrToDate("1/1/" + std::to_string(y)), EncodeDate(base, 1, 1));
  const int before = (y + 99) % 100;  // one year earlier wraps to the next century
  uint16_t yy, m, d;
  DecodeDate(StrToDate("1/1/" + std::to_string(before)), yy, m, d);
  EXPECT_EQ(yy, base + 99);
  FormatSettings().TwoDigitYearCenturyWindow = 0;
  DecodeDate(StrToDate("1/1/05"), yy, m, d);
  EXPECT_EQ(yy, ThisYear() / 100 * 100 + 5);
  DecodeDate(StrToDate("1/1/0005"), yy, m, d);  // four digits are taken as they stand
  EXPECT_EQ(yy, 5);
}

TEST_F(DateTimeText, InvalidDatesRaiseConvertErrors) {
  for (const char* text : {"", "2/30/2023", "13/1/2000", "1/2/", "1/2/2000x", "abc", "1-2-2000",
                           "1/2/12345", "0/1/2000"}) {
    TDateTime v;
    EXPECT_FALSE(TryStrToDate(text, v)) << text;
  }
  try {
    StrToDate("31/12/2000");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'31/12/2000' is not a valid date");
  }
}

TEST_F(DateTimeText, StrToTimeReadsPartsAndDesignators) {
  EXPECT_EQ(StrToTime("14:07:09"), EncodeTime(14, 7, 9, 0));
  EXPECT_EQ(StrToTime("14:07"), EncodeTime(14, 7, 0, 0));
  EXPECT_EQ(StrToTime("14"), EncodeTime(14, 0, 0, 0));
  EXPECT_EQ(StrToTime("2:07:09 PM"), EncodeTime(14, 7, 9, 0));
  EXPECT_EQ(StrToTime("12:00 am"), 0.0);
  EXPECT_EQ(StrToTime("12:30 PM"), EncodeTime(12, 30, 0, 0));
  EXPECT_EQ(StrToTime("PM 1:00"), EncodeTime(13, 0, 0, 0));
  EXPECT_EQ(StrToTime("23:59:59.999"), EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(StrToTime("10:00:00.5"), EncodeTime(10, 0, 0, 500));  // a fraction of a second
  EXPECT_EQ(StrToTime("10:00:00.05"), EncodeTime(10, 0, 0, 50));
  FormatSettings().TimeAMString = "vorm.";
  EXPECT_EQ(StrToTime("9:15 vorm."), EncodeTime(9, 15, 0, 0));
  EXPECT_EQ(StrToTime("9:15 AM"), EncodeTime(9, 15, 0, 0));  // English designators still read
  for (const char* text : {"", "24:00", "13:00 PM", "0:30 AM", "12:60", "12:", "12:00:", "x",
                           "12:00 xyz", "10:00:00."}) {
    TDateTime v;
    EXPECT_FALSE(TryStrToTime(text, v)) << text;
  }
  EXPECT_THROW(StrToTime("25:00"), EConvertError);
}

TEST_F(DateTimeText, StrToDateTimeAcceptsDateTimeOrBoth) {
  EXPECT_EQ(StrToDateTime("3/5/2007 2:07:09 PM"), EncodeDateTime(2007, 3, 5, 14, 7, 9, 0));
  EXPECT_EQ(StrToDateTime("3/5/2007"), EncodeDate(2007, 3, 5));
  EXPECT_EQ(StrToDateTime("14:07"), EncodeTime(14, 7, 0, 0));
  EXPECT_EQ(StrToDateTime("12/29/1899 6:00"), -1.25);
  TDateTime v;
  EXPECT_FALSE(TryStrToDateTime("3/5/2007 25:00", v));
  EXPECT_FALSE(TryStrToDateTime("3/5/2007 10:00 junk", v));
  try {
    StrToDateTime("soon");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'soon' is not a valid date and time");
  }
}

TEST_F(DateTimeText, FormattedTextReadsBackUnderChangedSettings) {
  const TDateTime whole = EncodeDateTime(2024, 2, 29, 23, 59, 59, 0);
  EXPECT_EQ(StrToDateTime(DateTimeToStr(whole)), whole);
  TFormatSettings& fs = FormatSettings();
  fs.ShortDateFormat = "dd/MM/yy";
  fs.DateSeparator = '-';
  fs.LongTimeFormat = "hh:nn:ss";
  fs.TimeSeparator = '.';
  const std::string text = DateTimeToStr(whole);
  EXPECT_EQ(text, "29-02-24 23.59.59");
  EXPECT_EQ(StrToDateTime(text), whole);
  for (TDateTime day = EncodeDate(1999, 12, 25); day < EncodeDate(2000, 3, 5); day += 1) {
    EXPECT_EQ(StrToDate(DateToStr(day)), day);
  }
}
