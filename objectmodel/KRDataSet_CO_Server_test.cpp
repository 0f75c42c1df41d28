#include "objectmodel/KRDataSet_CO_Server.h"

#include <gtest/gtest.h>

#include "objectmodel/KRDataSet_CO_Session_TestSupport_test.h"
#include "platform/com/OleErrors.h"

using namespace kr_session_test;

namespace {

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override { FinalizeAPIEventReception(); }
  void TearDown() override { FinalizeAPIEventReception(); }

  TTestEnvironment environment;
  TScriptedServer api;
};

TEST_F(ServerTest, SchemaNamesGroupTheVersionsOfEachNameSorted) {
  const KSHandle metas[] = {21, 22, 23, 24};
  api.On<TKRAPIFunction::KSGetAvailableMetas>([&](KSHandle, int32_t* count) {
    *count = 4;
    return metas;
  });
  api.On<TKRAPIFunction::KSGetMetaName>(
      [](KSHandle meta) { return meta == 23 ? u"Hr" : u"Sales"; });
  api.On<TKRAPIFunction::KSGetMetaVersion>(
      [](KSHandle meta) { return meta == 21 ? u"2.0" : u"1.0"; });
  auto server = MakeComObject<TKRServerInterface>();

  const ComPtr<IKRStringList> names = server->Get_SchemaNames();
  EXPECT_EQ(Texts(names.Get()), (std::vector<std::u16string>{u"Hr", u"Sales"}));
  EXPECT_EQ(Texts(server->Get_SchemaVersions(u"Sales").Get()),
            (std::vector<std::u16string>{u"1.0", u"2.0"}));
  EXPECT_EQ(Texts(server->Get_SchemaVersions(u"Hr").Get()), (std::vector<std::u16string>{u"1.0"}));
  EXPECT_FALSE(server->Get_SchemaVersions(u"sales"));
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetAvailableMetas), 1);

  // A disconnect drops the cache; a wrapper handed out before stays readable
  // and the next request lists again.
  server->Disconnect();
  EXPECT_EQ(names->Get_Strings(1), u"Sales");
  server->Get_SchemaNames();
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetAvailableMetas), 2);
}

TEST_F(ServerTest, AFailedConnectKeepsTheLibrarysCodeAndListsNothing) {
  api.On<TKRAPIFunction::KSConnectServer>([](TKRAPIString, TKRAPIString) { return KSHandle(0); });
  api.On<TKRAPIFunction::KSGetLastConnectError>([] { return KSStatus(KS_ERR_NO_SUCH_SERVER); });
  auto server = MakeComObject<TKRServerInterface>();
  server->Set_HostName(u"localhost");

  EXPECT_EQ(server->Get_Handle(), 0u);
  EXPECT_EQ(server->Get_LastError(), KS_ERR_NO_SUCH_SERVER);
  EXPECT_EQ(server->Get_SchemaNames()->Get_Count(), 0);
  EXPECT_FALSE(server->Get_SchemaVersions(u"Sales"));
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSConnectServer).front(),
            R"(KSConnectServer("localhost", "KestrelOS20"))");
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSGetAvailableMetas), 0);
}

TEST_F(ServerTest, ChangingTheNamesDisconnectsOnlyWhenTheyDiffer) {
  auto server = MakeComObject<TKRServerInterface>();
  server->Set_HostName(u"localhost");
  ASSERT_TRUE(server->CheckConnected());
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSServerSetUserData).size(), 1u);

  server->Set_HostName(u"localhost");
  server->Set_ServerName(u"KestrelOS20");
  EXPECT_TRUE(server->Get_Connected());
  server->Set_HostName(u"LOCALHOST");
  EXPECT_FALSE(server->Get_Connected());
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSDisconnectServer), (Calls{"KSDisconnectServer(1)"}));
  server->CheckConnected();
  server->Set_ServerName(u"Other");
  EXPECT_FALSE(server->Get_Connected());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSDisconnectServer), 2);
}

TEST_F(ServerTest, OnlyTheLostServerEventsMarkTheServerLost) {
  struct TCase {
    int32_t kind, code;
    bool lost;
  };
  for (const TCase c :
       {TCase{3, 102, false}, TCase{3, 105, true}, TCase{3, 101, true}, TCase{1, 0, true},
        TCase{2, 0, true}, TCase{4, 0, true}, TCase{5, 0, false}}) {
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.code));
    auto server = MakeComObject<TKRServerInterface>();
    auto handler = MakeComObject<TRecordingHandler>();
    server->CheckConnected();
    server->RegisterEventHandler(handler.Get());
    OleVariant data = TKREventData::Make(c.kind, c.code, {OleVariant(u"srv")});

    server->HandleAPIEvent(data);

    EXPECT_EQ(server->Get_Available(), !c.lost);
    EXPECT_EQ(server->Get_Connected(), !c.lost);
    ASSERT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventAPIEvent}));
    EXPECT_EQ(TKREventData(handler->events[0].data).Disconnects(), c.lost);
    server->UnregisterEventHandler(handler.Get());
  }
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSDisconnectServer), 2);  // the two kept connections
}

