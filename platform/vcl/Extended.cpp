#include "platform/vcl/Extended.h"

#include <bit>
#include <cmath>
#include <limits>

namespace {

constexpr int kBias = 16383;
constexpr uint64_t kIntegerBit = uint64_t{1} << 63;

TExtended80 Pack(bool negative, uint16_t exponent, uint64_t mantissa) {
  TExtended80 bytes{};
  for (int i = 0; i < 8; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(mantissa >> (8 * i));
  const uint16_t top = static_cast<uint16_t>((negative ? 0x8000 : 0) | (exponent & 0x7FFF));
  bytes[8] = static_cast<uint8_t>(top);
  bytes[9] = static_cast<uint8_t>(top >> 8);
  return bytes;
}

}  // namespace

TExtended80 DoubleToExtended(double value) {
  const bool negative = std::signbit(value);
  if (std::isnan(value)) return Pack(negative, 0x7FFF, kIntegerBit | (kIntegerBit >> 1));
  if (std::isinf(value)) return Pack(negative, 0x7FFF, kIntegerBit);
  if (value == 0) return Pack(negative, 0, 0);
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);  // in [0.5, 1)
  // The fraction has at most 53 significant bits, so scaling it to 64 bits is exact.
  const auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
  return Pack(negative, static_cast<uint16_t>(exponent - 1 + kBias), mantissa);
}

double ExtendedToDouble(const TExtended80& bytes) {
  uint64_t mantissa = 0;
  for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | bytes[static_cast<size_t>(i)];
  const uint16_t top = static_cast<uint16_t>(bytes[8] | (bytes[9] << 8));
  const bool negative = (top & 0x8000) != 0;
  const int exponent = top & 0x7FFF;
  double magnitude = 0;
  if (exponent == 0x7FFF) {
    magnitude = (mantissa & ~kIntegerBit) == 0 ? std::numeric_limits<double>::infinity()
                                               : std::numeric_limits<double>::quiet_NaN();
  } else if (exponent != 0 && mantissa != 0) {
    const int shift = std::countl_zero(mantissa);
    mantissa <<= shift;
    const int power = exponent - kBias - shift;
    if (power > std::numeric_limits<double>::max_exponent) {
      magnitude = std::numeric_limits<double>::infinity();
    } else {
      // The conversion of the mantissa rounds to 53 bits (ties to even);
      // scaling by a power of two is then exact in the normal range.
      magnitude = std::ldexp(static_cast<double>(mantissa), power - 63);
    }
  }
  return negative ? -magnitude : magnitude;
}
