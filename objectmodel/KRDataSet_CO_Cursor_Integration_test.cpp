// Cursors over the real Database API library and the demo server's
// Northwind database: six customers (Ackermann GmbH, Berg & Söhne, Costa
// Ltd, Dubois SA, Eriksen AS, Fontana Srl, in that order of creation) with
// 1, 2, 3, 1, 2 and 3 orders; products Chair, Table and Lamp (stock 120, 3
// and 40) of the suppliers Nordic Timber (Chair, Table) and Alpine Metals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO_Cursor_TestSupport_test.h"
#include "objectmodel/KRDataSet_CO_DemoServer_test.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"

using namespace kr_session_test;

namespace {

KSField Text(const char16_t* name, const char16_t* text) {
  KSField field{};
  field.type = KS_TYPE_STRING;
  field.value.asString = text;
  field.name = name;
  return field;
}

class DemoCursorTest : public TDemoServerTest {
 protected:
  void SetUp() override {
    TDemoServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    tree.server->Set_ServerName(u"KestrelOS20");
    tree.session->Set_UserName(u"anna");
    tree.session->Set_Password(u"anna");
    transaction->Set_ParentTransaction(tree.session->Get_RootTransaction().Get());
    transaction->RegisterEventHandler(events.Get());
  }
  void TearDown() override { transaction->UnregisterEventHandler(events.Get()); }

  // A cursor of `owner` in the test's transaction.
  ComPtr<TKRCursorInterface> Cursor(TTestCursorOwner& owner) {
    auto cursor = TKRCursorInterface::CreateWithOwner(&owner);
    cursor->Set_Transaction(transaction.Get());
    owner.cursor = cursor.Get();
    return cursor;
  }
  // An owner of `table` reading "id" and "name", ordered by name.
  static void Describe(TTestCursorOwner& owner, const std::string& table) {
    owner.tableName = table;
    owner.fields = {TTestCursorOwner::Field("id"), TTestCursorOwner::Field("name")};
    owner.sortFields = {{"name", false}};
  }
  // The names of the rows from the current position on.
  std::vector<std::u16string> Names(IKRCursor& cursor) {
    std::vector<std::u16string> names;
    while (cursor.GetNextRecord(values, sequence) == KS_OK) names.push_back(Name());
    return names;
  }
  KSRecordID ID() const { return values[0].value.asInteger; }
  std::u16string Name() const { return ConvertAPIStringToWideString(values[1].value.asString); }
  int DataChanges() const {
    int n = 0;
    for (int32_t code : events->Codes()) n += code == kKREventDataChange ? 1 : 0;
    return n;
  }
  // The detail owner of the orders of the customer `customerID`.
  void OrdersOf(TTestCursorOwner& orders, TTestCursorOwner& customers, KSRecordID customerID) {
    orders.tableName = "Order";
    orders.fields = {TTestCursorOwner::Field("id"), TTestCursorOwner::Field("note")};
    orders.indexName = "ordersPV";
    orders.hasMasterSource = true;
    orders.master = &customers;
    orders.masterRecordID = customerID;
  }
  // A customer table's cursor standing on the first customer; `id` gets
  // its ID.
  ComPtr<TKRCursorInterface> FirstCustomer(TTestCursorOwner& customers, KSRecordID& id) {
    Describe(customers, "Customer");
    customers.classID = tree.session->GetClassID(u"Customer");
    auto cursor = Cursor(customers);
    id = cursor->GetNextRecord(values, sequence) == KS_OK ? ID() : kKRNullRecordID;
    return cursor;
  }

