// Editing tables over the demo server's Northwind database as an
// application uses them: a customer table as master, an order table over
// the link index "ordersPV" as its detail, inserts, posts, cancels, commits
// and rollbacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dataset/KRDataSet_CMP_DemoSession_test.h"
#include "dataset/KRDataSet_CMP_Errors.h"
#include "dataset/KRDataSet_CMP_Table.h"
#include "objectmodel/KRAPI_UNT.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"
#include "platform/vcl/DataSource.h"

using kr_dataset_test::TDemoSessionTest;

namespace {

class DemoEditingTest : public TDemoSessionTest {
 protected:
  void SetUp() override {
    TDemoSessionTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    FTransaction->Set_ParentTransaction(FTree->session->Get_RootTransaction().Get());
    FCustomers.SetTransaction(FTransaction.Get());
    FCustomers.SetTableName("Customer");
    FOrders.SetTransaction(FTransaction.Get());
    FOrders.SetTableName("Order");
  }
  void TearDown() override {
    FOrders.Close();
    FCustomers.Close();
    TDemoSessionTest::TearDown();
  }

  // Links the orders to the customers' current record.
  void LinkOrders() {
    FSource.SetDataSet(&FCustomers);
    FOrders.SetMasterSource(&FSource);
    FOrders.SetIndexName("ordersPV");
  }
  std::vector<int32_t> OrderNumbers() {
    std::vector<int32_t> numbers;
    for (FOrders.First(); !FOrders.Eof(); FOrders.Next()) {
      numbers.push_back(FOrders.FieldByName("number")->GetAsInteger());
    }
    return numbers;
  }
  // Whether the test's transaction sees the record `id`.
  bool Exists(KSRecordID id) {
    const KSHandle object = KRAPI().KSGetObject(FTransaction->Get_Handle(), id);
    if (object != 0) KRAPI().KSReleaseObject(object);
    return object != 0;
  }

  ComPtr<TKRTransactionInterface> FTransaction = MakeComObject<TKRTransactionInterface>();
  TKRTable FCustomers{nullptr};
  TKRTable FOrders{nullptr};
  TDataSource FSource{nullptr};
};

TEST_F(DemoEditingTest, InsertingAndCancellingWithoutAutoCommitLeavesNoRecord) {
  FCustomers.Open();
  ASSERT_EQ(FCustomers.RecordCount(), 6);
  FCustomers.Insert();
  const KSRecordID created = FCustomers.PendingRecordID();
  ASSERT_NE(created, kKRNullRecordID);
  EXPECT_TRUE(Exists(created));
  EXPECT_EQ(FCustomers.RecordCount(), 6);
  // The class default is there at once.
  EXPECT_EQ(FCustomers.FieldByName("rating")->GetAsInteger(), 1);
  FCustomers.Cancel();
  EXPECT_FALSE(Exists(created));
  EXPECT_EQ(FCustomers.RecordCount(), 6);
  EXPECT_EQ(FCustomers.FieldByName("name")->GetAsString(), "Ackermann GmbH");
}

TEST_F(DemoEditingTest, AFailedCommitPutsTheTableBackIntoEditOnTheSameRecord) {
  FCustomers.Open();
  FCustomers.Next();
  const KSRecordID berg = FCustomers.GetRecordID();
  // The server, not the table, is to find the name missing.
  FCustomers.FieldByName("name")->SetRequired(false);
  FCustomers.Edit();
  FCustomers.FieldByName("name")->Clear();
  ASSERT_TRUE(FCustomers.Modified());
  EXPECT_FALSE(FTransaction->Commit(false, false));
  EXPECT_EQ(FCustomers.State(), dsEdit);
  EXPECT_EQ(FCustomers.GetRecordID(), berg);
  EXPECT_TRUE(FCustomers.Modified());
}

TEST_F(DemoEditingTest, ADetailFollowsItsMastersCurrentRecord) {
  LinkOrders();
  FCustomers.Open();
  FOrders.Open();
  std::vector<std::vector<int32_t>> perCustomer;
  for (FCustomers.First(); !FCustomers.Eof(); FCustomers.Next()) {
    perCustomer.push_back(OrderNumbers());
  }
  ASSERT_EQ(perCustomer.size(), 6u);
  // Berg & Söhne has two orders; every order belongs to one customer.
  EXPECT_EQ(perCustomer[1].size(), 2u);
  size_t total = 0;
  for (const auto& numbers : perCustomer) total += numbers.size();
  FOrders.Close();
  FOrders.SetMasterSource(nullptr);
  FOrders.SetIndexName("");
  FOrders.Open();
  EXPECT_EQ(size_t(FOrders.RecordCount()), total);
  // A closed master leaves the detail without records.
  FOrders.Close();
  LinkOrders();
  FOrders.Open();
  FCustomers.Close();
  EXPECT_TRUE(FOrders.IsEmpty());
}

TEST_F(DemoEditingTest, AnOrderEnteredForACustomerIsCommittedOrRolledBack) {
  LinkOrders();
  FCustomers.Open();
  FOrders.Open();
  ASSERT_TRUE(FCustomers.Locate("name", OleVariant(std::u16string(u"Costa Ltd")), {}));
  const size_t before = OrderNumbers().size();

  // Entered and committed: the order stays linked to Costa Ltd.
  FOrders.Append();
  FOrders.FieldByName("number")->SetAsInteger(4711);
  FOrders.FieldByName("quantity")->SetAsInteger(3);
  FOrders.Post();
  EXPECT_EQ(FOrders.FieldByName("number")->GetAsInteger(), 4711);
  ASSERT_TRUE(FTransaction->Commit(true, false));
  FCustomers.First();
  ASSERT_TRUE(FCustomers.Locate("name", OleVariant(std::u16string(u"Costa Ltd")), {}));
  std::vector<int32_t> numbers = OrderNumbers();
  EXPECT_EQ(numbers.size(), before + 1);
  EXPECT_NE(std::find(numbers.begin(), numbers.end(), 4711), numbers.end());

  // Edited, posted and rolled back: the committed values come back.
  ASSERT_TRUE(FOrders.Locate("number", OleVariant(int32_t(4711)), {}));
  FOrders.Edit();
  FOrders.FieldByName("quantity")->SetAsInteger(9);
  FOrders.Post();
  EXPECT_EQ(FOrders.FieldByName("quantity")->GetAsInteger(), 9);
  ASSERT_TRUE(FTransaction->Rollback(true));
  ASSERT_TRUE(FOrders.Locate("number", OleVariant(int32_t(4711)), {}));
  EXPECT_EQ(FOrders.FieldByName("quantity")->GetAsInteger(), 3);

  // With AutoCommit every post commits at once and a cancel rolls back;
  // the master, refreshed by the rollback, does not post the cancelled
  // order.
  FOrders.SetAutoCommit(true);
  FOrders.Append();
  FOrders.FieldByName("number")->SetAsInteger(4712);
  FOrders.Post();
  FOrders.Append();
  FOrders.FieldByName("number")->SetAsInteger(4713);
  FOrders.Cancel();
  numbers = OrderNumbers();
  EXPECT_EQ(numbers.size(), before + 2);
  EXPECT_NE(std::find(numbers.begin(), numbers.end(), 4712), numbers.end());
  EXPECT_EQ(std::find(numbers.begin(), numbers.end(), 4713), numbers.end());
}

}  // namespace
