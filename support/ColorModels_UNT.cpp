#include "support/ColorModels_UNT.h"

#include <algorithm>
#include <cmath>

#include "platform/text/Exception.h"
#include "platform/text/SysUtils.h"

namespace {

constexpr double kPi = 3.14159265359;
constexpr double kTwoPi = 6.28318530718;
constexpr double kSqrt3 = 1.73205080757;
constexpr double kHalfSqrt3 = 0.866025403785;
constexpr double kFlat = 0.001;

uint8_t ToByte(double component) {
  return uint8_t(std::clamp(std::trunc(component * 256), 0.0, 255.0));
}

}  // namespace

void RGB24bitsToReal(TColor color, double& red, double& green, double& blue) {
  red = ColorRed(color) / 256.0;
  green = ColorGreen(color) / 256.0;
  blue = ColorBlue(color) / 256.0;
}

TColor RGBRealTo24bits(double red, double green, double blue) {
  return RGBToColor(ToByte(red), ToByte(green), ToByte(blue));
}

int Sgn(double x) { return x > 0 ? 1 : 0; }

double Chop(double eps, double x) { return std::fabs(x) < eps ? 0 : x; }

double Modulus(double m, double x) { return x - std::trunc(x / m) * m; }

double ATan(double y, double x) {
  if (std::fabs(x) < 0.00001) return (Sgn(y) - 0.5) * kPi;
  return std::atan(y / x) + (1 - Sgn(x)) * kPi;
}

double Crop(double max, double min, double x) {
  if (x < min) return min;
  return x <= max ? x : max;
}

void RGBToHLS(double& h, double& l, double& s, double red, double green, double blue) {
  red = std::min(red, 1.0);
  green = std::min(green, 1.0);
  blue = std::min(blue, 1.0);
  const double max = std::max({red, green, blue});
  const double min = std::min({red, green, blue});
  const double a = blue - 0.5 * red - 0.5 * green;
  const double b = kHalfSqrt3 * red - kHalfSqrt3 * green;
  l = (max + min) / 2;
  if (max == min) {
    s = 0;
    h = 0;
    return;
  }
  s = l <= 0.5 ? (max - min) / (max + min) : (max - min) / (2 - max - min);
  h = Modulus(kTwoPi, ATan(b, a) + kTwoPi) * 180 / kPi;
}

void HLSToRGB(double& red, double& green, double& blue, double h, double l, double s) {
  // A negative hue turns backwards from 360, so that every hue names a sector.
  const double whole = std::floor(h);
  h = std::fmod(std::fmod(whole, 360) + 360, 360) + (h - whole);
  l = std::min(l, 1.0);
  s = std::min(s, 1.0);
  if (std::fabs(l) < 0.001) {
    red = green = blue = l;
    return;
  }
  const double m2 = l <= 0.5 ? l * s + l : s - s * l + l;
  const double m1 = l <= 0.5 ? l - s * l : s * l - s + l;
  enum { R, G, B };
  const int largest = h < 60 || h >= 300 ? B : h < 180 ? R : G;
  const int smallest = h < 120 ? G : h < 240 ? B : R;
  double* components[] = {&red, &green, &blue};
  *components[largest] = m2;
  *components[smallest] = m1;
  // The third component follows from the hue, whose tangent fixes the ratio
  // of the differences between the components.
  const double t = std::tan(h * kPi / 180);
  switch (3 - largest - smallest) {
    case R:
      red = std::fabs(t + kSqrt3) < kFlat
                ? blue
                : (t * (blue - green / 2) + kHalfSqrt3 * green) / (t / 2 + kHalfSqrt3);
      break;
    case G:
      green = std::fabs(t - kSqrt3) < kFlat
                  ? blue
                  : (t * (red / 2 - blue) + kHalfSqrt3 * red) / (kHalfSqrt3 - t / 2);
      break;
    default:
      blue = std::fabs(t) < kFlat
                 ? red
                 : (t * (red / 2 + green / 2) + kHalfSqrt3 * red - kHalfSqrt3 * green) / t;
  }
}

TColorMixer::TColorMixer(TColor color) : FColor(color) {
  RGB24bitsToReal(ColorToRGB(color), FRed, FGreen, FBlue);
}

void TColorMixer::SetMatchPalette(int value) {
  if (value < 0 || value > 2) {
    throw Exception(Format("Cannot assign %x to TColorMixer.MatchPalette", {value}));
  }
  FColor = (FColor & 0x00FFFFFF) | TColor(value) << 24;
}

double TColorMixer::HLSLightness() const {
  double h, l, s;
  RGBToHLS(h, l, s, FRed, FGreen, FBlue);
  return l;
}

void TColorMixer::SetHLSLightness(double value) {
  value = Crop(1, 0, value);
  double h, l, s;
  RGBToHLS(h, l, s, FRed, FGreen, FBlue);
  HLSToRGB(FRed, FGreen, FBlue, h, value, s);
  FColor = RGBRealTo24bits(FRed, FGreen, FBlue) | (FColor & 0x0F000000);
}

double TColorMixer::HLSSaturation() const {
  double h, l, s;
  RGBToHLS(h, l, s, FRed, FGreen, FBlue);
  return s;
}

double TColorMixer::GreyTone() const {
  return 0.212671 * FRed + 0.71516 * FGreen + 0.072169 * FBlue;
}

TColor MixColorAbsolute(TColor color, double lightness) {
  TColorMixer mixer(color);
  mixer.SetHLSLightness(lightness);
  mixer.SetMatchPalette(2);
  return mixer.Color();
}

TColor MixColorRelative(TColor color, double factor) {
  TColorMixer mixer(color);
  mixer.SetHLSLightness(mixer.HLSLightness() * (1 + factor));
  mixer.SetMatchPalette(2);
  return mixer.Color();
}
