// Opening, describing, reading and moving through a table over the scripted
// Database API.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_ScriptedTable_test.h"
#include "objectmodel/KRDateConversion_UNT.h"
#include "platform/vcl/NumericFields.h"
#include "platform/vcl/Reader.h"
#include "platform/vcl/Writer.h"
#include "support/KRDateFunc_UNT.h"

using kr_dataset_test::Description;
using kr_dataset_test::DoubleValue;
using kr_dataset_test::IntegerValue;
using kr_dataset_test::TExposedTable;
using kr_dataset_test::TScriptedTableTest;
using kr_dataset_test::TextValue;

namespace {

class TableTest : public TScriptedTableTest {
 protected:
  TableTest() { Prepare(table); }

  // The message of the failure of Open; the table must stay closed.
  std::string OpenFailure() {
    try {
      table.Open();
    } catch (const EKRDatabaseError& error) {
      EXPECT_FALSE(table.Active());
      return error.Message();
    }
    ADD_FAILURE() << "the table opened";
    return {};
  }

  // The record IDs from the current record to the end / to the start.
  std::vector<KSRecordID> Forward() {
    std::vector<KSRecordID> ids;
    for (; !table.Eof(); table.Next()) ids.push_back(table.GetRecordID());
    return ids;
  }
  std::vector<KSRecordID> Backward() {
    std::vector<KSRecordID> ids;
    for (; !table.Bof(); table.Prior()) ids.push_back(table.GetRecordID());
    return ids;
  }
  std::vector<KSRecordID> RowIDs(bool reversed = false) const {
    std::vector<KSRecordID> ids;
    for (const auto& row : rows) ids.push_back(row.ID);
    if (reversed) std::reverse(ids.begin(), ids.end());
    return ids;
  }

