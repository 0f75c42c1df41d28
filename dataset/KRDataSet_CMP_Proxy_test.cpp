// The diagnostic events every component proxy shares: failures trapped at
// the proxy's interface, traces and error logs, and what becomes of their
// handlers when the owner goes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "dataset/KRDataSet_CMP_Transactions.h"
#include "objectmodel/KRAPI_UNT_Fake.h"
#include "objectmodel/KRDataSet_CO_Proxy.h"
#include "support/testing/KRMessageRecorder.h"

namespace {

struct TTraced {
  std::string Text;
  int32_t Detail;
};

// The data of event 16 as a proxy's interface boundary sends it.
OleVariant FailureData(bool silent) {
  return OleVariant::ArrayOf({OleVariant(u"EKRDatabaseError"), OleVariant(u"no such class"),
                              OleVariant(int64_t(0x1234ABCD)),
                              OleVariant(u"TKRTransactionInterface"), OleVariant(silent)});
}

OleVariant TraceData(int32_t level, const std::u16string& text) {
  return OleVariant::ArrayOf({OleVariant(level), OleVariant(text)});
}

class ProxyEventsTest : public ::testing::Test {
 protected:
  ProxyEventsTest() {
    form.SetName("OrdersForm");
    transaction = new TKRTransaction(&form);
    transaction->SetName("Orders");
    transaction->OnTrace = [this](TComponent& sender, const std::string& text, int32_t detail) {
      EXPECT_EQ(&sender, transaction);
      traces.push_back({text, detail});
    };
    transaction->OnLogError = [this](TComponent&, const std::string& text, int32_t level) {
      logged.push_back({text, level});
    };
  }

  void Send(int32_t event, OleVariant data) { transaction->ProxyEvent(nullptr, event, data); }

  TKRFakeAPI api;
  TComponent form{nullptr};
  TKRTransaction* transaction;  // owned by the form
  std::vector<TTraced> traces;
  std::vector<TTraced> logged;
};

TEST_F(ProxyEventsTest, TracesAndErrorLogsReachTheirHandlersWithDetailsOnlyWhenAskedFor) {
  Send(kKREventTrace, TraceData(0, u"refreshed"));
  Send(kKREventErrorLog, TraceData(3, u"commit failed"));

  ASSERT_EQ(traces.size(), 1u);
  EXPECT_EQ(traces[0].Text, "refreshed");
  EXPECT_EQ(traces[0].Detail, 0);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].Text,
            "commit failed\nComponent: TKRTransaction\nName: Orders\nOwner: TComponent");
  EXPECT_EQ(logged[0].Detail, 3);
}

TEST_F(ProxyEventsTest, TraceDetailsLeaveOutTheNameAndTheOwnerAComponentLacks) {
  TKRTransaction alone(nullptr);
  EXPECT_EQ(alone.GetTraceDetails(), "\nComponent: TKRTransaction");
  transaction->SetName("");
  EXPECT_EQ(transaction->GetTraceDetails(), "\nComponent: TKRTransaction\nOwner: TComponent");
}

TEST_F(ProxyEventsTest, OutputAskedForOnAnotherThreadIsDropped) {
  std::thread other([this] {
    transaction->Trace("from elsewhere", 1);
    transaction->LogError("from elsewhere", 2);
  });
  other.join();
  EXPECT_TRUE(traces.empty());
  EXPECT_TRUE(logged.empty());
  // The handlers stay: the same calls on the main thread arrive.
  transaction->Trace("here", 0);
  EXPECT_EQ(traces.size(), 1u);
}

TEST_F(ProxyEventsTest, RemovingTheOwnerClearsTheBaseEventsAndLaterEventsDoNothing) {
  TComponent application(nullptr);
  application.InsertComponent(&form);
  int trapped = 0;
  transaction->OnSafeCallException = [&](TComponent&, const std::string&, const std::string&, bool,
                                         const std::string&, intptr_t) { ++trapped; };
  // A sibling going away is no reason to forget the handlers.
  delete new TComponent(&form);
  Send(kKREventTrace, TraceData(0, u"still heard"));
  EXPECT_EQ(traces.size(), 1u);

  application.RemoveComponent(&form);
  EXPECT_FALSE(transaction->OnSafeCallException);
  EXPECT_FALSE(transaction->OnTrace);
  EXPECT_FALSE(transaction->OnLogError);
  TKRMessageRecorder recorder;
  Send(kKREventTrace, TraceData(0, u"after"));
  Send(kKREventErrorLog, TraceData(1, u"after"));
  Send(kKREventInterfaceFailure, FailureData(true));
  EXPECT_EQ(traces.size(), 1u);
  EXPECT_TRUE(logged.empty());
  EXPECT_EQ(trapped, 0);
  EXPECT_TRUE(recorder.Messages().empty());
}

