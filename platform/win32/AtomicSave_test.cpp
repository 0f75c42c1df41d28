#include "platform/win32/AtomicSave.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/TestFiles.h"

namespace {

namespace fs = std::filesystem;

// The names in the directory, to see that no temporary file is left over.
std::vector<std::string> Entries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

mode_t Permissions(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0);
  return info.st_mode & 07777;
}

TEST(AtomicSave, WritesTheBytesWithTheRightPermissionsAndNothingElse) {
  TempDir dir;
  const std::string path = dir.File("doc.bin");
  const std::string bytes("head\0tail\r\n", 11);
  ASSERT_EQ(SaveFileAtomically(path, bytes), 0);
  EXPECT_EQ(ReadFile(path), bytes);
  ASSERT_EQ(SaveFileAtomically(path, "x"), 0);
  EXPECT_EQ(ReadFile(path), "x");
  ASSERT_EQ(SaveFileAtomically(path, ""), 0);
  EXPECT_EQ(ReadFile(path), "");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"doc.bin"});

  // The replaced file's permissions are kept; a new file gets the umask's.
  ASSERT_EQ(chmod(path.c_str(), 0604), 0);
  ASSERT_EQ(SaveFileAtomically(path, "new"), 0);
  EXPECT_EQ(Permissions(path), 0604u);

  const mode_t previous = umask(027);
  const int result = SaveFileAtomically(dir.File("fresh"), "new");
  umask(previous);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(Permissions(dir.File("fresh")), 0640u);
}

TEST(AtomicSave, AFailureLeavesTheOldStateAndNoTemporaryFile) {
  TempDir dir;
  // No such directory: nothing is created.
  EXPECT_EQ(SaveFileAtomically(dir.File("missing/doc"), "x"), ENOENT);
  // A directory in the way is not replaced, and nothing is left beside it.
  fs::create_directory(dir.File("taken"));
  WriteFile(dir.File("taken/inside"), "kept");
  EXPECT_NE(SaveFileAtomically(dir.File("taken"), "x"), 0);
  EXPECT_EQ(ReadFile(dir.File("taken/inside")), "kept");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"taken"});
}

TEST(AtomicSave, ConcurrentSaversNeverMixTheirContents) {
  TempDir dir;
  const std::string path = dir.File("shared");
  std::vector<std::string> contents;
  for (char c : std::string("abcd")) contents.emplace_back(64 * 1024, c);
  std::vector<std::thread> savers;
  for (const std::string& content : contents) {
    savers.emplace_back([&path, &content] {
      for (int i = 0; i < 10; ++i) EXPECT_EQ(SaveFileAtomically(path, content), 0);
    });
  }
  for (std::thread& saver : savers) saver.join();
  EXPECT_NE(std::find(contents.begin(), contents.end(), ReadFile(path)), contents.end());
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"shared"});
}

}  // namespace
