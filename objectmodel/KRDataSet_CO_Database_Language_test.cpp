#include "objectmodel/KRDataSet_CO_Database_Language.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "objectmodel/KRDataSet_CO_Session_TestSupport_test.h"
#include "platform/win32/Library.h"
#include "platform/win32/Registry.h"

using namespace kr_session_test;

namespace {

std::string Narrow(const char16_t* code) {
  return std::string(code, code + std::char_traits<char16_t>::length(code));
}

TEST(LanguageCodeTest, LocaleIdentifiersGiveTheirAbbreviatedLanguageNames) {
  EXPECT_EQ(GetAbbreviatedLanguageName(1033), "ENU");
  EXPECT_EQ(GetAbbreviatedLanguageName(2057), "ENG");
  EXPECT_EQ(GetAbbreviatedLanguageName(1031), "DEU");
  EXPECT_EQ(GetAbbreviatedLanguageName(3079), "DEA");
  EXPECT_EQ(GetAbbreviatedLanguageName(1036), "FRA");
  EXPECT_EQ(GetAbbreviatedLanguageName(12345), "");
  EXPECT_EQ(GetAbbreviatedLanguageName(0), "");
}

TEST(LanguageCodeTest, TheDefaultLocalesFollowTheEnvironment) {
  struct TCase {
    const char* lcAll;
    const char* lang;
    const char* code;
  };
  for (const TCase c :
       {TCase{"de_AT.UTF-8", "fr_FR", "DEA"}, TCase{"", "fr_FR.UTF-8", "FRA"},
        TCase{"pt_BR@x", "", "PTB"}, TCase{"de_LU", "", "DEU"}, TCase{"C", "de_DE", "ENU"},
        TCase{"", "", "ENU"}, TCase{"POSIX", "", "ENU"}, TCase{"xx_YY", "", ""}}) {
    SCOPED_TRACE(std::string(c.lcAll) + "/" + c.lang);
    ScopedEnv lcAll("LC_ALL", c.lcAll);
    ScopedEnv lang("LANG", c.lang);
    EXPECT_EQ(GetAbbreviatedLanguageName(kKRUserDefaultLocale), c.code);
    EXPECT_EQ(GetAbbreviatedLanguageName(kKRSystemDefaultLocale), c.code);
  }
}

class LocaleOverrideTest : public ::testing::Test {
 protected:
  void Set(const char* keyPath, const std::string& name, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, keyPath, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, name, value), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  TTestEnvironment environment;
};

TEST_F(LocaleOverrideTest, TheExecutablesValueComesBeforeTheKeysDefault) {
  EXPECT_EQ(GetLocaleOverride(), "");
  Set(kKRProductLocaleOverrideKey, "", "ITA");
  EXPECT_EQ(GetLocaleOverride(), "ITA");
  // The newer key wins as soon as it exists, even without a usable value.
  Set(kKRLocaleOverrideKey, "other", "ESN");
  EXPECT_EQ(GetLocaleOverride(), "");
  Set(kKRLocaleOverrideKey, "", "NLD");
  EXPECT_EQ(GetLocaleOverride(), "NLD");
  Set(kKRLocaleOverrideKey, GetModuleFileName(nullptr), "DEUTSCH");
  EXPECT_EQ(GetLocaleOverride(), "DEU");
}

TEST_F(LocaleOverrideTest, TheCacheReadsTheOverrideOnlyForTheUsersDefaultLocale) {
  Set(kKRLocaleOverrideKey, "", "SVE");
  TKRLanguageCode code;
  EXPECT_EQ(Narrow(code.Get(kKRUserDefaultLocale, true)), "SVE");
  // Cached until reset.
  EXPECT_EQ(Narrow(code.Get(1031, true)), "SVE");
  code.Reset();
  EXPECT_EQ(Narrow(code.Get(1031, true)), "DEU");
  code.Reset();
  EXPECT_EQ(Narrow(code.Get(kKRUserDefaultLocale, false)), "ENU");
  code.Reset();
  EXPECT_EQ(Narrow(code.Get(12345, true)), "");
}

}  // namespace
