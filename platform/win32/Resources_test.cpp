#include "platform/win32/Resources.h"

#include <gtest/gtest.h>

#include "platform/testing/TestFiles.h"

namespace {

HINSTANCE const kResourceModule = reinterpret_cast<HINSTANCE>(0x7100);
HINSTANCE const kOtherModule = reinterpret_cast<HINSTANCE>(0x7200);

class ResourcesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    UnregisterModuleResources(kResourceModule);
    UnregisterModuleResources(kOtherModule);
  }
  TempDir dir;
};

TEST_F(ResourcesTest, StringsBelongToTheirModule) {
  EXPECT_TRUE(
      RegisterModuleStrings(kResourceModule, {{15801, "Workstations"}, {15802, "Database Groups"}})
          .empty());
  RegisterModuleStrings(kOtherModule, {{15801, "Other"}});
  EXPECT_EQ(LoadString(kResourceModule, 15801), "Workstations");
  EXPECT_EQ(LoadString(kOtherModule, 15801), "Other");
  EXPECT_EQ(LoadString(kResourceModule, 15803), "");
  EXPECT_EQ(LoadString(reinterpret_cast<HINSTANCE>(0x9999), 15801), "");
  // Registering again replaces the whole table.
  RegisterModuleStrings(kResourceModule, {{1, "one"}});
  EXPECT_EQ(LoadString(kResourceModule, 15801), "");
  UnregisterModuleResources(kResourceModule);
  EXPECT_EQ(LoadString(kResourceModule, 1), "");
}

TEST_F(ResourcesTest, LoadStringAKeepsUtf8Whole) {
  RegisterModuleStrings(kResourceModule, {{7,
                                           "a\xC3\xB1"
                                           "b"}});  // "añb", ñ is two bytes
  char buffer[8];
  EXPECT_EQ(LoadStringA(kResourceModule, 7, buffer, sizeof buffer), 4);
  EXPECT_STREQ(buffer,
               "a\xC3\xB1"
               "b");
  EXPECT_EQ(LoadStringA(kResourceModule, 7, buffer, 3), 1);  // room for 2 bytes: ñ does not fit
  EXPECT_STREQ(buffer, "a");
  EXPECT_EQ(LoadStringA(kResourceModule, 7, buffer, 4), 3);
  EXPECT_STREQ(buffer, "a\xC3\xB1");
  EXPECT_EQ(LoadStringA(kResourceModule, 8, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
}

TEST_F(ResourcesTest, ATranslationFileReplacesTheTextsItNames) {
  const std::string path = dir.File("de.txt");
  WriteFile(path,
            "# German texts\n"
            "15801=Arbeitsplätze\r\n"
            "\n"
            "15805 = Verbindung: %0:s = gescheitert\n"
            "no equals sign\n"
            "12x=bad\n"
            "70000=too large\n"
            "15801=again\n"
            "=empty number\n");
  ScopedEnv env("KR_TEST_TRANSLATION", path);
  const std::vector<std::string> problems = RegisterModuleStrings(
      kResourceModule, {{15801, "Workstations"}, {15802, "Database Groups"}, {15805, "x"}},
      "KR_TEST_TRANSLATION");
  EXPECT_EQ(problems, (std::vector<std::string>{
                          path + ":5: '=' expected",
                          path + ":6: bad string number \"12x\"",
                          path + ":7: bad string number \"70000\"",
                          path + ":8: string 15801 already given on line 2",
                          path + ":9: bad string number \"\"",
                      }));
  EXPECT_EQ(LoadString(kResourceModule, 15801), "Arbeitsplätze");
  EXPECT_EQ(LoadString(kResourceModule, 15802), "Database Groups");
  EXPECT_EQ(LoadString(kResourceModule, 15805), " Verbindung: %0:s = gescheitert");

  ScopedEnv missing("KR_TEST_TRANSLATION", dir.File("none.txt"));
  const std::vector<std::string> notOpened =
      RegisterModuleStrings(kResourceModule, {{1, "one"}}, "KR_TEST_TRANSLATION");
  ASSERT_EQ(notOpened.size(), 1u);
  EXPECT_EQ(notOpened[0].rfind(dir.File("none.txt") + ": cannot be opened", 0), 0u);
  EXPECT_EQ(LoadString(kResourceModule, 1), "one");
}

TEST_F(ResourcesTest, BitmapsAreCopiedIntoHandles) {
  RegisterModuleBitmap(kResourceModule, "BMPSMALL", {256, 16, {1, 2, 3}, "16 small images"});
  HBITMAP first = LoadBitmap(kResourceModule, "bmpsmall");
  HBITMAP second = LoadBitmap(kResourceModule, "BMPSMALL");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  const BitmapResource* bitmap = GetBitmapResource(first);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width, 256);
  EXPECT_EQ(bitmap->Height, 16);
  EXPECT_EQ(bitmap->Bytes, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(bitmap->Description, "16 small images");
  EXPECT_TRUE(DeleteObject(first));
  EXPECT_EQ(GetBitmapResource(first), nullptr);
  EXPECT_FALSE(DeleteObject(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  // A handle outlives the module's registration.
  UnregisterModuleResources(kResourceModule);
  EXPECT_NE(GetBitmapResource(second), nullptr);
  EXPECT_TRUE(DeleteObject(second));
  EXPECT_EQ(LoadBitmap(kResourceModule, "BMPSMALL"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

}  // namespace
