#include "objectmodel/KRAPI_UNT_Strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

TEST(APIBooleanTest, AnyNonZeroValueIsTrue) {
  EXPECT_TRUE(ConvertToBoolean(1));
  EXPECT_TRUE(ConvertToBoolean(-1));
  EXPECT_TRUE(ConvertToBoolean(256));
  EXPECT_FALSE(ConvertToBoolean(0));
  EXPECT_EQ(ConvertToAPIBoolean(true), 1);
  EXPECT_EQ(ConvertToAPIBoolean(false), 0);
}

TEST(APIStringRingTest, The129thConversionReusesTheFirstSlot) {
  const TKRAPIString first = ConvertStringToAPIString("first");
  std::set<TKRAPIString> slots{first};
  for (int i = 1; i < kAPIStringRingSlots; ++i) slots.insert(ConvertStringToAPIString("x"));
  EXPECT_EQ(slots.size(), size_t(kAPIStringRingSlots));
  EXPECT_EQ(std::u16string(first), u"first");  // still valid after 127 more

  const TKRAPIString again = ConvertWideStringToAPIString(u"again");
  EXPECT_EQ(again, first);
  EXPECT_EQ(std::u16string(first), u"again");
}

TEST(APIStringRingTest, ConversionsAreTerminatedAndCut) {
  const TKRAPIString empty = ConvertWideStringToAPIString(u"");
  EXPECT_EQ(empty[0], 0);
  EXPECT_EQ(ConvertPCharToAPIString(nullptr)[0], 0);
  EXPECT_EQ(std::u16string(ConvertPCharToAPIString("Grüße")), u"Grüße");
  EXPECT_EQ(std::u16string(ConvertStringToAPIString("€ 5")), u"€ 5");

  const std::u16string longText(3000, u'a');
  EXPECT_EQ(APIStringLength(ConvertWideStringToAPIString(longText)), 1023u);
  EXPECT_EQ(APIStringLength(ConvertStringToAPIString(std::string(1023, 'b'))), 1023u);

  // A pair of surrogates at the cut is left out whole.
  std::u16string withPair(1022, u'a');
  withPair += u"\U0001F600";
  EXPECT_EQ(APIStringLength(ConvertWideStringToAPIString(withPair)), 1022u);
  std::u16string fits(1021, u'a');
  fits += u"\U0001F600";
  const TKRAPIString whole = ConvertWideStringToAPIString(fits);
  EXPECT_EQ(std::u16string(whole), fits);
}

TEST(APIStringTest, LengthCopyAndMove) {
  EXPECT_EQ(APIStringLength(nullptr), 0u);
  EXPECT_EQ(APIStringLength(u"abc"), 3u);
  EXPECT_TRUE(IsAPIStringNull(nullptr));
  EXPECT_FALSE(IsAPIStringNull(u""));

  char16_t dest[8];
  std::memset(dest, 0xFF, sizeof(dest));
  EXPECT_EQ(APIStringLCopy(dest, u"abcdef", 3), dest);
  EXPECT_EQ(std::u16string(dest), u"abc");
  APIStringLCopy(dest, u"ab", 5);
  EXPECT_EQ(std::u16string(dest), u"ab");
  APIStringLCopy(dest, nullptr, 5);
  EXPECT_EQ(dest[0], 0);

  char16_t buffer[] = u"abcdef";
  StrMoveW(buffer + 2, buffer, 3);  // forwards overlap
  EXPECT_EQ(std::u16string(buffer), u"ababcf");
  char16_t other[] = u"abcdef";
  StrMoveW(other, other + 2, 3);  // backwards overlap
  EXPECT_EQ(std::u16string(other), u"cdedef");
}

TEST(APIStringTest, CaseInsensitiveComparisonFoldsOnlyAsciiLetters) {
  EXPECT_LT(APIStringICompare(u"abc", u"ABD"), 0);
  EXPECT_EQ(APIStringICompare(u"Hello", u"hELLO"), 0);
  EXPECT_EQ(APIStringICompare(u"c", u"D"), 'C' - 'D');
  EXPECT_NE(APIStringICompare(u"é", u"É"), 0);
  EXPECT_GT(APIStringICompare(u"abc", u"ab"), 0);
  EXPECT_LT(APIStringICompare(u"ab", u"abc"), 0);
  EXPECT_EQ(APIStringICompare(u"", u""), 0);
  // '[' lies between the capitals and the small letters and stays itself.
  EXPECT_GT(APIStringICompare(u"[", u"a"), 0);

  EXPECT_EQ(APIStringLICompare(u"abcX", u"ABCy", 3), 0);
  EXPECT_NE(APIStringLICompare(u"abcX", u"ABCy", 4), 0);
  EXPECT_EQ(APIStringLICompare(u"x", u"y", 0), 0);
  EXPECT_EQ(APIStringLICompare(u"ab", u"AB", 10), 0);
  EXPECT_GT(APIStringLICompare(u"abc", u"AB", 10), 0);
}

TEST(APIStringTest, OwnedStringsCarryTheirByteSize) {
  char16_t* s = StrAllocW(5);
  ASSERT_NE(s, nullptr);
  uint32_t size = 0;
  std::memcpy(&size, reinterpret_cast<const uint8_t*>(s) - 4, 4);
  EXPECT_EQ(size, 2u * 5 + 4);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(s[i], 0);
  FreeAPIString(s);
  FreeAPIString(nullptr);

  EXPECT_EQ(DuplicateAPIString(nullptr), nullptr);
  TKROwnedAPIString copy(DuplicateAPIString(u"Zürich"));
  EXPECT_EQ(std::u16string(copy.get()), u"Zürich");
  std::memcpy(&size, reinterpret_cast<const uint8_t*>(copy.get()) - 4, 4);
  EXPECT_EQ(size, 2u * 7 + 4);
}

TEST(APIStringTest, ScanAndSubIndex) {
  const TKRAPIString s = u"a=b";
  EXPECT_EQ(APIStringScan(s, u'='), s + 1);
  EXPECT_EQ(APIStringScan(s, 0), s + 3);
  EXPECT_EQ(APIStringScan(s, u'x'), nullptr);
  EXPECT_EQ(APIStringScan(nullptr, u'a'), nullptr);
  EXPECT_EQ(APIStringSubIndex(s, s + 2), 2);
  EXPECT_EQ(APIStringSubIndex(s + 2, s), -2);
}

TEST(APIStringTest, ConversionsToText) {
  EXPECT_EQ(ConvertAPIStringToString(u"Grüße"), "Grüße");
  EXPECT_EQ(ConvertAPIStringToString(nullptr), "");
  EXPECT_EQ(ConvertAPIStringToWideString(u"x"), u"x");
  EXPECT_EQ(ConvertAPIStringToWideString(nullptr), u"");
}

TEST(APIStringArrayTest, ArraysOfStrings) {
  std::vector<std::string> list{"keep"};
  const TKRAPIString array[] = {u"one", u"twö"};
  AddAPIStrings(list, 2, array);
  EXPECT_EQ(list, (std::vector<std::string>{"keep", "one", "twö"}));
  AddAPIStrings(list, 0, nullptr);
  EXPECT_EQ(list.size(), 3u);

  TKRAPIStringArray strings = CreateAPIStrings(list);
  ASSERT_TRUE(strings);
  EXPECT_EQ(std::u16string(strings[0]), u"keep");
  EXPECT_EQ(std::u16string(strings[2]), u"twö");
  DestroyAPIStrings(strings);
  EXPECT_FALSE(strings);
  EXPECT_FALSE(CreateAPIStrings({}));
}

}  // namespace
