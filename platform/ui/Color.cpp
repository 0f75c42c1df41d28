#include "platform/ui/Color.h"

namespace {

TColorScheme MakeDefaultScheme() {
  TColorScheme s{};
  s[COLOR_SCROLLBAR] = RGBToColor(200, 200, 200);
  s[COLOR_BACKGROUND] = RGBToColor(0, 0, 0);
  s[COLOR_ACTIVECAPTION] = RGBToColor(153, 180, 209);
  s[COLOR_INACTIVECAPTION] = RGBToColor(191, 205, 219);
  s[COLOR_MENU] = RGBToColor(240, 240, 240);
  s[COLOR_WINDOW] = RGBToColor(255, 255, 255);
  s[COLOR_WINDOWFRAME] = RGBToColor(100, 100, 100);
  s[COLOR_MENUTEXT] = RGBToColor(0, 0, 0);
  s[COLOR_WINDOWTEXT] = RGBToColor(0, 0, 0);
  s[COLOR_CAPTIONTEXT] = RGBToColor(0, 0, 0);
  s[COLOR_ACTIVEBORDER] = RGBToColor(180, 180, 180);
  s[COLOR_INACTIVEBORDER] = RGBToColor(244, 247, 252);
  s[COLOR_APPWORKSPACE] = RGBToColor(171, 171, 171);
  s[COLOR_HIGHLIGHT] = RGBToColor(0, 120, 215);
  s[COLOR_HIGHLIGHTTEXT] = RGBToColor(255, 255, 255);
  s[COLOR_BTNFACE] = RGBToColor(240, 240, 240);
  s[COLOR_BTNSHADOW] = RGBToColor(160, 160, 160);
  s[COLOR_GRAYTEXT] = RGBToColor(109, 109, 109);
  s[COLOR_BTNTEXT] = RGBToColor(0, 0, 0);
  s[COLOR_INACTIVECAPTIONTEXT] = RGBToColor(0, 0, 0);
  s[COLOR_BTNHIGHLIGHT] = RGBToColor(255, 255, 255);
  s[COLOR_3DDKSHADOW] = RGBToColor(105, 105, 105);
  s[COLOR_3DLIGHT] = RGBToColor(227, 227, 227);
  s[COLOR_INFOTEXT] = RGBToColor(0, 0, 0);
  s[COLOR_INFOBK] = RGBToColor(255, 255, 225);
  s[COLOR_HOTLIGHT] = RGBToColor(0, 102, 204);
  s[COLOR_GRADIENTACTIVECAPTION] = RGBToColor(185, 209, 234);
  s[COLOR_GRADIENTINACTIVECAPTION] = RGBToColor(215, 228, 242);
  s[COLOR_MENUHILIGHT] = RGBToColor(51, 153, 255);
  s[COLOR_MENUBAR] = RGBToColor(240, 240, 240);
  return s;
}

TColorScheme& CurrentScheme() {
  static TColorScheme scheme = DefaultColorScheme();
  return scheme;
}

}  // namespace

const TColorScheme& DefaultColorScheme() {
  static const TColorScheme scheme = MakeDefaultScheme();
  return scheme;
}

const TColorScheme& ColorScheme() { return CurrentScheme(); }

void SetColorScheme(const TColorScheme& scheme) { CurrentScheme() = scheme; }

TColor GetSysColor(int index) {
  if (index < 0 || index >= kSysColorCount) return clBlack;
  return CurrentScheme()[index];
}

TColor ColorToRGB(TColor color) {
  return IsSystemColor(color) ? GetSysColor(int(color & 0xFF)) : color;
}
