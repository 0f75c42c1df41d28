// Tables over the demo server's Northwind database: six customers
// (Ackermann GmbH ... Fontana Srl, in order of creation), three products,
// the read-only class OrderTotal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataset/KRDataSet_CMP_DemoSession_test.h"
#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_Table.h"
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
