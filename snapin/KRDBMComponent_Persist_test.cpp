#include <gtest/gtest.h>

#include "platform/com/testing/TestStream.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent.h"
#include "snapin/KRTestSupport.h"

namespace {

class ComponentStream : public ::testing::Test {
 protected:
  ComPtr<TIComponent> component_ = MakeComObject<TIComponent>();
};

TEST_F(ComponentStream, SavesTheWordsZeroAndOne) {
  const ComPtr<IStream> stream = StreamOf("");
  EXPECT_EQ(component_->Save(stream.Get(), TRUE), S_OK);
  EXPECT_EQ(StreamBytes(stream.Get()), Word(0) + Word(1));
  EXPECT_EQ(component_->IsDirty(), S_FALSE);
  ULARGE_INTEGER size = 0;
  EXPECT_EQ(component_->GetSizeMax(&size), S_OK);
  EXPECT_EQ(size, 10u);
  CLSID classID{};
  EXPECT_EQ(component_->GetClassID(&classID), E_NOTIMPL);
  EXPECT_EQ(classID, CLSID_KRComponentData);
}

TEST_F(ComponentStream, AFailedWriteCannotSave) {
  for (uint64_t after : {0u, 2u, 4u, 6u}) {
    const ComPtr<TestStream> stream = MakeComObject<TestStream>();
    stream->FailWritesAfter(after);
    EXPECT_EQ(component_->Save(stream.Get(), TRUE), STG_E_CANTSAVE) << after;
  }
}

TEST_F(ComponentStream, LoadSkipsToTheEndWord) {
  struct Case {
    std::string bytes;
    HRESULT answer;
  };
  const std::vector<Case> cases = {
      {Word(0) + Word(1), S_OK},
      {Word(0) + Word(7) + Word(0) + Word(1) + Word(9), S_OK},
      {Word(5), S_OK},               // a non-zero first word
      {"", S_OK},                    // nothing to read
      {std::string(2, '\0'), S_OK},  // not even one word
      {Word(0), E_FAIL},             // ends before the end word
      {Word(0) + Word(2) + "\x01", E_FAIL},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(component_->Load(StreamOf(c.bytes).Get()), c.answer) << c.bytes.size();
  }
  // Reads that deliver a byte at a time still find the words.
  const ComPtr<TestStream> slow = MakeComObject<TestStream>(Word(0) + Word(3) + Word(1));
  slow->LimitReadChunk(1);
  EXPECT_EQ(component_->Load(slow.Get()), S_OK);
  const ComPtr<TestStream> failing = MakeComObject<TestStream>(Word(0) + Word(1));
  failing->FailReadsAfter(4);
  EXPECT_EQ(component_->Load(failing.Get()), E_FAIL);
  EXPECT_EQ(component_->IsDirty(), S_FALSE);
}

TEST_F(ComponentStream, OwnerDataAnswers) {
  auto find = [&](const char16_t* text, int& index) {
    RESULTFINDINFO info{const_cast<LPOLESTR>(text), 0, 0};
    return component_->FindItem(&info, &index);
  };
  int index = -1;
  EXPECT_EQ(find(u"0", index), S_OK);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(find(u"99999", index), S_OK);
  EXPECT_EQ(index, 99999);
  for (const char16_t* text : {u"100000", u"", u"-1", u"12a", u"abc", u" 7"}) {
    EXPECT_EQ(find(text, index), S_FALSE);
  }
  EXPECT_EQ(find(nullptr, index), S_FALSE);
  EXPECT_EQ(component_->FindItem(nullptr, &index), E_POINTER);

  EXPECT_EQ(component_->CacheHint(0, 10), S_OK);
  EXPECT_EQ(component_->SortItems(1, 1, 0), S_FALSE);
  EXPECT_EQ(component_->SortItems(0, 0, 0), S_FALSE);  // the options it starts with
  EXPECT_EQ(component_->SortItems(0, RSI_DESCENDING, 0), S_OK);
  EXPECT_EQ(component_->SortItems(0, RSI_DESCENDING, 0), S_FALSE);
  EXPECT_EQ(component_->SortItems(0, 0, 0), S_OK);
}

}  // namespace
