#pragma once
// The metrics model of the form model. Forms are laid out in pixels and shown
// on a character terminal, where one character cell stands for kCellWidth by
// kCellHeight pixels. Every font measures in cells: each code point takes one
// cell whatever the font's name or size, so a layout computed in pixels is the
// same on every host and maps onto whole cells.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ui/Color.h"

inline constexpr int kCellWidth = 8;
inline constexpr int kCellHeight = 16;
// Tab stops of measured text, in cells.
inline constexpr int kTabCells = 8;

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TFont {
  std::string Name = "Sans";
  int Size = 8;  // points
  TColor Color = clWindowText;
  uint8_t Style = 0;  // set of TFontStyle
  friend bool operator==(const TFont&, const TFont&) = default;
};

// a * b / c rounded half away from zero, computed without overflow; -1 when
// c is 0 (the platform's answer).
int MulDiv(int a, int b, int c);

// Width of one line of text (tabs expanded from column 0).
int TextWidth(const TFont& font, std::string_view text);
// Height of one line of text.
int TextHeight(const TFont& font);
// Average width of the 52 letters A-Z and a-z.
int AverageCharWidth(const TFont& font);

// Extent of `text` laid out with explicit line breaks (CR, LF or CR LF) and
// tabs expanded; with `wordWrap`, lines are also broken at blanks so that they
// fit `maxWidth` where possible (a word wider than `maxWidth` keeps a line of
// its own and is not split). Empty text measures 0 x 0.
TSize MeasureText(const TFont& font, std::string_view text, int maxWidth, bool wordWrap);
