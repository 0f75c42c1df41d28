#include "platform/ui/TextMetrics.h"

#include <gtest/gtest.h>

namespace {

const TFont kFont;

TEST(MulDivTest, RoundsHalfAwayFromZero) {
  EXPECT_EQ(MulDiv(8, 8, 4), 16);
  EXPECT_EQ(MulDiv(1, 3, 2), 2);                     // 1.5
  EXPECT_EQ(MulDiv(-1, 3, 2), -2);                   // -1.5
  EXPECT_EQ(MulDiv(1, 1, -3), 0);                    // -0.33
  EXPECT_EQ(MulDiv(2, 1, -3), -1);                   // -0.67
  EXPECT_EQ(MulDiv(0x40000000, 8, 16), 0x20000000);  // no overflow in between
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(TextMetricsTest, EveryCodePointTakesOneCell) {
  EXPECT_EQ(TextWidth(kFont, "abc"), 3 * kCellWidth);
  EXPECT_EQ(TextWidth(kFont, "\xC3\xA4\xE2\x82\xAC"), 2 * kCellWidth);  // ä€
  EXPECT_EQ(TextWidth(kFont, "\xF0\x9F\x98\x80"), kCellWidth);  // one code point, two UTF-16 units
  EXPECT_EQ(AverageCharWidth(kFont), kCellWidth);
  EXPECT_EQ(TextHeight(kFont), kCellHeight);
  TFont big;
  big.Size = 24;
  EXPECT_EQ(TextWidth(big, "abc"), TextWidth(kFont, "abc"));
}

TEST(TextMetricsTest, TabsExpandToTheNextStop) {
  EXPECT_EQ(TextWidth(kFont, "\t"), kTabCells * kCellWidth);
  EXPECT_EQ(TextWidth(kFont, "abc\tx"), (kTabCells + 1) * kCellWidth);
  EXPECT_EQ(TextWidth(kFont, "abcdefgh\tx"), (2 * kTabCells + 1) * kCellWidth);
}

TEST(TextMetricsTest, LineBreaksOfEveryKindCount) {
  EXPECT_EQ(MeasureText(kFont, "", 100, true), (TSize{0, 0}));
  EXPECT_EQ(MeasureText(kFont, "ab\r\ncdef\rg\nh", 0, false),
            (TSize{4 * kCellWidth, 4 * kCellHeight}));
  EXPECT_EQ(MeasureText(kFont, "a\n", 0, false), (TSize{kCellWidth, 2 * kCellHeight}));
}

TEST(TextMetricsTest, WordWrapBreaksAtBlanksWithinTheWidth) {
  // "one two three" in 9 cells: "one two" (7) / "three" (5).
  EXPECT_EQ(MeasureText(kFont, "one two three", 9 * kCellWidth, true),
            (TSize{7 * kCellWidth, 2 * kCellHeight}));
  // Exactly fitting stays on one line; one cell less breaks.
  EXPECT_EQ(MeasureText(kFont, "one two", 7 * kCellWidth, true).cy, kCellHeight);
  EXPECT_EQ(MeasureText(kFont, "one two", 7 * kCellWidth - 1, true).cy, 2 * kCellHeight);
  // Blanks at a break are not counted.
  EXPECT_EQ(MeasureText(kFont, "one     two", 5 * kCellWidth, true),
            (TSize{3 * kCellWidth, 2 * kCellHeight}));
  // Without wrapping the width is not a limit.
  EXPECT_EQ(MeasureText(kFont, "one two three", 9 * kCellWidth, false),
            (TSize{13 * kCellWidth, kCellHeight}));
}

TEST(TextMetricsTest, AWordWiderThanTheWidthKeepsItsOwnLine) {
  EXPECT_EQ(MeasureText(kFont, "a verylongword b", 4 * kCellWidth, true),
            (TSize{12 * kCellWidth, 3 * kCellHeight}));
  EXPECT_EQ(MeasureText(kFont, "ab cd", 0, true), (TSize{2 * kCellWidth, 2 * kCellHeight}));
}

}  // namespace
