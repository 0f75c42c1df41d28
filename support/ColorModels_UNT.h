#pragma once
// A small colour library: colours as red, green and blue fractions, a
// hue-lightness-saturation model of its own, and mixing.
//
// A component is its byte divided by 256, so it lies in 0 .. 255/256, and
// back it is the fraction times 256, truncated and limited to 0 .. 255.
// Hue H is in degrees on a circle with blue at 0, red at 120 and green at
// 240; lightness L and saturation S lie in 0 .. 1.

#include "platform/ui/Color.h"

void RGB24bitsToReal(TColor color, double& red, double& green, double& blue);
TColor RGBRealTo24bits(double red, double green, double blue);

// Components above 1 count as 1. A grey (all three equal) has H = S = 0.
void RGBToHLS(double& h, double& l, double& s, double red, double green, double blue);
// H is taken modulo 360; L and S above 1 count as 1.
void HLSToRGB(double& red, double& green, double& blue, double h, double l, double s);

// 1 for x > 0, else 0.
int Sgn(double x);
// 0 when |x| < eps, else x.
double Chop(double eps, double x);
// x - Trunc(x / m) * m.
double Modulus(double m, double x);
// The angle of the point (x, y) in radians, in -pi/2 .. 3pi/2.
double ATan(double y, double x);
// x limited to min .. max.
double Crop(double max, double min, double x);

// One colour being mixed. It keeps the colour value (palette flags
// included) and its components; a system colour is resolved to the
// system's current colour when the mixer is made.
class TColorMixer {
 public:
  explicit TColorMixer(TColor color);

  TColor Color() const { return FColor; }
  // Sets the palette flags of the colour: 0 none, 1 palette index,
  // 2 palette-relative; any other value raises Exception.
  void SetMatchPalette(int value);
  double HLSLightness() const;
  // Gives the colour this lightness (limited to 0 .. 1), keeping its hue and
  // saturation; the colour becomes a plain RGB value that keeps only the
  // bits 0x0F000000 of the old high byte.
  void SetHLSLightness(double value);
  double HLSSaturation() const;
  // The luminance of the components: 0.212671 R + 0.71516 G + 0.072169 B.
  double GreyTone() const;

 private:
  TColor FColor;
  double FRed;
  double FGreen;
  double FBlue;
};

// `color` at the given lightness, as a palette-relative colour.
TColor MixColorAbsolute(TColor color, double lightness);
// `color` with its lightness times (1 + factor), as a palette-relative colour.
TColor MixColorRelative(TColor color, double factor);
