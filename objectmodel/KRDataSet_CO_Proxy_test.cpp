#include <gtest/gtest.h>

#include <stdexcept>

#include "objectmodel/KRDataSet_CO_TestProxies_test.h"
#include "platform/com/OleErrors.h"
#include "support/KRUtilFunctions_UNT.h"

using namespace kr_test;

namespace {

using Calls = std::vector<std::string>;

class ProxyTest : public ::testing::Test {
 protected:
  TTestAPI api;
};

TEST_F(ProxyTest, ConnectingALeafConnectsItsAncestorsFromTheTop) {
  TTestTree tree;
  EXPECT_FALSE(tree.session->Get_Connected());
  EXPECT_FALSE(tree.session->Get_HandleCanBeReleased());

  EXPECT_TRUE(tree.session->CheckConnected());

  EXPECT_EQ(api.Calls(), (Calls{R"(KSConnectServer("host", "srv"))", R"(KSSearchMeta(1, "m", "1"))",
                                R"(KSCreateSession(1, "user", null, null, 10, null))"}));
  EXPECT_EQ(tree.server->RawHandle(), 1u);
  EXPECT_EQ(tree.meta->RawHandle(), 10u);
  EXPECT_EQ(tree.session->Get_Handle(), 100u);
  EXPECT_TRUE(tree.session->Get_HandleCanBeReleased());
  // A connected proxy does not connect again.
  tree.session->Connect();
  EXPECT_EQ(api.Calls().size(), 3u);
}

TEST_F(ProxyTest, DisconnectingReleasesTheDependentsDeepestFirst) {
  TTestTree tree;
  auto second = MakeComObject<TTestProxy>(TTestLevel::Session, u"other");
  second->SetOwner(tree.meta.Get());
  tree.session->Connect();
  second->Connect();
  api.ClearCalls();

  tree.server->Disconnect();

  EXPECT_EQ(api.Calls(), (Calls{"KSReleaseSession(100)", "KSReleaseSession(101)",
                                "KSReleaseMeta(10)", "KSDisconnectServer(1)"}));
  for (TTestProxy* p : {tree.server.Get(), tree.meta.Get(), tree.session.Get(), second.Get()}) {
    EXPECT_FALSE(p->Get_Connected());
    EXPECT_FALSE(p->Get_HandleCanBeReleased());
  }
  // Disconnecting a disconnected proxy does nothing.
  api.ClearCalls();
  tree.server->Disconnect();
  EXPECT_TRUE(api.Calls().empty());
}

TEST_F(ProxyTest, ALostRightToReleaseKeepsTheWholeSubtreeFromReleasing) {
  TTestTree tree;
  tree.session->Connect();
  api.ClearCalls();

  tree.server->Set_HandleCanBeReleased(false);
  EXPECT_FALSE(tree.session->Get_HandleCanBeReleased());
  tree.server->Disconnect();

  EXPECT_TRUE(api.Calls().empty());
  EXPECT_EQ(tree.session->RawHandle(), 0u);
  EXPECT_EQ(tree.meta->RawHandle(), 0u);
  EXPECT_EQ(tree.server->RawHandle(), 0u);

  // After reconnecting, the proxies may release again.
  tree.session->Connect();
  api.ClearCalls();
  tree.meta->Disconnect();
  EXPECT_EQ(api.Calls(), (Calls{"KSReleaseSession(101)", "KSReleaseMeta(11)"}));
}

TEST_F(ProxyTest, AFailedOpenKeepsTheCodeInLastError) {
  api.On<TKRAPIFunction::KSConnectServer>([](TKRAPIString, TKRAPIString) { return KSHandle(0); });
  api.On<TKRAPIFunction::KSGetLastConnectError>([] { return KSStatus(KS_ERR_NO_SUCH_SERVER); });
  TTestTree tree;
  EXPECT_EQ(tree.server->Get_LastError(), 0);

  EXPECT_EQ(tree.server->Get_Handle(), 0u);
  EXPECT_EQ(tree.server->Get_LastError(), KS_ERR_NO_SUCH_SERVER);
  EXPECT_FALSE(tree.server->Get_HandleCanBeReleased());

  // The dependents find no connected parent and do not call the library.
  api.ClearCalls();
  EXPECT_FALSE(tree.meta->CheckConnected());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSSearchMeta), 0);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSConnectServer), 1);
}

