#include "console/tui/CellGrid.h"

#include <gtest/gtest.h>

namespace {

TEST(CellGridTest, PutClipsAtEveryEdge) {
  TCellGrid grid(4, 2);
  grid.Put(-1, 0, "abcdef", TCellStyle::Mark);
  grid.Put(2, 1, "xyz", TCellStyle::Field);
  grid.Put(0, 5, "lost", TCellStyle::Field);
  EXPECT_EQ(grid.Text(), "bcde\n  xy\n");
  EXPECT_EQ(grid.StyleRow(0), "mmmm");
  EXPECT_EQ(grid.StyleRow(1), "..ee");
}

TEST(CellGridTest, MultiByteGlyphsTakeOneCellEach) {
  TCellGrid grid(6, 1);
  grid.Put(0, 0, "Größe", TCellStyle::Normal);
  EXPECT_EQ(grid.At(2, 0).glyph, "ö");
  EXPECT_EQ(grid.Row(0), "Größe ");
}

TEST(CellGridTest, BoxFramesTheRectangleWithItsTitle) {
  TCellGrid grid(10, 3);
  grid.Box({0, 0, 10, 3}, TCellStyle::Frame, "A long title");
  EXPECT_EQ(grid.Text(), "┌ A long ┐\n│        │\n└────────┘\n");
  TCellGrid tiny(3, 3);
  tiny.Box({0, 0, 1, 3}, TCellStyle::Frame);  // too narrow: nothing
  EXPECT_EQ(tiny.Text(), "\n\n\n");
}

TEST(CellGridTest, FillAndRestyleStayInsideTheGrid) {
  TCellGrid grid(3, 2);
  grid.Put(0, 0, "abc", TCellStyle::Normal);
  grid.Restyle({1, 0, 5, 5}, TCellStyle::Highlight);
  grid.Fill({-1, 1, 2, 1}, TCellStyle::Window);
  EXPECT_EQ(grid.Text(), "abc\n\n");
  EXPECT_EQ(grid.StyleRow(0), ".HH");
  EXPECT_EQ(grid.StyleRow(1), "wHH");
}

}  // namespace
