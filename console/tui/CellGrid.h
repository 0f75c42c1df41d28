#pragma once
// TCellGrid: a picture of the terminal as rows of character cells, each a
// code point with a style. Everything the terminal front end shows is drawn
// into a grid first, so the drawing is tested as text; the terminal layer
// only copies a grid to the screen. Drawing outside the grid is clipped. The
// grid also keeps where the terminal's cursor belongs (for the caret of an
// edit), or none.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a cell shows; the terminal turns each into colours or attributes.
enum class TCellStyle {
  Normal,
  Window,  // the inside of a form or box
  Frame,   // a form's or box's border and caption
  Field,   // an edit or combo box
  FieldFocused,
  Button,
  ButtonFocused,
  Disabled,
  Highlight,     // the selected row of a list or pane
  HighlightDim,  // the selected row of a pane without the focus
  Header,        // column headers, title line
  Status,        // status and key lines
  Key,           // a key's name on the key line
  Mark,          // a notice (unsaved mark, filter text)
  ButtonKey,     // the accelerator of a button's caption
  ButtonKeyFocused,
};

struct TCell {
  std::string glyph = " ";
  TCellStyle style = TCellStyle::Normal;
};

struct TCellPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const TCellPoint&, const TCellPoint&) = default;
};

// A rectangle of cells: columns Left .. Left+Width-1, rows Top .. Top+Height-1.
struct TCellRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  bool Contains(TCellPoint p) const {
    return p.x >= Left && p.x < Right() && p.y >= Top && p.y < Bottom();
  }
  friend bool operator==(const TCellRect&, const TCellRect&) = default;
};

class TCellGrid {
 public:
  TCellGrid(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const TCell& At(int x, int y) const { return cells_.at(size_t(y * width_ + x)); }

  // Writes `text` from (x, y) on one row, one code point per cell.
  void Put(int x, int y, std::string_view text, TCellStyle style);
  // Fills a rectangle with blanks of `style`.
  void Fill(const TCellRect& rect, TCellStyle style);
  // Draws a single-line border around `rect` with `title` in its top edge.
  void Box(const TCellRect& rect, TCellStyle style, std::string_view title = {});
  // Restyles the cells of `rect`, keeping their text.
  void Restyle(const TCellRect& rect, TCellStyle style);

  std::optional<TCellPoint> Cursor() const { return cursor_; }
  void SetCursor(std::optional<TCellPoint> cursor) { cursor_ = cursor; }

  // Row `y` as text (trailing blanks kept).
  std::string Row(int y) const;
  // All rows, trailing blanks removed, each ended by a line break.
  std::string Text() const;
  // The row's styles as one letter a cell, for tests that check where a
  // style is: '.' Normal, 'w' Window, 'f' Frame, 'e' Field, 'E' FieldFocused,
  // 'b' Button, 'B' ButtonFocused, 'd' Disabled, 'H' Highlight,
  // 'h' HighlightDim, 't' Header, 's' Status, 'k' Key, 'm' Mark,
  // 'a' ButtonKey, 'A' ButtonKeyFocused.
  std::string StyleRow(int y) const;

 private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  int width_;
  int height_;
  std::vector<TCell> cells_;
  std::optional<TCellPoint> cursor_;
};
