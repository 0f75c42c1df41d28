#include "support/ColorModels_UNT.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/text/Exception.h"

namespace {

constexpr double kByte = 1.0 / 256;

struct THls {
  double h, l, s;
};

THls HlsOf(TColor color) {
  double r, g, b;
  RGB24bitsToReal(color, r, g, b);
  THls hls{};
  RGBToHLS(hls.h, hls.l, hls.s, r, g, b);
  return hls;
}

TEST(ColorModelsTest, PrimariesSitOnTheirOwnHueCircle) {
  const THls red = HlsOf(RGBToColor(255, 0, 0));
  EXPECT_NEAR(red.h, 120, 1e-6);
  EXPECT_NEAR(red.l, 0.498, 0.0005);
  EXPECT_DOUBLE_EQ(red.s, 1);
  EXPECT_NEAR(HlsOf(RGBToColor(0, 0, 255)).h, 0, 1e-6);
  EXPECT_NEAR(HlsOf(RGBToColor(0, 255, 0)).h, 240, 1e-6);
  const THls white = HlsOf(clWhite);
  EXPECT_EQ(white.s, 0);
  EXPECT_EQ(white.h, 0);
  EXPECT_DOUBLE_EQ(white.l, 255 * kByte);
  // Components above 1 count as 1.
  double h, l, s;
  RGBToHLS(h, l, s, 7, 1, 1);
  EXPECT_EQ(l, 1);
  EXPECT_EQ(s, 0);
}

TEST(ColorModelsTest, HlsLeadsBackToTheSameComponentsInEverySector) {
  // One colour in each 60-degree sector, light and dark, and on the borders
  // between sectors (where the tangent of the hue has its poles and zeros).
  for (const TColor color :
       {RGBToColor(255, 0, 0), RGBToColor(255, 128, 0), RGBToColor(128, 255, 0),
        RGBToColor(0, 255, 0), RGBToColor(0, 255, 128), RGBToColor(0, 128, 255),
        RGBToColor(0, 0, 255), RGBToColor(128, 0, 255), RGBToColor(255, 0, 128),
        RGBToColor(200, 100, 50), RGBToColor(30, 60, 90), RGBToColor(255, 200, 200),
        RGBToColor(255, 255, 0), RGBToColor(0, 255, 255), RGBToColor(255, 0, 255),
        RGBToColor(1, 2, 3)}) {
    double r, g, b;
    RGB24bitsToReal(color, r, g, b);
    const THls hls = HlsOf(color);
    double r2, g2, b2;
    HLSToRGB(r2, g2, b2, hls.h, hls.l, hls.s);
    EXPECT_NEAR(r2, r, 1e-6) << std::hex << color;
    EXPECT_NEAR(g2, g, 1e-6) << std::hex << color;
    EXPECT_NEAR(b2, b, 1e-6) << std::hex << color;
  }
}

TEST(ColorModelsTest, HueIsTakenModulo360AndLimitsApply) {
  double r1, g1, b1, r2, g2, b2;
  HLSToRGB(r1, g1, b1, 100.5, 0.4, 0.8);
  HLSToRGB(r2, g2, b2, 100.5 + 720, 0.4, 0.8);
  EXPECT_NEAR(r1, r2, 1e-9);
  EXPECT_NEAR(b1, b2, 1e-9);
  HLSToRGB(r2, g2, b2, 100.5 - 360, 0.4, 0.8);  // a negative hue turns backwards
  EXPECT_NEAR(g1, g2, 1e-9);
  EXPECT_NEAR(b1, b2, 1e-9);
  HLSToRGB(r1, g1, b1, 0, 0.0005, 1);  // black enough: every component is L
  EXPECT_EQ(r1, 0.0005);
  EXPECT_EQ(b1, 0.0005);
  HLSToRGB(r1, g1, b1, 30, 3, 5);  // L and S above 1 count as 1: white
  EXPECT_EQ(RGBRealTo24bits(r1, g1, b1), clWhite);
}

TEST(ColorModelsTest, ComponentsAreBytesOver256) {
  double r, g, b;
  RGB24bitsToReal(RGBToColor(255, 128, 1) | 0x02000000, r, g, b);
  EXPECT_EQ(r, 255 * kByte);
  EXPECT_EQ(g, 0.5);
  EXPECT_EQ(b, kByte);
  EXPECT_EQ(RGBRealTo24bits(r, g, b), RGBToColor(255, 128, 1));
  EXPECT_EQ(RGBRealTo24bits(1, 0.9999, -0.2), RGBToColor(255, 255, 0));  // limited to 0 .. 255
  EXPECT_EQ(RGBRealTo24bits(kByte - 1e-9, 0, 0), clBlack);               // truncated
}

TEST(ColorModelsTest, SmallFunctions) {
  EXPECT_EQ(Sgn(2), 1);
  EXPECT_EQ(Sgn(0), 0);
  EXPECT_EQ(Sgn(-2), 0);
  EXPECT_EQ(Chop(0.01, 0.005), 0);
  EXPECT_EQ(Chop(0.01, -0.02), -0.02);
  EXPECT_EQ(Modulus(360, 370), 10);
  EXPECT_EQ(Modulus(360, -30), -30);  // truncating, so the sign stays
  EXPECT_NEAR(ATan(1, 0), M_PI / 2, 1e-9);
  EXPECT_NEAR(ATan(-1, 0), -M_PI / 2, 1e-9);
  EXPECT_NEAR(ATan(0, -1), M_PI, 1e-9);
  EXPECT_NEAR(ATan(-1, -1), 5 * M_PI / 4, 1e-9);
  EXPECT_EQ(Crop(1, 0, 1.5), 1);
  EXPECT_EQ(Crop(1, 0, -0.5), 0);
  EXPECT_EQ(Crop(1, 0, 1), 1);
}

TEST(ColorMixerTest, TheLightnessOfAGreyStaysGrey) {
  TColorMixer grey(RGBToColor(100, 100, 100));
  grey.SetHLSLightness(0.75);
  EXPECT_EQ(grey.Color(), RGBToColor(192, 192, 192));
  EXPECT_EQ(grey.HLSSaturation(), 0);
  EXPECT_EQ(grey.HLSLightness(), 0.75);
}

TEST(ColorMixerTest, LightnessIsCroppedAndHueAndSaturationKept) {
  TColorMixer mixer(RGBToColor(200, 100, 50));
  const THls before = HlsOf(mixer.Color());
  mixer.SetHLSLightness(0.3);
  const THls after = HlsOf(mixer.Color());
  EXPECT_NEAR(after.l, 0.3, kByte);
  EXPECT_NEAR(after.h, before.h, 1);
  EXPECT_NEAR(after.s, before.s, 0.02);
  mixer.SetHLSLightness(1.7);
  EXPECT_EQ(mixer.Color(), clWhite);
  mixer.SetHLSLightness(-0.4);
  EXPECT_EQ(mixer.Color(), clBlack);
}

TEST(ColorMixerTest, SystemColoursResolveAndPaletteFlagsFollowTheRules) {
  TColorScheme scheme = DefaultColorScheme();
  scheme[COLOR_WINDOW] = RGBToColor(0x20, 0x40, 0x60);
  SetColorScheme(scheme);
  TColorMixer window(clWindow);
  SetColorScheme(DefaultColorScheme());
  EXPECT_EQ(window.Color(), clWindow);  // kept as given until mixed
  EXPECT_NEAR(window.GreyTone(), (0.212671 * 0x20 + 0.71516 * 0x40 + 0.072169 * 0x60) * kByte,
              1e-12);
  window.SetHLSLightness(window.HLSLightness());
  EXPECT_EQ(window.Color() >> 24, 0u);  // the system flag dropped
  EXPECT_NEAR(ColorRed(window.Color()), 0x20, 1);
  EXPECT_NEAR(ColorGreen(window.Color()), 0x40, 1);
  EXPECT_NEAR(ColorBlue(window.Color()), 0x60, 1);

  TColorMixer flagged(0x0B000000 | RGBToColor(10, 10, 10));
  flagged.SetHLSLightness(0.5);
  EXPECT_EQ(flagged.Color(), 0x0B808080u);  // the low bits of the high byte stay
  flagged.SetMatchPalette(1);
  EXPECT_EQ(flagged.Color(), 0x01808080u);
  flagged.SetMatchPalette(0);
  EXPECT_EQ(flagged.Color(), 0x00808080u);
  try {
    flagged.SetMatchPalette(0x1F);
    ADD_FAILURE() << "an invalid palette mode was accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot assign 1F to TColorMixer.MatchPalette");
  }
  EXPECT_THROW(flagged.SetMatchPalette(-1), Exception);
  EXPECT_EQ(flagged.Color(), 0x00808080u);
}

TEST(ColorMixerTest, MixingGivesPaletteRelativeColours) {
  EXPECT_EQ(MixColorAbsolute(RGBToColor(0, 0, 255), 0.25), 0x02800000u);
  const TColor darker = MixColorRelative(RGBToColor(200, 100, 50), -0.5);
  EXPECT_EQ(darker >> 24, 2u);
  EXPECT_NEAR(HlsOf(darker).l, HlsOf(RGBToColor(200, 100, 50)).l / 2, kByte);
}

}  // namespace
