// The transactions below a session's root over the scripted Database API
// (TTransactionTest).
#include <gtest/gtest.h>

#include "objectmodel/KRDataSet_CO_Transactions_TestSupport_test.h"
#include "platform/com/Guid.h"
#include "platform/text/Utf.h"

using namespace kr_session_test;

namespace {

using TransactionTest = TTransactionTest;

TEST_F(TransactionTest, AnUnnamedPlainTransactionIsNamedByANewGUIDOnce) {
  const auto plain = MakeComObject<TKRTransactionInterface>();
  const std::u16string name = plain->Get_Name();
  GUID guid{};
  ASSERT_TRUE(TryGuidFromString(name, guid));
  EXPECT_EQ(name, GuidToWideString(guid));
  EXPECT_EQ(plain->Get_Name(), name);
  EXPECT_NE(MakeComObject<TKRTransactionInterface>()->Get_Name(), name);
  // Other kinds keep an empty name until given one.
  EXPECT_EQ(MakeComObject<TKRScenarioInterface>()->Get_Name(), u"");

  const auto child = Child(Root().Get());
  ASSERT_TRUE(child->CheckConnected());
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSStartTransaction),
            (Calls{"KSStartTransaction(200, 2048, \"" + Utf16ToUtf8(child->Get_Name()) + "\")"}));
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSTransactionSetUserData),
            (Calls{"KSTransactionSetUserData(200, ptr)", "KSTransactionSetUserData(300, ptr)"}));
}

TEST_F(TransactionTest, CreationFlagsFollowTheKindTheParentAndTheRequests) {
  const auto readOnlyParent = Child(Root().Get(), u"parent");
  readOnlyParent->Set_ReadOnly(true);
  ASSERT_TRUE(readOnlyParent->CheckConnected());
  // A child that could commit under a read-only plain parent is read-only.
  const auto underReadOnly = Child(readOnlyParent.Get(), u"a");
  ASSERT_TRUE(underReadOnly->CheckConnected());
  EXPECT_TRUE(underReadOnly->Get_ReadOnly());
  const auto cannotCommit = Child(readOnlyParent.Get(), u"b");
  cannotCommit->Set_CanCommit(false);
  ASSERT_TRUE(cannotCommit->CheckConnected());
  const auto isolated = Child(Root().Get(), u"c");
  isolated->Set_Isolated(true);
  ASSERT_TRUE(isolated->CheckConnected());

  const auto scenario = Child<TKRScenarioInterface>(Root().Get(), u"S");
  scenario->Set_Visibility(krsvPrivate);
  ASSERT_TRUE(scenario->CheckConnected());
  const auto nested = Child<TKRScenarioInterface>(scenario.Get(), u"T");
  nested->Set_Visibility(krsvRestricted);
  ASSERT_TRUE(nested->CheckConnected());
  const auto publicScenario = Child<TKRScenarioInterface>(scenario.Get(), u"U");
  publicScenario->Set_Visibility(krsvPublic);
  ASSERT_TRUE(publicScenario->CheckConnected());

  EXPECT_EQ(StartFlags(), (std::vector<int32_t>{0x600, 0x600, 0x400, 0x600, 0x1500, 0x2900, 0x900}));
  EXPECT_FALSE(scenario->Get_ReadOnly());
  EXPECT_EQ(nested->Get_Level(), 2);
  // Scenarios are looked up first, under the session's handle.
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSFindTransaction),
            (Calls{R"(KSFindTransaction(100, "S"))", R"(KSFindTransaction(100, "T"))",
                   R"(KSFindTransaction(100, "U"))"}));
}

TEST_F(TransactionTest, AnExistingScenarioIsReusedWithoutStartingOne) {
  api.On<TKRAPIFunction::KSFindTransaction>([](KSHandle, TKRAPIString name) {
    return KSHandle(std::u16string_view(name) == u"Budget" ? 500 : 0);
  });
  const auto budget = Child<TKRScenarioInterface>(Root().Get(), u"Budget");
  EXPECT_EQ(budget->Get_Handle(), 500u);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSStartTransaction), 0);
  // Released, it is not rolled back: it stays on the server.
  budget->Disconnect();
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSRollback), 0);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSReleaseTransaction), Calls{"KSReleaseTransaction(500)"});
}