TEST_F(ProxyEventsTest, WhileTheOwnerIsDestroyedAHandlerDueIsClearedInsteadOfCalled) {
  bool trapped = false;
  transaction->OnSafeCallException = [&](TComponent&, const std::string&, const std::string&, bool,
                                         const std::string&, intptr_t) { trapped = true; };
  form.Destroying();
  Send(kKREventTrace, TraceData(0, u"late"));
  Send(kKREventInterfaceFailure, FailureData(false));
  EXPECT_TRUE(traces.empty());
  EXPECT_FALSE(trapped);
  EXPECT_FALSE(transaction->OnTrace);
  EXPECT_FALSE(transaction->OnSafeCallException);
  // The error log was not due, so it is kept.
  EXPECT_TRUE(transaction->OnLogError);
}

TEST_F(ProxyEventsTest, ATrappedFailureGoesToTheHandlerOrIsShownUnlessSilent) {
  TKRMessageRecorder recorder;
  Send(kKREventInterfaceFailure, FailureData(true));
  EXPECT_TRUE(recorder.Messages().empty());

  Send(kKREventInterfaceFailure, FailureData(false));
  ASSERT_EQ(recorder.Messages().size(), 1u);
  const TKRRecordedMessage& shown = recorder.Messages()[0];
  EXPECT_EQ(shown.Caption, "Safecall exception trapped");
  EXPECT_EQ(shown.Text,
            "Norvik Supply Chain Solutions, GUI Framework\r"
            "class: 'EKRDatabaseError', message: 'no such class', address: $1234ABCD\r"
            "trapped by: TKRTransactionInterface\r"
            "invoked by: 'Orders' [TKRTransaction]");
  EXPECT_EQ(shown.Kind, mtError);
  EXPECT_EQ(shown.Buttons, std::vector<std::string>{"OK"});

  std::vector<std::string> received;
  transaction->OnSafeCallException = [&](TComponent& sender, const std::string& className,
                                         const std::string& message, bool silent,
                                         const std::string& where, intptr_t address) {
    EXPECT_EQ(&sender, transaction);
    EXPECT_TRUE(silent);
    EXPECT_EQ(address, 0x1234ABCD);
    received = {className, message, where};
  };
  Send(kKREventInterfaceFailure, FailureData(true));
  EXPECT_EQ(received, (std::vector<std::string>{"EKRDatabaseError", "no such class",
                                                "TKRTransactionInterface"}));
  EXPECT_EQ(recorder.Messages().size(), 1u);
}

TEST(ProxyTest, AComponentWithoutProxyLogsThatItHasNone) {
  TKRProxy proxy(nullptr, nullptr);
  std::vector<TTraced> logged;
  proxy.OnLogError = [&](TComponent&, const std::string& text, int32_t level) {
    logged.push_back({text, level});
  };
  EXPECT_FALSE(proxy.GetProxyInterface());
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].Text, "Proxy interface not set.\nComponent: TKRProxy");
  EXPECT_EQ(logged[0].Detail, 2);
}

// A proxy that says when it is destroyed and, unless `registrable`, answers
// no IKRProxy to QueryInterface, so that the global interface table refuses
// it.
class TProbeProxy : public TKRProxyInterface<IKRProxy> {
 public:
  TProbeProxy(bool& destroyed, bool registrable)
      : FDestroyed(destroyed), FRegistrable(registrable) {}
  ~TProbeProxy() override { FDestroyed = true; }

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!FRegistrable && iid == IKRProxy::kIID) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return TKRProxyInterface<IKRProxy>::QueryInterface(iid, object);
  }

 protected:
  void AssignHandle() override {}
  void ReleaseHandle() override {}

 private:
  bool& FDestroyed;
  bool FRegistrable;
};

TEST(ProxyTest, AnotherThreadGetsTheProxyThroughTheTableUntilTheComponentGoes) {
  bool destroyed = false;
  ComPtr<IKRProxy> proxy = MakeComObject<TProbeProxy>(destroyed, true);
  auto component = std::make_unique<TKRProxy>(nullptr, proxy);
  EXPECT_EQ(component->GetProxyInterface().Get(), proxy.Get());
  IKRProxy* seen = nullptr;
  std::thread([&] { seen = component->GetProxyInterface().Get(); }).join();
  EXPECT_EQ(seen, proxy.Get());

  // The component's registration in the table ends with it: the proxy lives
  // no longer than the references its users hold.
  component.reset();
  EXPECT_FALSE(destroyed);
  proxy.Reset();
  EXPECT_TRUE(destroyed);
}

TEST(ProxyTest, AProxyTheTableRefusedServesTheCreatingThreadOnly) {
  bool destroyed = false;
  {
    ComPtr<IKRProxy> proxy = MakeComObject<TProbeProxy>(destroyed, false);
    TKRProxy component(nullptr, proxy);
    EXPECT_EQ(component.GetProxyInterface().Get(), proxy.Get());
    std::string failure;
    std::thread([&] {
      try {
        component.GetProxyInterface();
      } catch (const EKRThreadSafeInterfaceError& e) {
        failure = e.Message();
      }
    }).join();
    EXPECT_EQ(failure,
              "accessing an interface which failed to be registered in the GIT, IID: " +
                  GuidToString(IKRProxy::kIID));
  }
  EXPECT_TRUE(destroyed);
}

}  // namespace
