// The server, schema, database and session proxies over the real Database
// API library and the demo server that kestrel-admin seeds in a temporary
// $KESTREL_HOME.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "objectmodel/KRDataSet_CO_RootTransaction.h"
#include "objectmodel/KRDataSet_CO_DemoServer_test.h"

using namespace kr_session_test;

namespace {

class DemoServerTest : public TDemoServerTest {
 protected:
  // A session on a database of Sales 1.0 of the demo server.
  TProxyTree Tree(const std::u16string& database = u"Northwind") {
    TProxyTree tree(database);
    tree.server->Set_ServerName(u"KestrelOS20");
    return tree;
  }

};

TEST_F(DemoServerTest, AConsoleWalkReachesTheConnectedUsersAndLeavesNoHandleOpen) {
  KRAPI();
  const int32_t openBefore = OpenHandleCount();
  ASSERT_GE(openBefore, 0);
  auto server = MakeComObject<TKRServerInterface>();
  server->Set_HostName(u"testbox");
  EXPECT_EQ(Texts(server->Get_SchemaNames().Get()),
            (std::vector<std::u16string>{u"Sales", u"Staff"}));
  EXPECT_EQ(Texts(server->Get_SchemaVersions(u"Sales").Get()),
            (std::vector<std::u16string>{u"1.0", u"2.0"}));

  auto schema = MakeComObject<TKRSchemaInterface>();
  schema->Set_Server(server.Get());
  schema->Set_Name(u"Sales");
  schema->Set_Version(u"1.0");
  EXPECT_EQ(Texts(schema->Get_DatabaseNames().Get()),
            (std::vector<std::u16string>{u"Northwind", u"Southwind"}));
  EXPECT_EQ(Texts(schema->Get_DBServiceNames().Get()),
            (std::vector<std::u16string>{u"Audit", u"Forecast", u"Invoicing"}));
  EXPECT_TRUE(schema->IsDBServicePrivate(u"Audit"));
  EXPECT_FALSE(schema->IsDBServicePrivate(u"Invoicing"));

  auto database = MakeComObject<TKRDatabaseInterface>();
  database->Set_Schema(schema.Get());
  database->Set_Name(u"Northwind");
  const std::vector<std::u16string> scenarios = Texts(database->Get_Transactions().Get());
  EXPECT_EQ(scenarios.front(), u"Root");
  EXPECT_EQ(Texts(database->Get_RootTransactionNames().Get()),
            (std::vector<std::u16string>{u"Budget 2027", u"Draft"}));

  auto session = MakeComObject<TKRSessionInterface>();
  session->Set_Database(database.Get());
  auto other = MakeComObject<TKRSessionInterface>();
  other->Set_Database(database.Get());
  other->Set_UserName(u"ben");
  other->Set_Password(u"ben");
  ASSERT_TRUE(other->CheckConnected());
  const std::vector<std::u16string> users = Texts(session->GetConnectedUsers(true, true).Get());
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0].substr(0, 3), u"ben");
  EXPECT_EQ(users[1].substr(0, 6), u"system");
  EXPECT_EQ(Texts(session->GetConnectedUsers(false, true).Get()).size(), 1u);

  server->Disconnect();
  for (IKRProxy* proxy : std::initializer_list<IKRProxy*>{
           server.Get(), schema.Get(), database.Get(), session.Get(), other.Get()}) {
    EXPECT_FALSE(proxy->Get_Connected());
  }
  EXPECT_EQ(OpenHandleCount(), openBefore);
  // Both sessions were released: a new one sees only itself.
  auto last = MakeComObject<TKRSessionInterface>();
  last->Set_Database(database.Get());
  EXPECT_EQ(Texts(last->GetConnectedUsers(true, true).Get()).size(), 1u);
  EXPECT_GT(OpenHandleCount(), openBefore);
  server->Disconnect();
  EXPECT_EQ(OpenHandleCount(), openBefore);
}

