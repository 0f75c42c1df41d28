#include "objectmodel/KRDataSet_CO_Session.h"

#include <gtest/gtest.h>

#include <map>

#include "objectmodel/KRDataSet_CO_RootTransaction.h"
#include "objectmodel/KRDataSet_CO_Session_TestSupport_test.h"
#include "platform/com/OleErrors.h"

using namespace kr_session_test;

namespace {

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override { FinalizeAPIEventReception(); }
  void TearDown() override { FinalizeAPIEventReception(); }

  TTestEnvironment environment;
  TScriptedServer api;
};

TEST_F(SessionTest, LoggingOnSendsTheLanguageAndSubscribesUntilTheHandleGoes) {
  TProxyTree tree;
  tree.session->Set_UserName(u"anna");
  tree.session->Set_Password(u"secret");
  tree.session->Set_RootTransactionName(u"Budget");

  ASSERT_EQ(tree.session->Get_Handle(), 100u);
  EXPECT_EQ(tree.session->Get_LastError(), 0);
  EXPECT_FALSE(tree.session->Get_InActualPlan());
  const Calls logon = api.Calls();
  const Calls expected{R"(KSCreateSession(1, "anna", "secret", "Northwind", 10, "Budget"))",
                       "KSSessionSetUserData(100, ptr)", R"(KSChangeSessionLanguage(100, "ENU"))",
                       "KSRegisterEventCallback(100, ptr, ptr)"};
  ASSERT_GE(logon.size(), expected.size());
  EXPECT_EQ(Calls(logon.end() - 4, logon.end()), expected);
  EXPECT_TRUE(GetGlobalAPIEventReceptionManager().IsSubscribed(tree.session.Get()));

  api.ClearCalls();
  tree.session->Disconnect();
  EXPECT_EQ(api.Calls(),
            (Calls{"KSRegisterEventCallback(100, null, ptr)", "KSReleaseSession(100)"}));
  EXPECT_FALSE(GetGlobalAPIEventReceptionManager().IsSubscribed(tree.session.Get()));
}

TEST_F(SessionTest, AFailedLogonKeepsTheLibrarysCode) {
  api.On<TKRAPIFunction::KSCreateSession>([](KSHandle, TKRAPIString, TKRAPIString, TKRAPIString,
                                             KSHandle, TKRAPIString) { return KSHandle(0); });
  api.On<TKRAPIFunction::KSGetLastSessionError>([] { return KSStatus(KS_ERR_LOGON_FAILED); });
  TProxyTree tree;
  EXPECT_FALSE(tree.session->CheckConnected());
  EXPECT_EQ(tree.session->Get_LastError(), KS_ERR_LOGON_FAILED);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSChangeSessionLanguage), 0);
  EXPECT_EQ(tree.session->GetClassID(u"Customer"), kKRNullClassID);
  EXPECT_EQ(tree.session->GetClassName(3), u"");
  EXPECT_FALSE(tree.session->Get_TableNames()->Get_Count());
}

TEST_F(SessionTest, ChangingTheLocaleSendsTheCodeAtOnceOnlyWhenConnected) {
  TProxyTree tree;
  tree.session->Set_LocaleID(1036);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSChangeSessionLanguage), 0);
  ASSERT_TRUE(tree.session->CheckConnected());
  tree.session->Set_LocaleID(1031);
  tree.session->Set_LocaleID(1031);
  EXPECT_EQ(
      api.CallsOf(TKRAPIFunction::KSChangeSessionLanguage),
      (Calls{R"(KSChangeSessionLanguage(100, "FRA"))", R"(KSChangeSessionLanguage(100, "DEU"))"}));
}

TEST_F(SessionTest, ChangingTheLogonTextsDisconnectsOnlyWhenTheyDiffer) {
  TProxyTree tree;
  ASSERT_TRUE(tree.session->CheckConnected());
  tree.session->Set_UserName(u"system");
  tree.session->Set_Password(u"");
  tree.session->Set_RootTransactionName(u"");
  EXPECT_TRUE(tree.session->Get_Connected());
  tree.session->Set_Password(u"x");
  EXPECT_FALSE(tree.session->Get_Connected());

  // Assign_ copies the logon through the setters.
  auto copy = MakeComObject<TKRSessionInterface>();
  copy->Set_LocaleID(1033);
  copy->Assign_(tree.session.Get());
  EXPECT_EQ(copy->Get_Password(), u"x");
  EXPECT_EQ(copy->Get_LocaleID(), kKRUserDefaultLocale);
  EXPECT_EQ(copy->Get_Database()->Get_UniqueID(), tree.database->Get_UniqueID());
  EXPECT_EQ(tree.database->Get_Sessions()->Get_Count(), 2);
}

class SessionEventTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    ASSERT_TRUE(tree.session->CheckConnected());
    ASSERT_TRUE(tree.session->Get_RootTransaction()->CheckConnected());
    tree.session->RegisterEventHandler(handler.Get());
  }
  void TearDown() override {
    tree.session->UnregisterEventHandler(handler.Get());
    SessionTest::TearDown();
  }
  void Deliver(int32_t kind, int32_t code, std::vector<OleVariant> values = {}) {
    OleVariant data = TKREventData::Make(kind, code, std::move(values));
    tree.session->HandleAPIEvent(data);
  }

  TProxyTree tree;
  ComPtr<TRecordingHandler> handler = MakeComObject<TRecordingHandler>();
};

TEST_F(SessionEventTest, SignalAndSessionEventsBecomeTheirOwnProxyEvents) {
  Deliver(KS_EVENT_SERVER_NOTICE, KS_NOTICE_SIGNAL_RAISED, {OleVariant(7)});
  Deliver(KS_EVENT_SERVER_NOTICE, KS_NOTICE_SIGNAL_CHANGED, {OleVariant(8)});
  // A signal ID the library sends as text counts the same.
  Deliver(KS_EVENT_SERVER_NOTICE, KS_NOTICE_SIGNAL_RAISED, {OleVariant(u"9")});
  Deliver(KS_EVENT_SESSION_MESSAGE, 0, {OleVariant(u"/tmp/n.dmp")});
  Deliver(KS_EVENT_DATABASE_OFFLINE, 0, {OleVariant(u"Northwind")});
  Deliver(KS_EVENT_DATABASE_OFFLINE, 0);
  ASSERT_EQ(handler->Codes(),
            (std::vector<int32_t>{kKREventSignalRaised, kKREventSignalChanged, kKREventSignalRaised,
                                  kKREventSessionMessage, kKREventDatabaseOffline,
                                  kKREventDatabaseOffline}));
  EXPECT_EQ(handler->events[0].data.AsInteger(), 7);
  EXPECT_EQ(handler->events[1].data.AsInteger(), 8);
  EXPECT_EQ(handler->events[2].data.AsInteger(), 9);
  EXPECT_EQ(handler->events[3].data.AsString(), u"/tmp/n.dmp");
  EXPECT_EQ(handler->events[4].data.AsString(), u"Northwind");
  EXPECT_TRUE(handler->events[5].data.IsEmpty());
  EXPECT_TRUE(tree.session->Get_Connected());
}

TEST_F(SessionEventTest, RootTransactionEventsReachOnlyTheirOwnSession) {
  constexpr int32_t kNotice = KS_EVENT_SERVER_NOTICE;
  Deliver(kNotice, KS_NOTICE_ROOT_TRANSACTION_CHANGED, {OleVariant(u"Budget")});
  EXPECT_TRUE(handler->events.empty());
  Deliver(kNotice, KS_NOTICE_ROOT_TRANSACTION_CHANGED, {OleVariant(u"Root")});
  Deliver(kNotice, KS_NOTICE_ROOT_TRANSACTION_REMOVED, {OleVariant(u"Budget")});
  EXPECT_TRUE(tree.session->Get_RootTransaction()->Get_Connected());

  // "Root" names the actual plan, this session's.
  Deliver(kNotice, KS_NOTICE_ROOT_TRANSACTION_REMOVED, {OleVariant(u"Root")});
  EXPECT_FALSE(tree.session->Get_RootTransaction()->Get_Connected());
  EXPECT_TRUE(tree.session->Get_Connected());
  ASSERT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventAPIEvent, kKREventAPIEvent}));
  EXPECT_EQ(TKREventData(handler->events[1].data).Code(), KS_NOTICE_ROOT_TRANSACTION_REMOVED);
}

TEST_F(SessionEventTest, ALostServerSeenByTheSessionMarksItsServerLost) {
  Deliver(KS_EVENT_SERVER_NOTICE, KS_NOTICE_DATABASES_CHANGED);
  EXPECT_TRUE(tree.server->Get_Available());
  api.ClearCalls();
  Deliver(KS_EVENT_CONNECTION_LOST, 0, {OleVariant(u"srv")});
  EXPECT_FALSE(tree.server->Get_Available());
  EXPECT_FALSE(tree.session->Get_Connected());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSReleaseSession), 0);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSDisconnectServer), 0);
  ASSERT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventAPIEvent, kKREventAPIEvent}));
  EXPECT_FALSE(TKREventData(handler->events[0].data).Disconnects());
  EXPECT_TRUE(TKREventData(handler->events[1].data).Disconnects());
}

