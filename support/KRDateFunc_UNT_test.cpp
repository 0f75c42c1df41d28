#include "support/KRDateFunc_UNT.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/text/FormatSettings.h"
#include "platform/win32/Resources.h"
#include "support/KRComponentStrings.h"

namespace {

// Friday, 15 March 2024, 14:25:36.
const TDateTime kNow = EncodeDateTime(2024, 3, 15, 14, 25, 36, 0);
const TDateTime kToday = EncodeDate(2024, 3, 15);
const TDateTime kTimeOfDay = EncodeTime(14, 25, 36, 0);

// Every test runs under the English locale settings and the fixed clock.
class DateFuncTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFormatSettings(); }
  void TearDown() override { ResetFormatSettings(); }

  static std::string Message(const std::function<void()>& action) {
    try {
      action();
    } catch (const EKRDateFuncException& e) {
      return e.Message();
    }
    return "(nothing raised)";
  }

 private:
  TFixedClock clock_{kNow};
};

TEST_F(DateFuncTest, DurationsAreShownInTheLargestUnitNotLongerThanThem) {
  EXPECT_EQ(DurationToStr(7200, 0, krduAuto), "2 h");
  EXPECT_EQ(DurationToStr(5400, 1, krduAuto), "1.5 h");
  EXPECT_EQ(DurationToStr(0.5, 2, krduAuto), "0.50 s");
  EXPECT_EQ(DurationToStr(-120, 0, krduAuto), "-2 min");
  EXPECT_EQ(DurationToStr(0, 0, krduAuto), "0 s");
  EXPECT_EQ(DurationToStr(59.9, 1, krduAuto), "59.9 s");
  EXPECT_EQ(DurationToStr(60, 0, krduAuto), "1 min");
  EXPECT_EQ(DurationToStr(604800, 0, krduAuto), "1 w");
  EXPECT_EQ(DurationToStr(2628000, 0, krduAuto), "1 mo");
  EXPECT_EQ(DurationToStr(2 * 31536000.0, 0, krduAuto), "2 y");
  EXPECT_EQ(DurationToStr(86399, 0, krduAuto), "24 h");  // rounded, still in hours
  EXPECT_EQ(DurationToStr(3e12, 0, krduSec), "2147483647 s");
  EXPECT_EQ(DurationToStr(90, 1, krduMin), "1.5 min");
  EXPECT_EQ(DurationToStr(90, 0, krduDay), "0 d");
  FormatSettings().DecimalSeparator = ',';
  EXPECT_EQ(DurationToStr(5400, 1, krduAuto), "1,5 h");
  EXPECT_DOUBLE_EQ(GetDurationValue(krduAuto, 90), 90);
  EXPECT_DOUBLE_EQ(GetDurationValue(krduWeek, 302400), 0.5);
}

TEST_F(DateFuncTest, DurationsAreReadWithTheirUnitInAnyCase) {
  EXPECT_EQ(StrToDuration("3 MO", krduSec), 7884000);
  EXPECT_EQ(StrToDuration("3", krduHour), 10800);
  EXPECT_EQ(StrToDuration("90", krduAuto), 90);
  EXPECT_EQ(StrToDuration("  -1.5h ", krduSec), -5400);
  EXPECT_EQ(StrToDuration("2 Min", krduSec), 120);
  EXPECT_EQ(StrToDuration("", krduHour), 0);
  EXPECT_EQ(StrToDuration("   ", krduHour), 0);
  EXPECT_EQ(StrToDuration("100 y", krduSec), 2147483646);
  EXPECT_EQ(StrToDuration("-100 y", krduSec), -2147483646);
  FormatSettings().DecimalSeparator = ',';
  EXPECT_EQ(StrToDuration("1,5 h", krduSec), 5400);
}

TEST_F(DateFuncTest, AnUnknownUnitOrNumberIsRefused) {
  EXPECT_EQ(Message([] { StrToDuration("3 x", krduSec); }), "Invalid duration unit: x.");
  EXPECT_EQ(Message([] { StrToDuration("3 hours", krduSec); }), "Invalid duration unit: hours.");
  EXPECT_EQ(Message([] { StrToDuration("3 a", krduSec); }), "Invalid duration unit: a.");
  // The number itself is the runtime's to refuse.
  EXPECT_THROW(StrToDuration("- h", krduSec), EConvertError);
  EXPECT_THROW(StrToDuration("1.2.3 s", krduSec), EConvertError);
}