TEST_F(TransactionTest, ARefusedStartIsRetriedOnceReadOnly) {
  const auto plain = Child(Root().Get(), u"p");
  auto handler = MakeComObject<TRecordingHandler>();
  plain->RegisterEventHandler(handler.Get());
  refusals = 1;
  ASSERT_EQ(plain->Get_Handle(), 300u);
  EXPECT_EQ(StartFlags(), (std::vector<int32_t>{0x800, 0x600}));
  EXPECT_TRUE(plain->Get_ReadOnly());
  ASSERT_EQ(handler->Codes(), std::vector<int32_t>{kKREventReadOnlyObtained});
  EXPECT_TRUE(handler->events[0].data.AsBool());

  // Refused twice: no handle, and the library's reason.
  const auto refused = Child(Root().Get(), u"q");
  refusals = 2;
  EXPECT_EQ(refused->Get_Handle(), 0u);
  EXPECT_EQ(refused->Get_LastError(), KS_ERR_INVALID_ARGUMENT);
  // Neither a read-only request nor a scenario is tried again.
  api.ClearCalls();
  refused->Set_ReadOnly(true);
  refusals = 1;
  EXPECT_FALSE(refused->CheckConnected());
  const auto scenario = Child<TKRScenarioInterface>(Root().Get(), u"S");
  refusals = 1;
  EXPECT_FALSE(scenario->CheckConnected());
  EXPECT_EQ(StartFlags(), (std::vector<int32_t>{0x600, 0x500}));
  plain->UnregisterEventHandler(handler.Get());
}

TEST_F(TransactionTest, AReadOnlyGrantIsObtainedOnceAndSignalled) {
  grant = KS_READ_ONLY_GRANTED;
  const auto plain = Child(Root().Get(), u"p");
  auto handler = MakeComObject<TRecordingHandler>();
  plain->RegisterEventHandler(handler.Get());
  ASSERT_TRUE(plain->CheckConnected());
  EXPECT_TRUE(plain->Get_ReadOnly());
  plain->Reconnect();
  EXPECT_EQ(handler->Codes(), std::vector<int32_t>{kKREventReadOnlyObtained});

  // Granted read-write afterwards: the change is signalled with false.
  grant = KS_OK;
  plain->Reconnect();
  EXPECT_FALSE(plain->Get_ReadOnly());
  ASSERT_EQ(handler->Codes(),
            (std::vector<int32_t>{kKREventReadOnlyObtained, kKREventReadOnlyObtained}));
  EXPECT_FALSE(handler->events[1].data.AsBool());
  plain->UnregisterEventHandler(handler.Get());
}

TEST_F(TransactionTest, ChangingTheNameOrTheReadOnlyRequestDisconnectsOnlyOnAChange) {
  const auto plain = Child(Root().Get(), u"p");
  ASSERT_TRUE(plain->CheckConnected());
  plain->Set_Name(u"p");
  plain->Set_ReadOnly(false);
  EXPECT_TRUE(plain->Get_Connected());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSReleaseTransaction), 0);

  plain->Set_Name(u"q");
  EXPECT_FALSE(plain->Get_Connected());
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSRollback), Calls{"KSRollback(300)"});
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSReleaseTransaction), Calls{"KSReleaseTransaction(300)"});

  ASSERT_TRUE(plain->CheckConnected());
  plain->Set_ReadOnly(true);
  EXPECT_FALSE(plain->Get_Connected());
  EXPECT_TRUE(plain->Get_ReadOnly());

  // Obtained read-only already, a read-only request changes nothing connected.
  grant = KS_READ_ONLY_GRANTED;
  const auto granted = Child(Root().Get(), u"g");
  ASSERT_TRUE(granted->CheckConnected());
  granted->Set_ReadOnly(true);
  EXPECT_TRUE(granted->Get_Connected());

  // A plain transaction's commit intent counts too.
  granted->Set_CanCommit(true);
  EXPECT_TRUE(granted->Get_Connected());
  granted->Set_CanCommit(false);
  EXPECT_FALSE(granted->Get_Connected());
}

