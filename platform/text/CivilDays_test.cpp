#include "platform/text/CivilDays.h"

#include <gtest/gtest.h>

namespace {

struct Civil {
  int64_t year;
  int month;
  int day;
};

Civil DateOf(int64_t days) {
  Civil c{};
  CivilFromDays(days, c.year, c.month, c.day);
  return c;
}

TEST(CivilDays, KnownDatesAroundTheOriginAndLeapDays) {
  EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
  EXPECT_EQ(DaysFromCivil(1969, 12, 31), -1);
  EXPECT_EQ(DaysFromCivil(2000, 3, 1) - DaysFromCivil(2000, 2, 28), 2);  // 2000 is leap
  EXPECT_EQ(DaysFromCivil(1900, 3, 1) - DaysFromCivil(1900, 2, 28), 1);  // 1900 is not
  EXPECT_EQ(DaysFromCivil(1601, 1, 1), -134774);
  EXPECT_EQ(DaysFromCivil(1, 1, 1), -719162);
}

TEST(CivilDays, RoundTripsAcrossEraBoundariesAndNegativeYears) {
  for (int64_t days : {int64_t{-719468} - 146097 * 3, int64_t{-719468}, int64_t{-719469},
                       int64_t{-1}, int64_t{0}, int64_t{11016}, int64_t{2932896}}) {
    const Civil c = DateOf(days);
    EXPECT_GE(c.month, 1);
    EXPECT_LE(c.month, 12);
    EXPECT_GE(c.day, 1);
    EXPECT_LE(c.day, 31);
    EXPECT_EQ(DaysFromCivil(c.year, c.month, c.day), days) << days;
  }
  const Civil leap = DateOf(DaysFromCivil(2024, 2, 29));
  EXPECT_EQ(leap.year, 2024);
  EXPECT_EQ(leap.month, 2);
  EXPECT_EQ(leap.day, 29);
  const Civil beforeYearZero = DateOf(DaysFromCivil(-1, 12, 31));
  EXPECT_EQ(beforeYearZero.year, -1);
  EXPECT_EQ(beforeYearZero.month, 12);
}

}  // namespace
