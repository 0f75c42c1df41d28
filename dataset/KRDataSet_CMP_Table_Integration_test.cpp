// Tables over the demo server's Northwind database: six customers
// (Ackermann GmbH ... Fontana Srl, in order of creation), three products,
// the read-only class OrderTotal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataset/KRDataSet_CMP_DemoSession_test.h"
#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_ScriptedTable_test.h"
#include "dataset/KRDataSet_CMP_Table.h"
#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"

using kr_dataset_test::TDemoSessionTest;

namespace {

class DemoTableTest : public TDemoSessionTest {
 protected:
  void SetUp() override {
    TDemoSessionTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    FTransaction->Set_ParentTransaction(FTree->session->Get_RootTransaction().Get());
    FTable.SetTransaction(FTransaction.Get());
  }

  std::vector<std::string> Names(const char* field = "name") {
    std::vector<std::string> names;
    for (FTable.First(); !FTable.Eof(); FTable.Next()) {
      names.push_back(FTable.FieldByName(field)->GetAsString());
    }
    return names;
  }

  ComPtr<TKRTransactionInterface> FTransaction = MakeComObject<TKRTransactionInterface>();
  TKRTable FTable{nullptr};
};

TEST_F(DemoTableTest, ACustomerTableReadsEveryCustomerThroughItsFields) {
  FTable.SetTableName("Customer");
  FTable.Open();
  EXPECT_EQ(FTable.FieldDefs()[0].Name(), "id");
  EXPECT_EQ(FTable.RecordCount(), 6);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Ackermann GmbH", "Berg & Söhne", "Costa Ltd",
                                               "Dubois SA", "Eriksen AS", "Fontana Srl"}));
  FTable.Last();
  EXPECT_EQ(FTable.RecNo(), 6);
  EXPECT_GT(FTable.FieldByName("rating")->GetAsInteger(), 0);

  // Ordered by a global index, and found by name.
  FTable.Close();
  FTable.SetIndexName("byCity");
  FTable.Open();
  ASSERT_TRUE(FTable.Locate("name", OleVariant(std::u16string(u"Dubois SA")), {}));
  EXPECT_EQ(FTable.FieldByName("name")->GetAsString(), "Dubois SA");
  const KSRecordID dubois = FTable.GetRecordID();
  FTable.First();
  EXPECT_TRUE(FTable.FindRecordID(dubois));
  EXPECT_EQ(FTable.FieldByName("name")->GetAsString(), "Dubois SA");
  EXPECT_THROW(FTable.SetIndexName("byColour"), EKRDatabaseError);
}

TEST_F(DemoTableTest, LocateMatchesTextKeysAsWholeValuesUnlessTheOptionsWiden) {
  FTable.SetTableName("Customer");
  FTable.Open();
  const auto locate = [&](const char16_t* key, TLocateOptions options) -> std::string {
    FTable.Last();
    if (!FTable.Locate("name", OleVariant(std::u16string(key)), options)) return "<none>";
    return FTable.FieldByName("name")->GetAsString();
  };
  const TLocateOptions noCase{loCaseInsensitive};
  const TLocateOptions start{loPartialKey};
  const TLocateOptions startNoCase{loCaseInsensitive, loPartialKey};

  EXPECT_EQ(locate(u"Costa Ltd", {}), "Costa Ltd");
  EXPECT_EQ(locate(u"costa ltd", {}), "<none>");
  EXPECT_EQ(locate(u"costa LTD", noCase), "Costa Ltd");
  EXPECT_EQ(locate(u"BERG & SÖHNE", noCase), "Berg & Söhne");
  // Neither a part of the value nor a longer key is the whole value.
  EXPECT_EQ(locate(u"osta Ltd", noCase), "<none>");
  EXPECT_EQ(locate(u"Costa", noCase), "<none>");
  EXPECT_EQ(locate(u"Costa Ltd.", noCase), "<none>");

  EXPECT_EQ(locate(u"Dub", start), "Dubois SA");
  EXPECT_EQ(locate(u"dub", start), "<none>");
  EXPECT_EQ(locate(u"dub", startNoCase), "Dubois SA");
  EXPECT_EQ(locate(u"ubois", startNoCase), "<none>");
  EXPECT_EQ(locate(u"", startNoCase), "Ackermann GmbH");

  // Wildcards and other pattern syntax stand for themselves.
  EXPECT_EQ(locate(u"C*", start), "<none>");
  EXPECT_EQ(locate(u"C?sta Ltd", noCase), "<none>");
  EXPECT_EQ(locate(u"Costa.Ltd", noCase), "<none>");
  EXPECT_EQ(locate(u"(Costa Ltd)", noCase), "<none>");
  // A key that is not found leaves the position where it was.
  EXPECT_EQ(FTable.FieldByName("name")->GetAsString(), "Fontana Srl");
}

