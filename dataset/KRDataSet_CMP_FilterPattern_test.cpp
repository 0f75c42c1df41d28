#include "dataset/KRDataSet_CMP_FilterPattern.h"

#include <gtest/gtest.h>

namespace {

TEST(FilterPattern, WildcardsBecomeExpressionsAndLettersIgnoreCase) {
  EXPECT_EQ(ConvertToRegularExpression("a.b?"), "[aA]\\.[bB].");
  EXPECT_EQ(ConvertToRegularExpression("100%"), "100%");
  EXPECT_EQ(ConvertToRegularExpression("ab*"), "[aA][bB].*");
  EXPECT_EQ(ConvertToRegularExpression("*"), ".*");
  EXPECT_EQ(ConvertToRegularExpression(""), "");
  // No anchors: the expression is found anywhere in the text.
  EXPECT_EQ(ConvertToRegularExpression("Q"), "[qQ]");
}

TEST(FilterPattern, EveryCharacterOfTheExpressionSyntaxIsEscaped) {
  EXPECT_EQ(ConvertToRegularExpression(".$()+[\\]^{|}"),
            "\\.\\$\\(\\)\\+\\[\\\\\\]\\^\\{\\|\\}");
  EXPECT_EQ(ConvertToRegularExpression("-,#/ 1"), "-,#/ 1");
}

TEST(FilterPattern, MultiByteCharactersAreCombinedWhole) {
  EXPECT_EQ(ConvertToRegularExpression("Söhne"), "[sS][öÖ][hH][nN][eE]");
  EXPECT_EQ(ConvertToRegularExpression("ΣΩ?"), "[σΣ][ωΩ].");
  // Characters without case, of three and four bytes, pass unchanged.
  EXPECT_EQ(ConvertToRegularExpression("東京*"), "東京.*");
  EXPECT_EQ(ConvertToRegularExpression("😀"), "😀");
  // A byte that starts no sequence is a character of its own, and the
  // sequence after it is not split.
  EXPECT_EQ(ConvertToRegularExpression("\xC3x\xC3\xA4"), "\xC3[xX][äÄ]");
  EXPECT_EQ(ConvertToRegularExpression("a\xE2\x82"), "[aA]\xE2\x82");
}

TEST(FilterPattern, KeysAreAnchoredAndTheirSyntaxStandsForItself) {
  EXPECT_EQ(ConvertToKeyExpression("Ab", false, false), "\\AAb\\z");
  EXPECT_EQ(ConvertToKeyExpression("Ab", true, false), "\\A[aA][bB]\\z");
  EXPECT_EQ(ConvertToKeyExpression("Ab", false, true), "\\AAb");
  EXPECT_EQ(ConvertToKeyExpression("", true, true), "\\A");
  EXPECT_EQ(ConvertToKeyExpression("", false, false), "\\A\\z");
  // Wildcards are escaped like the rest of the syntax.
  EXPECT_EQ(ConvertToKeyExpression("a*?.$()+[\\]^{|}", false, false),
            "\\Aa\\*\\?\\.\\$\\(\\)\\+\\[\\\\\\]\\^\\{\\|\\}\\z");
  EXPECT_EQ(ConvertToKeyExpression("Söhne & 東京", true, true), "\\A[sS][öÖ][hH][nN][eE] & 東京");
}

TEST(FilterPattern, CaseCombiningKeepsCharactersWithoutOneCharacterForms) {
  EXPECT_EQ(CombineLowerAndUpperCase("a"), "[aA]");
  EXPECT_EQ(CombineLowerAndUpperCase("A"), "[aA]");
  EXPECT_EQ(CombineLowerAndUpperCase("7"), "7");
  // The upper case of ß is two letters: a class of them would match "S".
  EXPECT_EQ(CombineLowerAndUpperCase("ß"), "ß");
  // A title-case letter is neither of its forms and stays in the class.
  EXPECT_EQ(CombineLowerAndUpperCase("ǅ"), "[ǆǄǅ]");
}

}  // namespace
