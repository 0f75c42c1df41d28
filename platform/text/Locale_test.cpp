#include "platform/text/Locale.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {
int Sign(int v) { return (v > 0) - (v < 0); }
}  // namespace

TEST(Locale, PlainCaseMappingTouchesOnlyAscii) {
  EXPECT_EQ(LowerCase("AbC-Z\xC3\x84"), "abc-z\xC3\x84");  // Ä stays
  EXPECT_EQ(UpperCase("az@[`{"), "AZ@[`{");                // neighbours of the letters stay
  EXPECT_EQ(UpperCase(u"\u00e4x"), u"\u00e4X");
  EXPECT_EQ(LowerCase(u"\u00c4X"), u"\u00c4x");
}

TEST(Locale, LocaleCaseMappingCoversNonAscii) {
  EXPECT_EQ(AnsiLowerCase("\xC3\x84\xC3\x96\xC3\x9C"), "\xC3\xA4\xC3\xB6\xC3\xBC");  // ÄÖÜ
  EXPECT_EQ(AnsiUpperCase("\xC3\xA4\xC3\xB6\xC3\xBC"), "\xC3\x84\xC3\x96\xC3\x9C");
  EXPECT_EQ(WideUpperCase(u"stra\u00dfe"), u"STRASSE");  // full mapping may lengthen
  EXPECT_EQ(WideLowerCase(u"\u0394\u0399"), u"\u03b4\u03b9");
  // No Turkish rules: I and i map to each other.
  EXPECT_EQ(WideLowerCase(u"I"), u"i");
  EXPECT_EQ(WideUpperCase(u"i"), u"I");
  EXPECT_EQ(AnsiLowerCase(""), "");
  EXPECT_EQ(WideUpperCase(u"\U0001F600a"), u"\U0001F600A");  // a pair survives
}

TEST(Locale, OrdinalTextComparisonIgnoresAsciiCase) {
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_TRUE(SameText(u"Snapin", u"SNAPIN"));
  EXPECT_FALSE(SameText("\xC3\xA4", "\xC3\x84"));  // ä and Ä differ ordinally
  EXPECT_LT(CompareText("ab", "ABC"), 0);          // prefix first
  EXPECT_GT(CompareText("b", "A"), 0);
  // '_' lies between 'Z' and 'a': compared as lower case it sorts before letters.
  EXPECT_LT(CompareText("_", "A"), 0);
  EXPECT_GT(CompareText(u"\u00e9", u"z"), 0);
  EXPECT_FALSE(SameText("a", "a "));
}

TEST(Locale, CollationIgnoringCase) {
  EXPECT_EQ(AnsiCompareText("\xC3\x84pfel", "\xC3\xA4PFEL"), 0);
  EXPECT_TRUE(AnsiSameText("\xC3\x96L", "\xC3\xB6l"));
  EXPECT_TRUE(WideSameText(u"Stra\u00dfe", u"STRA\u00dfE"));
  EXPECT_FALSE(AnsiSameText("e", "\xC3\xA9"));  // accents count
  EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
  EXPECT_GT(WideCompareText(u"zebra", u"\u00c4rger"), 0);  // Ä sorts with A, not after z
  EXPECT_LT(AnsiCompareText("", "a"), 0);
}

TEST(Locale, CollationWithCase) {
  EXPECT_LT(AnsiCompareStr("a", "A"), 0);    // lower case first
  EXPECT_GT(WideCompareStr(u"B", u"a"), 0);  // alphabet before case
  EXPECT_LT(AnsiCompareStr("\xC3\xA4", "b"), 0);
  EXPECT_EQ(AnsiCompareStr("same", "same"), 0);
  EXPECT_NE(AnsiCompareStr("same", "Same"), 0);
  EXPECT_EQ(Sign(WideCompareStr(u"x", u"y")), -Sign(WideCompareStr(u"y", u"x")));
  // Canonically equivalent forms are equal: precomposed and combining ä.
  EXPECT_EQ(WideCompareStr(u"\u00e4", u"a\u0308"), 0);
}

TEST(Locale, CollatorsAreSafeFromSeveralThreads) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < 200; ++i) {
        if (AnsiCompareStr("alpha", "beta") >= 0 || !AnsiSameText("\xC3\x84", "\xC3\xA4")) {
          ++failures[t];
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}
