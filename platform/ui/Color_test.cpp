#include "platform/ui/Color.h"

#include <gtest/gtest.h>

namespace {

// Restores the process's colour scheme after a test that replaces it.
class ColorTest : public ::testing::Test {
 protected:
  void TearDown() override { SetColorScheme(DefaultColorScheme()); }
};

TEST_F(ColorTest, SystemColoursCarryTheirIndexUnderTheLclBase) {
  EXPECT_EQ(clWindow, 0x80000005u);
  EXPECT_EQ(clBtnFace, 0x8000000Fu);
  EXPECT_EQ(clMenuBar, 0x8000001Eu);
  EXPECT_EQ(clHotLight, 0x8000001Au);
}

TEST_F(ColorTest, EitherHighByteMarksASystemColour) {
  EXPECT_TRUE(IsSystemColor(0x80000005));
  EXPECT_TRUE(IsSystemColor(0xFF000005));
  EXPECT_FALSE(IsSystemColor(0x02FFFFFF));  // palette-relative plain colour
  EXPECT_FALSE(IsSystemColor(0x1FFFFFFF));
  EXPECT_EQ(ColorToRGB(0xFF00000F), ColorToRGB(clBtnFace));
}

TEST_F(ColorTest, ResolvesThroughTheCurrentScheme) {
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  TColorScheme dark = DefaultColorScheme();
  dark[COLOR_WINDOW] = RGBToColor(0x20, 0x30, 0x40);
  SetColorScheme(dark);
  EXPECT_EQ(ColorToRGB(clWindow), 0x403020u);
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0x403020u);
  EXPECT_EQ(ColorToRGB(clBtnFace), DefaultColorScheme()[COLOR_BTNFACE]);
}

TEST_F(ColorTest, PlainColoursAndUnknownIndexes) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(0x02123456), 0x02123456u);  // palette flags kept
  EXPECT_EQ(ColorToRGB(kSysColorBase | 31), clBlack);
  EXPECT_EQ(GetSysColor(-1), clBlack);
  EXPECT_EQ(ColorRed(RGBToColor(1, 2, 3)), 1);
  EXPECT_EQ(ColorGreen(RGBToColor(1, 2, 3)), 2);
  EXPECT_EQ(ColorBlue(RGBToColor(1, 2, 3)), 3);
}

}  // namespace