TEST_F(ProxyTest, SettingTheSameParentAgainChangesNothing) {
  TTestTree tree;
  tree.session->Connect();
  api.ClearCalls();

  tree.session->SetOwner(tree.meta.Get());

  EXPECT_TRUE(tree.session->Get_Connected());
  EXPECT_TRUE(api.Calls().empty());
  EXPECT_EQ(tree.meta->Dependents()->Get_Count(), 1);
}

TEST_F(ProxyTest, ChangingTheParentLeavesTheOldListAndDisconnects) {
  TTestTree tree;
  auto otherMeta = MakeComObject<TTestProxy>(TTestLevel::Meta, u"m2");
  otherMeta->SetOwner(tree.server.Get());
  tree.session->Connect();
  api.ClearCalls();

  tree.session->SetOwner(otherMeta.Get());

  EXPECT_EQ(api.Calls(), Calls{"KSReleaseSession(100)"});
  EXPECT_FALSE(tree.session->Get_Connected());
  EXPECT_EQ(tree.meta->Dependents()->Get_Count(), 0);
  EXPECT_TRUE(otherMeta->Dependents()->IsProxyInList(tree.session.Get()));
  EXPECT_TRUE(AreProxiesEqual(tree.session->Get_Parent().Get(), otherMeta.Get()));
  EXPECT_TRUE(
      AreProxyListsEqual(tree.session->Get_ParentProxyList().Get(), otherMeta->Dependents()));

  // Detaching from every parent leaves no list either.
  tree.session->Set_Parent(nullptr);
  EXPECT_FALSE(tree.session->Get_Parent());
  EXPECT_FALSE(tree.session->Get_ParentProxyList());
  EXPECT_EQ(otherMeta->Dependents()->Get_Count(), 0);
}

TEST_F(ProxyTest, AFailedReleaseStillDropsTheHandle) {
  TTestTree tree;
  tree.meta->Connect();
  api.On<TKRAPIFunction::KSReleaseMeta>([](KSHandle) -> KSStatus { throw EConvertError("gone"); });
  EXPECT_THROW(tree.meta->Disconnect(), EOleException);
  EXPECT_FALSE(tree.meta->Get_Connected());
  EXPECT_FALSE(tree.meta->Get_HandleCanBeReleased());
}

TEST_F(ProxyTest, ReconnectReleasesAndObtainsAHandle) {
  TTestTree tree;
  tree.meta->Connect();
  api.ClearCalls();
  tree.meta->Reconnect();
  EXPECT_EQ(api.Calls(), (Calls{"KSReleaseMeta(10)", R"(KSSearchMeta(1, "m", "1"))"}));
  EXPECT_EQ(tree.meta->RawHandle(), 11u);
}

TEST_F(ProxyTest, SetHandleStoresWithoutOtherEffect) {
  TTestTree tree;
  tree.server->Set_Handle(42);
  EXPECT_TRUE(tree.server->Get_Connected());
  EXPECT_FALSE(tree.server->Get_HandleCanBeReleased());
  EXPECT_EQ(tree.server->Get_Handle(), 42u);
  tree.server->Disconnect();
  EXPECT_TRUE(api.Calls().empty());
}

TEST_F(ProxyTest, HasDependentsAndUniqueID) {
  TTestTree tree;
  EXPECT_TRUE(tree.server->Get_HasDependents());
  EXPECT_FALSE(tree.session->Get_HasDependents());
  EXPECT_TRUE(tree.server->Dependents()->Get_HasDependents());
  EXPECT_FALSE(tree.meta->Dependents()->Get_HasDependents());
  EXPECT_EQ(tree.server->Get_UniqueID(),
            reinterpret_cast<intptr_t>(static_cast<IKRProxy*>(tree.server.Get())));
  EXPECT_NE(tree.server->Get_UniqueID(), tree.meta->Get_UniqueID());
}