TEST_F(DemoServerTest, ALogonWithAWrongPasswordOrUserFails) {
  TProxyTree tree = Tree();
  tree.session->Set_UserName(u"anna");
  tree.session->Set_Password(u"wrong");
  EXPECT_EQ(tree.session->Get_Handle(), 0u);
  EXPECT_EQ(tree.session->Get_LastError(), KS_ERR_LOGON_FAILED);
  tree.session->Set_UserName(u"nobody");
  EXPECT_FALSE(tree.session->CheckConnected());
  EXPECT_EQ(tree.session->Get_LastError(), KS_ERR_LOGON_FAILED);
  tree.session->Set_UserName(u"anna");
  tree.session->Set_Password(u"anna");
  EXPECT_TRUE(tree.session->CheckConnected());
  EXPECT_EQ(tree.session->Get_LastError(), 0);
}

TEST_F(DemoServerTest, LoggingOnToAnUnlistedDatabaseCreatesItEmpty) {
  TProxyTree tree = Tree(u"Fresh");
  ASSERT_TRUE(tree.session->CheckConnected());
  EXPECT_EQ(Texts(tree.schema->Get_DatabaseNames().Get()),
            (std::vector<std::u16string>{u"Fresh", u"Northwind", u"Southwind"}));
  const KSClassID customer = tree.session->GetClassID(u"Customer");
  ASSERT_NE(customer, kKRNullClassID);
  EXPECT_EQ(Texts(tree.session->GetConnectedUsers(true, true).Get()).size(), 1u);
  EXPECT_EQ(Texts(tree.database->Get_RootTransactionNames().Get()).size(), 0u);
}

TEST_F(DemoServerTest, FieldPathsResolveThroughReferencesLinksAndBracketedClasses) {
  TProxyTree tree = Tree();
  IKRSession& s = *tree.session;
  const KSClassID customer = s.GetClassID(u"Customer");
  const KSClassID order = s.GetClassID(u"Order");
  const KSClassID party = s.GetClassID(u"Party");
  ASSERT_NE(customer, kKRNullClassID);
  EXPECT_EQ(s.GetClassName(order), u"Order");
  EXPECT_EQ(s.GetParentClassID(customer), party);
  EXPECT_EQ(s.GetParentClassID(party), kKRNullClassID);
  EXPECT_TRUE(s.IsSubClassOf(customer, party));
  EXPECT_FALSE(s.IsSubClassOf(party, customer));
  EXPECT_TRUE(s.GetClassIsVirtual(party));
  EXPECT_FALSE(s.GetClassIsVirtual(customer));

  EXPECT_EQ(s.GetFieldDescription(customer, u"ID", false), kKRIdentifierField);
  EXPECT_EQ(s.GetFieldDescription(customer, u"Count()", false), kKRCountField);
  EXPECT_EQ(s.GetFieldDescription(customer, u"ordersPV.Count()", false), kKRCountField);
  EXPECT_EQ(s.GetFieldDescription(customer, u"ordersPV.number", false), nullptr);
  EXPECT_EQ(s.GetFieldDescription(kKRNullClassID, u"name", false), nullptr);

  const KSFieldDescription* rating = s.GetFieldDescription(customer, u"RATING", false);
  ASSERT_TRUE(IsRealFieldDescription(rating));
  EXPECT_EQ(rating->type, KS_TYPE_ENUMERATED);
  const KSFieldDescription* price = s.GetFieldDescription(customer, u"[Product].price", false);
  ASSERT_TRUE(IsRealFieldDescription(price));
  EXPECT_EQ(std::u16string(price->name), u"price");
  const KSFieldDescription* city = s.GetFieldDescription(order, u"customerP.city", false);
  ASSERT_TRUE(IsRealFieldDescription(city));
  EXPECT_EQ(city->type, KS_TYPE_STRING);
  const KSFieldDescription* number = s.GetFieldDescription(customer, u"ordersPV.number", true);
  ASSERT_TRUE(IsRealFieldDescription(number));
  EXPECT_EQ(number->type, KS_TYPE_INTEGER);
  EXPECT_EQ(s.GetFieldDescription(order, u"quantity.x", false), nullptr);

  // A field only a descendant has is found below the class.
  const KSFieldDescription* inDescendant = s.GetIndexDescription(party, u"creditLimit");
  ASSERT_TRUE(IsRealFieldDescription(inDescendant));
  EXPECT_EQ(inDescendant->type, KS_TYPE_CURRENCY);
  EXPECT_EQ(s.GetFieldOwner(customer, u"name"), party);
  EXPECT_EQ(s.GetFieldOwner(customer, u"rating"), customer);
  EXPECT_EQ(s.GetFieldOwner(customer, u"missing"), kKRNullClassID);

  const KSField* limit = s.GetFieldDefaultValue(customer, u"creditLimit");
  ASSERT_NE(limit, nullptr);
  EXPECT_EQ(limit->value.asDouble, 5000.0);
  EXPECT_EQ(s.GetFieldDefaultValue(s.GetClassID(u"Product"), u"stock"), nullptr);  // 0 is null
  EXPECT_EQ(Texts(s.GetDescendentNames(party, false).Get()),
            (std::vector<std::u16string>{u"Customer", u"Supplier"}));
  EXPECT_EQ(s.GetEnumeratedText(1, 2), u"Regular");
}

