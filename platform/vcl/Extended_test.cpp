#include "platform/vcl/Extended.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

TExtended80 Make(bool negative, uint16_t exponent, uint64_t mantissa) {
  TExtended80 bytes{};
  std::memcpy(bytes.data(), &mantissa, 8);
  const uint16_t top = static_cast<uint16_t>((negative ? 0x8000 : 0) | exponent);
  std::memcpy(bytes.data() + 8, &top, 2);
  return bytes;
}

const double kSamples[] = {1.0,
                           -2.5,
                           0.1,
                           1e300,
                           -1e-300,
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::denorm_min(),
                           -std::numeric_limits<double>::denorm_min() * 3,
                           123456789.125,
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()};

TEST(Extended, EveryDoubleSurvivesTheRoundTrip) {
  for (double value : kSamples) {
    EXPECT_EQ(ExtendedToDouble(DoubleToExtended(value)), value) << value;
  }
  const double negativeZero = ExtendedToDouble(DoubleToExtended(-0.0));
  EXPECT_EQ(negativeZero, 0.0);
  EXPECT_TRUE(std::signbit(negativeZero));
  EXPECT_TRUE(std::isnan(ExtendedToDouble(DoubleToExtended(std::nan("")))));
}

TEST(Extended, KnownEncodings) {
  EXPECT_EQ(DoubleToExtended(1.0), Make(false, 0x3FFF, uint64_t{1} << 63));
  EXPECT_EQ(DoubleToExtended(-2.0), Make(true, 0x4000, uint64_t{1} << 63));
  EXPECT_EQ(DoubleToExtended(0.0), Make(false, 0, 0));
  EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::infinity()),
            Make(false, 0x7FFF, uint64_t{1} << 63));
}

#if defined(__x86_64__) && LDBL_MANT_DIG == 64
// On x86-64 the compiler's long double is this very format: it is the oracle.
TEST(Extended, MatchesTheMachinesExtendedFormat) {
  for (double value : kSamples) {
    const long double native = value;
    TExtended80 expected{};
    std::memcpy(expected.data(), &native, expected.size());
    EXPECT_EQ(DoubleToExtended(value), expected) << value;
  }
  const long double third = 1.0L / 3;
  TExtended80 bytes{};
  std::memcpy(bytes.data(), &third, bytes.size());
  EXPECT_EQ(ExtendedToDouble(bytes), static_cast<double>(third));
}
#endif

TEST(Extended, RoundsToTheNearestDoubleWithTiesToEven) {
  const uint64_t one = uint64_t{1} << 63;
  // 1 + 2^-53 lies halfway between 1 and the next double: it goes to 1 (even).
  EXPECT_EQ(ExtendedToDouble(Make(false, 0x3FFF, one | (uint64_t{1} << 10))), 1.0);
  // A little more rounds up.
  EXPECT_EQ(ExtendedToDouble(Make(false, 0x3FFF, one | (uint64_t{1} << 10) | 1)),
            std::nextafter(1.0, 2.0));
  // Halfway above an odd last bit rounds up to even.
  EXPECT_EQ(ExtendedToDouble(Make(false, 0x3FFF, one | (uint64_t{3} << 10))),
            1.0 + 2 * std::ldexp(1.0, -52));
}

TEST(Extended, ValuesBeyondTheDoubleRange) {
  const uint64_t one = uint64_t{1} << 63;
  EXPECT_EQ(ExtendedToDouble(Make(false, 0x3FFF + 1024, one)),
            std::numeric_limits<double>::infinity());
  EXPECT_EQ(ExtendedToDouble(Make(true, 0x3FFF - 2000, one)), 0.0);
  EXPECT_EQ(ExtendedToDouble(Make(false, 0x3FFF - 1074, one)),
            std::numeric_limits<double>::denorm_min());
  // Extended denormals (exponent 0) are dropped to zero.
  EXPECT_EQ(ExtendedToDouble(Make(false, 0, 12345)), 0.0);
  // A mantissa without its integer bit is normalised: 0x4000... at 2^0 is 0.5.
  EXPECT_EQ(ExtendedToDouble(Make(false, 0x3FFF, one >> 1)), 0.5);
  EXPECT_TRUE(std::isnan(ExtendedToDouble(Make(false, 0x7FFF, one | 1))));
  EXPECT_EQ(ExtendedToDouble(Make(true, 0x7FFF, one)), -std::numeric_limits<double>::infinity());
}

}  // namespace