TEST_F(ProxyTest, HandlersAreCalledOnceEachInOrderAndMayAnswer) {
  TTestTree tree;
  auto first = MakeComObject<TRecordingHandler>();
  auto second = MakeComObject<TRecordingHandler>();
  tree.server->RegisterEventHandler(first.Get());
  tree.server->RegisterEventHandler(second.Get());
  tree.server->RegisterEventHandler(first.Get());
  std::vector<int> order;
  first->answer = [&](int32_t, OleVariant& data) {
    order.push_back(1);
    data = OleVariant(int32_t(7));
  };
  second->answer = [&](int32_t, OleVariant& data) {
    order.push_back(2);
    EXPECT_EQ(data.AsInteger(), 7);
  };

  OleVariant data(int32_t(3));
  tree.server->SendEvent(kKREventSignalRaised, data);

  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_EQ(data.AsInteger(), 7);
  ASSERT_EQ(first->events.size(), 1u);
  EXPECT_EQ(first->events[0].sender, tree.server->Get_UniqueID());
  EXPECT_EQ(first->events[0].event, kKREventSignalRaised);

  tree.server->UnregisterEventHandler(first.Get());
  tree.server->UnregisterEventHandler(first.Get());
  tree.server->SendEvent(kKREventSignalChanged, data);
  EXPECT_EQ(first->events.size(), 1u);
  EXPECT_EQ(second->events.size(), 2u);
  tree.server->UnregisterEventHandler(second.Get());
  tree.server->SendEvent(kKREventSignalChanged, data);
  EXPECT_EQ(second->events.size(), 2u);
}

TEST_F(ProxyTest, AHandlerUnregisteredDuringAnEventIsNotCalledAfterwards) {
  TTestTree tree;
  auto first = MakeComObject<TRecordingHandler>();
  auto second = MakeComObject<TRecordingHandler>();
  tree.server->RegisterEventHandler(first.Get());
  tree.server->RegisterEventHandler(second.Get());
  first->answer = [&](int32_t, OleVariant&) {
    tree.server->UnregisterEventHandler(second.Get());
    tree.server->UnregisterEventHandler(first.Get());
  };
  OleVariant data;
  tree.server->SendEvent(kKREventAPIEvent, data);
  EXPECT_EQ(first->events.size(), 1u);
  EXPECT_TRUE(second->events.empty());
}

// The five elements of a failure event.
void ExpectFailureData(const OleVariant& data, const std::u16string& className,
                       const std::u16string& message, bool silent) {
  ASSERT_TRUE(data.IsArray());
  EXPECT_EQ(data.LowBound(), 0);
  EXPECT_EQ(data.HighBound(), 4);
  EXPECT_EQ(data[0].AsString(), className);
  EXPECT_EQ(data[1].AsString(), message);
  EXPECT_NE(data[2].AsInt64(), 0);
  EXPECT_EQ(data[3].AsString(), u"kr_test::TTestProxy");
  EXPECT_EQ(data[4].AsBool(), silent);
}

TEST_F(ProxyTest, AnOrdinaryExceptionBecomesEvent16AndAnOleException) {
  TTestTree tree;
  auto handler = MakeComObject<TRecordingHandler>();
  tree.server->RegisterEventHandler(handler.Get());
  tree.server->failure = [] { throw EConvertError("bad value"); };

  try {
    tree.server->Get_Handle();
    FAIL() << "the failure did not reach the caller";
  } catch (const EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), E_UNEXPECTED);
    EXPECT_EQ(e.Message(), "bad value");
    EXPECT_FALSE(IsSilentException(e));
  }
  // Get_Handle, Connect and AssignHandle ran inside one another: one event.
  ASSERT_EQ(handler->events.size(), 1u);
  EXPECT_EQ(handler->events[0].event, kKREventInterfaceFailure);
  ExpectFailureData(handler->events[0].data, u"EConvertError", u"bad value", false);
  EXPECT_FALSE(tree.server->Get_Connected());
}

