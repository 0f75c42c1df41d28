#include "console/host/ConsoleDocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "console/host/ConsoleError.h"
#include "console/host/testing/HostTestSupport.h"

namespace {

constexpr CLSID kClass = GuidLiteral("{01234567-89AB-CDEF-0123-456789ABCDEF}");

TConsoleDocument Sample() {
  TConsoleDocument document;
  document.snapin = kClass;
  document.dataBytes = std::string("state\0with zero", 15);
  document.hasComponent = true;
  document.componentBytes = "view";
  return document;
}

// The message of the failure of `action`, or "" when it did not fail.
template <class Action>
std::string Failure(Action action) {
  try {
    action();
  } catch (const EConsoleError& e) {
    return e.Message();
  }
  return "";
}

std::string Refusal(const std::string& bytes) {
  return Failure([&] { DecodeConsoleDocument(bytes, "doc.vzc"); });
}

TEST(ConsoleDocumentTest, KeepsItsDocumentedLayout) {
  const std::string bytes = EncodeConsoleDocument(Sample());
  EXPECT_EQ(bytes.substr(0, 8), std::string("VZC\x1A\x01\0\0\0", 8));
  EXPECT_EQ(bytes.substr(8, 4), std::string("\x67\x45\x23\x01"));
  EXPECT_EQ(bytes.substr(24, 8), std::string("\x01\0\0\0\x0F\0\0\0", 8));
  EXPECT_EQ(bytes.size(), 36u + 15 + 4 + 4);
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  const TConsoleDocument back = DecodeConsoleDocument(bytes, "doc.vzc");
  EXPECT_EQ(back.snapin, kClass);
  EXPECT_EQ(back.dataBytes, Sample().dataBytes);
  EXPECT_TRUE(back.hasComponent);
  EXPECT_EQ(back.componentBytes, "view");
}

TEST(ConsoleDocumentTest, RefusesEveryTruncationAndEveryChangedByte) {
  const std::string bytes = EncodeConsoleDocument(Sample());
  for (size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_NE(Refusal(bytes.substr(0, size)), "") << size;
  }
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::string changed = bytes;
    changed[i] = char(changed[i] ^ 0x40);
    EXPECT_NE(Refusal(changed), "") << i;
  }
  EXPECT_NE(Refusal(bytes + "x").find("after its end"), std::string::npos);
}

TEST(ConsoleDocumentTest, NamesTheProblem) {
  std::string bytes = EncodeConsoleDocument(Sample());
  EXPECT_EQ(Refusal("[HKEY_LOCAL_MACHINE]\n"), "doc.vzc is not a console document");
  EXPECT_NE(Refusal(bytes.substr(0, 30)).find("truncated"), std::string::npos);
  std::string version = bytes;
  version[4] = 2;
  EXPECT_NE(Refusal(version).find("version 2"), std::string::npos);
  std::string size = bytes;
  size[28] = '\x7F';  // the state size now reaches past the end
  EXPECT_NE(Refusal(size).find("truncated"), std::string::npos);
  bytes[40] = char(bytes[40] + 1);
  EXPECT_NE(Refusal(bytes).find("checksum"), std::string::npos);
}

TEST(ConsoleDocumentTest, WritesAtomicallyAndLeavesNoTemporaryFile) {
  TTestRegistry registry(false);
  const std::string path = registry.File("doc.vzc");
  WriteConsoleDocument(path, Sample());
  TConsoleDocument second = Sample();
  second.dataBytes = "second";
  WriteConsoleDocument(path, second);
  EXPECT_EQ(ReadConsoleDocument(path).dataBytes, "second");
  std::filesystem::permissions(path, std::filesystem::perms(0640));
  WriteConsoleDocument(path, Sample());
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(registry.Dir())) {
    files += entry.path().filename().string().find("doc.vzc") != std::string::npos;
  }
  EXPECT_EQ(files, 1);
  EXPECT_THROW(WriteConsoleDocument(registry.File("missing/doc.vzc"), Sample()), EConsoleError);
  EXPECT_THROW(ReadConsoleDocument(registry.File("none.vzc")), EConsoleError);
  EXPECT_THROW(ReadConsoleDocument(registry.Dir()), EConsoleError);
}

// A document is read and saved only where a document belongs: through a
// link to its target, never over a FIFO, a device or a read-only document,
// and a FIFO is refused when opened instead of waited on.
TEST(ConsoleDocumentTest, IsReadAndSavedOnlyWhereItBelongs) {
  TTestRegistry registry(false);
  namespace fs = std::filesystem;
  const std::string real = registry.File("real.vzc");
  WriteConsoleDocument(real, Sample());
  fs::create_symlink(real, registry.File("link.vzc"));
  TConsoleDocument changed = Sample();
  changed.dataBytes = "through the link";
  WriteConsoleDocument(registry.File("link.vzc"), changed);
  EXPECT_TRUE(fs::is_symlink(registry.File("link.vzc")));
  EXPECT_EQ(ReadConsoleDocument(real).dataBytes, "through the link");

  const std::string fifo = registry.File("fifo.vzc");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(Failure([&] { ReadConsoleDocument(fifo); }),
            "cannot open " + fifo + ": it is not a regular file");
  EXPECT_EQ(Failure([&] { WriteConsoleDocument(fifo, Sample()); }),
            "cannot save " + fifo + ": it is not a regular file");
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(Failure([&] { ReadConsoleDocument("/dev/zero"); }),
            "cannot open /dev/zero: it is not a regular file");

  fs::permissions(real, fs::perms(0444));
  EXPECT_EQ(Failure([&] { WriteConsoleDocument(registry.File("link.vzc"), Sample()); }),
            "cannot save " + registry.File("link.vzc") + ": it is read-only");
  EXPECT_EQ(ReadConsoleDocument(real).dataBytes, "through the link");
}

}  // namespace
