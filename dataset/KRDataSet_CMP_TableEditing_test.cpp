// Writing through a table over the scripted Database API: field values,
// the pending record of an insert, posting, cancelling, deleting, status
// checks, record-ID re-mapping and blob streams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_ScriptedTable_test.h"
#include "objectmodel/KRDataSet_CO_Errors.h"
#include "platform/vcl/BlobFields.h"
#include "platform/vcl/DataLink.h"
#include "platform/vcl/DataSource.h"

using kr_dataset_test::Description;
using kr_dataset_test::IntegerValue;
using kr_dataset_test::TExposedTable;
using kr_dataset_test::TScriptedTableTest;
using kr_dataset_test::TextValue;

namespace {

class TableEditingTest : public TScriptedTableTest {
 protected:
  TableEditingTest() { Prepare(table); }

  std::vector<KSRecordID> RowIDs() const {
    std::vector<KSRecordID> ids;
    for (const auto& row : rows) ids.push_back(row.ID);
    return ids;
  }
  // The ID of the record a fresh buffer gets from GetRecord(mode);
  // kKRNullRecordID when it gets none.
  KSRecordID Fetch(TGetMode mode) {
    TRecordBuffer buffer = table.AllocRecordBuffer();
    KSRecordID id = kKRNullRecordID;
    if (table.GetRecord(buffer, mode, false) == grOK) {
      TKRBookmark bookmark;
      table.GetBookmarkData(buffer, &bookmark);
      id = bookmark.RecordID;
    }
    table.FreeRecordBuffer(buffer);
    return id;
  }

  TExposedTable table{nullptr};
};

TEST_F(TableEditingTest, CheckAPIErrorCodeLetsSuccessPassAndExplainsFailures) {
  AddRows(1);
  table.Open();
  EXPECT_FALSE(table.CheckAPIErrorCode(KS_OK));
  EXPECT_FALSE(table.CheckAPIErrorCode(kKRCursorNotConnected));
  try {
    table.CheckAPIErrorCode(kKRNoErrorRecord);
    ADD_FAILURE() << "status -2 passed";
  } catch (const EAbort& abort) {
    EXPECT_TRUE(dynamic_cast<const EDatabaseError*>(&abort) == nullptr);
  }
  try {
    table.CheckAPIErrorCode(1234);
    ADD_FAILURE() << "status 1234 passed";
  } catch (const EKRDatabaseError& error) {
    EXPECT_EQ(error.Message(), "API error code: 1234 ($000004D2)\n'status 1234'");
  }
}

TEST_F(TableEditingTest, FieldValuesAreWrittenByTypeAndTheAPINullValueStoresNull) {
  fields = {Description(u"number", KS_TYPE_INTEGER), Description(u"wait", KS_TYPE_DURATION),
            Description(u"done", KS_TYPE_BOOLEAN), Description(u"name", KS_TYPE_STRING, 4)};
  AddRows(1);
  table.Open();
  table.Edit();
  TField* wait = table.FieldByName("wait");
  wait->SetAsInteger(5);
  EXPECT_EQ(wait->GetAsInteger(), 5);
  wait->SetAsInteger(2147483647);
  EXPECT_TRUE(wait->IsNull());
  table.FieldByName("done")->SetAsBoolean(true);
  EXPECT_TRUE(table.FieldByName("done")->GetAsBoolean());
  // A text longer than the field keeps the field's size.
  table.FieldByName("name")->SetAsString("abcdefg");
  EXPECT_EQ(table.FieldByName("name")->GetAsString(), "abcd");
  EXPECT_TRUE(table.Modified());
  table.Post();
  // Only the changed fields are written; the untouched number is not.
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0], "set 100 wait=2147483647 done=1 name=abcd");
  EXPECT_EQ(table.State(), dsBrowse);
  EXPECT_TRUE(table.FieldByName("wait")->IsNull());
  EXPECT_EQ(table.FieldByName("name")->GetAsString(), "abcd");
}

TEST_F(TableEditingTest, ReadOnlyAndDeniedFieldsRefuseValues) {
  fields = {Description(u"number", KS_TYPE_INTEGER), Description(u"secret", KS_TYPE_INTEGER)};
  fields[0].actualAccess = KS_ACCESS_READ_ONLY;
  AddRows(1);
  table.Open();
  table.Edit();
  try {
    table.FieldByName("number")->SetAsInteger(3);
    ADD_FAILURE() << "a read-only field took a value";
  } catch (const EDatabaseError& error) {
    EXPECT_NE(error.Message().find("number"), std::string::npos) << error.Message();
  }
  table.FieldByName("secret")->SetVisible(false);
  try {
    table.FieldByName("secret")->SetAsInteger(3);
    ADD_FAILURE() << "an invisible field took a value";
  } catch (const EKRDatabaseError& error) {
    EXPECT_EQ(error.Message(), "The field 'secret' is denied.");
  }
  EXPECT_THROW(table.FieldByName("id")->SetAsInteger(1), EDatabaseError);
  table.Cancel();
  EXPECT_TRUE(writes.empty());
}