  TExposedTable table{nullptr};
};

TEST_F(TableTest, AClassWithoutFieldsStillHasItsIdentifier) {
  AddRows(2);
  table.Open();
  ASSERT_EQ(table.FieldCount(), 1);
  TField* id = table.FieldByName("id");
  EXPECT_EQ(id->DataType(), ftInteger);
  EXPECT_TRUE(id->ReadOnly());
  EXPECT_EQ(cursorFields, std::vector<std::u16string>{u"id"});
  table.First();
  EXPECT_EQ(id->GetAsInteger(), 100);
  table.Next();
  EXPECT_EQ(id->GetAsInteger(), 110);
  EXPECT_EQ(table.RecordCount(), 2);
}

TEST_F(TableTest, FieldsAreReadFromTheCursorsValuesByType) {
  fields = {Description(u"name", KS_TYPE_STRING, 5), Description(u"notes", KS_TYPE_STRING, 0),
            Description(u"price", KS_TYPE_FLOAT), Description(u"since", KS_TYPE_DATETIME),
            Description(u"paid", KS_TYPE_BOOLEAN), Description(u"state", KS_TYPE_ENUMERATED)};
  rows = {{1, {{u"name", TextValue(u"Chair")},
               {u"notes", TextValue(u"Oak, with arms")},
               {u"price", DoubleValue(KS_TYPE_FLOAT, 12.5)},
               {u"since", IntegerValue(KS_TYPE_DATETIME, 86400)},
               {u"paid", IntegerValue(KS_TYPE_BOOLEAN, 1)},
               {u"state", IntegerValue(KS_TYPE_ENUMERATED, 2)}}},
          {2, {{u"name", TextValue(u"Sideboard")}}}};
  table.Open();
  EXPECT_EQ(table.FieldByName("notes")->DataType(), ftMemo);
  EXPECT_EQ(table.FieldByName("name")->GetAsString(), "Chair");
  EXPECT_EQ(table.FieldByName("notes")->GetAsString(), "Oak, with arms");
  EXPECT_DOUBLE_EQ(table.FieldByName("price")->GetAsFloat(), 12.5);
  EXPECT_DOUBLE_EQ(table.FieldByName("since")->GetAsDateTime(), ConvertUTCToDateTime(86400));
  EXPECT_TRUE(table.FieldByName("paid")->GetAsBoolean());
  EXPECT_EQ(table.FieldByName("state")->GetAsInteger(), 2);

  // A text as long as the field keeps its last character; the null values
  // of the API read as null.
  table.Next();
  EXPECT_EQ(table.FieldByName("name")->GetAsString(), "Sideb");  // cut to the length
  for (const char* name : {"notes", "price", "since", "state"}) {
    EXPECT_TRUE(table.FieldByName(name)->IsNull()) << name;
  }
  EXPECT_FALSE(table.FieldByName("paid")->GetAsBoolean());
}

TEST_F(TableTest, NullValuesFollowTheTypeAndTheOptions) {
  fields = {Description(u"price", KS_TYPE_FLOAT), Description(u"state", KS_TYPE_ENUMERATED),
            Description(u"since", KS_TYPE_DATETIME)};
  rows = {{1, {{u"price", DoubleValue(KS_TYPE_FLOAT, 0.0)}}}};
  table.SetOptions({krtoFloatFieldsCannotBeNull, krtoEnumeratedFieldsCannotBeNull});
  table.Open();
  EXPECT_FALSE(table.FieldByName("price")->IsNull());
  EXPECT_EQ(table.FieldByName("price")->GetAsFloat(), 0.0);
  EXPECT_FALSE(table.FieldByName("state")->IsNull());
  EXPECT_TRUE(table.FieldByName("since")->IsNull());

  const int32_t duration = 2147483647;
  const int32_t reference = kKRNullRecordID;
  const int32_t seconds = 5;
  const char16_t empty = 0;
  EXPECT_TRUE(table.IsAPINullValue(KS_TYPE_DURATION, &duration));
  EXPECT_FALSE(table.IsAPINullValue(KS_TYPE_DURATION, &seconds));
  EXPECT_TRUE(table.IsAPINullValue(KS_TYPE_REFERENCE, &reference));
  EXPECT_TRUE(table.IsAPINullValue(KS_TYPE_STRING, &empty));
  EXPECT_FALSE(table.IsAPINullValue(KS_TYPE_INTEGER, &reference));
}

TEST_F(TableTest, ClassAccessMakesTheTableReadOnlyOrRefusesIt) {
  AddRows(1);
  access = KS_ACCESS_READ_ONLY;
  table.Open();
  EXPECT_TRUE(table.ReadOnly());
  EXPECT_FALSE(table.CanModify());
  table.Close();

  access = KS_ACCESS_INVISIBLE;
  EXPECT_EQ(OpenFailure(), "table access denied");
}

TEST_F(TableTest, EveryOpeningFailureLeavesTheTableClosed) {
  TExposedTable unnamed(nullptr);
  unnamed.SetTransaction(transaction.Get());
  try {
    unnamed.Open();
    ADD_FAILURE();
  } catch (const EKRDatabaseError& error) {
    EXPECT_EQ(error.Message(), "table name not set");
    EXPECT_FALSE(unnamed.Active());
  }

  table.SetTableName("Nothing");
  EXPECT_EQ(OpenFailure(), "invalid table name: 'Nothing'");
  table.SetTableName("Thing");

  table.SetIndexName("byName");
  table.Close();
  EXPECT_THROW(table.SetIndexName("byColour"), EKRDatabaseError);
  EXPECT_EQ(table.IndexName(), "byName");

  fields = {Description(u"odd", 12)};
  EXPECT_EQ(OpenFailure(), "Unsupported field type");
  fields.clear();

  classNamed = false;
  EXPECT_EQ(OpenFailure(), "Invalid table name 'Thing'");
  classNamed = true;

  refuseCursor = true;
  cursorError = 0;
  EXPECT_EQ(OpenFailure(), "unable to open cursor, invalid parameters");
  cursorError = KS_ERR_INVALID_ARGUMENT;
  EXPECT_EQ(OpenFailure(), "API error code: 1002 ($000003EA)\n'status 1002'");
  refuseCursor = false;
  AddRows(1);
  table.Open();
  EXPECT_TRUE(table.Active());
}

TEST_F(TableTest, AnIndexTheClassNoLongerHasIsRefusedWhenTheTableOpens) {
  AddRows(1);
  table.SetIndexName("byName");
  indexes = {u"byCity"};
  EXPECT_EQ(OpenFailure(), "invalid index name: 'byName'");
  indexes = {u"byCity", u"byName"};
  table.Open();
  EXPECT_EQ(table.GetRecordID(), 100);
}

TEST_F(TableTest, PersistentFieldsKeepTheirOwnTypeAndGetTheirAccessBackOnClose) {
  fields = {Description(u"leadTime", KS_TYPE_DURATION), Description(u"number", KS_TYPE_INTEGER)};
  fields[1].actualAccess = KS_ACCESS_READ_ONLY;
  AddRows(1);
  rows[0].Values[u"leadTime"] = IntegerValue(KS_TYPE_DURATION, 5400);
  rows[0].Values[u"legacy"] = IntegerValue(KS_TYPE_INTEGER, 77);

  auto* leadTime = new TIntegerField(&table);
  leadTime->SetFieldName("leadTime");
  leadTime->SetDataSet(&table);
  leadTime->SetTag(2);
  auto* number = new TIntegerField(&table);
  number->SetFieldName("number");
  number->SetDataSet(&table);
  auto* legacy = new TIntegerField(&table);
  legacy->SetFieldName("legacy");
  legacy->SetDataSet(&table);

  table.Open();
  // Not described: its own type, not asked of the cursor, no value.
  EXPECT_EQ(cursorFields, (std::vector<std::u16string>{u"leadTime", u"number"}));
  EXPECT_TRUE(legacy->IsNull());
  EXPECT_FALSE(legacy->Visible());
  // The duration's tag became its decimals; the tag keeps Visible.
  EXPECT_EQ(table.GetEAFieldDef(leadTime->FieldNo())->Precision(), 2);
  EXPECT_EQ(leadTime->Tag(), 1);
  EXPECT_EQ(leadTime->GetAsInteger(), 5400);
  EXPECT_EQ(leadTime->DisplayText(), DurationToStr(5400, 2, krduAuto));
  EXPECT_TRUE(number->ReadOnly());

  table.Close();
  EXPECT_EQ(leadTime->Tag(), 2);
  EXPECT_EQ(legacy->Tag(), 0);
  EXPECT_TRUE(legacy->Visible());
  EXPECT_FALSE(number->ReadOnly());
}

TEST_F(TableTest, AFailedOpenLeavesPersistentFieldsAsTheyWere) {
  fields = {Description(u"leadTime", KS_TYPE_DURATION)};
  auto* leadTime = new TIntegerField(&table);
  leadTime->SetFieldName("leadTime");
  leadTime->SetDataSet(&table);
  leadTime->SetTag(3);
  access = KS_ACCESS_INVISIBLE;
  EXPECT_EQ(OpenFailure(), "table access denied");
  EXPECT_EQ(leadTime->Tag(), 3);
  EXPECT_TRUE(leadTime->Visible());
}

TEST_F(TableTest, AddFieldByNameMakesNamedFieldsFromTheDescriptions) {
  fields = {Description(u"count", KS_TYPE_UNSIGNED)};
  table.SetName("Things");
  auto* count = dynamic_cast<TIntegerField*>(table.AddFieldByName("count"));
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->Name(), "Thingscount");
  EXPECT_EQ(count->MaxValue(), 2147483647);
  EXPECT_EQ(table.AddFieldByName("count"), count);
  try {
    table.AddFieldByName("ghost");
    ADD_FAILURE();
  } catch (const EKRDatabaseError& error) {
    EXPECT_EQ(error.Message(), "Unknown field 'ghost'");
  }
}