TEST_F(DateFuncTest, UnitNamesComeFromTheStringTable) {
  struct TTranslated {
    explicit TTranslated(const StringTable& table) {
      RegisterModuleStrings(ComponentsInstance(), table);
      SetDurationUnits();
    }
    ~TTranslated() {
      RegisterModuleStrings(ComponentsInstance(), ComponentStringTable());
      SetDurationUnits();
    }
  };
  StringTable german = ComponentStringTable();
  german[14662] = "Std.";
  german[14666] = "Unbekannte Einheit: %0:s.";
  {
    TTranslated translated(german);
    EXPECT_EQ(DurationToStr(7200, 0, krduAuto), "2 Std.");
    EXPECT_EQ(StrToDuration("2 STD.", krduSec), 7200);
    EXPECT_EQ(Message([] { StrToDuration("2 h", krduSec); }), "Unbekannte Einheit: h.");
  }
  EXPECT_EQ(DurationUnitName(krduHour), "h");
}

TEST_F(DateFuncTest, FormatsAreNormalisedFromTheLocale) {
  EXPECT_EQ(GetDateFormat(), "mm/dd/yyyy");
  EXPECT_EQ(GetTimeFormat(), "hh:mm:ss AMPM");
  EXPECT_EQ(GetDateTimeFormat(), "mm/dd/yyyy hh:mm:ss AMPM");
  EXPECT_EQ(SysDateToStr(EncodeDateTime(2024, 3, 5, 14, 7, 9, 0)), "03/05/2024 02:07:09 PM");
  EXPECT_EQ(SysDateToDateStr(EncodeDateTime(2024, 3, 5, 14, 7, 9, 0)), "03/05/2024");

  TFormatSettings& fs = FormatSettings();
  fs.ShortDateFormat = "d-MMM-yy";
  fs.DateSeparator = '-';
  fs.LongTimeFormat = "H:m";
  EXPECT_EQ(GetDateFormat(), "dd-mmm-yy");
  EXPECT_EQ(GetTimeFormat(), "hh:mm");
  EXPECT_EQ(SysDateToStr(EncodeDateTime(2024, 3, 5, 14, 7, 9, 0)), "05-Mar-24 14:07");
  // Runs of other lengths name nothing.
  fs.ShortDateFormat = "MMMM d, y";
  EXPECT_EQ(GetDateFormat(), " dd, ");
}

TEST_F(DateFuncTest, TokensEndAtABlankOrTheSeparator) {
  std::string s = "1/2 /99";
  EXPECT_EQ(GetNextToken(s, '/'), "1");
  EXPECT_EQ(s, "2 /99");
  EXPECT_EQ(GetNextToken(s, '/'), "2");
  EXPECT_EQ(s, "99");  // blanks and one separator dropped
  EXPECT_EQ(GetNextToken(s, '/'), "99");
  EXPECT_EQ(s, "");
  EXPECT_EQ(GetNextToken(s, '/'), "");
  s = "a//b";
  EXPECT_EQ(GetNextToken(s, '/'), "a");
  EXPECT_EQ(GetNextToken(s, '/'), "");
  EXPECT_EQ(s, "b");

  EXPECT_TRUE(StringCharIsSameAs("yMd", 2, 'm'));
  EXPECT_FALSE(StringCharIsSameAs("yMd", 0, 'y'));
  EXPECT_FALSE(StringCharIsSameAs("yMd", 4, 'd'));
  EXPECT_FALSE(StringCharIsSameAs("\xC3\xA9", 1, '\xC3'));  // a lead byte is no character
  EXPECT_TRUE(StringCharIsDigit("a1", 2));
  EXPECT_FALSE(StringCharIsDigit("a1", 1));
  EXPECT_EQ(ComputeNbChar('m', 2, "dMMm/y"), 3);
  EXPECT_EQ(ComputeNbChar('y', 1, "dMMm/y"), 0);
}

