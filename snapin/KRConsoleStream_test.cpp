#include "snapin/KRConsoleStream.h"

#include <gtest/gtest.h>

#include "platform/com/testing/TestStream.h"
#include "snapin/KRTestSupport.h"

TEST(KRConsoleStream, WordsAreLittleEndian) {
  ComPtr<IStream> stream = CreateMemoryStream();
  ASSERT_EQ(WriteStreamWord(stream.Get(), 0x04030201), S_OK);
  EXPECT_EQ(StreamBytes(stream.Get()), std::string("\x01\x02\x03\x04", 4));

  uint32_t value = 0;
  stream->Seek(0, STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(ReadStreamWord(stream.Get(), value), S_OK);
  EXPECT_EQ(value, 0x04030201u);
  EXPECT_EQ(ReadStreamWord(stream.Get(), value), S_FALSE);  // at the end

  ComPtr<IStream> partial = StreamOf(std::string("\x01\x02", 2));
  EXPECT_EQ(ReadStreamWord(partial.Get(), value), S_FALSE);
}

TEST(KRConsoleStream, CountedStringsCountTheirNul) {
  ComPtr<IStream> stream = CreateMemoryStream();
  ASSERT_EQ(WriteCountedString(stream.Get(), ""), S_OK);
  ASSERT_EQ(WriteCountedString(stream.Get(), "pc7"), S_OK);
  ASSERT_EQ(WriteCountedString(stream.Get(), "\xC3\xA9t\xC3\xA9"), S_OK);  // UTF-8 bytes
  EXPECT_EQ(StreamBytes(stream.Get()), Word(1) + std::string(1, '\0') + Word(4) +
                                           std::string("pc7\0", 4) + Word(6) +
                                           std::string("\xC3\xA9t\xC3\xA9\0", 6));
  stream->Seek(0, STREAM_SEEK_SET, nullptr);
  std::string text = "stale";
  EXPECT_EQ(ReadCountedString(stream.Get(), text), S_OK);
  EXPECT_EQ(text, "");
  EXPECT_EQ(ReadCountedString(stream.Get(), text), S_OK);
  EXPECT_EQ(text, "pc7");
  EXPECT_EQ(ReadCountedString(stream.Get(), text), S_OK);
  EXPECT_EQ(text, "\xC3\xA9t\xC3\xA9");
}

TEST(KRConsoleStream, TextEndsAtTheFirstNulButTheWholeLengthIsConsumed) {
  ComPtr<IStream> stream =
      StreamOf(Word(0) + Word(3) + "abc" + Word(5) + std::string("ab\0cd", 5) + Word(77));
  std::string text;
  EXPECT_EQ(ReadCountedString(stream.Get(), text), S_OK);
  EXPECT_EQ(text, "");  // length 0
  EXPECT_EQ(ReadCountedString(stream.Get(), text), S_OK);
  EXPECT_EQ(text, "abc");  // no NUL: every byte counts
  EXPECT_EQ(ReadCountedString(stream.Get(), text), S_OK);
  EXPECT_EQ(text, "ab");
  uint32_t next = 0;
  EXPECT_EQ(ReadStreamWord(stream.Get(), next), S_OK);
  EXPECT_EQ(next, 77u);
}

TEST(KRConsoleStream, LengthBeyondTheStreamEndsAtWhatCouldBeRead) {
  std::string text;
  ComPtr<IStream> huge = StreamOf(Word(0xFFFFFFF0u) + "short");
  EXPECT_EQ(ReadCountedString(huge.Get(), text), S_FALSE);
  EXPECT_EQ(text, "short");

  // Longer than one read piece: the text still arrives whole.
  const std::string big(200000, 'x');
  ComPtr<IStream> large = StreamOf(Word(static_cast<uint32_t>(big.size() + 10)) + big);
  EXPECT_EQ(ReadCountedString(large.Get(), text), S_FALSE);
  EXPECT_EQ(text, big);

  ComPtr<IStream> noLength = StreamOf("ab");
  EXPECT_EQ(ReadCountedString(noLength.Get(), text), S_FALSE);
  EXPECT_EQ(text, "");
}

TEST(KRConsoleStream, WriteFailuresAreReported) {
  ComPtr<TestStream> full = MakeComObject<TestStream>();
  full->FailWritesAfter(6);
  EXPECT_EQ(WriteStreamWord(full.Get(), 1), S_OK);
  EXPECT_TRUE(FAILED(WriteCountedString(full.Get(), "pc7")));
  EXPECT_TRUE(FAILED(WriteStreamWord(full.Get(), 1)));
}

TEST(KRConsoleStream, ShortReadsStillDeliverTheWholeText) {
  ComPtr<TestStream> trickle = MakeComObject<TestStream>(Counted("a longer text") + Word(9));
  trickle->LimitReadChunk(2);
  std::string text;
  EXPECT_EQ(ReadCountedString(trickle.Get(), text), S_OK);
  EXPECT_EQ(text, "a longer text");
  uint32_t next = 0;
  EXPECT_EQ(ReadStreamWord(trickle.Get(), next), S_OK);
  EXPECT_EQ(next, 9u);

  ComPtr<TestStream> failing = MakeComObject<TestStream>(Counted("abcdef"));
  failing->FailReadsAfter(6);
  EXPECT_EQ(ReadCountedString(failing.Get(), text), STG_E_READFAULT);
  EXPECT_EQ(text, "ab");
}
