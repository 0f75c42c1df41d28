// The transaction components over transaction proxies of the scripted
// Database API (root 200, started transactions 300, 301, ...): requests,
// clusters, the parent transaction and streaming.
#include "dataset/KRDataSet_CMP_Transactions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "objectmodel/KRDataSet_CO_Transactions_TestSupport_test.h"
#include "platform/com/OleErrors.h"
#include "platform/text/Exception.h"
#include "platform/vcl/Reader.h"
#include "platform/vcl/Streams.h"
#include "platform/vcl/Writer.h"

using namespace kr_session_test;

namespace {

class TransactionComponentTest : public TTransactionTest {
 protected:
  // A component over a new plain transaction below `parent`, connected.
  TKRTransaction* Connected(TComponent* owner, IKRBaseTransaction* parent) {
    auto* component = new TKRTransaction(owner, Child(parent));
    EXPECT_TRUE(Proxy(component)->CheckConnected());
    return component;
  }
  static ComPtr<IKRTransaction> Proxy(TKRTransaction* component) {
    return component->GetProxyInterfaceAs<IKRTransaction>();
  }

  static intptr_t IDOf(IKRProxy* proxy) { return proxy != nullptr ? proxy->Get_UniqueID() : 0; }

  TComponent form{nullptr};
};

TEST_F(TransactionComponentTest, ACommitProceedsWithoutAHandlerAndAHandlerAnsweringFalseVetoesIt) {
  TKRTransaction* unasked = Connected(&form, Root().Get());
  EXPECT_TRUE(Proxy(unasked)->Commit(false, false));
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCommit), 1);

  TKRTransaction* transaction = Connected(&form, Root().Get());
  int asked = 0;
  int afterCommit = 0;
  transaction->OnBeforeCommit = [&](TComponent& sender) {
    EXPECT_EQ(&sender, transaction);
    return ++asked > 1;
  };
  transaction->OnAfterCommit = [&](TComponent&) { ++afterCommit; };
  EXPECT_FALSE(Proxy(transaction)->Commit(false, false));
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCommit), 1);
  EXPECT_TRUE(Proxy(transaction)->Commit(false, false));
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSCommit), 2);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(afterCommit, 2);
}

TEST_F(TransactionComponentTest, AFailureInsideTheProxyReachesTheComponentsHandler) {
  TKRTransaction* transaction = Connected(&form, Root().Get());
  api.On<TKRAPIFunction::KSCommit>([](KSHandle, int32_t, int32_t, KSCommitProgressCallback,
                                      KSBool) -> KSStatus { throw EConvertError("disk full"); });
  std::vector<std::string> received;
  transaction->OnSafeCallException = [&](TComponent& sender, const std::string& className,
                                         const std::string& message, bool silent,
                                         const std::string& where, intptr_t) {
    EXPECT_EQ(&sender, transaction);
    EXPECT_FALSE(silent);
    received = {className, message, where};
  };
  EXPECT_THROW(Proxy(transaction)->Commit(false, false), EOleException);
  EXPECT_EQ(received,
            (std::vector<std::string>{"EConvertError", "disk full", "TKRTransactionInterface"}));
}

TEST_F(TransactionComponentTest, ARollbackIsGrantedWithoutAHandlerAndVetoedByOne) {
  TKRTransaction* transaction = Connected(&form, Root().Get());
  int afterRollback = 0;
  transaction->OnAfterRollback = [&](TComponent&) { ++afterRollback; };
  EXPECT_TRUE(Proxy(transaction)->Rollback(false));
  transaction->OnBeforeRollback = [](TComponent&) { return false; };
  EXPECT_FALSE(Proxy(transaction)->Rollback(false));
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSRollback), 1);
  EXPECT_EQ(afterRollback, 2);
}

TEST_F(TransactionComponentTest, TransactionsOfOneFormFormAClusterThatDoesNotTellItselfOfChanges) {
  TComponent otherForm(nullptr);
  TKRTransaction alone(nullptr);
  const auto parent = Child(Root().Get(), u"parent");
  TKRTransaction* first = Connected(&form, parent.Get());
  TKRTransaction* second = Connected(&form, parent.Get());
  TKRTransaction* elsewhere = Connected(&otherForm, parent.Get());

  EXPECT_EQ(Proxy(first)->Get_ClusterID(), Proxy(second)->Get_ClusterID());
  EXPECT_NE(Proxy(first)->Get_ClusterID(), kKRNoCluster);
  EXPECT_NE(Proxy(elsewhere)->Get_ClusterID(), Proxy(first)->Get_ClusterID());
  EXPECT_NE(Proxy(elsewhere)->Get_ClusterID(), kKRNoCluster);
  EXPECT_EQ(Proxy(&alone)->Get_ClusterID(), kKRNoCluster);

  std::vector<TComponent*> told;
  for (TKRTransaction* t : {first, second, elsewhere}) {
    t->OnUpdatesAvailable = [&](TComponent& sender) { told.push_back(&sender); };
  }
  parent->NotifyDataChange(Proxy(first).Get(), false);
  EXPECT_EQ(told, std::vector<TComponent*>{elsewhere});
}

