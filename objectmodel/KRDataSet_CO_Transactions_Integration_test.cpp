// Transactions over the real Database API library and the demo server's
// Northwind database (scenarios "Budget 2027" with "Optimistic" below it,
// and "Draft"; users anna, ben and system).
#include <gtest/gtest.h>

#include <algorithm>

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

}  // namespace