TEST_F(ServerTest, ALostServerDisconnectsItsTreeWithoutAnyReleaseCall) {
  TProxyTree tree;
  ASSERT_TRUE(tree.session->CheckConnected());
  ASSERT_TRUE(tree.session->Get_RootTransaction()->CheckConnected());
  api.ClearCalls();
  OleVariant data = TKREventData::Make(KS_EVENT_SERVER_SHUTDOWN, 0, {OleVariant(u"srv")});

  tree.server->HandleAPIEvent(data);

  for (IKRProxy* proxy : std::initializer_list<IKRProxy*>{
           tree.server.Get(), tree.schema.Get(), tree.database.Get(), tree.session.Get(),
           tree.session->Get_RootTransaction().Get()}) {
    EXPECT_FALSE(proxy->Get_Connected());
  }
  for (const std::string& call : api.Calls()) {
    EXPECT_EQ(call.find("Release"), std::string::npos) << call;
    EXPECT_EQ(call.find("Disconnect"), std::string::npos) << call;
  }
  // Until it is made available again, the server does not try to connect.
  api.ClearCalls();
  EXPECT_FALSE(tree.session->CheckConnected());
  EXPECT_EQ(tree.server->Get_LastError(), kKRServerNotAvailable);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSConnectServer), 0);
  tree.server->Set_Available(true);
  EXPECT_TRUE(tree.session->CheckConnected());
}

TEST_F(ServerTest, TheFirstServerWithAHandlerReceivesTheGlobalEventsUntilOneHandlerGoes) {
  auto first = MakeComObject<TKRServerInterface>();
  auto second = MakeComObject<TKRServerInterface>();
  auto a = MakeComObject<TRecordingHandler>();
  auto b = MakeComObject<TRecordingHandler>();

  first->RegisterEventHandler(a.Get());
  first->RegisterEventHandler(b.Get());
  second->RegisterEventHandler(a.Get());
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSRegisterEventCallback),
            (Calls{"KSRegisterEventCallback(0, ptr, null)"}));
  EXPECT_EQ(GetDefaultSubscription().Key, static_cast<IKRProxy*>(first.Get()));

  first->UnregisterEventHandler(b.Get());
  EXPECT_FALSE(GetDefaultSubscription().Active);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSRegisterEventCallback).back(),
            "KSRegisterEventCallback(0, null, null)");

  // The next registration makes its server the receiver; a receiver that
  // goes ends the registration.
  second->RegisterEventHandler(b.Get());
  EXPECT_EQ(GetDefaultSubscription().Key, static_cast<IKRProxy*>(second.Get()));
  EXPECT_TRUE(GetDefaultSubscription().Active);
  second.Reset();
  EXPECT_FALSE(GetDefaultSubscription().Active);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSRegisterEventCallback), 4);
  first->UnregisterEventHandler(a.Get());
}

class SchemaTest : public ServerTest {
 protected:
  void Services(std::vector<const char16_t*> all, std::vector<const char16_t*> publicOnly) {
    FAll = std::move(all);
    FPublic = std::move(publicOnly);
    api.On<TKRAPIFunction::KSGetAvailableServices>(
        [this](KSHandle, KSHandle, int32_t* count, KSBool publicOnly) {
          const auto& list = publicOnly ? FPublic : FAll;
          *count = int32_t(list.size());
          return list.data();
        });
  }
  std::vector<const char16_t*> FAll, FPublic;
};

TEST_F(SchemaTest, DBServicesAreSortedAndThePublicOnesMarked) {
  Services({u"Invoicing", u"Audit", u"Forecast"}, {u"Invoicing", u"Forecast"});
  TProxyTree tree;

  EXPECT_TRUE(tree.schema->IsDBServiceNameValid(u"Audit"));
  EXPECT_TRUE(tree.schema->IsDBServicePrivate(u"Audit"));
  EXPECT_FALSE(tree.schema->IsDBServicePrivate(u"Invoicing"));
  EXPECT_FALSE(tree.schema->IsDBServicePrivate(u"Unknown"));
  EXPECT_FALSE(tree.schema->IsDBServiceNameValid(u"audit"));
  EXPECT_EQ(Texts(tree.schema->Get_DBServiceNames().Get()),
            (std::vector<std::u16string>{u"Audit", u"Forecast", u"Invoicing"}));
  EXPECT_EQ(
      api.CallsOf(TKRAPIFunction::KSGetAvailableServices),
      (Calls{"KSGetAvailableServices(1, 10, ptr, 0)", "KSGetAvailableServices(1, 10, ptr, 1)"}));
}

TEST_F(SchemaTest, APublicServiceMissingFromTheFullListingFailsAtTheInterface) {
  Services({u"Audit"}, {u"Invoicing"});
  TProxyTree tree;
  auto handler = MakeComObject<TRecordingHandler>();
  tree.schema->RegisterEventHandler(handler.Get());

  EXPECT_THROW(tree.schema->Get_DBServiceNames(), EOleException);

  ASSERT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventInterfaceFailure}));
  EXPECT_NE(handler->events[0].data[1].AsString().find(u"Invoicing"), std::u16string::npos);
  // No half-built cache is kept: the next request asks again.
  Services({u"Audit", u"Invoicing"}, {u"Invoicing"});
  EXPECT_EQ(tree.schema->Get_DBServiceNames()->Get_Count(), 2);
  tree.schema->UnregisterEventHandler(handler.Get());
}

TEST_F(SchemaTest, ASchemaRegistersWithItsServerAndAFailedSearchLeavesNoCode) {
  api.On<TKRAPIFunction::KSSearchMeta>(
      [](KSHandle, TKRAPIString, TKRAPIString) { return KSHandle(0); });
  TProxyTree tree;
  EXPECT_TRUE(tree.server->Get_HasDependents());
  EXPECT_EQ(tree.server->Get_Schemas()->Get_Count(), 1);

  EXPECT_FALSE(tree.schema->CheckConnected());
  EXPECT_EQ(tree.schema->Get_LastError(), 0);
  EXPECT_FALSE(tree.schema->Get_DatabaseNames());
  // Each question tries to connect again.
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSSearchMeta),
            (Calls(2, R"(KSSearchMeta(1, "Sales", "1.0"))")));

  tree.schema->Set_Server(nullptr);
  EXPECT_EQ(tree.server->Get_Schemas()->Get_Count(), 0);
}

}  // namespace