TEST_F(TableTest, PropertiesTravelThroughTheComponentStream) {
  table.SetIndexName("byName");
  table.SetRecordCacheSize(50);
  table.SetOptions({krtoFloatFieldsCannotBeNull});
  table.SetUserDefinedFields(true);
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteRootComponent(table);

  // Read without a transaction: the names are taken as they are.
  TExposedTable copy(nullptr);
  TMemoryStream input(stream.Bytes());
  TReader reader(input);
  reader.ReadRootComponent(copy);
  EXPECT_EQ(copy.TableName(), "Thing");
  EXPECT_EQ(copy.IndexName(), "byName");
  EXPECT_EQ(copy.RecordCacheSize(), 50);
  EXPECT_EQ(copy.Options(), TKRTableOptions{krtoFloatFieldsCannotBeNull});
  EXPECT_TRUE(copy.UserDefinedFields());
  EXPECT_FALSE(copy.ReadOnly());
}

TEST_F(TableTest, AssignCopiesTheSettingsAndThePersistentFields) {
  fields = {Description(u"number", KS_TYPE_INTEGER), Description(u"name", KS_TYPE_STRING, 20)};
  table.SetIndexName("byName");
  table.SetRecordCacheSize(25);
  table.SetAutoCommit(true);
  TField* number = table.AddFieldByName("number");
  number->SetReadOnly(true);
  number->SetVisible(false);

  TExposedTable copy(nullptr);
  copy.Assign(table);
  EXPECT_EQ(copy.TableName(), "Thing");
  EXPECT_EQ(copy.IndexName(), "byName");
  EXPECT_EQ(copy.RecordCacheSize(), 25);
  EXPECT_TRUE(copy.AutoCommit());
  ASSERT_EQ(copy.FieldCount(), 1);
  TField* copied = copy.FieldByName("number");
  EXPECT_NE(copied, number);
  EXPECT_TRUE(copied->ReadOnly());
  EXPECT_FALSE(copied->Visible());
  AddRows(2);
  copy.Open();
  EXPECT_EQ(copy.RecordCount(), 2);
}

