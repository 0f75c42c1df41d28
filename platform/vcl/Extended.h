#pragma once
// The 10-byte x87 extended format in which the component stream keeps
// floats: bytes 0-7 the 64-bit mantissa with an explicit integer bit, bytes
// 8-9 the sign (bit 15) and a 15-bit exponent biased by 16383.
//
// Every double converts exactly. Back to double: exponent 0 gives a signed
// zero (extended denormals are dropped), exponent 0x7FFF gives infinity
// (mantissa fraction 0) or NaN, anything else rounds to the nearest double
// (ties to even), overflowing to infinity or underflowing to a double
// denormal or zero. A mantissa without its integer bit is normalised first.

#include <array>
#include <cstdint>

using TExtended80 = std::array<uint8_t, 10>;

TExtended80 DoubleToExtended(double value);
double ExtendedToDouble(const TExtended80& bytes);