TEST_F(DemoTableTest, AReadOnlyClassOpensReadOnly) {
  FTable.SetTableName("OrderTotal");
  FTable.Open();
  EXPECT_TRUE(FTable.ReadOnly());
  EXPECT_FALSE(FTable.CanModify());
}

TEST_F(DemoTableTest, UnknownClassesAndIndexesLeaveTheTableClosed) {
  FTable.SetTableName("NoSuchClass");
  EXPECT_THROW(FTable.Open(), EKRDatabaseError);
  EXPECT_FALSE(FTable.Active());
  FTable.SetTableName("Product");
  FTable.Open();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Chair", "Table", "Lamp"}));
}

}  // namespace

namespace {

using kr_dataset_test::IntegerValue;
using kr_dataset_test::TextValue;

// Inserts a record of `className` with the named values; answers its ID.
KSRecordID Insert(KSHandle transaction, const char16_t* className,
                  std::vector<const char16_t*> names, std::vector<KSField> values) {
  const TKRAPITable& api = KRAPI();
  const KSHandle cursor =
      api.KSCreateCursor(transaction, className, names.data(), int32_t(names.size()), u"", 0);
  KSRecordID id = kKRNullRecordID;
  EXPECT_EQ(api.KSInsertNewRecord(cursor, values.data(), int32_t(values.size()), names.data(), &id),
            KS_OK);
  api.KSReleaseCursor(cursor);
  return id;
}

TEST_F(DemoTableTest, UserDefinedFieldsOfTheClassAndItsBasesShowTheirValues) {
  FTable.SetTableName("Customer");
  FTable.Open();
  const KSRecordID first = FTable.GetRecordID();
  FTable.Close();
  ASSERT_TRUE(FTransaction->CheckConnected());
  const KSHandle handle = FTransaction->Get_Handle();
  const KSClassID customer = FTree->session->GetClassID(u"Customer");
  const KSClassID party = FTree->session->GetClassID(u"Party");
  const KSRecordID region = Insert(handle, u"BOUDF", {u"description", u"classType"},
                                   {TextValue(u"Region"), IntegerValue(KS_TYPE_ENUMERATED, customer)});
  Insert(handle, u"BOUDF", {u"description", u"classType"},
         {TextValue(u"Segment"), IntegerValue(KS_TYPE_ENUMERATED, party)});
  Insert(handle, u"BOUDFValue", {u"boP", u"UDFP", u"value"},
         {IntegerValue(KS_TYPE_REFERENCE, first), IntegerValue(KS_TYPE_REFERENCE, region), TextValue(u"North")});

  FTable.SetUserDefinedFields(true);
  FTable.Open();
  ASSERT_TRUE(FTable.UserDefinedFieldsActive());
  TField* regionField = FTable.FindField("Region");
  ASSERT_NE(regionField, nullptr);
  ASSERT_NE(FTable.FindField("Segment"), nullptr);
  EXPECT_EQ(regionField->Size(), 255);
  EXPECT_EQ(FTable.GetRecordID(), first);
  EXPECT_EQ(regionField->GetAsString(), "North");
  EXPECT_TRUE(FTable.FindField("Segment")->IsNull());
  FTable.Next();
  EXPECT_TRUE(regionField->IsNull());
  FTable.Close();
  EXPECT_EQ(FTable.FindField("Region"), nullptr);
  EXPECT_EQ(FTable.FieldDefs().IndexOf("Region"), -1);
}

}  // namespace
