#include "objectmodel/KRDateConversion_UNT.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

// Every test of this binary sees central European time, with its changes on
// the last Sundays of March (02:00 to 03:00) and October (03:00 to 02:00).
// The zone is set before main, so before the first conversion reads it.
const bool kZoneSet = [] {
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  return true;
}();

constexpr double kMillisecond = 1.0 / 86400000;

TDateTime Local(int year, int month, int day, int hour, int min, int sec) {
  return EncodeDateTime(year, month, day, hour, min, sec, 0);
}

TEST(DateConversionTest, NullValuesAndConstants) {
  ASSERT_TRUE(kZoneSet);
  EXPECT_EQ(ConvertUTCToDateTime(0), 0.0);
  EXPECT_EQ(ConvertDateTimeToUTC(0.0), 0);
  EXPECT_EQ(GetDeltaUTC(), 11644473600);
  TDateTime d = 10.0;
  AdjustDateTimeWithBias(d, 90);
  EXPECT_DOUBLE_EQ(d, 10.0 + 90.0 / 1440);
  AdjustDateTimeWithBias(d, -90);
  EXPECT_DOUBLE_EQ(d, 10.0);
}

TEST(DateConversionTest, StampsBecomeLocalTimesOnBothSidesOfEachChange) {
  EXPECT_NEAR(ConvertUTCToDateTime(1705316400), Local(2024, 1, 15, 12, 0, 0), kMillisecond);
  EXPECT_NEAR(ConvertUTCToDateTime(1719828000), Local(2024, 7, 1, 12, 0, 0), kMillisecond);
  // Spring: 00:59:59 UTC is 01:59:59 CET, one second later it is 03:00 CEST.
  EXPECT_NEAR(ConvertUTCToDateTime(1711846799), Local(2024, 3, 31, 1, 59, 59), kMillisecond);
  EXPECT_NEAR(ConvertUTCToDateTime(1711846800), Local(2024, 3, 31, 3, 0, 0), kMillisecond);
  // Autumn: 02:30 happens twice, an hour apart.
  EXPECT_NEAR(ConvertUTCToDateTime(1729989000), Local(2024, 10, 27, 2, 30, 0), kMillisecond);
  EXPECT_NEAR(ConvertUTCToDateTime(1729992600), Local(2024, 10, 27, 2, 30, 0), kMillisecond);
  // Before 1970 too.
  EXPECT_NEAR(ConvertUTCToDateTime(-315619200), Local(1960, 1, 1, 1, 0, 0), kMillisecond);
}

TEST(DateConversionTest, LocalTimesBecomeStampsAroundEachChange) {
  EXPECT_EQ(ConvertDateTimeToUTC(Local(2024, 1, 15, 12, 0, 0)), 1705316400);
  EXPECT_EQ(ConvertDateTimeToUTC(Local(2024, 7, 1, 12, 0, 0)), 1719828000);
  EXPECT_EQ(ConvertDateTimeToUTC(Local(2024, 3, 31, 1, 59, 59)), 1711846799);
  EXPECT_EQ(ConvertDateTimeToUTC(Local(2024, 3, 31, 3, 0, 0)), 1711846800);
  // A time skipped by the spring change does not exist.
  EXPECT_EQ(ConvertDateTimeToUTC(Local(2024, 3, 31, 2, 30, 0)), 0);
  // A time that occurs twice is read as standard time.
  EXPECT_EQ(ConvertDateTimeToUTC(Local(2024, 10, 27, 2, 30, 0)), 1729992600);
  EXPECT_EQ(ConvertDateTimeToUTC(Local(1960, 1, 1, 1, 0, 0)), -315619200);
}

TEST(DateConversionTest, TimesBeyondTheStampRangeGiveTheNullStamp) {
  EXPECT_EQ(ConvertDateTimeToUTC(Local(2100, 1, 1, 0, 0, 0)), 0);
  EXPECT_EQ(ConvertDateTimeToUTC(Local(1800, 1, 1, 0, 0, 0)), 0);
  EXPECT_EQ(ConvertDateTimeToUTC(1e9), 0);
}

TEST(DateConversionTest, StampsRoundTripThroughTheYear) {
  constexpr int32_t kAmbiguousFrom = 1729987200;  // 2024-10-27 00:00 UTC, 02:00 CEST
  constexpr int32_t kAmbiguousTo = 1729990800;    // 01:00 UTC, 02:00 CET
  for (int32_t stamp = 1704067200; stamp < 1735689600; stamp += 3599) {
    const int32_t expected = stamp >= kAmbiguousFrom && stamp < kAmbiguousTo ? stamp + 3600 : stamp;
    ASSERT_EQ(ConvertDateTimeToUTC(ConvertUTCToDateTime(stamp)), expected) << stamp;
  }
}

}  // namespace
