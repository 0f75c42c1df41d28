#include "platform/com/testing/TestStream.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string AsText(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(TestStream, ReadFailsAfterTheGivenBytes) {
  ComPtr<TestStream> s = MakeComObject<TestStream>("abcdefgh");
  s->FailReadsAfter(5);
  char buffer[8] = {};
  ULONG read = 0;
  EXPECT_EQ(s->Read(buffer, 3, &read), S_OK);
  EXPECT_EQ(read, 3u);
  // This call passes the limit: it delivers the two bytes before it and fails.
  EXPECT_EQ(s->Read(buffer, 3, &read), STG_E_READFAULT);
  EXPECT_EQ(read, 2u);
  EXPECT_EQ(std::string(buffer, 2), "de");
  EXPECT_EQ(s->Read(buffer, 1, &read), STG_E_READFAULT);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(s->BytesRead(), 5u);
  // Writing is unaffected, and healing lets reads go on where they stopped.
  EXPECT_EQ(s->Write("X", 1, nullptr), S_OK);
  s->Heal();
  EXPECT_EQ(s->Read(buffer, 8, &read), S_OK);
  EXPECT_EQ(std::string(buffer, read), "gh");
}

TEST(TestStream, WriteFailsAfterTheGivenBytesWithTheChosenResult) {
  ComPtr<TestStream> s = MakeComObject<TestStream>();
  s->FailWritesAfter(4, STG_E_MEDIUMFULL);
  ULONG written = 0;
  EXPECT_EQ(s->Write("1234", 4, &written), S_OK);  // exactly at the limit still works
  EXPECT_EQ(s->Write("5", 1, &written), STG_E_MEDIUMFULL);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(AsText(s->Contents()), "1234");
  EXPECT_EQ(WriteFully(s.Get(), "x", 1), STG_E_MEDIUMFULL);
  EXPECT_EQ(s->BytesWritten(), 4u);
}

TEST(TestStream, FailureAtZeroFailsTheFirstCall) {
  ComPtr<TestStream> s = MakeComObject<TestStream>("ab");
  s->FailReadsAfter(0, E_FAIL);
  char c = 0;
  ULONG read = 9;
  EXPECT_EQ(s->Read(&c, 1, &read), E_FAIL);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(ReadFully(s.Get(), &c, 1), E_FAIL);
}

TEST(TestStream, ShortReadsStillDeliverEverythingToAPatientReader) {
  ComPtr<TestStream> s = MakeComObject<TestStream>("0123456789");
  s->LimitReadChunk(3);
  char buffer[10];
  ULONG read = 0;
  EXPECT_EQ(s->Read(buffer, 10, &read), S_OK);
  EXPECT_EQ(read, 3u);
  ASSERT_EQ(s->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(ReadFully(s.Get(), buffer, 10), S_OK);
  EXPECT_EQ(std::string(buffer, 10), "0123456789");
  EXPECT_EQ(ReadFully(s.Get(), buffer, 1), S_FALSE);
}

TEST(TestStream, SeekFailuresAndSharedSettingsOfClones) {
  ComPtr<TestStream> s = MakeComObject<TestStream>("abc");
  ComPtr<IStream> clone;
  ASSERT_EQ(s->Clone(clone.ReleaseAndGetAddressOf()), S_OK);
  s->FailSeeks(STG_E_SEEKERROR);
  EXPECT_EQ(clone->Seek(1, STREAM_SEEK_SET, nullptr), STG_E_SEEKERROR);
  EXPECT_EQ(s->SetSize(0), STG_E_SEEKERROR);
  s->FailSeeks(S_OK);
  EXPECT_EQ(clone->Seek(1, STREAM_SEEK_SET, nullptr), S_OK);
  s->FailWritesAfter(0);
  EXPECT_EQ(clone->Write("z", 1, nullptr), STG_E_WRITEFAULT);
  s->Heal();
  EXPECT_EQ(clone->Write("B", 1, nullptr), S_OK);
  EXPECT_EQ(AsText(s->Contents()), "aBc");  // the clone writes into the same bytes
}

}  // namespace
