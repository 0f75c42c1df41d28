#include "console/tui/Glyphs.h"

#include <gtest/gtest.h>

namespace {

TEST(GlyphsTest, CountsCodePointsNotBytes) {
  EXPECT_EQ(GlyphCount("Größe €"), 7);
  EXPECT_EQ(GlyphCount("\xF0\x9F\x98\x80x"), 2);  // a character outside the BMP and an x
  EXPECT_EQ(Glyphs("a\xFF"
                   "b")
                .size(),
            3u);  // an invalid byte is one U+FFFD
  EXPECT_EQ(GlyphPrefix("Größe", 3), "Grö");
  EXPECT_EQ(GlyphPrefix("ab", 5), "ab");
}

TEST(GlyphsTest, FitCutsOrPadsToTheWidth) {
  EXPECT_EQ(FitText("Größe", 3), "Grö");
  EXPECT_EQ(FitText("ab", 4), "ab  ");
  EXPECT_EQ(FitText("ab", 0), "");
  EXPECT_EQ(FitText("ab", -2), "");
}

TEST(GlyphsTest, WrapBreaksAtBlanksAndLineBreaks) {
  EXPECT_EQ(WrapText("one two three", 7), (std::vector<std::string>{"one two", "three"}));
  EXPECT_EQ(WrapText("one two three", 6), (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(WrapText("a\r\nb\rc\nd", 10), (std::vector<std::string>{"a", "b", "c", "d"}));
  // A word longer than the row is split rather than lost.
  EXPECT_EQ(WrapText("abcdefgh", 3), (std::vector<std::string>{"abc", "def", "gh"}));
  EXPECT_EQ(WrapText("", 5), (std::vector<std::string>{""}));
  EXPECT_TRUE(WrapText("abc", 0).empty());
}

}  // namespace