TEST_F(TransactionTest, TheTreeGivesLevelsSessionsTheTopAndLookups) {
  const auto loose = MakeComObject<TKRTransactionInterface>();
  EXPECT_EQ(loose->Get_TopMostParentTransaction()->Get_UniqueID(), loose->Get_UniqueID());
  EXPECT_EQ(loose->Get_Level(), 0);
  EXPECT_FALSE(loose->Get_Session());
  EXPECT_TRUE(loose->Get_InActualPlan());

  const auto first = Child(Root().Get(), u"first");
  const auto second = Child(Root().Get(), u"second");
  const auto grandchild = Child<TKRScenarioInterface>(first.Get(), u"leaf");
  const auto twin = Child(second.Get(), u"leaf");
  EXPECT_EQ(grandchild->Get_Level(), 2);
  EXPECT_EQ(grandchild->Get_Session()->Get_UniqueID(), tree.session->Get_UniqueID());
  EXPECT_EQ(twin->Get_TopMostParentTransaction()->Get_UniqueID(), Root()->Get_UniqueID());
  EXPECT_EQ(Root()->Get_Transactions()->Get_Count(), 2);
  EXPECT_TRUE(first->Get_HasDependents());
  EXPECT_EQ(second->Get_Transactions()->Get_Count(), 1);

  EXPECT_EQ(tree.session->FindTransaction(u"leaf")->Get_UniqueID(), grandchild->Get_UniqueID());
  EXPECT_EQ(Root()->FindTransaction(u"second")->Get_UniqueID(), second->Get_UniqueID());
  EXPECT_FALSE(Root()->FindTransaction(u"Leaf"));

  EXPECT_TRUE(first->IsLinkedTo(grandchild.Get()));
  EXPECT_TRUE(first->IsLinkedTo(first.Get()));
  EXPECT_FALSE(first->IsLinkedTo(twin.Get()));
  EXPECT_FALSE(grandchild->IsLinkedTo(first.Get()));
  EXPECT_FALSE(first->IsLinkedTo(nullptr));

  // Plans: a scenario is never the actual plan; a plain transaction is in
  // its parent's.
  EXPECT_FALSE(grandchild->Get_InActualPlan());
  EXPECT_TRUE(first->Get_InActualPlan());
  const auto underScenario = Child(grandchild.Get(), u"x");
  EXPECT_FALSE(underScenario->Get_InActualPlan());

  // Moving a child to another parent files it there.
  twin->Set_ParentTransaction(first.Get());
  EXPECT_EQ(second->Get_Transactions()->Get_Count(), 0);
  EXPECT_EQ(first->Get_Transactions()->Get_Count(), 2);
}

class UpdatesTest : public TransactionTest {
 protected:
  // A child that records its events.
  struct TWatched {
    ComPtr<TKRTransactionInterface> transaction;
    ComPtr<TRecordingHandler> handler = MakeComObject<TRecordingHandler>();
  };
  TWatched Watched(const std::u16string& name, int32_t cluster) {
    TWatched watched{Child(parent.Get(), name)};
    watched.transaction->Set_ClusterID(cluster);
    watched.transaction->RegisterEventHandler(watched.handler.Get());
    EXPECT_TRUE(watched.transaction->CheckConnected());
    return watched;
  }
  void TearDown() override {
    for (TWatched* w : {&a, &b, &c}) w->transaction->UnregisterEventHandler(w->handler.Get());
    TransactionTest::TearDown();
  }

  ComPtr<TKRTransactionInterface> parent = Child(Root().Get(), u"parent");
  TWatched a = Watched(u"a", 7), b = Watched(u"b", 7), c = Watched(u"c", kKRNoCluster);
};

TEST_F(UpdatesTest, TransactionsOfOneClusterDoNotSignalEachOther) {
  // c is refreshed (reconnected between the refresh events), then told.
  a.transaction->Set_CanCommit(false);
  b.transaction->Set_CanCommit(false);
  c.transaction->Set_CanCommit(false);
  ASSERT_TRUE(c.transaction->CheckConnected());
  api.ClearCalls();
  parent->NotifyDataChange(a.transaction.Get(), false);
  EXPECT_TRUE(a.handler->events.empty());
  EXPECT_TRUE(b.handler->events.empty());
  EXPECT_EQ(c.handler->Codes(), (std::vector<int32_t>{kKREventBeforeRefresh, kKREventAfterRefresh,
                                                      kKREventUpdatesAvailable}));
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSStartTransaction), 1);

  // Without a source every plain child hears of it; without AutoUpdate it
  // is told without a refresh.
  c.handler->events.clear();
  c.transaction->Set_AutoUpdate(false);
  parent->NotifyDataChange(nullptr, false);
  EXPECT_EQ(a.handler->Codes().back(), kKREventUpdatesAvailable);
  EXPECT_EQ(b.handler->Codes().back(), kKREventUpdatesAvailable);
  EXPECT_EQ(c.handler->Codes(), std::vector<int32_t>{kKREventUpdatesAvailable});
}

TEST_F(UpdatesTest, AChildThatFailsToTakeTheNewsKeepsNoneOfTheOthersFromIt) {
  for (TWatched* w : {&a, &b, &c}) w->transaction->Set_CanCommit(false);
  a.handler->events.clear();
  class TFailing : public ComObject<IKRProxyEventHandler> {
   public:
    void ProxyEvent(IKRProxy*, int32_t, OleVariant&) override { throw Exception("refused"); }
  };
  auto failing = MakeComObject<TFailing>();
  a.transaction->RegisterEventHandler(failing.Get());
  auto parentEvents = MakeComObject<TRecordingHandler>();
  parent->RegisterEventHandler(parentEvents.Get());
  parent->NotifyDataChange(nullptr, false);
  EXPECT_EQ(c.handler->Codes().back(), kKREventUpdatesAvailable);
  EXPECT_EQ(parentEvents->Codes(), std::vector<int32_t>{kKREventDataChange});
  a.transaction->UnregisterEventHandler(failing.Get());
  parent->UnregisterEventHandler(parentEvents.Get());
}