TEST_F(TableEditingTest, InsertingCreatesThePendingRecordThatNavigationAndTheCountPassOver) {
  fields = {Description(u"number", KS_TYPE_INTEGER)};
  AddRows(3);
  insertAt = 1;
  table.Open();
  table.Insert();
  ASSERT_EQ(writes, std::vector<std::string>{"insert"});
  EXPECT_EQ(table.PendingRecordID(), 900);
  EXPECT_EQ(table.GetRecordID(), 900);
  EXPECT_EQ(table.RecNo(), 0);
  EXPECT_EQ(table.RecordCount(), 3);
  // The new record stands second in the cursor, but is not a row of the
  // table while it is being inserted.
  position = 0;
  EXPECT_EQ(Fetch(gmNext), 110);
  position = 1;
  EXPECT_EQ(Fetch(gmCurrent), kKRNullRecordID);
  position = 2;
  EXPECT_EQ(Fetch(gmPrior), 100);

  table.FieldByName("number")->SetAsInteger(42);
  table.Post();
  EXPECT_EQ(table.PendingRecordID(), kKRNullRecordID);
  EXPECT_EQ(writes.back(), "set 900 number=42");
  EXPECT_EQ(table.RecordCount(), 4);
  EXPECT_EQ(table.GetRecordID(), 900);
  EXPECT_EQ(table.FieldByName("number")->GetAsInteger(), 42);
}

TEST_F(TableEditingTest, CancellingAnInsertDeletesItsRecordAndKeepsTheCount) {
  AddRows(2);
  table.Open();
  table.Last();
  table.Append();
  EXPECT_EQ(rows.size(), 3u);
  table.Cancel();
  EXPECT_EQ(writes, (std::vector<std::string>{"insert", "delete 900"}));
  EXPECT_EQ(RowIDs(), (std::vector<KSRecordID>{100, 110}));
  EXPECT_EQ(table.RecordCount(), 2);
  EXPECT_EQ(table.PendingRecordID(), kKRNullRecordID);
}

TEST_F(TableEditingTest, ARecordOutsideTheCursorIsReadFromItsObjectAndDestroyedOnCancel) {
  fields = {Description(u"number", KS_TYPE_INTEGER)};
  AddRows(1);
  insertStatus = KS_RECORD_NOT_IN_CURSOR;
  std::vector<std::string> objectCalls;
  api.On<TKRAPIFunction::KSGetObject>([&](KSHandle, KSRecordID id) {
    objectCalls.push_back("get " + std::to_string(id));
    return KSHandle(950);
  });
  api.On<TKRAPIFunction::KSGetValues>(
      [&](KSHandle, const char16_t* const* names, int32_t count, KSField* values) {
        for (int32_t i = 0; i < count; ++i) {
          values[i] = std::u16string_view(names[i]) == u"id"
                          ? IntegerValue(KS_TYPE_ID, 900)
                          : IntegerValue(KS_TYPE_INTEGER, 77);
        }
        return KSStatus(KS_OK);
      });
  api.On<TKRAPIFunction::KSDestroyObject>([&](KSHandle) {
    objectCalls.push_back("destroy");
    return KSStatus(KS_OK);
  });
  table.Open();
  table.Insert();
  EXPECT_EQ(table.PendingRecordID(), 900);
  EXPECT_EQ(table.FieldByName("number")->GetAsInteger(), 77);
  // The cursor does not show it: it is not taken off the count.
  EXPECT_EQ(table.RecordCount(), 1);
  table.Cancel();
  EXPECT_EQ(objectCalls, (std::vector<std::string>{"get 900", "get 900", "destroy"}));
}