TEST_F(DateFuncTest, ADateTakesWhatItLacksFromNow) {
  FormatSettings().ShortDateFormat = "M/d/yy";
  EXPECT_DOUBLE_EQ(StrToSysDate("1/2/99", false), EncodeDate(1999, 1, 2) + kTimeOfDay);
  EXPECT_DOUBLE_EQ(StrToSysDate("1/2", false), EncodeDate(2024, 1, 2) + kTimeOfDay);
  EXPECT_DOUBLE_EQ(StrToSysDate(" 12/31/00 ", false), EncodeDate(2000, 12, 31) + kTimeOfDay);
  EXPECT_DOUBLE_EQ(StrToSysDate("1/2/1999", false), EncodeDate(1999, 1, 2) + kTimeOfDay);
  EXPECT_DOUBLE_EQ(StrToSysDate("7", false), EncodeDate(2024, 7, 15) + kTimeOfDay);
  EXPECT_DOUBLE_EQ(StrToSysDate("1/2/99 3:45p", false), EncodeDateTime(1999, 1, 2, 15, 45, 0, 0));
  EXPECT_DOUBLE_EQ(StrToSysDate("*", false), kNow);
}

TEST_F(DateFuncTest, DatesOutsideTheRangeOrUnreadableAreRefused) {
  FormatSettings().ShortDateFormat = "M/d/yy";
  EXPECT_EQ(Message([] { StrToSysDate("1/2/39", false); }),
            "Invalid date: 1/2/39 (should be between 1/2/70 and 1/17/38).");
  EXPECT_DOUBLE_EQ(StrToSysDate("1/17/38", false), EncodeDate(2038, 1, 17) + kTimeOfDay);
  EXPECT_DOUBLE_EQ(StrToSysDate("1/2/70", false), EncodeDate(1970, 1, 2) + kTimeOfDay);
  for (const char* bad : {"1/18/38", "1/1/70", "1/2/40", "13/45/99", "1//99", "x", "", "  "}) {
    EXPECT_EQ(Message([bad] { StrToSysDate(bad, true); }).substr(0, 14), "Invalid date: ") << bad;
  }
  EXPECT_EQ(Message([] { StrToSysDate("10:75", true); }).substr(0, 20), "Invalid date: 10:75 ");
}

TEST_F(DateFuncTest, ATimeAloneIsToday) {
  // The long time format is "h:mm:ss AMPM": a 12-hour clock.
  EXPECT_DOUBLE_EQ(StrToSysDate("10:30a", false), kToday + EncodeTime(10, 30, 0, 0));
  EXPECT_DOUBLE_EQ(StrToSysDate("10:30 pm", false), kToday + EncodeTime(22, 30, 0, 0));
  EXPECT_DOUBLE_EQ(StrToSysDate("10:30pm", false), kToday + EncodeTime(22, 30, 0, 0));
  EXPECT_DOUBLE_EQ(StrToSysDate("10p", false), kToday + EncodeTime(22, 0, 0, 0));
  EXPECT_DOUBLE_EQ(StrToSysDate("12:05:09 A", false), kToday + EncodeTime(0, 5, 9, 0));
  EXPECT_DOUBLE_EQ(StrToSysDate("22:15", false), kToday + EncodeTime(22, 15, 0, 0));
  // A designator alone names no time.
  EXPECT_DOUBLE_EQ(StrToSysDate("a", true), kToday);
  EXPECT_EQ(StrToSysDate("PM", false), 0);
}

TEST_F(DateFuncTest, OtherLocalesAreReadInTheirOwnOrder) {
  TFormatSettings& fs = FormatSettings();
  fs.ShortDateFormat = "dd-MMM-yy";
  fs.DateSeparator = '-';
  EXPECT_DOUBLE_EQ(StrToSysDate("5-mar-99", false), EncodeDate(1999, 3, 5) + kTimeOfDay);
  EXPECT_DOUBLE_EQ(StrToSysDate("5-Aug", false), EncodeDate(2024, 8, 5) + kTimeOfDay);

  fs.ShortDateFormat = "dd.MM.yyyy";
  fs.DateSeparator = '.';
  fs.LongTimeFormat = "HH:mm:ss";
  fs.TimeAMString = fs.TimePMString = "";
  EXPECT_DOUBLE_EQ(StrToSysDate("5.3.99 7:05", false), EncodeDateTime(1999, 3, 5, 7, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToSysDate("5.3.2001", false), EncodeDate(2001, 3, 5) + kTimeOfDay);
  EXPECT_DOUBLE_EQ(StrToSysDate("17:40", false), kToday + EncodeTime(17, 40, 0, 0));
  EXPECT_DOUBLE_EQ(StrToSysDate("*", false), kNow);
}

}  // namespace
