// Blob and memo fields through the data set's blob streams.

#include <gtest/gtest.h>

#include "platform/vcl/BlobFields.h"
#include "platform/vcl/MemDataSet.h"

namespace {

class Blobs : public testing::Test {
 protected:
  void SetUp() override {
    data.SetName("Docs");
    data.DefineField("ID", ftInteger);
    data.DefineField("Photo", ftBlob);
    data.DefineField("Notes", ftMemo);
    data.Open();
    for (int id = 1; id <= 2; ++id) {
      data.Append();
      data.FieldByName("ID")->SetAsInteger(id);
      data.Post();
    }
    data.First();
    photo = dynamic_cast<TBlobField*>(data.FieldByName("Photo"));
    notes = dynamic_cast<TMemoField*>(data.FieldByName("Notes"));
  }
  std::string Read(TBlobStreamMode mode = bmRead) {
    auto stream = data.CreateBlobStream(photo, mode);
    std::string text(static_cast<size_t>(stream->Size()), '\0');
    stream->ReadBuffer(text.data(), stream->Size());
    return text;
  }

  TMemDataSet data{nullptr};
  TBlobField* photo = nullptr;
  TMemoField* notes = nullptr;
};

TEST_F(Blobs, ValuesSurviveAPostAndAMoveAway) {
  EXPECT_TRUE(photo->IsNull());
  EXPECT_EQ(photo->DisplayText(), "(Blob)");
  EXPECT_EQ(notes->Text(), "(Memo)");
  data.Edit();
  photo->SetAsBytes({0, 1, 2, 255});
  notes->SetAsString("line 1\nline 2");
  EXPECT_TRUE(data.Modified());
  data.Post();
  data.Next();
  EXPECT_TRUE(photo->IsNull());
  data.Prior();
  EXPECT_EQ(photo->AsBytes(), (std::vector<uint8_t>{0, 1, 2, 255}));
  EXPECT_EQ(photo->BlobSize(), 4);
  EXPECT_EQ(photo->DisplayText(), "(BLOB)");
  EXPECT_EQ(notes->AsString(), "line 1\nline 2");
  EXPECT_EQ(notes->DisplayText(), "(MEMO)");
  EXPECT_EQ(notes->AsVariant().AsString(), u"line 1\nline 2");
  EXPECT_THROW(photo->AsVariant(), EDatabaseError);
}

TEST_F(Blobs, StreamModesReadWriteAndAppend) {
  auto reader = data.CreateBlobStream(photo, bmRead);
  EXPECT_EQ(reader->Size(), 0);
  EXPECT_THROW(reader->WriteBuffer("x", 1), EStreamError);
  reader.reset();
  try {
    data.CreateBlobStream(photo, bmWrite);
    FAIL() << "wrote a blob while browsing";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Docs: Dataset not in edit or insert mode");
  }
  data.Edit();
  data.CreateBlobStream(photo, bmWrite)->WriteBuffer("abc", 3);
  EXPECT_EQ(Read(), "abc");
  {
    auto both = data.CreateBlobStream(photo, bmReadWrite);
    EXPECT_EQ(both->Size(), 3);  // read-write keeps the contents
    both->Seek(0, soEnd);
    both->WriteBuffer("def", 3);
  }
  EXPECT_EQ(Read(), "abcdef");
  EXPECT_EQ(Read(bmWrite), "");  // write starts empty
  data.CreateBlobStream(photo, bmWrite)->WriteBuffer("kept", 4);
  data.Post();
  data.Edit();
  photo->SetAsString("dropped");
  data.Cancel();
  EXPECT_EQ(photo->AsString(), "kept");
}

TEST_F(Blobs, LoadSaveAndClear) {
  data.Edit();
  TMemoryStream source(std::vector<uint8_t>{9, 8, 7});
  source.SetPosition(2);
  photo->LoadFromStream(source);
  TMemoryStream target;
  photo->SaveToStream(target);
  EXPECT_EQ(target.Bytes(), (std::vector<uint8_t>{9, 8, 7}));
  photo->Clear();
  EXPECT_TRUE(photo->IsNull());
  notes->SetValue(OleVariant(u"from a variant"));
  EXPECT_EQ(notes->AsString(), "from a variant");
  notes->SetValue(OleVariant::Null());
  EXPECT_TRUE(notes->AsVariant().IsNull());
  data.Cancel();
  photo->SetReadOnly(true);
  data.Edit();
  try {
    photo->SetAsString("x");
    FAIL() << "wrote a read-only blob";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Docs: Field 'Photo' cannot be modified");
  }
}

}  // namespace
