#include "kestrel/engine/Password.h"

#include <gtest/gtest.h>

#include "kestrel/engine/Text.h"

namespace kestrel {
namespace {

TEST(PasswordTest, HashesAreSaltedAndVerifyOnlyTheirPassword) {
  const std::string a = HashPassword("secret"), b = HashPassword("secret");
  EXPECT_NE(a, b) << "a fresh salt each time";
  EXPECT_EQ(a.rfind("pbkdf2-sha256$", 0), 0u);
  EXPECT_TRUE(VerifyPassword("secret", &a));
  EXPECT_TRUE(VerifyPassword("secret", &b));
  EXPECT_FALSE(VerifyPassword("Secret", &a));
  EXPECT_FALSE(VerifyPassword("", &a));
  const std::string empty = HashPassword("");
  EXPECT_TRUE(VerifyPassword("", &empty));
  EXPECT_FALSE(VerifyPassword("", nullptr));
  for (const std::string& bad :
       std::vector<std::string>{"", "plain", "pbkdf2-sha256$x$00$00", "md5$1$00$00",
                                "pbkdf2-sha256$10$zz$" + std::string(64, '0')})
    EXPECT_FALSE(VerifyPassword("", &bad)) << bad;
}

TEST(TextTest, ConvertsSurrogatePairsAndReplacesMalformedInput) {
  EXPECT_EQ(ToUtf16("a\xF0\x9F\x98\x80"), u"a😀");
  EXPECT_EQ(ToUtf8(u"a😀é"), "a\xF0\x9F\x98\x80\xC3\xA9");
  EXPECT_EQ(ToUtf16("\xC3"), u"\uFFFD");
  EXPECT_EQ(ToUtf16("\xC0\x80"), u"\uFFFD") << "overlong";
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
  EXPECT_TRUE(SameName("SYSTEM", "system"));
  EXPECT_FALSE(SameName("systems", "system"));
}

}  // namespace
}  // namespace kestrel