TEST_F(DemoServerTest, AccessFollowsThePlanAndTheClassChain) {
  TProxyTree tree = Tree();
  IKRSession& actual = *tree.session;
  const KSClassID supplier = actual.GetClassID(u"Supplier");
  const KSClassID order = actual.GetClassID(u"Order");
  const KSClassID total = actual.GetClassID(u"OrderTotal");
  EXPECT_TRUE(actual.Get_InActualPlan());
  EXPECT_EQ(actual.GetClassAccess(supplier, true), KS_ACCESS_READ_WRITE);
  EXPECT_EQ(actual.GetClassAccess(total, true), KS_ACCESS_READ_ONLY);
  EXPECT_EQ(actual.GetFieldAccess(order, u"note"), KS_ACCESS_READ_WRITE);
  EXPECT_EQ(actual.GetDBServiceAccess(u"Invoicing"), KS_ACCESS_INVISIBLE);
  EXPECT_EQ(actual.GetDBServiceAccess(u"Forecast"), 1);
  EXPECT_EQ(actual.GetDBServiceAccess(u"Audit"), 1);

  auto plan = MakeComObject<TKRSessionInterface>();
  plan->Set_Database(tree.database.Get());
  plan->Set_RootTransactionName(u"Budget 2027");
  ASSERT_TRUE(plan->CheckConnected());
  EXPECT_FALSE(plan->Get_InActualPlan());
  ASSERT_TRUE(plan->Get_RootTransaction()->CheckConnected());
  EXPECT_EQ(plan->Get_RootTransaction()->Get_Name(), u"Budget 2027");
  EXPECT_EQ(plan->GetClassAccess(supplier, true), KS_ACCESS_READ_ONLY);
  EXPECT_EQ(plan->GetFieldAccess(order, u"note"), KS_ACCESS_READ_ONLY);
  EXPECT_EQ(plan->GetDBServiceAccess(u"Invoicing"), 1);
  EXPECT_EQ(plan->GetDBServiceAccess(u"Forecast"), KS_ACCESS_INVISIBLE);
}

TEST_F(DemoServerTest, AServerClosedByAnotherConnectionLeavesThisProxyUnavailable) {
  TProxyTree tree = Tree();
  auto handler = MakeComObject<TRecordingHandler>();
  tree.server->RegisterEventHandler(handler.Get());
  ASSERT_TRUE(tree.session->CheckConnected());

  auto closer = MakeComObject<TKRServerInterface>();
  closer->Set_HostName(u"localhost");
  closer->Set_ServerName(u"KestrelOS20");
  closer->Close();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (tree.server->Get_Available() && std::chrono::steady_clock::now() < deadline) {
    WaitForPostedMessages(std::chrono::milliseconds(50));
    ProcessMessages();
  }

  EXPECT_FALSE(tree.server->Get_Available());
  EXPECT_FALSE(tree.session->Get_Connected());
  EXPECT_FALSE(handler->events.empty());
  EXPECT_FALSE(tree.server->CheckConnected());
  EXPECT_EQ(tree.server->Get_LastError(), kKRServerNotAvailable);
  tree.server->UnregisterEventHandler(handler.Get());
  closer->Disconnect();
}

}  // namespace
