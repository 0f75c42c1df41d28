#include "platform/com/Stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/com/GlobalMemory.h"
#include "platform/com/TaskMemory.h"
#include "platform/testing/TestFiles.h"

namespace {

uint64_t Position(IStream* s) {
  ULARGE_INTEGER pos = 0;
  EXPECT_EQ(s->Seek(0, STREAM_SEEK_CUR, &pos), S_OK);
  return pos;
}

uint64_t SizeOf(IStream* s) {
  STATSTG st{};
  EXPECT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(st.pwcsName, nullptr);
  return st.cbSize;
}

std::string ReadAll(IStream* s) {
  EXPECT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  std::string text(SizeOf(s), '\0');
  ULONG got = 0;
  EXPECT_EQ(s->Read(text.data(), static_cast<ULONG>(text.size()), &got), S_OK);
  EXPECT_EQ(got, text.size());
  return text;
}

// The behaviour every seekable stream here shares, run over each kind.
void CheckStreamContract(IStream* s) {
  ULONG count = 99;
  ASSERT_EQ(s->Write("hello", 5, &count), S_OK);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(SizeOf(s), 5u);

  // Short read at the end, then nothing beyond it.
  ASSERT_EQ(s->Seek(3, STREAM_SEEK_SET, nullptr), S_OK);
  char buffer[16] = {};
  EXPECT_EQ(s->Read(buffer, sizeof buffer, &count), S_OK);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(std::string(buffer, 2), "lo");
  EXPECT_EQ(s->Read(buffer, sizeof buffer, &count), S_OK);
  EXPECT_EQ(count, 0u);

  // Seeking beyond the end is allowed; reading there gives nothing, writing
  // there fills the gap with zeros.
  ULARGE_INTEGER pos = 0;
  ASSERT_EQ(s->Seek(3, STREAM_SEEK_END, &pos), S_OK);
  EXPECT_EQ(pos, 8u);
  EXPECT_EQ(s->Read(buffer, 4, &count), S_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(SizeOf(s), 5u);
  ASSERT_EQ(s->Write("!", 1, nullptr), S_OK);
  EXPECT_EQ(ReadAll(s), std::string("hello\0\0\0!", 9));

  // Before the start and unknown origins fail and leave the position alone.
  ASSERT_EQ(s->Seek(4, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(s->Seek(-5, STREAM_SEEK_CUR, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(s->Seek(-10, STREAM_SEEK_END, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(s->Seek(0, 7, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(s->Seek(INT64_MIN, STREAM_SEEK_SET, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(s->Seek(INT64_MAX, STREAM_SEEK_CUR, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(pos, 4u);
  EXPECT_EQ(s->Seek(-4, STREAM_SEEK_CUR, &pos), S_OK);
  EXPECT_EQ(pos, 0u);

  // SetSize cuts and extends with zeros without moving the position.
  ASSERT_EQ(s->Seek(2, STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_EQ(s->SetSize(3), S_OK);
  EXPECT_EQ(Position(s), 2u);
  ASSERT_EQ(s->SetSize(6), S_OK);
  EXPECT_EQ(ReadAll(s), std::string("hel\0\0\0", 6));

  // A clone shares the bytes but keeps its own position.
  ComPtr<IStream> clone;
  ASSERT_EQ(s->Seek(1, STREAM_SEEK_SET, nullptr), S_OK);
  ASSERT_EQ(s->Clone(clone.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(Position(clone.Get()), 1u);
  ASSERT_EQ(clone->Write("EL", 2, nullptr), S_OK);
  EXPECT_EQ(Position(s), 1u);
  EXPECT_EQ(ReadAll(s).substr(0, 3), "hEL");

  // Null buffers and unsupported region locks.
  EXPECT_EQ(s->Read(nullptr, 1, &count), STG_E_INVALIDPOINTER);
  EXPECT_EQ(s->Write(nullptr, 1, &count), STG_E_INVALIDPOINTER);
  EXPECT_EQ(s->Stat(nullptr, STATFLAG_DEFAULT), STG_E_INVALIDPOINTER);
  EXPECT_EQ(s->LockRegion(0, 1, 0), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(s->Commit(STGC_DEFAULT), S_OK);
}

TEST(MemoryStream, KeepsTheStreamContract) { CheckStreamContract(CreateMemoryStream().Get()); }

TEST(MemoryStream, StartsWithGivenBytesAndAnswersBothInterfaces) {
  ComPtr<IStream> s = CreateMemoryStream("abc", 3);
  EXPECT_EQ(Position(s.Get()), 0u);
  EXPECT_EQ(ReadAll(s.Get()), "abc");
  ComPtr<ISequentialStream> sequential = s.As<ISequentialStream>();
  ASSERT_TRUE(sequential);
  char c = 0;
  ASSERT_EQ(s->Seek(1, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(ReadFully(sequential.Get(), &c, 1), S_OK);
  EXPECT_EQ(c, 'b');
  char rest[4];
  EXPECT_EQ(ReadFully(sequential.Get(), rest, 4), S_FALSE);  // ends after one byte
}

TEST(MemoryStream, CopyToMovesTheRequestedBytes) {
  ComPtr<IStream> source = CreateMemoryStream("0123456789", 10);
  ComPtr<IStream> target = CreateMemoryStream();
  ASSERT_EQ(source->Seek(2, STREAM_SEEK_SET, nullptr), S_OK);
  ULARGE_INTEGER read = 0;
  ULARGE_INTEGER written = 0;
  EXPECT_EQ(source->CopyTo(target.Get(), 5, &read, &written), S_OK);
  EXPECT_EQ(read, 5u);
  EXPECT_EQ(written, 5u);
  EXPECT_EQ(ReadAll(target.Get()), "23456");
  // Asking for more than is left copies what is left.
  EXPECT_EQ(source->CopyTo(target.Get(), 100, &read, &written), S_OK);
  EXPECT_EQ(read, 3u);
  EXPECT_EQ(ReadAll(target.Get()), "23456789");
  EXPECT_EQ(source->CopyTo(nullptr, 1, &read, &written), STG_E_INVALIDPOINTER);
}

class FileStreamTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return dir_.File(name); }

  TempDir dir_;
};

TEST_F(FileStreamTest, KeepsTheStreamContract) {
  ComPtr<IStream> s;
  ASSERT_EQ(CreateFileStream(PathOf("a.bin"), FileStreamMode::Create, s.ReleaseAndGetAddressOf()),
            S_OK);
  CheckStreamContract(s.Get());
}

TEST_F(FileStreamTest, OpenFailuresAndReadOnlyMode) {
  ComPtr<IStream> s;
  EXPECT_EQ(CreateFileStream(PathOf("missing"), FileStreamMode::Read, s.ReleaseAndGetAddressOf()),
            STG_E_FILENOTFOUND);
  EXPECT_FALSE(s);
  EXPECT_EQ(
      CreateFileStream(PathOf("no/dir/file"), FileStreamMode::Create, s.ReleaseAndGetAddressOf()),
      STG_E_FILENOTFOUND);
  EXPECT_EQ(
      CreateFileStream(dir_.Path().string(), FileStreamMode::Read, s.ReleaseAndGetAddressOf()),
      STG_E_ACCESSDENIED);

  ASSERT_EQ(CreateFileStream(PathOf("f"), FileStreamMode::Create, s.ReleaseAndGetAddressOf()),
            S_OK);
  ASSERT_EQ(WriteFully(s.Get(), "data", 4), S_OK);
  s.Reset();

  ASSERT_EQ(CreateFileStream(PathOf("f"), FileStreamMode::Read, s.ReleaseAndGetAddressOf()), S_OK);
  ULONG written = 7;
  EXPECT_EQ(s->Write("x", 1, &written), STG_E_ACCESSDENIED);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(s->SetSize(0), STG_E_ACCESSDENIED);
  EXPECT_EQ(ReadAll(s.Get()), "data");

  STATSTG st{};
  ASSERT_EQ(s->Stat(&st, STATFLAG_DEFAULT), S_OK);
  ASSERT_NE(st.pwcsName, nullptr);
  EXPECT_EQ(std::u16string(st.pwcsName).ends_with(u"/f"), true);
  EXPECT_EQ(st.type, STGTY_STREAM);
  EXPECT_NE(st.mtime.dwHighDateTime, 0u);  // a time after 1601
  CoTaskMemFree(st.pwcsName);

  // ReadWrite keeps the contents; Create truncates.
  ASSERT_EQ(CreateFileStream(PathOf("f"), FileStreamMode::ReadWrite, s.ReleaseAndGetAddressOf()),
            S_OK);
  ASSERT_EQ(s->Write("D", 1, nullptr), S_OK);
  EXPECT_EQ(ReadAll(s.Get()), "Data");
  ASSERT_EQ(CreateFileStream(PathOf("f"), FileStreamMode::Create, s.ReleaseAndGetAddressOf()),
            S_OK);
  EXPECT_EQ(SizeOf(s.Get()), 0u);
}

TEST(HGlobalStream, KeepsTheStreamContract) {
  ComPtr<IStream> s;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, 1, s.ReleaseAndGetAddressOf()), S_OK);
  CheckStreamContract(s.Get());
}

TEST(HGlobalStream, ReleaseFlagDecidesWhoFreesTheBlock) {
  HGLOBAL kept = GlobalAlloc(GMEM_MOVEABLE, 3);
  std::memcpy(GlobalLock(kept), "xyz", 3);
  GlobalUnlock(kept);
  {
    ComPtr<IStream> s;
    ASSERT_EQ(CreateStreamOnHGlobal(kept, 0, s.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(ReadAll(s.Get()), "xyz");
    ASSERT_EQ(s->Write("w", 1, nullptr), S_OK);  // grows the caller's block
    HGLOBAL under = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(s.Get(), &under), S_OK);
    EXPECT_EQ(under, kept);
  }
  ASSERT_EQ(GlobalSize(kept), 4u);  // still alive, with the stream's writes
  EXPECT_EQ(std::string(static_cast<char*>(GlobalLock(kept)), 4), "xyzw");
  GlobalUnlock(kept);
  EXPECT_EQ(GlobalFree(kept), nullptr);

  HGLOBAL owned = GlobalAlloc(GMEM_MOVEABLE, 8);
  {
    ComPtr<IStream> s;
    ASSERT_EQ(CreateStreamOnHGlobal(owned, 1, s.ReleaseAndGetAddressOf()), S_OK);
    ComPtr<IStream> clone;
    ASSERT_EQ(s->Clone(clone.ReleaseAndGetAddressOf()), S_OK);
    s.Reset();
    EXPECT_EQ(GlobalSize(owned), 8u);  // the clone still uses it
  }
  EXPECT_EQ(GlobalFlags(owned), GMEM_INVALID_HANDLE);  // freed with the last stream
}

TEST(HGlobalStream, RefusesForeignHandlesAndStreams) {
  int local = 0;
  ComPtr<IStream> s;
  EXPECT_EQ(CreateStreamOnHGlobal(&local, 1, s.ReleaseAndGetAddressOf()), E_INVALIDARG);
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, 1, nullptr), E_POINTER);
  HGLOBAL block = &local;
  EXPECT_EQ(GetHGlobalFromStream(nullptr, &block), E_INVALIDARG);
  EXPECT_EQ(block, nullptr);
}

TEST(HGlobalStream, FixedBlockCannotGrow) {
  HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 2);
  ComPtr<IStream> s;
  ASSERT_EQ(CreateStreamOnHGlobal(fixed, 1, s.ReleaseAndGetAddressOf()), S_OK);
  ULONG written = 5;
  EXPECT_EQ(s->Write("ab", 2, &written), S_OK);
  EXPECT_EQ(s->Write("c", 1, &written), STG_E_MEDIUMFULL);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(s->SetSize(kGlobalMaxBlockSize + 1), STG_E_MEDIUMFULL);
  EXPECT_EQ(SizeOf(s.Get()), 2u);
}

}  // namespace