// --- Records and navigation ------------------------------------------------------------

TEST_F(TableTest, NavigationWorksWithRingsSmallerAndLargerThanTheTable) {
  AddRows(7);
  for (int32_t buffers : {2, 20}) {
    table.SetBufferCount(buffers);
    table.Open();
    EXPECT_EQ(Forward(), RowIDs()) << buffers;
    table.Last();
    EXPECT_EQ(Backward(), RowIDs(true)) << buffers;
    table.Close();
  }
}

TEST_F(TableTest, RecordNumbersFollowTheSequenceAndMoveTheCursor) {
  AddRows(5);
  table.Open();
  EXPECT_EQ(table.RecNo(), 1);
  table.SetRecNo(4);
  EXPECT_EQ(table.RecNo(), 4);
  EXPECT_EQ(table.GetRecordID(), 130);
  EXPECT_EQ(table.RecordCount(), 5);
  table.Insert();
  EXPECT_EQ(table.RecNo(), 0);
  EXPECT_EQ(table.GetRecordID(), table.PendingRecordID());
  table.Cancel();
  EXPECT_EQ(table.GetRecordID(), 130);
}

TEST_F(TableTest, ANewRecordStartsWithTheClassDefaults) {
  fields = {Description(u"number", KS_TYPE_INTEGER), Description(u"name", KS_TYPE_STRING, 8)};
  const KSField seven = IntegerValue(KS_TYPE_INTEGER, 7);
  api.On<TKRAPIFunction::KSGetFieldDefaultValue>(
      [&](KSHandle, TKRAPIString, TKRAPIString field) -> const KSField* {
        return std::u16string_view(field) == u"number" ? &seven : nullptr;
      });
  AddRows(1);
  // The record is not created at once: the buffer keeps the defaults.
  insertStatus = KS_ERR_ACCESS_DENIED;
  table.Open();
  table.Append();
  EXPECT_EQ(table.FieldByName("number")->GetAsInteger(), 7);
  EXPECT_TRUE(table.FieldByName("name")->IsNull());
  EXPECT_TRUE(table.FieldByName("id")->IsNull());
  table.Cancel();
}