TEST_F(SessionTest, TheSignalRegistryKeepsOneHandlePerID) {
  const KSHandle signals[] = {300, 301};
  api.On<TKRAPIFunction::KSGetInstanciatedSignals>([&](KSHandle, int32_t* count, int32_t) {
    *count = 2;
    return signals;
  });
  api.On<TKRAPIFunction::KSGetSignalID>([](KSHandle signal) { return int32_t(signal - 293); });
  TProxyTree tree;
  tree.session->RefreshSignalIDs();
  EXPECT_EQ(tree.session->Get_SignalIDCount(), 0);  // not connected: nothing listed

  ASSERT_TRUE(tree.session->CheckConnected());
  tree.session->RefreshSignalIDs();
  ASSERT_EQ(tree.session->Get_SignalIDCount(), 2);
  EXPECT_EQ(tree.session->Get_SignalIDs(1), 8);
  EXPECT_EQ(tree.session->FindSignalHandle(7), 300u);
  EXPECT_EQ(tree.session->FindSignalHandle(9), 0u);
  EXPECT_THROW(tree.session->Get_SignalIDs(2), EOleException);

  tree.session->AddSignalHandle(7, 999);
  tree.session->AddSignalHandle(9, 302);
  EXPECT_EQ(tree.session->FindSignalHandle(7), 300u);
  EXPECT_EQ(tree.session->FindSignalHandle(9), 302u);
  tree.session->RemoveSignalHandle(7, 12345);
  EXPECT_EQ(tree.session->FindSignalHandle(7), 0u);
  EXPECT_EQ(tree.session->Get_SignalIDCount(), 2);
}

TEST_F(SessionTest, TheRootTransactionUsesTheSessionsHandleAndIsNeverReleased) {
  TProxyTree tree;
  const ComPtr<IKRBaseTransaction> root = tree.session->Get_RootTransaction();
  EXPECT_EQ(root->Get_Session()->Get_UniqueID(), tree.session->Get_UniqueID());
  EXPECT_EQ(root->Get_Parent()->Get_UniqueID(), tree.session->Get_UniqueID());
  EXPECT_EQ(root->Get_Name(), u"");
  EXPECT_TRUE(root->Get_ReadOnly());
  EXPECT_TRUE(root->Get_Persistent());
  EXPECT_TRUE(root->Get_InActualPlan());
  EXPECT_EQ(root->Get_Level(), 0);
  EXPECT_EQ(root->Get_TopMostParentTransaction()->Get_UniqueID(), root->Get_UniqueID());

  tree.session->Set_RootTransactionName(u"Budget");
  EXPECT_EQ(root->Get_Handle(), 200u);
  EXPECT_EQ(root->Get_Name(), u"Budget");
  EXPECT_FALSE(root->Get_InActualPlan());
  EXPECT_EQ(tree.session->FindTransaction(u"Budget")->Get_UniqueID(), root->Get_UniqueID());
  EXPECT_FALSE(tree.session->FindTransaction(u"Draft"));
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSGetRootTrn), (Calls{"KSGetRootTrn(100)"}));

  api.On<TKRAPIFunction::KSGetFlags>([](KSHandle) { return int32_t(KS_FLAG_JOURNAL_ACTIVE | 1); });
  EXPECT_TRUE(tree.session->Get_IsDatabaseLoggingActive());
  api.On<TKRAPIFunction::KSGetFlags>([](KSHandle) { return int32_t(0x7FFF); });
  EXPECT_FALSE(tree.session->Get_IsDatabaseLoggingActive());

  api.ClearCalls();
  tree.session->Disconnect();
  EXPECT_FALSE(root->Get_Connected());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSReleaseTransaction), 0);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSRollback), 0);

  // A root kept beyond its session no longer refers to it.
  tree.session.Reset();
  EXPECT_FALSE(root->Get_Session());
  EXPECT_TRUE(root->Get_InActualPlan());
}

TEST_F(SessionTest, RefreshingTheRootReconnectsItBetweenTheRefreshEvents) {
  TProxyTree tree;
  const ComPtr<IKRBaseTransaction> root = tree.session->Get_RootTransaction();
  auto handler = MakeComObject<TRecordingHandler>();
  root->RegisterEventHandler(handler.Get());
  ASSERT_TRUE(root->CheckConnected());

  root->Refresh();

  EXPECT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventBeforeRefresh, kKREventAfterRefresh}));
  EXPECT_TRUE(root->Get_Connected());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetRootTrn), 2);
  root->UnregisterEventHandler(handler.Get());
}

