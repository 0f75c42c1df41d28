#include "platform/win32/TimeZone.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/testing/TestFiles.h"

namespace {

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second = 0,
              WORD ms = 0) {
  SYSTEMTIME t{};
  t.wYear = year;
  t.wMonth = month;
  t.wDay = day;
  t.wHour = hour;
  t.wMinute = minute;
  t.wSecond = second;
  t.wMilliseconds = ms;
  return t;
}

std::string Text(const SYSTEMTIME& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth,
                t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  return buffer;
}

std::string ToLocal(const SYSTEMTIME& utc) {
  SYSTEMTIME local{};
  EXPECT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
  return Text(local);
}

std::string ToUtc(const SYSTEMTIME& local) {
  SYSTEMTIME utc{};
  EXPECT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
  return Text(utc);
}

// Runs a test under one zone and restores the process's zone afterwards.
class TimeZoneTest : public ::testing::Test {
 protected:
  void Use(const char* zone) {
    env_.emplace("TZ", zone);
    ReloadTimeZoneInformation();
  }
  void TearDown() override {
    env_.reset();
    ReloadTimeZoneInformation();
  }

 private:
  std::optional<ScopedEnv> env_;
};

TEST_F(TimeZoneTest, NewYorkInformation) {
  Use("America/New_York");
  TIME_ZONE_INFORMATION tz{};
  const DWORD state = GetTimeZoneInformation(&tz);
  EXPECT_TRUE(state == TIME_ZONE_ID_STANDARD || state == TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(tz.Bias, 300);
  EXPECT_EQ(tz.StandardBias, 0);
  EXPECT_EQ(tz.DaylightBias, -60);
  EXPECT_EQ(std::u16string(tz.StandardName), u"EST");
  EXPECT_EQ(std::u16string(tz.DaylightName), u"EDT");
  // Second Sunday of March at 2:00, first Sunday of November at 2:00.
  EXPECT_EQ(tz.DaylightDate.wYear, 0);
  EXPECT_EQ(tz.DaylightDate.wMonth, 3);
  EXPECT_EQ(tz.DaylightDate.wDayOfWeek, 0);
  EXPECT_EQ(tz.DaylightDate.wDay, 2);
  EXPECT_EQ(tz.DaylightDate.wHour, 2);
  EXPECT_EQ(tz.StandardDate.wMonth, 11);
  EXPECT_EQ(tz.StandardDate.wDayOfWeek, 0);
  EXPECT_EQ(tz.StandardDate.wDay, 1);
  EXPECT_EQ(tz.StandardDate.wHour, 2);
}

TEST_F(TimeZoneTest, NewYorkConversionsAcrossBothChanges) {
  Use("America/New_York");
  EXPECT_EQ(ToLocal(At(2024, 3, 10, 6, 59, 59, 999)), "2024-03-10 01:59:59.999");
  EXPECT_EQ(ToLocal(At(2024, 3, 10, 7, 0)), "2024-03-10 03:00:00.000");
  EXPECT_EQ(ToLocal(At(2024, 11, 3, 5, 30)), "2024-11-03 01:30:00.000");  // daylight
  EXPECT_EQ(ToLocal(At(2024, 11, 3, 6, 30)), "2024-11-03 01:30:00.000");  // standard again
  EXPECT_EQ(ToLocal(At(2024, 1, 1, 3, 0)), "2023-12-31 22:00:00.000");    // across a year
  // The rules of 2006 (daylight time from April) hold for 2006.
  EXPECT_EQ(ToLocal(At(2006, 3, 15, 12, 0)), "2006-03-15 07:00:00.000");
  EXPECT_EQ(ToLocal(At(2006, 4, 2, 7, 0)), "2006-04-02 03:00:00.000");

  EXPECT_EQ(ToUtc(At(2024, 7, 4, 12, 0, 0, 250)), "2024-07-04 16:00:00.250");
  EXPECT_EQ(ToUtc(At(2024, 1, 15, 12, 0)), "2024-01-15 17:00:00.000");
  EXPECT_EQ(ToUtc(At(2024, 11, 3, 1, 30)), "2024-11-03 06:30:00.000");  // twice: standard
  EXPECT_EQ(ToUtc(At(2024, 3, 10, 2, 30)), "2024-03-10 07:30:00.000");  // never: offset before

  FILETIME summer{}, winter{}, local{};
  SYSTEMTIME s = At(2024, 7, 1, 12, 0), w = At(2024, 1, 1, 12, 0);
  ASSERT_TRUE(SystemTimeToFileTime(&s, &summer));
  ASSERT_TRUE(SystemTimeToFileTime(&w, &winter));
  constexpr int64_t kHour = 36'000'000'000;
  const auto ticks = [](const FILETIME& f) {
    return static_cast<int64_t>((uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime);
  };
  ASSERT_TRUE(FileTimeToLocalFileTime(&summer, &local));
  EXPECT_EQ(ticks(local) - ticks(summer), -4 * kHour);
  ASSERT_TRUE(FileTimeToLocalFileTime(&winter, &local));
  EXPECT_EQ(ticks(local) - ticks(winter), -5 * kHour);
  FILETIME back{};
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
  EXPECT_EQ(ticks(back), ticks(winter));
}

TEST_F(TimeZoneTest, BerlinChangesOnTheLastSundays) {
  Use("Europe/Berlin");
  TIME_ZONE_INFORMATION tz{};
  GetTimeZoneInformation(&tz);
  EXPECT_EQ(tz.Bias, -60);
  EXPECT_EQ(tz.DaylightBias, -60);
  EXPECT_EQ(tz.DaylightDate.wMonth, 3);
  EXPECT_EQ(tz.DaylightDate.wDay, 5);
  EXPECT_EQ(tz.DaylightDate.wHour, 2);
  EXPECT_EQ(tz.StandardDate.wMonth, 10);
  EXPECT_EQ(tz.StandardDate.wDay, 5);
  EXPECT_EQ(tz.StandardDate.wHour, 3);
  EXPECT_EQ(ToLocal(At(2024, 3, 31, 0, 59, 59)), "2024-03-31 01:59:59.000");
  EXPECT_EQ(ToLocal(At(2024, 3, 31, 1, 0)), "2024-03-31 03:00:00.000");
  EXPECT_EQ(ToLocal(At(2024, 10, 27, 0, 30)), "2024-10-27 02:30:00.000");
  EXPECT_EQ(ToLocal(At(2024, 10, 27, 1, 30)), "2024-10-27 02:30:00.000");
  EXPECT_EQ(ToUtc(At(2024, 10, 27, 2, 30)), "2024-10-27 01:30:00.000");

  // The information handed back is accepted; another zone's is not.
  SYSTEMTIME utc = At(2024, 6, 1, 10, 0), local{};
  EXPECT_TRUE(SystemTimeToTzSpecificLocalTime(&tz, &utc, &local));
  EXPECT_EQ(Text(local), "2024-06-01 12:00:00.000");
  TIME_ZONE_INFORMATION other = tz;
  other.Bias = 300;
  EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(&other, &utc, &local));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(TzSpecificLocalTimeToSystemTime(&other, &local, &utc));
}

TEST_F(TimeZoneTest, AZoneWithoutDaylightTime) {
  Use("UTC");
  TIME_ZONE_INFORMATION tz{};
  EXPECT_EQ(GetTimeZoneInformation(&tz), TIME_ZONE_ID_UNKNOWN);
  EXPECT_EQ(tz.Bias, 0);
  EXPECT_EQ(tz.DaylightBias, 0);
  EXPECT_EQ(tz.StandardDate.wMonth, 0);
  EXPECT_EQ(tz.DaylightDate.wMonth, 0);
  EXPECT_EQ(ToLocal(At(2024, 7, 1, 12, 0)), "2024-07-01 12:00:00.000");
}

TEST(FileTimeTest, SystemTimesAndFileTimes) {
  const auto ticks = [](const SYSTEMTIME& t) {
    FILETIME f{};
    EXPECT_TRUE(SystemTimeToFileTime(&t, &f)) << Text(t);
    return (uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime;
  };
  EXPECT_EQ(ticks(At(1601, 1, 1, 0, 0)), 0u);
  EXPECT_EQ(ticks(At(1970, 1, 1, 0, 0)), 116'444'736'000'000'000u);
  EXPECT_EQ(ticks(At(2024, 3, 10, 6, 59, 59)), 133'545'275'990'000'000u);
  EXPECT_EQ(ticks(At(2024, 2, 29, 0, 0, 0, 1)) - ticks(At(2024, 2, 29, 0, 0)), 10'000u);

  for (const SYSTEMTIME& t :
       {At(1601, 1, 1, 0, 0), At(1899, 12, 30, 0, 0), At(2000, 2, 29, 23, 59, 59, 999),
        At(2038, 1, 19, 3, 14, 8), At(30827, 12, 31, 23, 59, 59, 999)}) {
    FILETIME f{};
    ASSERT_TRUE(SystemTimeToFileTime(&t, &f));
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&f, &back));
    EXPECT_EQ(Text(back), Text(t));
  }
  FILETIME f{};
  SYSTEMTIME t = At(2024, 3, 10, 0, 0);
  SystemTimeToFileTime(&t, &f);
  FileTimeToSystemTime(&f, &t);
  EXPECT_EQ(t.wDayOfWeek, 0);  // a Sunday
  t = At(1601, 1, 1, 0, 0);
  SystemTimeToFileTime(&t, &f);
  FileTimeToSystemTime(&f, &t);
  EXPECT_EQ(t.wDayOfWeek, 1);  // a Monday

  for (const SYSTEMTIME& bad :
       {At(2023, 2, 29, 0, 0), At(2024, 13, 1, 0, 0), At(2024, 4, 31, 0, 0), At(1600, 12, 31, 0, 0),
        At(2024, 1, 1, 24, 0), At(2024, 1, 1, 0, 60), At(2024, 1, 1, 0, 0, 60),
        At(2024, 1, 1, 0, 0, 0, 1000), At(2024, 0, 1, 0, 0), At(2024, 1, 0, 0, 0)}) {
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &f)) << Text(bad);
  }
  const FILETIME tooLarge{0, 0x80000000};
  EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &t));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