TEST_F(TableTest, BookmarksWithUnknownSequencesCompareByTheirPlaceInTheRing) {
  sequencesKnown = false;
  AddRows(4);
  table.Open();
  const TBookmark first = table.GetBookmark();
  table.Next();
  table.Next();
  const TBookmark third = table.GetBookmark();
  api.ClearCalls();
  EXPECT_EQ(table.CompareBookmarks(first, third), -1);
  EXPECT_EQ(table.CompareBookmarks(third, first), 1);
  EXPECT_EQ(table.CompareBookmarks(third, third), 0);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCursorIDCompare), 0);

  // A record the ring does not hold is the cursor's to order.
  TBookmark gone = third;
  const KSRecordID missing = 999;
  std::memcpy(gone.data(), &missing, sizeof missing);
  api.On<TKRAPIFunction::KSCursorIDCompare>([](KSHandle, KSRecordID, KSRecordID) { return 3; });
  EXPECT_EQ(table.CompareBookmarks(gone, first), 1);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCursorIDCompare), 1);
  EXPECT_FALSE(table.BookmarkValid({}));
}

TEST_F(TableTest, GoingToAMissingBookmarkIsTracedNotRaised) {
  AddRows(3);
  std::vector<std::string> traces;
  table.OnTrace = [&](TComponent&, const std::string& text, int32_t) { traces.push_back(text); };
  table.Open();
  table.Next();
  const TBookmark second = table.GetBookmark();
  table.First();
  rows.erase(rows.begin() + 1);
  EXPECT_NO_THROW(table.GotoBookmark(second));
  ASSERT_EQ(traces.size(), 1u);
  EXPECT_EQ(traces[0].rfind("InternalGoToBookmark: status 3025", 0), 0u) << traces[0];
  EXPECT_NE(traces[0].find("Class: Thing"), std::string::npos);
}

TEST_F(TableTest, LocateAndLookupFindRecordsThroughAFilter) {
  fields = {Description(u"number", KS_TYPE_INTEGER)};
  AddRows(5);
  table.Open();
  table.Next();
  EXPECT_FALSE(table.Locate("id", OleVariant(int32_t(555)), {}));
  EXPECT_EQ(table.GetRecordID(), 110);
  EXPECT_EQ(table.RecNo(), 2);
  EXPECT_FALSE(table.Locate("id", OleVariant::Null(), {}));
  EXPECT_FALSE(table.Locate("colour", OleVariant(int32_t(1)), {}));

  EXPECT_TRUE(table.Locate("number", OleVariant(int32_t(3)), {}));
  EXPECT_EQ(table.GetRecordID(), 130);
  EXPECT_TRUE(table.FindRecordID(120));
  EXPECT_EQ(table.FieldByName("number")->GetAsInteger(), 2);
  EXPECT_FALSE(table.FindRecordID(kKRNullRecordID));

  // Lookup answers the values and leaves the current record alone.
  EXPECT_EQ(table.Lookup("id", OleVariant(int32_t(140)), "number").AsInteger(), 4);
  EXPECT_EQ(table.GetRecordID(), 120);
  EXPECT_EQ(table.FieldByName("number")->GetAsInteger(), 2);
  EXPECT_TRUE(table.Lookup("id", OleVariant(int32_t(1)), "number").IsNull());
  table.Next();
  EXPECT_EQ(table.GetRecordID(), 130);
}

}  // namespace
