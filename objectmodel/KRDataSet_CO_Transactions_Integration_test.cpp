// Transactions over the real Database API library and the demo server's
// Northwind database (scenarios "Budget 2027" with "Optimistic" below it,
// and "Draft"; users anna, ben and system).
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "objectmodel/KRDataSet_CO_DemoServer_test.h"
#include "objectmodel/KRDataSet_CO_Scenario.h"
#include "objectmodel/KRDataSet_CO_Transaction.h"

using namespace kr_session_test;

namespace {

class DemoTransactionTest : public TDemoServerTest {
 protected:
  // A session of `user` (password = user name) on Northwind.
  TProxyTree Logon(const std::u16string& user) {
    TProxyTree tree;
    tree.server->Set_ServerName(u"KestrelOS20");
    tree.session->Set_UserName(user);
    tree.session->Set_Password(user);
    return tree;
  }

  static ComPtr<TKRScenarioInterface> Scenario(IKRBaseTransaction* parent,
                                               const std::u16string& name) {
    auto scenario = MakeComObject<TKRScenarioInterface>();
    scenario->Set_ParentTransaction(parent);
    scenario->Set_Name(name);
    return scenario;
  }

  // A plain transaction of the session, below its root.
  static ComPtr<TKRTransactionInterface> Plain(TProxyTree& tree) {
    auto plain = MakeComObject<TKRTransactionInterface>();
    plain->Set_ParentTransaction(tree.session->Get_RootTransaction().Get());
    return plain;
  }

  // The number of orders the transaction sees, counted by deleting them in
  // a child that is rolled back.
  static int32_t Orders(IKRTransaction& transaction) {
    auto probe = MakeComObject<TKRTransactionInterface>();
    probe->Set_ParentTransaction(&transaction);
    int32_t count = -1;
    if (probe->CheckConnected()) {
      KRAPI().KSDestroyAll(probe->Get_Handle(), u"Order", 0, &count);
    }
    probe->Rollback(false);
    return count;
  }

  static bool Lists(IKRDatabase& database, const std::u16string& name) {
    const std::vector<std::u16string> names = Texts(database.Get_Transactions().Get());
    return std::find(names.begin(), names.end(), name) != names.end();
  }
};

TEST_F(DemoTransactionTest, AScenarioStartedWithADescriptionAndVisibilityOutlivesItsHandle) {
  TProxyTree anna = Logon(u"anna");
  const ComPtr<IKRBaseTransaction> root = anna.session->Get_RootTransaction();
  // Below an existing scenario, found again by name.
  const auto budget = Scenario(root.Get(), u"Budget 2027");
  const auto plan = Scenario(budget.Get(), u"Plan B");
  plan->Set_Visibility(krsvPrivate);
  plan->Set_Description(u"Fewer stores");
  ASSERT_TRUE(plan->Get_Connected()) << plan->Get_LastError();
  EXPECT_EQ(plan->Get_Level(), 2);
  anna.session->Disconnect();
  EXPECT_TRUE(Lists(*anna.database, u"Plan B"));

  // Private: its owner finds it again, another user does not.
  TProxyTree ben = Logon(u"ben");
  EXPECT_FALSE(ben.session->TransactionExists(u"Plan B"));
  EXPECT_TRUE(anna.session->TransactionExists(u"Plan B"));
  // Ben cannot start one of that name either; the library says why.
  const auto clash = Scenario(ben.session->Get_RootTransaction().Get(), u"Plan B");
  EXPECT_FALSE(clash->CheckConnected());
  EXPECT_EQ(clash->Get_LastError(), KS_ERR_TRANSACTION_EXISTS);
}

TEST_F(DemoTransactionTest, PlainTransactionsAreStartedUnderTheRootAndRolledBackOnRelease) {
  TProxyTree anna = Logon(u"anna");
  const ComPtr<IKRBaseTransaction> root = anna.session->Get_RootTransaction();
  auto writer = MakeComObject<TKRTransactionInterface>();
  writer->Set_ParentTransaction(root.Get());
  ASSERT_TRUE(writer->CheckConnected());
  EXPECT_FALSE(writer->Get_ReadOnly());
  EXPECT_TRUE(writer->LockClass(anna.session->GetClassID(u"Customer"), 1));

  // Below a read-only plain transaction a committable one starts read-only,
  // and cannot lock.
  auto reader = MakeComObject<TKRTransactionInterface>();
  reader->Set_ParentTransaction(root.Get());
  reader->Set_ReadOnly(true);
  auto child = MakeComObject<TKRTransactionInterface>();
  child->Set_ParentTransaction(reader.Get());
  ASSERT_TRUE(child->CheckConnected());
  EXPECT_TRUE(child->Get_ReadOnly());
  EXPECT_FALSE(child->LockDatabase(1));

  // Another user's lock is refused while the writer holds its own.
  TProxyTree ben = Logon(u"ben");
  auto other = MakeComObject<TKRTransactionInterface>();
  other->Set_ParentTransaction(ben.session->Get_RootTransaction().Get());
  EXPECT_FALSE(other->LockDatabase(1));
  writer->Disconnect();
  EXPECT_TRUE(other->LockDatabase(1));
}

TEST_F(DemoTransactionTest, CommitProgressFromTheLibrarysThreadArrivesOnTheCallersThread) {
  TProxyTree anna = Logon(u"anna");
  const auto t = Plain(anna);
  ASSERT_TRUE(t->CheckConnected());
  ASSERT_GT(Orders(*t), 0);
  t->DeleteAllRecords(anna.session->GetClassID(u"Order"));
  std::vector<int32_t> percentages;
  const std::thread::id test = std::this_thread::get_id();
  bool elsewhere = false;
  auto handler = MakeComObject<TRecordingHandler>();
  handler->answer = [&](int32_t event, OleVariant& data) {
    if (event != kKREventCommitProgress) return;
    percentages.push_back(data.AsInteger());
    elsewhere = elsewhere || std::this_thread::get_id() != test;
  };
  t->RegisterEventHandler(handler.Get());

  EXPECT_TRUE(t->Commit(false, true));
  ASSERT_FALSE(percentages.empty());
  EXPECT_TRUE(std::is_sorted(percentages.begin(), percentages.end()));
  EXPECT_EQ(percentages.back(), 100);
  EXPECT_FALSE(elsewhere);
  EXPECT_EQ(t->Get_ErrorCount(), 0);
  EXPECT_EQ(Orders(*Plain(anna)), 0);
  t->UnregisterEventHandler(handler.Get());
}

TEST_F(DemoTransactionTest, AConflictRestartsTheTransactionOverTheNewState) {
  TProxyTree anna = Logon(u"anna");
  TProxyTree ben = Logon(u"ben");
  const auto first = Plain(anna);
  const auto second = Plain(ben);
  const KSClassID order = anna.session->GetClassID(u"Order");
  ASSERT_TRUE(first->CheckConnected());
  ASSERT_TRUE(second->CheckConnected());
  first->DeleteAllRecords(order);
  second->DeleteAllRecords(order);
  ASSERT_TRUE(second->Commit(false, false));

  EXPECT_FALSE(first->Commit(false, false));
  EXPECT_TRUE(first->Get_Connected());
  ASSERT_EQ(first->Get_ErrorCount(), 1);
  const ComPtr<IKRLocalDBError> error = ProxyAs<IKRLocalDBError>(first->Get_Errors(0).Get());
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Get_RscStringID(), kKRChangedElsewhere);
  // Restarted over the parent's new state, its own changes dropped.
  first->Refresh();
  EXPECT_EQ(Orders(*first), 0);
}

}  // namespace
