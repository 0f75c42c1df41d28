#include "kestrel/engine/FileIO.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "kestrel/engine/Dump.h"
#include "kestrel/engine/TestDirectory.h"

namespace kestrel {
namespace {

class FileIOTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir_.Path() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  TestDirectory dir_{"kestrel-fileio"};
  std::string contents_ = "stale";
};

TEST_F(FileIOTest, ReadsARegularFileWithinItsBoundAndMagic) {
  const std::string path = Write("f", "MAGICbody");
  EXPECT_EQ(ReadRegularFile(path, contents_, 9, "MAGIC"), ReadOutcome::kOk);
  EXPECT_EQ(contents_, "MAGICbody");
  EXPECT_EQ(ReadRegularFile(path, contents_, 8), ReadOutcome::kTooLarge);
  EXPECT_EQ(contents_, "");
  EXPECT_EQ(ReadRegularFile(path, contents_, 100, "MAGIX"), ReadOutcome::kWrongKind);
  EXPECT_EQ(ReadRegularFile(Write("short", "MAG"), contents_, 100, "MAGIC"),
            ReadOutcome::kWrongKind);
  EXPECT_EQ(ReadRegularFile(Write("empty", ""), contents_, 0), ReadOutcome::kOk);
  EXPECT_EQ(ReadRegularFile(dir_.Path() + "/none", contents_, 100), ReadOutcome::kMissing);
}

TEST_F(FileIOTest, RefusesWhatIsNotARegularFileWithoutWaitingOrGrowing) {
  const std::string fifo = dir_.Path() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // With no writer, a blocking open of the FIFO would never return.
  EXPECT_EQ(ReadRegularFile(fifo, contents_, UINT64_MAX), ReadOutcome::kNotRegularFile);
  EXPECT_EQ(ReadRegularFile("/dev/zero", contents_, UINT64_MAX), ReadOutcome::kNotRegularFile);
  EXPECT_EQ(ReadRegularFile(dir_.Path(), contents_, UINT64_MAX), ReadOutcome::kNotRegularFile);
  EXPECT_FALSE(ReadWholeFile("/dev/zero", contents_));
  EXPECT_EQ(DescribeReadOutcome(ReadOutcome::kNotRegularFile, fifo), fifo + ": not a regular file");
}

TEST_F(FileIOTest, AHugeSparseFileIsRefusedWithoutBeingRead) {
  const std::string path = Write("sparse.dmp", "");
  ASSERT_EQ(::truncate(path.c_str(), int64_t{3} << 30), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadDumpFile(path, contents_), ReadOutcome::kWrongKind);
  EXPECT_EQ(ReadRegularFile(path, contents_, 64u << 20), ReadOutcome::kTooLarge);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_LT(contents_.capacity(), 4096u);
}

// A valid header (magic, format 2, schema "S" "1", next ID 1) in front of gigabytes of zeros: the
// zeros read as empty tables, so the structure ends long before the file does.
TEST_F(FileIOTest, ASparseFileBehindAValidDumpHeaderIsRefusedAfterAFewReads) {
  const std::string path =
      Write("header.dmp", std::string("KESTRDMP\x02\0\0\0\x01\0\0\0S\x01\0\0\0" "1\x01\0\0\0", 25));
  ASSERT_EQ(::truncate(path.c_str(), int64_t{64} << 30), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadDumpFile(path, contents_), ReadOutcome::kDamaged);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(contents_, "");
  EXPECT_EQ(DescribeReadOutcome(ReadOutcome::kDamaged, path, "dump"),
            path + ": a damaged dump (truncated or corrupt)");
}

TEST_F(FileIOTest, ASteppedFileReadsOnlyAsFarAsAskedAndStopsAtItsEnd) {
  const std::string path = Write("f", "MAGIC" + std::string(1 << 20, 'x'));
  SteppedFile file;
  ASSERT_EQ(file.Open(path, UINT64_MAX, "MAGIC"), ReadOutcome::kOk);
  EXPECT_EQ(file.Size(), 5u + (1u << 20));
  EXPECT_GE(file.Contents().capacity(), file.Size()) << "a file that is not sparse is reserved";
  ASSERT_TRUE(file.ReadTo(100));
  EXPECT_GE(file.Contents().size(), 100u);
  EXPECT_LT(file.Contents().size(), 1000u);
  ASSERT_TRUE(file.ReadTo(UINT64_MAX));
  EXPECT_EQ(file.Contents().size(), file.Size());
  EXPECT_EQ(file.Contents().substr(0, 6), "MAGICx");

  const std::string sparse = Write("sparse", "MAGIC");
  ASSERT_EQ(::truncate(sparse.c_str(), int64_t{1} << 30), 0);
  SteppedFile hollow;
  ASSERT_EQ(hollow.Open(sparse, UINT64_MAX, "MAGIC"), ReadOutcome::kOk);
  EXPECT_LT(hollow.Contents().capacity(), 4096u) << "a sparse file grows step by step";

  SteppedFile other;
  EXPECT_EQ(other.Open(path, UINT64_MAX, "MAGIX"), ReadOutcome::kWrongKind);
  SteppedFile fifo;
  EXPECT_EQ(fifo.Open("/dev/zero", UINT64_MAX), ReadOutcome::kNotRegularFile);
}

TEST_F(FileIOTest, AnAtomicFileReplacesItsPathOnlyWhenCommitted) {
  const std::string path = Write("f", "old");
  std::string contents;
  {
    AtomicFile file(path);
    ASSERT_TRUE(file.Write("new "));
    ASSERT_TRUE(file.Write(std::string(9u << 20, 'x')));  // past the first background flush
    ASSERT_TRUE(FileExists(TemporaryFileName(path)));
    ASSERT_TRUE(ReadWholeFile(path, contents));
    EXPECT_EQ(contents, "old");
  }
  ASSERT_TRUE(ReadWholeFile(path, contents));
  EXPECT_EQ(contents, "old") << "dropped before its commit";
  EXPECT_FALSE(FileExists(TemporaryFileName(path)));

  AtomicFile file(path);
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Write(""));
  ASSERT_TRUE(file.Write("er"));
  ASSERT_TRUE(file.Commit());
  ASSERT_TRUE(ReadWholeFile(path, contents));
  EXPECT_EQ(contents, "newer");
  EXPECT_FALSE(FileExists(TemporaryFileName(path)));
  EXPECT_FALSE(file.Write("more")) << "a committed file takes nothing more";

  const std::string nowhere = dir_.Path() + "/missing/f";
  AtomicFile lost(nowhere);
  EXPECT_FALSE(lost.Write("x"));
  EXPECT_FALSE(lost.Commit());
  EXPECT_FALSE(FileExists(nowhere));
}

}  // namespace
}  // namespace kestrel