TEST_F(TableEditingTest, PostingWithEmptyRequiredFieldsListsAnErrorForEachAndFocusesTheFirst) {
  fields = {Description(u"number", KS_TYPE_INTEGER), Description(u"name", KS_TYPE_STRING, 10),
            Description(u"city", KS_TYPE_STRING, 10)};
  fields[1].required = 1;
  fields[2].required = 1;
  AddRows(1);
  table.Open();
  ASSERT_TRUE(table.FieldByName("name")->Required());
  TDataSource source(nullptr);
  source.SetDataSet(&table);
  std::vector<std::string> focused;
  TFieldDataLink nameLink, cityLink;
  using TLinkOfField = std::pair<TFieldDataLink*, const char*>;
  for (const auto& [link, name] : {TLinkOfField{&nameLink, "name"}, TLinkOfField{&cityLink, "city"}}) {
    link->SetDataSource(&source);
    link->SetFieldName(name);
    link->OnFocusControl = [&focused](TFieldDataLink& self) { focused.push_back(self.FieldName()); };
  }
  table.Insert();
  table.FieldByName("number")->SetAsInteger(1);
  try {
    table.Post();
    ADD_FAILURE() << "posted without required fields";
  } catch (const EKRRequiredFieldError& error) {
    EXPECT_EQ(error.Message(), "required fields missing");
  }
  EXPECT_EQ(focused, std::vector<std::string>{"name"});
  ASSERT_EQ(transaction->Get_ErrorCount(), 2);
  for (int32_t i = 0; i < 2; ++i) {
    const auto error = ComPtr<IKRDBError>(transaction->Get_Errors(i)).As<IKRLocalDBError>();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Get_RscStringID(), 10401);
    EXPECT_EQ(error->Get_Severity(), 1);
    EXPECT_EQ(error->Get_Arguments()->Get_Strings(0), i == 0 ? u"name" : u"city");
  }
  // Nothing was written; the insert goes on.
  EXPECT_EQ(writes, std::vector<std::string>{"insert"});
  EXPECT_EQ(table.State(), dsInsert);
  table.Cancel();
  source.SetDataSet(nullptr);
}

TEST_F(TableEditingTest, DeletesReportFailuresExceptTheRefusalsListedInTheTransaction) {
  AddRows(3);
  table.Open();
  table.Next();
  table.Delete();
  EXPECT_EQ(RowIDs(), (std::vector<KSRecordID>{100, 120}));
  EXPECT_EQ(table.RecordCount(), 2);

  deleteStatus = KS_ERR_DELETE_REFERENCED;
  EXPECT_NO_THROW(table.Delete());
  EXPECT_EQ(rows.size(), 2u);
  deleteStatus = KS_ERR_LOCKED;
  EXPECT_THROW(table.Delete(), EKRDatabaseError);

  // A user's handler decides about a failed delete.
  int handled = 0;
  table.OnDeleteError = [&](TDataSet&, EDatabaseError&, TDataAction& action) {
    ++handled;
    deleteStatus = KS_OK;
    action = daRetry;
  };
  deleteStatus = KS_ERR_LOCKED;
  table.Delete();
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(rows.size(), 1u);
}

TEST_F(TableEditingTest, RemapIDReplacesBookmarksAndReferencesInEveryBuffer) {
  fields = {Description(u"partner", KS_TYPE_REFERENCE), Description(u"number", KS_TYPE_INTEGER)};
  rows = {{100, {{u"partner", IntegerValue(KS_TYPE_REFERENCE, 110)},
                 {u"number", IntegerValue(KS_TYPE_INTEGER, 110)}}},
          {110, {{u"partner", IntegerValue(KS_TYPE_REFERENCE, 100)}}}};
  table.Open();
  table.RemapID(110, 999);
  EXPECT_EQ(table.FieldByName("partner")->GetAsInteger(), 999);
  // Plain integers are no record IDs.
  EXPECT_EQ(table.FieldByName("number")->GetAsInteger(), 110);
  table.Next();
  EXPECT_EQ(table.GetRecordID(), 999);
}

TEST_F(TableEditingTest, AMemoWrittenThroughABlobStreamReadsBackTheSameText) {
  fields = {Description(u"note", KS_TYPE_STRING, 0)};
  rows = {{100, {{u"note", TextValue(u"old")}}}};
  table.Open();
  auto* note = dynamic_cast<TMemoField*>(table.FieldByName("note"));
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->GetAsString(), "old");
  // Writing needs an edit.
  EXPECT_THROW(note->SetAsString("x"), EDatabaseError);

  table.Edit();
  int changes = 0;
  note->OnChange = [&](TField&) { ++changes; };
  {
    std::unique_ptr<TStream> stream = table.CreateBlobStream(note, bmWrite);
    const std::string text = "Grüße, Welt";
    stream->WriteBuffer(text.data(), int64_t(text.size()));
    EXPECT_EQ(changes, 0);
  }
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(table.Modified());
  EXPECT_EQ(note->GetAsString(), "Grüße, Welt");
  // A stream that only reads changes nothing.
  table.CreateBlobStream(note, bmRead).reset();
  EXPECT_EQ(changes, 1);
  {
    std::unique_ptr<TStream> stream = table.CreateBlobStream(note, bmReadWrite);
    stream->Seek(0, soEnd);
    stream->WriteBuffer("!", 1);
  }
  table.Post();
  EXPECT_EQ(writes, std::vector<std::string>{"set 100 note=Grüße, Welt!"});
  EXPECT_EQ(note->GetAsString(), "Grüße, Welt!");

  // An emptied memo is null.
  table.Edit();
  note->SetAsString("");
  EXPECT_TRUE(note->IsNull());
  table.Cancel();
}

}  // namespace
