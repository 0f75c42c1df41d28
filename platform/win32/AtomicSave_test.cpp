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

// The names in the directory, sorted, to see that no temporary file is left
// over.
std::vector<std::string> Entries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
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
  ASSERT_EQ(SaveFileAtomically(path, bytes).error, 0);
  EXPECT_EQ(ReadFile(path), bytes);
  ASSERT_EQ(SaveFileAtomically(path, "x").error, 0);
  EXPECT_EQ(ReadFile(path), "x");
  ASSERT_EQ(SaveFileAtomically(path, "").error, 0);
  EXPECT_EQ(ReadFile(path), "");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"doc.bin"});

  // The replaced file's permissions are kept; a new file gets the umask's.
  ASSERT_EQ(chmod(path.c_str(), 0604), 0);
  ASSERT_EQ(SaveFileAtomically(path, "new").error, 0);
  EXPECT_EQ(Permissions(path), 0604u);

  const mode_t previous = umask(027);
  const int result = SaveFileAtomically(dir.File("fresh"), "new").error;
  umask(previous);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(Permissions(dir.File("fresh")), 0640u);
}

TEST(AtomicSave, AFailureLeavesTheOldStateAndNoTemporaryFile) {
  TempDir dir;
  // No such directory: nothing is created.
  EXPECT_EQ(SaveFileAtomically(dir.File("missing/doc"), "x").error, ENOENT);
  // A directory in the way is not replaced, and nothing is left beside it.
  fs::create_directory(dir.File("taken"));
  WriteFile(dir.File("taken/inside"), "kept");
  EXPECT_EQ(SaveFileAtomically(dir.File("taken"), "x").reason, "it is a directory");
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
      for (int i = 0; i < 10; ++i) EXPECT_EQ(SaveFileAtomically(path, content).error, 0);
    });
  }
  for (std::thread& saver : savers) saver.join();
  EXPECT_NE(std::find(contents.begin(), contents.end(), ReadFile(path)), contents.end());
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"shared"});
}

// A save through a symbolic link (or a chain of them, relative or not)
// replaces the file the link leads to and keeps the link; a link to nothing
// yet creates its target.
TEST(AtomicSave, SavesThroughSymbolicLinksToTheirTarget) {
  TempDir dir;
  fs::create_directory(dir.File("real"));
  WriteFile(dir.File("real/doc"), "old");
  fs::create_symlink("real/doc", dir.File("near"));
  fs::create_symlink(dir.File("near"), dir.File("far"));
  ASSERT_EQ(SaveFileAtomically(dir.File("far"), "new").error, 0);
  EXPECT_TRUE(fs::is_symlink(dir.File("far")));
  EXPECT_TRUE(fs::is_symlink(dir.File("near")));
  EXPECT_EQ(ReadFile(dir.File("real/doc")), "new");
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"far", "near", "real"}));

  fs::create_symlink("real/later", dir.File("dangling"));
  ASSERT_EQ(SaveFileAtomically(dir.File("dangling"), "made").error, 0);
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling")));
  EXPECT_EQ(ReadFile(dir.File("real/later")), "made");

  fs::create_symlink("loop", dir.File("loop"));
  EXPECT_EQ(SaveFileAtomically(dir.File("loop"), "x").error, ELOOP);
}

// Only a regular file that may be written is replaced: a FIFO, a device, a
// directory or a read-only file stays as it is, and the reason is given.
TEST(AtomicSave, RefusesWhatIsNotAWritableRegularFile) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  EXPECT_EQ(SaveFileAtomically(dir.File("fifo"), "x").reason, "it is not a regular file");
  EXPECT_TRUE(fs::is_fifo(dir.File("fifo")));
  fs::create_symlink("/dev/null", dir.File("device"));
  EXPECT_EQ(SaveFileAtomically(dir.File("device"), "x").reason, "it is not a regular file");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  WriteFile(dir.File("locked"), "kept");
  ASSERT_EQ(chmod(dir.File("locked").c_str(), 0444), 0);
  const TFileFailure readOnly = SaveFileAtomically(dir.File("locked"), "x");
  EXPECT_EQ(readOnly.error, EACCES);
  EXPECT_EQ(readOnly.reason, "it is read-only");
  EXPECT_EQ(ReadFile(dir.File("locked")), "kept");
  EXPECT_EQ(Entries(dir).size(), 3u);
}

// Reading takes a regular file whole and refuses anything else at once: a
// FIFO without a writer, a device that never ends, a directory.
TEST(ReadRegularFile, ReadsRegularFilesAndRefusesTheRestWithoutWaiting) {
  TempDir dir;
  const std::string bytes("a\0b", 3);
  WriteFile(dir.File("doc"), bytes);
  std::string read;
  struct stat info {};
  ASSERT_EQ(ReadRegularFile(dir.File("doc"), read, &info).error, 0);
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(info.st_size, 3);

  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  EXPECT_EQ(ReadRegularFile(dir.File("fifo"), read).reason, "it is not a regular file");
  EXPECT_EQ(ReadRegularFile("/dev/zero", read).reason, "it is not a regular file");
  EXPECT_EQ(ReadRegularFile(dir.Path().string(), read).reason, "it is a directory");
  EXPECT_EQ(ReadRegularFile(dir.File("missing"), read).error, ENOENT);
}

}  // namespace
