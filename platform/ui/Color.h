#pragma once
// Colour values of the form model. A TColor is $00BBGGRR for a plain colour;
// a system colour has the high byte 0x80 (0xFF is accepted as well) and a
// COLOR_* index in its low byte. System colours resolve to RGB through the
// process's colour scheme, which the host (or a test) may replace; after a
// replacement, Application().SysColorsChanged() tells the forms.

#include <array>
#include <cstdint>

using TColor = uint32_t;

inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int COLOR_BACKGROUND = 1;
inline constexpr int COLOR_DESKTOP = 1;
inline constexpr int COLOR_ACTIVECAPTION = 2;
inline constexpr int COLOR_INACTIVECAPTION = 3;
inline constexpr int COLOR_MENU = 4;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_MENUTEXT = 7;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_CAPTIONTEXT = 9;
inline constexpr int COLOR_ACTIVEBORDER = 10;
inline constexpr int COLOR_INACTIVEBORDER = 11;
inline constexpr int COLOR_APPWORKSPACE = 12;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_3DFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;
inline constexpr int COLOR_HOTLIGHT = 26;
inline constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
inline constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
inline constexpr int COLOR_MENUHILIGHT = 29;
inline constexpr int COLOR_MENUBAR = 30;
// Number of entries of a colour scheme (indexes 0 .. 30; 25 is unused).
inline constexpr int kSysColorCount = 31;

inline constexpr TColor kSysColorBase = 0x80000000;

inline constexpr TColor clScrollBar = kSysColorBase | COLOR_SCROLLBAR;
inline constexpr TColor clBackground = kSysColorBase | COLOR_BACKGROUND;
inline constexpr TColor clActiveCaption = kSysColorBase | COLOR_ACTIVECAPTION;
inline constexpr TColor clInactiveCaption = kSysColorBase | COLOR_INACTIVECAPTION;
inline constexpr TColor clMenu = kSysColorBase | COLOR_MENU;
inline constexpr TColor clWindow = kSysColorBase | COLOR_WINDOW;
inline constexpr TColor clWindowFrame = kSysColorBase | COLOR_WINDOWFRAME;
inline constexpr TColor clMenuText = kSysColorBase | COLOR_MENUTEXT;
inline constexpr TColor clWindowText = kSysColorBase | COLOR_WINDOWTEXT;
inline constexpr TColor clCaptionText = kSysColorBase | COLOR_CAPTIONTEXT;
inline constexpr TColor clActiveBorder = kSysColorBase | COLOR_ACTIVEBORDER;
inline constexpr TColor clInactiveBorder = kSysColorBase | COLOR_INACTIVEBORDER;
inline constexpr TColor clAppWorkSpace = kSysColorBase | COLOR_APPWORKSPACE;
inline constexpr TColor clHighlight = kSysColorBase | COLOR_HIGHLIGHT;
inline constexpr TColor clHighlightText = kSysColorBase | COLOR_HIGHLIGHTTEXT;
inline constexpr TColor clBtnFace = kSysColorBase | COLOR_BTNFACE;
inline constexpr TColor clBtnShadow = kSysColorBase | COLOR_BTNSHADOW;
inline constexpr TColor clGrayText = kSysColorBase | COLOR_GRAYTEXT;
inline constexpr TColor clBtnText = kSysColorBase | COLOR_BTNTEXT;
inline constexpr TColor clInactiveCaptionText = kSysColorBase | COLOR_INACTIVECAPTIONTEXT;
inline constexpr TColor clBtnHighlight = kSysColorBase | COLOR_BTNHIGHLIGHT;
inline constexpr TColor cl3DDkShadow = kSysColorBase | COLOR_3DDKSHADOW;
inline constexpr TColor cl3DLight = kSysColorBase | COLOR_3DLIGHT;
inline constexpr TColor clInfoText = kSysColorBase | COLOR_INFOTEXT;
inline constexpr TColor clInfoBk = kSysColorBase | COLOR_INFOBK;
inline constexpr TColor clHotLight = kSysColorBase | COLOR_HOTLIGHT;
inline constexpr TColor clGradientActiveCaption = kSysColorBase | COLOR_GRADIENTACTIVECAPTION;
inline constexpr TColor clGradientInactiveCaption = kSysColorBase | COLOR_GRADIENTINACTIVECAPTION;
inline constexpr TColor clMenuHighlight = kSysColorBase | COLOR_MENUHILIGHT;
inline constexpr TColor clMenuBar = kSysColorBase | COLOR_MENUBAR;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor RGBToColor(uint8_t red, uint8_t green, uint8_t blue) {
  return TColor(red) | TColor(green) << 8 | TColor(blue) << 16;
}
constexpr uint8_t ColorRed(TColor c) { return uint8_t(c); }
constexpr uint8_t ColorGreen(TColor c) { return uint8_t(c >> 8); }
constexpr uint8_t ColorBlue(TColor c) { return uint8_t(c >> 16); }

// True for a system colour: high byte 0x80 or 0xFF.
constexpr bool IsSystemColor(TColor c) { return (c >> 24) == 0x80 || (c >> 24) == 0xFF; }

// The RGB value of each COLOR_* index.
using TColorScheme = std::array<TColor, kSysColorCount>;

// The scheme the process starts with: light windows, light grey faces.
const TColorScheme& DefaultColorScheme();
const TColorScheme& ColorScheme();
void SetColorScheme(const TColorScheme& scheme);

// The current RGB value of a COLOR_* index; 0 (black) for an index outside
// the scheme, as the platform answers for an unknown index.
TColor GetSysColor(int index);

// A system colour resolved through the current scheme; any other colour is
// answered unchanged (palette flags included).
TColor ColorToRGB(TColor color);
