#include "platform/text/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <string>

#include "platform/testing/TestFiles.h"

namespace {

struct Parts {
  uint16_t y, m, d, h, n, s, z;
};

Parts Decode(TDateTime v) {
  Parts p{};
  DecodeDateTime(v, p.y, p.m, p.d, p.h, p.n, p.s, p.z);
  return p;
}

}  // namespace

TEST(DateTime, LeapYearsAndMonthLengths) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2023, 12), 31);
  EXPECT_EQ(DaysInMonth(2023, 4), 30);
  EXPECT_EQ(DaysInMonth(2023, 13), 0);
}

TEST(DateTime, EncodeDateAroundTheOrigin) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(1970, 1, 1), 25569.0);
  EXPECT_EQ(EncodeDate(2038, 1, 17), 50422.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
  EXPECT_EQ(EncodeDate(2000, 3, 1) - EncodeDate(2000, 2, 28), 2.0);  // across 29 February
}

TEST(DateTime, InvalidPartsRaiseOrAnswerFalse) {
  TDateTime v = 42;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, v));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, v));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, v));
  EXPECT_FALSE(TryEncodeDate(2023, 0, 1, v));
  EXPECT_FALSE(TryEncodeDate(2023, 1, 0, v));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, v));
  EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, v));
  EXPECT_EQ(v, 42);  // untouched on failure
  EXPECT_TRUE(TryEncodeDate(2024, 2, 29, v));
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(23, 59, 59, 1000), EConvertError);
  EXPECT_THROW(EncodeDateTime(2023, 1, 1, 25, 0, 0, 0), EConvertError);
}

TEST(DateTime, TimesAndTheirFractions) {
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  const Parts p = Decode(EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(p.h, 23);
  EXPECT_EQ(p.n, 59);
  EXPECT_EQ(p.s, 59);
  EXPECT_EQ(p.z, 999);
}

TEST(DateTime, NegativeValuesKeepTheTimeAsAPositiveFraction) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  const Parts p = Decode(-1.25);
  EXPECT_EQ(p.y, 1899);
  EXPECT_EQ(p.m, 12);
  EXPECT_EQ(p.d, 29);
  EXPECT_EQ(p.h, 6);
  const Parts q = Decode(-0.75);  // still 30 December, at 18:00
  EXPECT_EQ(q.d, 30);
  EXPECT_EQ(q.h, 18);
  EXPECT_EQ(DateOf(-1.25), -1.0);
  EXPECT_EQ(TimeOf(-1.25), 0.25);
}

TEST(DateTime, DecodingRoundsToMillisecondsAndCarriesIntoTheNextDay) {
  const TDateTime lastMoment = EncodeDate(2023, 12, 31) + 0.99999999999;
  const Parts p = Decode(lastMoment);
  EXPECT_EQ(p.y, 2024);
  EXPECT_EQ(p.m, 1);
  EXPECT_EQ(p.d, 1);
  EXPECT_EQ(p.h, 0);
  EXPECT_EQ(p.z, 0);
  const Parts half = Decode(EncodeTime(10, 0, 0, 0) + 0.4 / MSecsPerDay);
  EXPECT_EQ(half.z, 0);
  const Parts up = Decode(EncodeTime(10, 0, 0, 0) + 0.6 / MSecsPerDay);
  EXPECT_EQ(up.z, 1);
  // Before the origin the carry also moves to the next calendar day.
  const Parts before = Decode(-1.99999999999);
  EXPECT_EQ(before.d, 30);
  EXPECT_EQ(before.h, 0);
}

TEST(DateTime, RoundTripsThroughTheCalendar) {
  for (TDateTime v = -693593; v <= 2958465; v += 997) {
    const Parts p = Decode(v);
    EXPECT_EQ(EncodeDate(p.y, p.m, p.d), v);
  }
  const Parts leap = Decode(EncodeDate(2000, 2, 29));
  EXPECT_EQ(leap.m, 2);
  EXPECT_EQ(leap.d, 29);
}

TEST(DateTime, ValuesWithoutADateRaise) {
  uint16_t y, m, d;
  EXPECT_THROW(DecodeDate(std::numeric_limits<double>::quiet_NaN(), y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(std::numeric_limits<double>::infinity(), y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(2958466, y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(-693594, y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(2958465.9999999995, y, m, d), EConvertError);  // rounds past 9999
}

TEST(DateTime, DayOfWeekStartsOnSunday) {
  EXPECT_EQ(DayOfWeek(0), 7);  // 30 December 1899 was a Saturday
  EXPECT_EQ(DayOfWeek(1), 1);
  EXPECT_EQ(DayOfWeek(-1.5), 6);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 2, 29)), 5);  // a Thursday
}

TEST(DateTime, ClockAgreesWithItsParts) {
  const TDateTime now = Now();
  const TDateTime today = Date();
  EXPECT_EQ(today, std::floor(today));
  EXPECT_GE(now, today);
  EXPECT_LT(now - today, 1.0 + 1.0 / SecsPerDay);
  const TDateTime t = Time();
  EXPECT_GE(t, 0.0);
  EXPECT_LT(t, 1.0);
  EXPECT_GT(today, EncodeDate(2020, 1, 1));
}

TEST(DateTime, NowFollowsAChangedTimeZone) {
  TDateTime utc = 0;
  {
    ScopedEnv zone("TZ", "UTC0");
    utc = Now();
    const TDateTime unixNow = double(std::time(nullptr)) / SecsPerDay + 25569;
    EXPECT_NEAR(utc, unixNow, 2 / SecsPerDay);
  }
  ScopedEnv zone("TZ", "XYZ-5");  // five hours east of UTC
  EXPECT_NEAR(Now() - utc, 5 / HoursPerDay, 2 / SecsPerDay);
}

TEST(DateTime, AFixedClockAnswersItsMomentUntilReleased) {
  const TDateTime moment = EncodeDateTime(2024, 3, 15, 14, 25, 36, 500);
  {
    TFixedClock fixed(moment);
    EXPECT_EQ(Now(), moment);
    EXPECT_EQ(Date(), EncodeDate(2024, 3, 15));
    EXPECT_DOUBLE_EQ(Time(), EncodeTime(14, 25, 36, 500));
    {
      TFixedClock inner(EncodeDate(2001, 1, 1));
      EXPECT_EQ(Now(), EncodeDate(2001, 1, 1));
    }
    EXPECT_EQ(Now(), moment);  // the outer moment is back
  }
  // Running again: the real clock is nowhere near the fixed moment.
  EXPECT_GT(Now(), EncodeDate(2025, 1, 1));
  EXPECT_TRUE(std::isnan(FixClock(std::numeric_limits<double>::infinity())));
  EXPECT_GT(Now(), EncodeDate(2025, 1, 1));  // an infinite moment left the clock running
}

TEST(DateTime, TruncFracAndRound) {
  EXPECT_EQ(Trunc(2.9), 2);
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_DOUBLE_EQ(Frac(-2.25), -0.25);
  EXPECT_EQ(Round(2.5), 2);  // halves to even
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(-2.6), -3);
  EXPECT_THROW(Trunc(9.3e18), EInvalidOp);
  EXPECT_THROW(Round(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
  EXPECT_EQ(Trunc(-9223372036854775808.0), std::numeric_limits<int64_t>::min());
}
