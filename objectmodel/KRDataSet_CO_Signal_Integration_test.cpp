// Signal proxies over the real Database API library and the demo server.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "objectmodel/KRDataSet_CO_DemoServer_test.h"
#include "objectmodel/KRDataSet_CO_Signal.h"
#include "platform/win32/Messages.h"

using namespace kr_session_test;

namespace {

// Records each event with the thread it arrived on.
class TThreadRecordingHandler : public TRecordingHandler {
 public:
  void ProxyEvent(IKRProxy* sender, int32_t event, OleVariant& data) override {
    threads.push_back(std::this_thread::get_id());
    TRecordingHandler::ProxyEvent(sender, event, data);
  }
  std::vector<std::thread::id> threads;
};

using SignalIntegrationTest = TDemoServerTest;

TEST_F(SignalIntegrationTest, ASignalRaisedOnTheServerReachesTheSessionOnTheConsoleThread) {
  TProxyTree tree;
  tree.server->Set_ServerName(u"KestrelOS20");
  auto handler = MakeComObject<TThreadRecordingHandler>();
  tree.session->RegisterEventHandler(handler.Get());

  auto signal = MakeComObject<TKRSignalInterface>();
  signal->Set_Session(tree.session.Get());
  signal->Set_Name(u"ManyOrders");
  ASSERT_EQ(signal->Get_ArgumentCount(), 1);
  EXPECT_EQ(signal->Get_Arguments(0)->Get_Description(), u"Most orders");
  signal->Get_Arguments(0)->Set_Value(OleVariant(0));
  signal->Instanciate();
  ASSERT_TRUE(signal->Get_Instanciated());
  EXPECT_EQ(signal->Get_CheckInterval(), kKRDefaultCheckInterval);
  EXPECT_FALSE(signal->Get_Raised()) << "not evaluated before its first interval";

  signal->EvaluateNow();
  EXPECT_TRUE(signal->Get_Raised()) << "some customer of the demo has orders";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (handler->events.empty() && std::chrono::steady_clock::now() < deadline) {
    WaitForPostedMessages(std::chrono::milliseconds(50));
    ProcessMessages();
  }
  ASSERT_EQ(handler->Codes(), (std::vector<int32_t>{kKREventSignalRaised}));
  EXPECT_EQ(handler->events[0].data.AsInteger(), signal->Get_ID());
  EXPECT_EQ(handler->threads[0], std::this_thread::get_id());

  tree.session->RefreshSignalIDs();
  EXPECT_EQ(tree.session->Get_SignalIDCount(), 1);
  EXPECT_EQ(signal->Delete(), KS_OK);
  EXPECT_EQ(signal->Get_ID(), kKRNoSignalID);
  tree.session->RefreshSignalIDs();
  EXPECT_EQ(tree.session->Get_SignalIDCount(), 0) << "deleted on the server";
  tree.session->UnregisterEventHandler(handler.Get());
}

}  // namespace
