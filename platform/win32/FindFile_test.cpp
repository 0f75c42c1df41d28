#include "platform/win32/FindFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <ctime>
#include <vector>

#include "platform/testing/TestFiles.h"

namespace {

class FindFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tzset();
    WriteFile(dir.File("x.dmp"), "12345");
    WriteFile(dir.File("Y.DMP"), "");
    WriteFile(dir.File("a.txt"), "a");
    WriteFile(dir.File(".hidden.dmp"), "h");
    std::filesystem::create_directory(dir.Path() / "s");
    WriteFile(dir.File("s/db.dmp"), "db");
    std::filesystem::create_directory(dir.Path() / ".hid");
  }
  void TearDown() override {
    utc.reset();
    tzset();
  }

  // Names listed for a pattern and attribute set, with the status of FindFirst.
  std::vector<std::string> List(const std::string& pattern, int attr, int* status = nullptr) {
    std::vector<std::string> names;
    TSearchRec rec;
    int r = FindFirst(dir.File(pattern), attr, rec);
    if (status != nullptr) *status = r;
    while (r == 0) {
      names.push_back(rec.Name);
      r = FindNext(rec);
    }
    FindClose(rec);
    return names;
  }

  std::optional<ScopedEnv> utc{std::in_place, "TZ", "UTC"};
  TempDir dir;
};

using Names = std::vector<std::string>;

TEST_F(FindFileTest, PatternsIgnoreCaseAndHiddenEntriesNeedAsking) {
  EXPECT_EQ(List("*.dmp", 0), (Names{"x.dmp", "Y.DMP"}));
  EXPECT_EQ(List("*.DmP", faHidden), (Names{".hidden.dmp", "x.dmp", "Y.DMP"}));
  EXPECT_EQ(List("?.dmp", faAnyFile), (Names{"x.dmp", "Y.DMP"}));
  EXPECT_EQ(List("*.*", 0), (Names{"a.txt", "x.dmp", "Y.DMP"}));
  EXPECT_EQ(List("*.*", faDirectory), (Names{".", "..", "a.txt", "s", "x.dmp", "Y.DMP"}));
  EXPECT_EQ(List("*", faDirectory | faHidden),
            (Names{".", "..", ".hid", ".hidden.dmp", "a.txt", "s", "x.dmp", "Y.DMP"}));
  int status = -1;
  EXPECT_TRUE(List("??.dmp", faAnyFile, &status).empty());
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(List("missing/*.*", faAnyFile, &status).empty());
  EXPECT_EQ(status, ERROR_PATH_NOT_FOUND);
}

TEST_F(FindFileTest, EntriesCarrySizeAttributesAndLocalTime) {
  // 6 May 2024, 07:08:10 UTC.
  const timespec times[2] = {{1714979290, 0}, {1714979290, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, dir.File("x.dmp").c_str(), times, 0), 0);
  ASSERT_EQ(chmod(dir.File("Y.DMP").c_str(), 0444), 0);
  TSearchRec rec;
  ASSERT_EQ(FindFirst(dir.File("*.dmp"), 0, rec), 0);
  EXPECT_EQ(rec.Name, "x.dmp");
  EXPECT_EQ(rec.Size, 5);
  EXPECT_EQ(rec.Attr, faArchive);
  EXPECT_EQ(rec.Time, 1487288581);  // packed 2024-05-06 07:08:10
  EXPECT_NEAR(rec.TimeStamp, 45418 + (7 * 3600 + 8 * 60 + 10) / 86400.0, 1e-9);
  ASSERT_EQ(FindNext(rec), 0);
  EXPECT_EQ(rec.Name, "Y.DMP");
  EXPECT_EQ(rec.Attr, faArchive | faReadOnly);
  EXPECT_EQ(FindNext(rec), ERROR_NO_MORE_FILES);
  EXPECT_EQ(FindNext(rec), ERROR_NO_MORE_FILES);
  FindClose(rec);
  EXPECT_EQ(FindNext(rec), ERROR_INVALID_HANDLE);

  ASSERT_EQ(FindFirst(dir.File("s"), faDirectory, rec), 0);
  EXPECT_EQ(rec.Attr, faDirectory);
  EXPECT_EQ(rec.Size, 0);
  ASSERT_EQ(FindFirst(dir.File(".hid"), faDirectory | faHidden, rec), 0);
  EXPECT_EQ(rec.Attr, faDirectory | faHidden);
  FindClose(rec);
}

TEST(FileMaskTest, Matching) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const Case cases[] = {
      {"db.dmp", "*.dmp", true},
      {"db.dmp.bak", "*.dmp", false},
      {"dmp", "*.dmp", false},
      {"README", "*.*", true},
      {"a.b.c", "a*c", true},
      {"abcbd", "a*b*d", true},
      {"abcbe", "a*b*d", false},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"\xC3\xA9.dmp", "?.dmp", true},                 // one character, two bytes
      {"\xC3\x84RGER.TXT", "\xC3\xA4rger.txt", true},  // case beyond ASCII
      {"", "*", true},
      {"x", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesFileMask(c.name, c.pattern), c.matches) << c.name << " / " << c.pattern;
  }
}

}  // namespace