TEST_F(SessionTest, TheRecordsClassComesFromItsTableAndTheObjectIsReleased) {
  api.On<TKRAPIFunction::KSGetObject>(
      [](KSHandle, KSRecordID id) { return KSHandle(id == 5 ? 400 : 0); });
  api.On<TKRAPIFunction::KSGetObjectTable>([](KSHandle) { return u"Customer"; });
  api.On<TKRAPIFunction::KSGetClassID>([](KSHandle, TKRAPIString) { return KSClassID(12); });
  api.On<TKRAPIFunction::KSGetClassName>(
      [](KSHandle, KSClassID id) { return id == 12 ? u"Customer" : u"Party"; });
  api.On<TKRAPIFunction::KSIsDescendentOf>(
      [](KSHandle, TKRAPIString parent, TKRAPIString) { return KSBool(parent[0] == u'P'); });
  TProxyTree tree;
  const ComPtr<IKRBaseTransaction> root = tree.session->Get_RootTransaction();

  EXPECT_EQ(root->GetClassID(5), 12);
  EXPECT_EQ(root->GetClassID(6), kKRNullClassID);
  EXPECT_EQ(root->GetClassID(kKRNullRecordID), kKRNullClassID);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSReleaseObject), (Calls{"KSReleaseObject(400)"}));
  // A Customer record is a Party.
  EXPECT_TRUE(root->IsA(11, 5));
  EXPECT_FALSE(root->IsA(11, 6));
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSIsDescendentOf).back(),
            R"(KSIsDescendentOf(100, "Party", "Customer"))");
}

TEST_F(SessionTest, InheritedClassAccessIsTheLowestRankedAlongTheChain) {
  // Class 1 (Base) ← 2 (Middle) ← 3 (Leaf); the accesses are set per name.
  std::map<std::u16string, int32_t> access = {{u"Base", 0}, {u"Middle", 2}, {u"Leaf", 1}};
  const char16_t* names[] = {nullptr, u"Base", u"Middle", u"Leaf"};
  api.On<TKRAPIFunction::KSGetClassName>(
      [&](KSHandle, KSClassID id) { return id >= 1 && id <= 3 ? names[id] : nullptr; });
  api.On<TKRAPIFunction::KSGetClassID>([&](KSHandle, TKRAPIString name) {
    for (KSClassID id = 1; id <= 3; ++id) {
      if (std::u16string_view(names[id]) == name) return id;
    }
    return kKRNullClassID;
  });
  api.On<TKRAPIFunction::KSGetBaseClass>([&](KSHandle, TKRAPIString name) -> const char16_t* {
    const std::u16string_view n(name);
    return n == u"Leaf" ? names[2] : n == u"Middle" ? names[1] : nullptr;
  });
  api.On<TKRAPIFunction::KSGetClassRootAccess>(
      [&](KSHandle, TKRAPIString name) { return access[name]; });
  TProxyTree tree;

  EXPECT_EQ(tree.session->GetClassAccess(3, false), 1);
  EXPECT_EQ(tree.session->GetClassAccess(3, true), 0);
  EXPECT_EQ(tree.session->GetClassAccess(1, true), 0);
  EXPECT_EQ(tree.session->GetClassAccess(kKRNullClassID, true), 3);

  // An own access of 3 is answered without asking the parents.
  access[u"Leaf"] = 3;
  access[u"Base"] = 1;
  api.ClearCalls();
  EXPECT_EQ(tree.session->GetClassAccess(3, true), 3);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetBaseClass), 0);
  // Without a parent of lower rank the own access stays.
  access[u"Leaf"] = 2;
  EXPECT_EQ(tree.session->GetClassAccess(3, true), 2);
  EXPECT_EQ(MapAccessToInteger(3), 0);
  EXPECT_EQ(MapAccessToInteger(0), 1);
  EXPECT_EQ(MapAccessToInteger(2), 2);
  EXPECT_EQ(MapAccessToInteger(1), 3);
}

TEST_F(SessionTest, AnExistingTransactionFoundByNameIsReleasedAtOnce) {
  api.On<TKRAPIFunction::KSFindTransaction>([](KSHandle, TKRAPIString name) {
    return KSHandle(std::u16string_view(name) == u"Budget" ? 500 : 0);
  });
  TProxyTree tree;
  EXPECT_TRUE(tree.session->TransactionExists(u"Budget"));
  EXPECT_FALSE(tree.session->TransactionExists(u"Draft"));
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSReleaseTransaction),
            (Calls{"KSReleaseTransaction(500)"}));
}