TEST_F(TransactionComponentTest, TheProxysEventsReachTheirComponentEvents) {
  TKRTransaction* transaction = Connected(&form, Root().Get());
  std::vector<std::string_view> fired;
  const auto note = [&](std::string_view name) {
    return [&fired, name](TComponent&) { fired.push_back(name); };
  };
  transaction->OnBeforeRefresh = note("BeforeRefresh");
  transaction->OnAfterRefresh = note("AfterRefresh");
  transaction->OnDataChange = note("DataChange");
  transaction->OnErrorCountChange = note("ErrorCountChange");
  std::vector<bool> readOnly;
  transaction->OnReadOnlyChanged = [&](TComponent&, bool value) { readOnly.push_back(value); };

  Proxy(transaction)->Refresh();
  Proxy(transaction)->NotifyErrorCountChange();
  Proxy(transaction)->NotifyDataChange(nullptr, false);
  OleVariant granted(true);
  transaction->ProxyEvent(nullptr, kKREventReadOnlyObtained, granted);
  EXPECT_EQ(fired, (std::vector<std::string_view>{"BeforeRefresh", "AfterRefresh",
                                                  "ErrorCountChange", "DataChange"}));
  EXPECT_EQ(readOnly, std::vector<bool>{true});
}

TEST_F(TransactionComponentTest, AParentTransactionIsRefusedWhenItWouldCloseARing) {
  auto* upper = new TKRTransaction(&form);
  auto* lower = new TKRTransaction(&form);
  auto* lowest = new TKRTransaction(&form);
  lower->SetParentTransaction_(upper);
  lowest->SetParentTransaction_(lower);
  EXPECT_EQ(IDOf(Proxy(lowest)->Get_ParentTransaction().Get()), IDOf(Proxy(lower).Get()));

  EXPECT_THROW(upper->SetParentTransaction_(lowest), EComponentError);
  EXPECT_THROW(upper->SetParentTransaction_(upper), EComponentError);
  EXPECT_EQ(upper->ParentTransaction_(), nullptr);
  EXPECT_FALSE(Proxy(upper)->Get_ParentTransaction());

  // The parent going away leaves the child without one, component and proxy.
  delete lower;
  EXPECT_EQ(lowest->ParentTransaction_(), nullptr);
  EXPECT_FALSE(Proxy(lowest)->Get_ParentTransaction());
}

TEST_F(TransactionComponentTest, StreamedTransactionsKeepTheirSettingsAndTheirParent) {
  TDataModule module(nullptr);
  module.SetName("Module");
  auto* parent = new TKRTransaction(&module);
  parent->SetName("Parent");
  auto* child = new TKRTransaction(&module);
  child->SetName("Child");
  child->SetParentTransaction_(parent);
  child->SetReadOnly(true);
  child->SetCanCommit(false);
  child->SetAutoUpdate(false);
  child->SetRestartOnErrors(false);
  child->SetReportProgress(true);

  TMemoryStream stream;
  TWriter(stream).WriteRootComponent(module);
  const std::vector<uint8_t> bytes = stream.Bytes();
  // The parent has only default settings: none of them is written.
  const auto count = [&](std::string_view name) {
    int found = 0;
    for (auto at = bytes.begin();
         (at = std::search(at, bytes.end(), name.begin(), name.end())) != bytes.end(); ++at) {
      ++found;
    }
    return found;
  };
  for (std::string_view name :
       {"ReadOnly", "CanCommit", "AutoUpdate", "RestartOnErrors", "ReportProgress"}) {
    EXPECT_EQ(count(name), 1) << name;
  }

  TDataModule copy(nullptr);
  TMemoryStream input(bytes);
  TReader(input).ReadRootComponent(copy);
  auto* readParent = dynamic_cast<TKRTransaction*>(copy.FindComponent("Parent"));
  auto* readChild = dynamic_cast<TKRTransaction*>(copy.FindComponent("Child"));
  ASSERT_TRUE(readParent && readChild);
  EXPECT_EQ(readChild->ParentTransaction_(), readParent);
  EXPECT_EQ(IDOf(Proxy(readChild)->Get_ParentTransaction().Get()), IDOf(Proxy(readParent).Get()));
  EXPECT_TRUE(Proxy(readChild)->Get_ReadOnly());
  EXPECT_FALSE(Proxy(readChild)->Get_CanCommit());
  EXPECT_FALSE(Proxy(readChild)->Get_AutoUpdate());
  EXPECT_FALSE(Proxy(readChild)->Get_RestartOnErrors());
  EXPECT_TRUE(readChild->ReportProgress());
  EXPECT_TRUE(Proxy(readParent)->Get_CanCommit());
  EXPECT_EQ(readParent->ParentTransaction_(), nullptr);
}

}  // namespace
