#include "platform/vcl/Streams.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MemoryStream, WritesBeyondTheEndFillTheGapWithZeros) {
  TMemoryStream stream;
  stream.WriteBuffer("ab", 2);
  stream.SetPosition(5);
  stream.WriteBuffer("c", 1);
  EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{'a', 'b', 0, 0, 0, 'c'}));
  EXPECT_EQ(stream.Position(), 6);
  EXPECT_EQ(stream.Size(), 6);
}

TEST(MemoryStream, ReadsStopAtTheEnd) {
  TMemoryStream stream(std::vector<uint8_t>{1, 2, 3});
  uint8_t buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 3);
  EXPECT_EQ(stream.Read(buffer, 8), 0);
  stream.SetPosition(10);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  EXPECT_EQ(stream.Remaining(), 0);
  stream.SetPosition(1);
  EXPECT_EQ(stream.Remaining(), 2);
  EXPECT_THROW(stream.ReadBuffer(buffer, 3), EReadError);
}

TEST(MemoryStream, RefusesPositionsBeforeTheStartAndNegativeCounts) {
  TMemoryStream stream(std::vector<uint8_t>{1, 2, 3});
  stream.SetPosition(2);
  EXPECT_THROW(stream.Seek(-3, soCurrent), EStreamError);
  EXPECT_THROW(stream.Seek(-4, soEnd), EStreamError);
  EXPECT_EQ(stream.Position(), 2);
  EXPECT_EQ(stream.Seek(-3, soEnd), 0);
  uint8_t byte = 0;
  EXPECT_THROW(stream.Read(&byte, -1), EStreamError);
  EXPECT_THROW(stream.SetSize(-1), EStreamError);
}

TEST(MemoryStream, SetSizeTruncatesAndKeepsThePosition) {
  TMemoryStream stream(std::vector<uint8_t>{1, 2, 3, 4});
  stream.SetPosition(3);
  stream.SetSize(2);
  EXPECT_EQ(stream.Position(), 3);
  EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{1, 2}));
  stream.SetSize(3);
  EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{1, 2, 0}));
}

TEST(MemoryStream, CopyFromWithCountZeroCopiesTheWholeSource) {
  TMemoryStream source(std::vector<uint8_t>{7, 8, 9});
  source.SetPosition(2);
  TMemoryStream target;
  EXPECT_EQ(target.CopyFrom(source, 0), 3);
  EXPECT_EQ(target.Bytes(), (std::vector<uint8_t>{7, 8, 9}));
  source.SetPosition(1);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(source, 2), 2);
  EXPECT_EQ(part.Bytes(), (std::vector<uint8_t>{8, 9}));
  source.SetPosition(2);
  EXPECT_THROW(part.CopyFrom(source, 2), EReadError);
}

TEST(MemoryStream, LoadAndSaveMoveTheWholeContents) {
  TMemoryStream source(std::vector<uint8_t>{1, 2});
  source.SetPosition(2);
  TMemoryStream copy;
  copy.WriteBuffer("xyz", 3);
  copy.LoadFromStream(source);
  EXPECT_EQ(copy.Bytes(), (std::vector<uint8_t>{1, 2}));
  EXPECT_EQ(copy.Position(), 0);
  TMemoryStream target;
  target.WriteBuffer("a", 1);
  copy.SaveToStream(target);
  EXPECT_EQ(target.Bytes(), (std::vector<uint8_t>{'a', 1, 2}));
  copy.Clear();
  EXPECT_EQ(copy.Size(), 0);
}

TEST(ByteVectorStream, ChangesGoStraightIntoTheVector) {
  std::vector<uint8_t> bytes{5, 6};
  TByteVectorStream stream(bytes);
  stream.Seek(0, soEnd);
  stream.WriteBuffer("\x07", 1);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{5, 6, 7}));
  stream.SetSize(1);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{5}));
}

}  // namespace