TEST_F(UpdatesTest, PendingChangesAreKeptUntilTheHandleIsReleased) {
  // A committable transaction told of its own data change is modified.
  a.transaction->NotifyDataChange(nullptr, false);
  a.handler->events.clear();
  a.transaction->NotifyUpdatesAvailable();
  EXPECT_TRUE(a.handler->events.empty());

  a.transaction->Disconnect();
  a.transaction->NotifyUpdatesAvailable();  // disconnected: nothing to refresh
  EXPECT_TRUE(a.handler->events.empty());
  ASSERT_TRUE(a.transaction->CheckConnected());
  a.transaction->NotifyUpdatesAvailable();
  EXPECT_EQ(a.handler->Codes(), (std::vector<int32_t>{kKREventBeforeRefresh, kKREventAfterRefresh,
                                                      kKREventUpdatesAvailable}));
}

TEST_F(TransactionTest, LocksAreAskedForOnlyWhenTheTransactionMayWrite) {
  api.On<TKRAPIFunction::KSGetClassName>(
      [](KSHandle, KSClassID id) { return id == 4 ? u"Customer" : nullptr; });
  KSStatus lockStatus = KS_OK;
  api.On<TKRAPIFunction::KSLockTable>(
      [&](KSHandle, KSHandle, int32_t, TKRAPIString) { return lockStatus; });
  api.On<TKRAPIFunction::KSLockDatabase>([&](KSHandle, KSHandle, int32_t) { return lockStatus; });

  EXPECT_FALSE(MakeComObject<TKRTransactionInterface>()->LockDatabase(1));
  const auto plain = Child(Root().Get(), u"p");
  EXPECT_TRUE(plain->LockDatabase(1));
  EXPECT_TRUE(plain->LockClass(4, 0));
  EXPECT_FALSE(plain->LockClass(5, 1));
  EXPECT_FALSE(plain->LockClass(kKRNullClassID, 1));
  lockStatus = KS_ERR_LOCKED;
  EXPECT_FALSE(plain->LockClass(4, 1));
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSLockTable),
            (Calls{R"(KSLockTable(300, 0, 0, "Customer"))", R"(KSLockTable(300, 0, 1, "Customer"))"}));
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSLockDatabase), Calls{"KSLockDatabase(300, 0, 1)"});

  plain->Set_ReadOnly(true);
  api.ClearCalls();
  EXPECT_FALSE(plain->LockDatabase(1));
  EXPECT_FALSE(plain->LockClass(4, 1));
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSLockDatabase) + api.CountOf(TKRAPIFunction::KSLockTable),
            0);
}

TEST_F(TransactionTest, AVisibilitySetAfterADescriptionNoLongerReachesTheScenario) {
  const auto scenario = Child<TKRScenarioInterface>(Root().Get(), u"S");
  scenario->Set_Visibility(krsvRestricted);
  scenario->Set_Description(u"Q3");
  scenario->Set_Description(u"Q3");
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSSetDescription),
            Calls{R"(KSSetDescription(300, "Q3"))"});
  scenario->Set_Visibility(krsvPrivate);
  EXPECT_EQ(scenario->Get_Visibility(), krsvRestricted);
  EXPECT_EQ(StartFlags(), std::vector<int32_t>{0x2500});
  EXPECT_TRUE(scenario->Get_CanCommit());
  EXPECT_TRUE(scenario->Get_Persistent());
}

TEST_F(TransactionTest, ALostServerDisconnectsOpenChildrenWithoutReleasingThem) {
  const auto plain = Child(Root().Get(), u"p");
  const auto grandchild = Child<TKRScenarioInterface>(plain.Get(), u"S");
  ASSERT_TRUE(grandchild->CheckConnected());
  // The root's parent is its session: the right to release is the server's.
  EXPECT_TRUE(grandchild->Get_HandleCanBeReleased());
  tree.server->Set_HandleCanBeReleased(false);
  EXPECT_FALSE(Root()->Get_HandleCanBeReleased());
  EXPECT_FALSE(grandchild->Get_HandleCanBeReleased());
  tree.server->Set_HandleCanBeReleased(true);

  api.ClearCalls();
  OleVariant lost = TKREventData::Make(KS_EVENT_CONNECTION_LOST, 0, {OleVariant(u"srv")});
  tree.session->HandleAPIEvent(lost);
  EXPECT_FALSE(plain->Get_Connected());
  EXPECT_FALSE(grandchild->Get_Connected());
  for (const TKRAPIFunction release :
       {TKRAPIFunction::KSRollback, TKRAPIFunction::KSReleaseTransaction,
        TKRAPIFunction::KSReleaseSession, TKRAPIFunction::KSDisconnectServer}) {
    EXPECT_EQ(api.CountOf(release), 0);
  }
}

}  // namespace