TEST_F(ProxyTest, ASilentExceptionGivesTheSilentCode) {
  TTestTree tree;
  auto handler = MakeComObject<TRecordingHandler>();
  tree.server->RegisterEventHandler(handler.Get());
  tree.server->failure = [] { throw EAbort("stop"); };

  try {
    tree.server->Connect();
    FAIL() << "the failure did not reach the caller";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), HResultOf(0x80400000));
    EXPECT_TRUE(IsSilentException(e));
  }
  ASSERT_EQ(handler->events.size(), 1u);
  ExpectFailureData(handler->events[0].data, u"EAbort", u"stop", true);
}

TEST_F(ProxyTest, AFailureCrossingTwoProxiesIsReportedByEach) {
  TTestTree tree;
  auto serverHandler = MakeComObject<TRecordingHandler>();
  auto metaHandler = MakeComObject<TRecordingHandler>();
  tree.server->RegisterEventHandler(serverHandler.Get());
  tree.meta->RegisterEventHandler(metaHandler.Get());
  tree.server->failure = [] { throw EOleSysError("refused", E_ACCESSDENIED); };

  try {
    tree.meta->Connect();
    FAIL() << "the failure did not reach the caller";
  } catch (const EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), E_ACCESSDENIED);
    EXPECT_EQ(e.Message(), "refused");
  }
  ASSERT_EQ(serverHandler->events.size(), 1u);
  ExpectFailureData(serverHandler->events[0].data, u"EOleSysError", u"refused", false);
  ASSERT_EQ(metaHandler->events.size(), 1u);
  ExpectFailureData(metaHandler->events[0].data, u"EOleException", u"refused", false);
}

TEST_F(ProxyTest, ANonRuntimeExceptionIsNamedByItsAddress) {
  TTestTree tree;
  auto handler = MakeComObject<TRecordingHandler>();
  tree.server->RegisterEventHandler(handler.Get());
  tree.server->failure = [] { throw std::runtime_error("plain"); };

  EXPECT_THROW(tree.server->Connect(), EOleException);
  ASSERT_EQ(handler->events.size(), 1u);
  const OleVariant& data = handler->events[0].data;
  EXPECT_EQ(data[0].AsString(), u"std::runtime_error");
  const std::u16string message = data[1].AsString();
  ASSERT_EQ(message.size(), 1 + 2 * sizeof(void*));
  EXPECT_EQ(message[0], u'$');
  EXPECT_EQ(message.find_first_not_of(u"0123456789ABCDEF", 1), std::u16string::npos);
}

TEST_F(ProxyTest, AHandlerFailingOnEvent16DoesNotReplaceTheFailure) {
  TTestTree tree;
  auto handler = MakeComObject<TRecordingHandler>();
  handler->answer = [](int32_t, OleVariant&) { throw EConvertError("handler"); };
  tree.server->RegisterEventHandler(handler.Get());
  tree.server->failure = [] { throw EAbort("original"); };

  try {
    tree.server->Connect();
    FAIL() << "the failure did not reach the caller";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.Message(), "original");
    EXPECT_EQ(e.ErrorCode(), kSilentExceptionErrorCode);
  }
}

TEST_F(ProxyTest, TheTreeGoesWithTheLastOutsideReference) {
  const int before = TTestProxy::LiveCount();
  {
    TTestTree tree;
    tree.session->Connect();
    tree.server.Reset();
    tree.meta.Reset();
    EXPECT_EQ(TTestProxy::LiveCount(), before + 3);
    api.ClearCalls();
  }
  EXPECT_EQ(TTestProxy::LiveCount(), before);
  EXPECT_EQ(api.Calls(),
            (Calls{"KSReleaseSession(100)", "KSReleaseMeta(10)", "KSDisconnectServer(1)"}));
}

TEST_F(ProxyTest, QueryInterfaceAnswersIKRProxy) {
  auto proxy = MakeComObject<TTestProxy>(TTestLevel::Server, u"srv");
  ComPtr<IKRProxy> asProxy = ComPtr<IUnknown>(proxy->UnknownSelf()).As<IKRProxy>();
  ASSERT_TRUE(asProxy);
  EXPECT_EQ(asProxy->Get_UniqueID(), proxy->Get_UniqueID());
  EXPECT_FALSE(ComPtr<IUnknown>(proxy->UnknownSelf()).As<IKRProxyList>());
}

}  // namespace