  TProxyTree tree;
  ComPtr<TKRTransactionInterface> transaction = MakeComObject<TKRTransactionInterface>();
  ComPtr<TRecordingHandler> events = MakeComObject<TRecordingHandler>();
  KSField values[4] = {};
  int32_t sequence = -1;
};

TEST_F(DemoCursorTest, RecordStepsWalkTheRowsInTheOwnersOrderAndStopAtTheEnds) {
  TTestCursorOwner customers;
  Describe(customers, "Customer");
  const auto cursor = Cursor(customers);
  ASSERT_EQ(cursor->GetNextRecord(values, sequence), KS_OK) << cursor->Get_LastError();
  EXPECT_EQ(Name(), u"Ackermann GmbH");
  EXPECT_EQ(sequence, 0);
  EXPECT_EQ(Names(*cursor), (std::vector<std::u16string>{u"Berg & Söhne", u"Costa Ltd",
                                                          u"Dubois SA", u"Eriksen AS",
                                                          u"Fontana Srl"}));
  EXPECT_EQ(cursor->GetNextRecord(values, sequence), KS_END_OF_TABLE);
  EXPECT_EQ(cursor->Get_RecordCount(), 6);
  ASSERT_EQ(cursor->GetPreviousRecord(values, sequence), KS_OK);
  EXPECT_EQ(Name(), u"Fontana Srl");
  EXPECT_EQ(sequence, 5);

  // Descending, with a filter the owner builds.
  customers.sortFields = {{"name", true}};
  customers.filter = [] {
    KSField limit{};
    limit.type = KS_TYPE_FLOAT;
    limit.value.asDouble = 7500.0;
    return KRAPI().KSMakeNewCondition(u"creditLimit", 0, &limit, 0);
  };
  cursor->Disconnect();
  EXPECT_EQ(Names(*cursor), (std::vector<std::u16string>{u"Berg & Söhne", u"Ackermann GmbH"}));
}

TEST_F(DemoCursorTest, ATableWithoutReadableFieldsReadsItsRecordsIdentifiers) {
  TTestCursorOwner products;
  products.tableName = "Product";
  TKRCursorField name = TTestCursorOwner::Field("name");
  name.Visible = false;
  products.fields = {name};
  const auto cursor = Cursor(products);
  ASSERT_EQ(cursor->GetNextRecord(values, sequence), KS_OK) << cursor->Get_LastError();
  EXPECT_EQ(values[0].type, KS_TYPE_ID);
  EXPECT_EQ(ConvertAPIStringToWideString(values[0].name), u"id");
  EXPECT_GT(ID(), 0);
  EXPECT_EQ(cursor->Get_RecordCount(), 3);
}

TEST_F(DemoCursorTest, ADetailShowsItsMastersLinkedRecordsOrNoneWithoutAMasterRecord) {
  TTestCursorOwner customers, orders;
  KSRecordID first = kKRNullRecordID;
  const auto master = FirstCustomer(customers, first);
  ASSERT_NE(first, kKRNullRecordID);
  OrdersOf(orders, customers, first);
  const auto detail = Cursor(orders);
  ASSERT_TRUE(detail->CheckConnected()) << detail->Get_LastError();
  EXPECT_EQ(detail->Get_ParentRecordID(), first);
  EXPECT_EQ(detail->Get_RecordCount(), 1);

  detail->Disconnect();
  orders.masterRecordID = kKRNullRecordID;
  EXPECT_FALSE(detail->CheckConnected());
  EXPECT_EQ(detail->Get_LastError(), KS_ERR_NO_MASTER_RECORD);
  orders.masterRecordID = first;
  orders.master = nullptr;
  EXPECT_FALSE(detail->CheckConnected());
  EXPECT_EQ(detail->Get_LastError(), KS_ERR_NO_MASTER_RECORD);

  // An index that does not link the master's class.
  orders.master = &customers;
  orders.indexName = "orderByNumber";
  EXPECT_FALSE(detail->CheckConnected());
  EXPECT_EQ(detail->Get_LastError(), KS_ERR_NO_SUCH_INDEX);
}

TEST_F(DemoCursorTest, AMasterFieldLeadsToTheClassWhoseLinkIndexIsUsed) {
  // Products of the supplier that a product table's current record (the
  // chair) refers to through "supplierP": Nordic Timber's.
  TTestCursorOwner master, products;
  Describe(master, "Product");
  KSFieldDescription supplierP{};
  supplierP.name = u"supplierP";
  supplierP.type = KS_TYPE_REFERENCE;
  supplierP.referencedClass = u"Supplier";
  master.descriptions["supplierP"] = &supplierP;
  master.fields.push_back(TTestCursorOwner::Field("supplierP"));
  const auto masterCursor = Cursor(master);
  ASSERT_EQ(masterCursor->GetNextRecord(values, sequence), KS_OK);
  ASSERT_EQ(Name(), u"Chair");

  Describe(products, "Product");
  products.indexName = "productsPV";
  products.hasMasterSource = true;
  products.master = &master;
  products.masterField = "supplierP";
  products.masterRecordID = values[2].value.asInteger;
  const auto detail = Cursor(products);
  EXPECT_EQ(Names(*detail), (std::vector<std::u16string>{u"Chair", u"Table"}))
      << detail->Get_LastError();
}

TEST_F(DemoCursorTest, DeletingTheLastRowLeavesTheCursorBeforeTheFirst) {
  TTestCursorOwner customers, orders;
  KSRecordID first = kKRNullRecordID;
  const auto master = FirstCustomer(customers, first);
  OrdersOf(orders, customers, first);
  const auto detail = Cursor(orders);
  ASSERT_EQ(detail->GetNextRecord(values, sequence), KS_OK);
  EXPECT_EQ(detail->DeleteCurrentRecord(), KS_OK);
  EXPECT_EQ(detail->Get_RecordCount(), 0);
  EXPECT_EQ(detail->GetCurrentRecord(values, sequence), KS_BEGIN_OF_TABLE);
  EXPECT_EQ(detail->GetNextRecord(values, sequence), KS_END_OF_TABLE);

  // A customer with orders cannot go; the transaction hears of it.
  const int before = DataChanges();
  ASSERT_EQ(master->GetNextRecord(values, sequence), KS_OK);
  EXPECT_EQ(master->DeleteCurrentRecord(), KS_ERR_DELETE_REFERENCED);
  EXPECT_EQ(master->Get_RecordCount(), 6);
  EXPECT_EQ(DataChanges(), before + 1);
}

TEST_F(DemoCursorTest, WritingNoValuesChangesNothingAndWritingSomeIsAChange) {
  TTestCursorOwner products;
  Describe(products, "Product");
  products.recNo = 2;
  const auto cursor = Cursor(products);
  ASSERT_EQ(cursor->GetNextRecord(values, sequence), KS_OK);
  EXPECT_EQ(cursor->SetCurrentRecordValues(0, nullptr), KS_OK);
  EXPECT_EQ(cursor->Get_PostedRecordSequence(), 1);
  EXPECT_EQ(DataChanges(), 0);

  // Renamed, the chair moves to its place in the order.
  const KSField name = Text(u"name", u"Stool");
  EXPECT_EQ(cursor->SetCurrentRecordValues(1, &name), KS_OK);
  EXPECT_EQ(cursor->Get_PostedRecordSequence(), 1);
  EXPECT_EQ(DataChanges(), 1);
  ASSERT_EQ(cursor->GetCurrentRecord(values, sequence), KS_OK);
  EXPECT_EQ(Name(), u"Stool");
}

TEST_F(DemoCursorTest, InsertsAndDeletesTellTheTransactionOnlyWithNotification) {
  TTestCursorOwner products;
  Describe(products, "Product");
  const auto cursor = Cursor(products);
  const KSField name = Text(u"name", u"Bench");
  KSRecordID id = kKRNullRecordID;

  cursor->Set_NotificationEnabled(false);
  ASSERT_EQ(cursor->InsertNewRecord(1, &name, id), KS_OK);
  EXPECT_NE(id, kKRNullRecordID);
  EXPECT_EQ(cursor->Get_PostedRecordSequence(), 0);
  EXPECT_EQ(cursor->Get_RecordCount(), 4);
  EXPECT_EQ(cursor->DeleteCurrentRecord(), KS_OK);
  EXPECT_EQ(cursor->Get_RecordCount(), 3);
  EXPECT_EQ(DataChanges(), 0);

  cursor->Set_NotificationEnabled(true);
  ASSERT_EQ(cursor->InsertNewRecord(1, &name, id), KS_OK);
  EXPECT_EQ(cursor->DeleteCurrentRecord(), KS_OK);
  EXPECT_EQ(DataChanges(), 2);
}

TEST_F(DemoCursorTest, ACursorMadeAgainAfterARefreshReturnsToTheTablesRecord) {
  TTestCursorOwner customers;
  Describe(customers, "Customer");
  const auto cursor = Cursor(customers);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(cursor->GetNextRecord(values, sequence), KS_OK);
  const KSRecordID costa = ID();
  customers.active = true;
  customers.currentRecordID = costa;

  transaction->Refresh();
  EXPECT_EQ(customers.log, std::vector<std::string>{"Resync(exact)"});
  ASSERT_EQ(cursor->GetCurrentRecord(values, sequence), KS_OK);
  EXPECT_EQ(ID(), costa);
  EXPECT_EQ(Name(), u"Costa Ltd");
  EXPECT_EQ(sequence, 2);
}

TEST_F(DemoCursorTest, DeletingADetailsDataSetDeletesOnlyItsMastersRecords) {
  TTestCursorOwner customers, orders, all;
  KSRecordID first = kKRNullRecordID;
  const auto master = FirstCustomer(customers, first);
  ASSERT_EQ(master->GetNextRecord(values, sequence), KS_OK);
  OrdersOf(orders, customers, ID());  // Berg & Söhne's two orders
  orders.active = true;
  const auto detail = Cursor(orders);
  int32_t deleted = 0;
  EXPECT_EQ(detail->DeleteCurrentDataSet(deleted), KS_OK);
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(orders.count, 0);
  EXPECT_EQ(detail->Get_RecordCount(), 0);
  EXPECT_EQ(DataChanges(), 1);

  all.tableName = "Order";
  all.fields = orders.fields;
  EXPECT_EQ(Cursor(all)->Get_RecordCount(), 10);
}

TEST_F(DemoCursorTest, DeletingAFilteredDataSetDeletesWhatTheFilterShows) {
  ASSERT_TRUE(transaction->CheckConnected());
  const int32_t handles = OpenHandleCount();
  TTestCursorOwner orders;
  orders.tableName = "Order";
  orders.fields = {TTestCursorOwner::Field("id"), TTestCursorOwner::Field("number")};
  // Orders 1010 to 1012 of the twelve.
  orders.filter = [] {
    KSField limit{};
    limit.type = KS_TYPE_INTEGER;
    limit.value.asInteger = 1010;
    return KRAPI().KSMakeNewCondition(u"number", 4, &limit, 0);
  };
  const auto cursor = Cursor(orders);
  EXPECT_EQ(cursor->Get_RecordCount(), 3);
  int32_t deleted = 0;
  EXPECT_EQ(cursor->DeleteCurrentDataSet(deleted), KS_OK);
  EXPECT_EQ(deleted, 3);
  EXPECT_EQ(cursor->Get_RecordCount(), 0);
  EXPECT_EQ(cursor->GetCurrentRecord(values, sequence), KS_BEGIN_OF_TABLE);

  orders.filter = nullptr;
  cursor->Disconnect();
  EXPECT_EQ(cursor->Get_RecordCount(), 9);
  // No condition or sort handle is left behind.
  cursor->Disconnect();
  EXPECT_EQ(OpenHandleCount(), handles);
}

}  // namespace
