#include "platform/testing/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr const char* kVariable = "KR_TESTING_PROBE";

std::optional<std::string> Get(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

TEST(ScopedEnv, GivesBackTheValueOrTheAbsenceItFound) {
  unsetenv(kVariable);
  {
    ScopedEnv set(kVariable, "one");
    EXPECT_EQ(Get(kVariable), "one");
    {
      ScopedEnv nested(kVariable, "two");
      EXPECT_EQ(Get(kVariable), "two");
    }
    EXPECT_EQ(Get(kVariable), "one");
    {
      ScopedEnv unset(kVariable, std::nullopt);
      EXPECT_EQ(Get(kVariable), std::nullopt);
    }
    EXPECT_EQ(Get(kVariable), "one");
    {
      // An empty value is a value, not an absence.
      ScopedEnv empty(kVariable, "");
      EXPECT_EQ(Get(kVariable), "");
    }
    EXPECT_EQ(Get(kVariable), "one");
  }
  EXPECT_EQ(Get(kVariable), std::nullopt);
}

TEST(TempDir, IsFreshAndGoesWithItsFilesWhichAreWrittenAndReadExactly) {
  std::filesystem::path kept;
  {
    TempDir first;
    TempDir second;
    EXPECT_NE(first.Path(), second.Path());
    EXPECT_TRUE(std::filesystem::is_directory(first.Path()));
    EXPECT_TRUE(std::filesystem::is_empty(first.Path()));
    EXPECT_EQ(first.File("a.txt"), (first.Path() / "a.txt").string());
    WriteFile(first.File("deep/er/a.txt"), "x");
    kept = first.Path();
  }
  EXPECT_FALSE(std::filesystem::exists(kept));

  TempDir dir;
  const std::string path = dir.File("sub/data.bin");
  const std::string bytes("a\0b\r\n\xFF", 6);
  WriteFile(path, bytes);
  EXPECT_EQ(ReadFile(path), bytes);
  WriteFile(path, "short");
  EXPECT_EQ(ReadFile(path), "short");
  WriteFile(path, "");
  EXPECT_EQ(ReadFile(path), "");
  EXPECT_EQ(ReadFile(dir.File("missing")), "");
  // A directory where the file should go cannot be written.
  EXPECT_THROW(WriteFile(dir.File("sub"), "x"), std::runtime_error);
}

}  // namespace
