#include "support/KRColorScheme_UNT.h"

#include <gtest/gtest.h>

#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/Screen.h"
#include "support/ColorModels_UNT.h"
#include "support/KREdit_CMP.h"

namespace {

constexpr TColor kPaletteRelative = 0x02000000;

// Every test starts from the default scheme on a 32-bit screen with no main
// window, and with the read-only colour not yet computed.
class ReadOnlyColorTest : public ::testing::Test {
 protected:
  void SetUp() override { Restore(); }
  void TearDown() override { Restore(); }

  static void SetWindowColor(TColor color) {
    TColorScheme scheme = DefaultColorScheme();
    scheme[COLOR_WINDOW] = color;
    SetColorScheme(scheme);
  }
  static double Lightness(TColor color) { return TColorMixer(color).HLSLightness(); }

 private:
  static void Restore() {
    SetColorScheme(DefaultColorScheme());
    Screen().SetColorDepth(32);
    Application().SetMainWindow(0);
    ResetApplicationColors();
  }
};

TEST_F(ReadOnlyColorTest, AWhiteWindowGivesTheButtonFaceAtNineTenthsOfItsLightness) {
  // 0.9 x 255/256 = 0.896484375, as a grey: 229.5 -> 229.
  EXPECT_EQ(GetApplicationReadOnlyColor(), kPaletteRelative | RGBToColor(229, 229, 229));
}

TEST_F(ReadOnlyColorTest, A256ColourMainWindowUsesTheButtonFaceItself) {
  Screen().SetColorDepth(8);
  EXPECT_NE(GetApplicationReadOnlyColor(), clBtnFace);  // no main window: its screen is unknown
  ResetApplicationColors();
  Application().SetMainWindow(0x1234);
  EXPECT_EQ(GetApplicationReadOnlyColor(), clBtnFace);
  Screen().SetColorDepth(16);
  RecalcApplicationColors();
  EXPECT_EQ(GetApplicationReadOnlyColor(), kPaletteRelative | RGBToColor(229, 229, 229));
}

TEST_F(ReadOnlyColorTest, ADarkGreyWindowGivesALighterButtonFace) {
  SetWindowColor(RGBToColor(0x60, 0x60, 0x60));  // 0.375 x 1.3 = 0.4875
  EXPECT_EQ(GetApplicationReadOnlyColor(), kPaletteRelative | RGBToColor(124, 124, 124));
  ResetApplicationColors();
  SetWindowColor(RGBToColor(0x10, 0x10, 0x10));  // 1.3 x 0.0625 is below 0.25
  EXPECT_EQ(GetApplicationReadOnlyColor(), kPaletteRelative | RGBToColor(64, 64, 64));
}

TEST_F(ReadOnlyColorTest, AColouredWindowIsDarkenedWhenLightAndLightenedWhenDark) {
  const TColor cream = RGBToColor(255, 250, 200);
  SetWindowColor(cream);
  const TColor light = GetApplicationReadOnlyColor();
  EXPECT_EQ(light >> 24, 2u);
  EXPECT_NEAR(Lightness(light), 0.9 * Lightness(cream), 1.0 / 256);

  ResetApplicationColors();
  const TColor navy = RGBToColor(0, 0, 128);
  SetWindowColor(navy);
  EXPECT_NEAR(Lightness(GetApplicationReadOnlyColor()), 1.2 * Lightness(navy), 1.0 / 256);
}

TEST_F(ReadOnlyColorTest, TheColourIsKeptUntilReset) {
  const TColor first = GetApplicationReadOnlyColor();
  SetWindowColor(RGBToColor(0x10, 0x10, 0x10));
  EXPECT_EQ(GetApplicationReadOnlyColor(), first);
  ResetApplicationColors();
  EXPECT_NE(GetApplicationReadOnlyColor(), first);
}

TEST_F(ReadOnlyColorTest, AReadOnlyEditPaintsWithTheReadOnlyColourAndKeepsItsOwn) {
  TForm form;
  auto& edit = form.Add<TKREdit>("NameEdit");
  EXPECT_EQ(edit.Color(), clWindow);
  edit.SetColor(clInfoBk);
  EXPECT_EQ(edit.Color(), clInfoBk);
  edit.SetReadOnly(true);
  EXPECT_EQ(edit.Color(), GetApplicationReadOnlyColor());
  edit.SetColor(clYellow);  // stored for later, not painted
  EXPECT_EQ(edit.Color(), GetApplicationReadOnlyColor());
  EXPECT_EQ(edit.AssignedColor(), clYellow);
  edit.SetReadOnly(false);
  EXPECT_EQ(edit.Color(), clYellow);
}

TEST_F(ReadOnlyColorTest, AfterASystemColourChangeReadOnlyEditsTakeTheNewColour) {
  TForm form;
  auto& readOnly = form.Add<TKREdit>("ReadOnlyEdit");
  auto& editable = form.Add<TKREdit>("EditableEdit");
  readOnly.SetReadOnly(true);
  const TColor before = readOnly.Color();
  SetWindowColor(RGBToColor(0x10, 0x10, 0x10));
  Application().SysColorsChanged();
  EXPECT_NE(readOnly.Color(), before);
  EXPECT_EQ(readOnly.Color(), kPaletteRelative | RGBToColor(64, 64, 64));
  EXPECT_EQ(editable.Color(), clWindow);
}

}  // namespace