// A class tree Base → {A, B}, A → {A1}, B → {B1}; only A1 has the field
// "deep", and every class has "name".
class ClassTreeTest : public SessionTest {
 protected:
  ClassTreeTest() {
    api.On<TKRAPIFunction::KSGetClassName>([this](KSHandle, KSClassID id) -> const char16_t* {
      return id >= 0 && size_t(id) < FNames.size() ? FNames[size_t(id)] : nullptr;
    });
    api.On<TKRAPIFunction::KSGetClassID>([this](KSHandle, TKRAPIString name) {
      for (size_t id = 0; id < FNames.size(); ++id) {
        if (std::u16string_view(FNames[id]) == name) return KSClassID(id);
      }
      return kKRNullClassID;
    });
    api.On<TKRAPIFunction::KSGetDescendents>(
        [this](KSHandle, TKRAPIString name, int32_t* count) -> const char16_t* const* {
          const std::u16string_view n(name);
          const auto& list = n == u"Base" ? FBase : n == u"A" ? FA : n == u"B" ? FB : FNone;
          *count = int32_t(list.size());
          return list.data();
        });
    api.On<TKRAPIFunction::KSGetFields>(
        [this](KSHandle, TKRAPIString name, KSBool, int32_t* count) {
          *count = std::u16string_view(name) == u"A1" ? 2 : 1;
          return FFields;
        });
  }
  const std::vector<const char16_t*> FNames = {u"Base", u"A", u"B", u"A1", u"B1"};
  const std::vector<const char16_t*> FBase = {u"A", u"B"}, FA = {u"A1"}, FB = {u"B1"}, FNone;
  const KSFieldDescription FFields[2] = {
      {u"name", KS_TYPE_STRING, 0, 1, 0, 0, nullptr, 0, 0, nullptr, 0, {}},
      {u"deep", KS_TYPE_INTEGER, 0, 2, 0, 0, nullptr, 0, 1, nullptr, 0, {}}};
  TProxyTree tree;
};

TEST_F(ClassTreeTest, DescendentsAreListedLevelByLevel) {
  EXPECT_EQ(Texts(tree.session->GetDescendentNames(0, true).Get()),
            (std::vector<std::u16string>{u"A", u"B"}));
  EXPECT_EQ(Texts(tree.session->GetDescendentNames(0, false).Get()),
            (std::vector<std::u16string>{u"A", u"B", u"A1", u"B1"}));
  EXPECT_EQ(Texts(tree.session->GetDescendentNames(3, false).Get()).size(), 0u);
  EXPECT_FALSE(tree.session->GetDescendentNames(kKRNullClassID, false));
}

TEST_F(ClassTreeTest, AnIndexDescriptionIsSearchedThroughTheWholeSubtree) {
  EXPECT_EQ(tree.session->GetFieldDescription(0, u"deep", true), nullptr);
  const KSFieldDescription* deep = tree.session->GetIndexDescription(0, u"DEEP");
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(deep, &FFields[1]);
  EXPECT_EQ(tree.session->GetIndexDescription(0, u"name"), &FFields[0]);
  EXPECT_EQ(tree.session->GetIndexDescription(0, u"missing"), nullptr);
  // A pseudo field needs no class to look at.
  EXPECT_EQ(tree.session->GetIndexDescription(2, u"Id"), kKRIdentifierField);
  EXPECT_EQ(tree.session->GetFieldAccess(3, u"deep"), 2);
  EXPECT_EQ(tree.session->GetFieldAccess(3, u"missing"), kKRAccessInvisible);
}

TEST_F(SessionTest, ClassFlagsOfAnUnknownClassAreAllFalse) {
  api.On<TKRAPIFunction::KSGetClassName>(
      [](KSHandle, KSClassID id) { return id == 1 ? u"Known" : u"Missing"; });
  api.On<TKRAPIFunction::KSGetClassFlags>([](KSHandle, TKRAPIString name) {
    return std::u16string_view(name) == u"Known" ? 1 | 16 : -1;
  });
  TProxyTree tree;
  EXPECT_TRUE(tree.session->GetClassIsVirtual(1));
  EXPECT_FALSE(tree.session->GetClassIsComputed(1));
  EXPECT_FALSE(tree.session->GetClassIsPrivate(1));
  EXPECT_TRUE(tree.session->GetClassIsTransient(1));
  EXPECT_FALSE(tree.session->GetClassIsVirtual(2));
  EXPECT_FALSE(tree.session->GetClassIsTransient(2));
}

}  // namespace
