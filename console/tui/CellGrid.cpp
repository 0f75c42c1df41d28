#include "console/tui/CellGrid.h"

#include <algorithm>

#include "console/tui/Glyphs.h"

TCellGrid::TCellGrid(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)), cells_(size_t(width_ * height_)) {}

void TCellGrid::Put(int x, int y, std::string_view text, TCellStyle style) {
  for (const std::string& glyph : Glyphs(text)) {
    if (Inside(x, y)) cells_[size_t(y * width_ + x)] = {glyph, style};
    ++x;
  }
}

void TCellGrid::Fill(const TCellRect& rect, TCellStyle style) {
  for (int y = rect.Top; y < rect.Bottom(); ++y) {
    for (int x = rect.Left; x < rect.Right(); ++x) {
      if (Inside(x, y)) cells_[size_t(y * width_ + x)] = {" ", style};
    }
  }
}

void TCellGrid::Restyle(const TCellRect& rect, TCellStyle style) {
  for (int y = rect.Top; y < rect.Bottom(); ++y) {
    for (int x = rect.Left; x < rect.Right(); ++x) {
      if (Inside(x, y)) cells_[size_t(y * width_ + x)].style = style;
    }
  }
}

void TCellGrid::Box(const TCellRect& r, TCellStyle style, std::string_view title) {
  if (r.Width < 2 || r.Height < 2) return;
  std::string horizontal;
  for (int i = 0; i < r.Width - 2; ++i) horizontal += "─";
  Put(r.Left, r.Top, "┌" + horizontal + "┐", style);
  Put(r.Left, r.Bottom() - 1, "└" + horizontal + "┘", style);
  for (int y = r.Top + 1; y < r.Bottom() - 1; ++y) {
    Put(r.Left, y, "│", style);
    Put(r.Right() - 1, y, "│", style);
  }
  if (!title.empty() && r.Width > 4) {
    Put(r.Left + 1, r.Top, " " + GlyphPrefix(title, r.Width - 4) + " ", style);
  }
}

std::string TCellGrid::Row(int y) const {
  std::string row;
  for (int x = 0; x < width_; ++x) row += At(x, y).glyph;
  return row;
}

std::string TCellGrid::Text() const {
  std::string text;
  for (int y = 0; y < height_; ++y) {
    std::string row = Row(y);
    row.erase(row.find_last_not_of(' ') + 1);
    text += row + "\n";
  }
  return text;
}

std::string TCellGrid::StyleRow(int y) const {
  static constexpr char kLetters[] = ".wfeEbBdHhtskmaA";
  std::string row;
  for (int x = 0; x < width_; ++x) row += kLetters[int(At(x, y).style)];
  return row;
}
