#include "objectmodel/KRDataSet_CO_Events.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "objectmodel/KRDataSet_CO_DemoServer_test.h"
#include "objectmodel/KRDataSet_CO_Events_Data.h"
#include "objectmodel/KRDataSet_CO_Proxy.h"

namespace {

using kr_session_test::BuiltKestrelAPI;
using kr_session_test::kNoBuiltKestrel;

using Calls = std::vector<std::string>;

int gDispatchedToAnyProxy = 0;

// A proxy with a fixed handle that records the API events and commit
// progress it receives.
class TReceivingProxy : public TKRProxyInterface<IKRProxy>, public TKRCommitProgressReceiver {
 public:
  explicit TReceivingProxy(KSHandle handle) : FAssigned(handle) {}

  void HandleAPIEvent(OleVariant& data) override {
    Guard([&] {
      ++gDispatchedToAnyProxy;
      if (failing) throw std::runtime_error("handling failed");
      events.push_back(data);
    });
  }
  void CommitProgressCallback(int32_t percentage, const std::u16string& text,
                              bool finished) override {
    ++gDispatchedToAnyProxy;
    progress.push_back({percentage, text, finished});
  }

  struct TProgress {
    int32_t percentage;
    std::u16string text;
    bool finished;
  };
  std::vector<OleVariant> events;
  std::vector<TProgress> progress;
  bool failing = false;

 protected:
  void AssignHandle() override { FHandle = FAssigned; }
  void ReleaseHandle() override {}

 private:
  KSHandle FAssigned;
};

// Runs `work` on a thread of its own, as the library runs its callbacks.
void OnLibraryThread(const std::function<void()>& work) { std::thread(work).join(); }

KSEventRecord Event(int32_t kind, int32_t code, const std::vector<KSField>& values = {}) {
  return {kind, code, 0, int32_t(values.size()), values.empty() ? nullptr : values.data()};
}

void PostEvent(int32_t kind, int32_t code, IKRProxy* key) {
  OnLibraryThread([&] {
    const KSEventRecord event = Event(kind, code);
    GlobalHandleAPIEventReception(&event, key);
  });
}

LRESULT ForeignProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

class APIEventReceptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FinalizeAPIEventReception();
    gDispatchedToAnyProxy = 0;
  }
  void TearDown() override {
    FinalizeAPIEventReception();
    GetDefaultSubscription() = TKRSubscription{};
  }

  ComPtr<TReceivingProxy> Session(KSHandle handle = 100) {
    return MakeComObject<TReceivingProxy>(handle);
  }

  TKRFakeAPI api;
};

TEST_F(APIEventReceptionTest, AnEventWithoutValuesArrivesWithNullInElementThree) {
  auto session = Session();
  GetGlobalAPIEventReceptionManager().Subscribe(session.Get());
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSRegisterEventCallback),
            (Calls{"KSRegisterEventCallback(100, ptr, ptr)"}));

  PostEvent(KS_EVENT_SESSION_MESSAGE, 0, session.Get());
  EXPECT_TRUE(session->events.empty());
  EXPECT_EQ(ProcessMessages(), 1);

  ASSERT_EQ(session->events.size(), 1u);
  TKREventData event(session->events[0]);
  EXPECT_FALSE(event.Disconnects());
  EXPECT_EQ(event.Kind(), KS_EVENT_SESSION_MESSAGE);
  EXPECT_EQ(event.Code(), 0);
  EXPECT_TRUE(event.Values().IsNull());
}

TEST_F(APIEventReceptionTest, EventValuesAreCopiedOutOfTheLibrarysBuffers) {
  auto session = Session();
  GetGlobalAPIEventReceptionManager().Subscribe(session.Get());
  OnLibraryThread([&] {
    std::u16string buffer = u"archive/demo.dmp";
    std::vector<KSField> values(4);
    values[0].type = KS_TYPE_STRING;
    values[0].value.asString = buffer.c_str();
    values[1].type = KS_TYPE_INTEGER;
    values[1].value.asInteger = 106;
    values[2].type = KS_TYPE_UNSUPPORTED;
    values[3].type = KS_TYPE_BOOLEAN;
    values[3].value.asBoolean = 5;
    const KSEventRecord event = Event(KS_EVENT_SERVER_NOTICE, 117, values);
    GlobalHandleAPIEventReception(&event, session.Get());
    // The library reuses its buffer as soon as the callback returns.
    buffer.assign(buffer.size(), u'#');
  });
  ProcessMessages();

  ASSERT_EQ(session->events.size(), 1u);
  TKREventData event(session->events[0]);
  ASSERT_EQ(event.ValueCount(), 4);
  EXPECT_EQ(event.TextValue(0), u"archive/demo.dmp");
  EXPECT_EQ(event.IntegerValue(1), 106);
  EXPECT_TRUE(event.Value(2).IsEmpty());
  EXPECT_TRUE(event.Value(3).AsBool());
  EXPECT_EQ(event.Code(), 117);
}

TEST_F(APIEventReceptionTest, AnEventForASessionReleasedBeforeDispatchReachesNoProxy) {
  auto session = Session();
  TKRAPIEventReceptionManager& manager = GetGlobalAPIEventReceptionManager();
  manager.Subscribe(session.Get());
  session->Connect();
  PostEvent(KS_EVENT_DATABASE_OFFLINE, 0, session.Get());
  PostEvent(KS_EVENT_SESSION_MESSAGE, 0, session.Get());

  manager.Unsubscribe(session.Get());
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSRegisterEventCallback).back(),
            "KSRegisterEventCallback(100, null, ptr)");
  session.Reset();

  // Both records are taken and freed without reaching a proxy.
  EXPECT_EQ(ProcessMessages(), 2);
  EXPECT_EQ(gDispatchedToAnyProxy, 0);
}

TEST_F(APIEventReceptionTest, SubscribeAndUnsubscribeAreIdempotent) {
  auto session = Session();
  TKRAPIEventReceptionManager& manager = GetGlobalAPIEventReceptionManager();
  EXPECT_FALSE(manager.GetSubscription(session.Get()).Active);
  manager.Unsubscribe(session.Get());
  manager.Subscribe(session.Get());
  manager.Subscribe(session.Get());
  EXPECT_TRUE(manager.IsSubscribed(session.Get()));
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSRegisterEventCallback), 1);
  manager.Unsubscribe(session.Get());
  manager.Unsubscribe(session.Get());
  EXPECT_FALSE(manager.IsSubscribed(session.Get()));
  EXPECT_EQ(
      api.CallsOf(TKRAPIFunction::KSRegisterEventCallback),
      (Calls{"KSRegisterEventCallback(100, ptr, ptr)", "KSRegisterEventCallback(100, null, ptr)"}));
  // Subscribing again after unsubscribing registers again.
  manager.Subscribe(session.Get());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSRegisterEventCallback), 3);
  EXPECT_THROW(manager.Subscribe(nullptr), EKRAPIEventReceptionError);
}

TEST_F(APIEventReceptionTest, AProxyThatGetsNoHandleCannotSubscribe) {
  auto unreachable = Session(0);
  TKRAPIEventReceptionManager& manager = GetGlobalAPIEventReceptionManager();
  EXPECT_THROW(manager.Subscribe(unreachable.Get()), EKRAPIEventReceptionError);
  EXPECT_FALSE(manager.IsSubscribed(unreachable.Get()));
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSRegisterEventCallback), 0);
}

TEST_F(APIEventReceptionTest, UnsubscribingAProxyThatLostItsHandleDoesNotReconnectIt) {
  auto session = Session();
  TKRAPIEventReceptionManager& manager = GetGlobalAPIEventReceptionManager();
  manager.Subscribe(session.Get());
  session->Set_Handle(0);
  api.ClearCalls();
  manager.Unsubscribe(session.Get());
  EXPECT_FALSE(session->Get_Connected());
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSRegisterEventCallback), 0);
  EXPECT_FALSE(manager.IsSubscribed(session.Get()));
}

TEST_F(APIEventReceptionTest, GlobalEventsGoToTheActiveDefaultReceiverOnly) {
  auto server = Session(1);
  PostEvent(KS_EVENT_SERVER_SHUTDOWN, 0, nullptr);
  EXPECT_EQ(ProcessMessages(), 0);  // nothing could be posted yet

  ActivateDefaultSubscription(server.Get());
  EXPECT_EQ(GetDefaultSubscription().Key, server.Get());
  PostEvent(KS_EVENT_SERVER_SHUTDOWN, 0, nullptr);
  EXPECT_EQ(ProcessMessages(), 1);
  ASSERT_EQ(server->events.size(), 1u);
  EXPECT_EQ(TKREventData(server->events[0]).Kind(), KS_EVENT_SERVER_SHUTDOWN);

  PostEvent(KS_EVENT_SERVER_NOTICE, KS_NOTICE_SERVER_STOPPED, nullptr);
  DeactivateDefaultSubscription();
  EXPECT_EQ(ProcessMessages(), 1);
  EXPECT_EQ(server->events.size(), 1u);
}

TEST_F(APIEventReceptionTest, CommitProgressReachesOnlySubscribedTransactions) {
  auto transaction = Session(300);
  IKRProxy* key = transaction.Get();
  api.On<TKRAPIFunction::KSTransactionGetUserData>([&](KSHandle) -> void* { return key; });
  TKRCommitProgressReceptionManager& manager = GetGlobalCommitProgressReceptionManager();

  OnLibraryThread([] { GlobalHandleCommitProgressReception(10, u"early", 0, 300); });
  EXPECT_EQ(ProcessMessages(), 1);
  EXPECT_TRUE(transaction->progress.empty());

  manager.Subscribe(key);
  EXPECT_EQ(api.CountOf(TKRAPIFunction::KSRegisterEventCallback), 0);
  OnLibraryThread([] {
    std::u16string text = u"writing";
    GlobalHandleCommitProgressReception(65536 + 42, text.c_str(), 0, 300);
    text = u"changed";
    GlobalHandleCommitProgressReception(0xFFFF, nullptr, 7, 300);
  });
  EXPECT_EQ(ProcessMessages(), 2);
  ASSERT_EQ(transaction->progress.size(), 2u);
  EXPECT_EQ(transaction->progress[0].percentage, 42);
  EXPECT_EQ(transaction->progress[0].text, u"writing");
  EXPECT_FALSE(transaction->progress[0].finished);
  EXPECT_EQ(transaction->progress[1].percentage, -1);
  EXPECT_EQ(transaction->progress[1].text, u"");
  EXPECT_TRUE(transaction->progress[1].finished);
  EXPECT_EQ(api.CallsOf(TKRAPIFunction::KSTransactionGetUserData).size(), 3u);

  OnLibraryThread([] { GlobalHandleCommitProgressReception(50, u"late", 0, 300); });
  manager.Unsubscribe(key);
  EXPECT_EQ(ProcessMessages(), 1);
  EXPECT_EQ(transaction->progress.size(), 2u);
}

TEST_F(APIEventReceptionTest, TheCallbacksNeverCreateTheManagersOrTheWindow) {
  auto session = Session();
  PostEvent(KS_EVENT_SESSION_MESSAGE, 0, session.Get());
  OnLibraryThread([] { GlobalHandleCommitProgressReception(1, u"x", 0, 300); });
  EXPECT_EQ(FindGlobalAPIEventReceptionManager(), nullptr);
  EXPECT_EQ(FindGlobalCommitProgressReceptionManager(), nullptr);
  EXPECT_EQ(FindAPIMessageReceptionWindow(), nullptr);

  // Made on the console's thread, the window belongs to it.
  ActivateDefaultSubscription(session.Get());
  EXPECT_NE(FindGlobalAPIEventReceptionManager(), nullptr);
  const HWND window = FindAPIMessageReceptionWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), DWORD(gettid()));
  EXPECT_EQ(&GetGlobalAPIEventReceptionManager(), FindGlobalAPIEventReceptionManager());
}

TEST_F(APIEventReceptionTest, AClassRegisteredWithAForeignProcedureIsReplaced) {
  const HINSTANCE instance = GetAPIReceptionModuleInstance();
  WNDCLASS foreign{};
  foreign.lpfnWndProc = &ForeignProc;
  foreign.hInstance = instance;
  foreign.lpszClassName = kAPIReceptionWindowClass;
  UnregisterClass(kAPIReceptionWindowClass, instance);
  ASSERT_NE(RegisterClass(&foreign), 0);

  auto session = Session();
  GetGlobalAPIEventReceptionManager().Subscribe(session.Get());
  WNDCLASS now{};
  ASSERT_TRUE(GetClassInfo(instance, kAPIReceptionWindowClass, &now));
  EXPECT_EQ(now.lpfnWndProc, &APIMessageReceptionWndProc);
  EXPECT_EQ(GetWindowLongPtr(FindAPIMessageReceptionWindow(), GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(&APIMessageReceptionWndProc));
  PostEvent(KS_EVENT_SESSION_MESSAGE, 0, session.Get());
  ProcessMessages();
  EXPECT_EQ(session->events.size(), 1u);
}

TEST_F(APIEventReceptionTest, AForeignClassThatCannotBeReplacedIsAFailure) {
  const HINSTANCE instance = GetAPIReceptionModuleInstance();
  UnregisterClass(kAPIReceptionWindowClass, instance);
  WNDCLASS foreign{};
  foreign.lpfnWndProc = &ForeignProc;
  foreign.hInstance = instance;
  foreign.lpszClassName = kAPIReceptionWindowClass;
  ASSERT_NE(RegisterClass(&foreign), 0);
  const HWND foreignWindow = CreateWindow(kAPIReceptionWindowClass, "", 0, 0, 0, 0, 0, nullptr,
                                          nullptr, instance, nullptr);
  ASSERT_NE(foreignWindow, nullptr);

  EXPECT_THROW(GetGlobalAPIEventReceptionManager(), EKRAPIEventReceptionError);
  EXPECT_EQ(FindGlobalAPIEventReceptionManager(), nullptr);
  EXPECT_EQ(FindAPIMessageReceptionWindow(), nullptr);

  DestroyWindow(foreignWindow);
  EXPECT_NO_THROW(GetGlobalAPIEventReceptionManager());
}

TEST_F(APIEventReceptionTest, TwoManagersShareOneWindowAndTheLastOneDestroysIt) {
  auto events = std::make_unique<TKRAPIEventReceptionManager>();
  const HWND window = FindAPIMessageReceptionWindow();
  ASSERT_NE(window, nullptr);
  auto progress = std::make_unique<TKRCommitProgressReceptionManager>();
  EXPECT_EQ(FindAPIMessageReceptionWindow(), window);

  events.reset();
  EXPECT_TRUE(IsWindow(window));
  progress.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(FindAPIMessageReceptionWindow(), nullptr);

  // A later manager makes a new window.
  TKRCommitProgressReceptionManager later;
  EXPECT_TRUE(IsWindow(FindAPIMessageReceptionWindow()));
  EXPECT_NE(FindAPIMessageReceptionWindow(), window);
}

TEST_F(APIEventReceptionTest, FinalizationFreesTheRecordsStillQueued) {
  auto session = Session();
  GetGlobalAPIEventReceptionManager().Subscribe(session.Get());
  auto transaction = Session(300);
  IKRProxy* key = transaction.Get();
  api.On<TKRAPIFunction::KSTransactionGetUserData>([&](KSHandle) -> void* { return key; });
  GetGlobalCommitProgressReceptionManager().Subscribe(key);
  const HWND window = FindAPIMessageReceptionWindow();

  PostEvent(KS_EVENT_SESSION_MESSAGE, 0, session.Get());
  OnLibraryThread([] { GlobalHandleCommitProgressReception(1, u"queued", 0, 300); });
  FinalizeAPIEventReception();
  EXPECT_FALSE(IsWindow(window));
  // A callback after finalization finds no manager and posts nothing.
  OnLibraryThread([&] {
    const KSEventRecord event = Event(KS_EVENT_SESSION_MESSAGE, 0);
    GlobalHandleAPIEventReception(&event, session.Get());
  });

  EXPECT_EQ(ProcessMessages(), 0);
  EXPECT_EQ(gDispatchedToAnyProxy, 0);
}

TEST_F(APIEventReceptionTest, AMessageForAManagerThatIsGoneIsDropped) {
  TKRCommitProgressReceptionManager keepsTheWindow;
  auto session = Session();
  GetGlobalAPIEventReceptionManager().Subscribe(session.Get());
  PostEvent(KS_EVENT_SESSION_MESSAGE, 0, session.Get());
  FinalizeAPIEventReception();
  ASSERT_NE(FindAPIMessageReceptionWindow(), nullptr);

  EXPECT_EQ(ProcessMessages(), 1);
  EXPECT_EQ(gDispatchedToAnyProxy, 0);
}

TEST_F(APIEventReceptionTest, AFailingProxyDoesNotStopTheMessageLoop) {
  auto failing = Session(100);
  auto healthy = Session(101);
  failing->failing = true;
  TKRAPIEventReceptionManager& manager = GetGlobalAPIEventReceptionManager();
  manager.Subscribe(failing.Get());
  manager.Subscribe(healthy.Get());
  PostEvent(KS_EVENT_SESSION_MESSAGE, 0, failing.Get());
  PostEvent(KS_EVENT_SESSION_MESSAGE, 0, healthy.Get());

  EXPECT_NO_THROW(EXPECT_EQ(ProcessMessages(), 2));
  EXPECT_EQ(gDispatchedToAnyProxy, 2);
  EXPECT_EQ(healthy->events.size(), 1u);
}

TEST_F(APIEventReceptionTest, OtherMessagesGoToTheDefaultProcedure) {
  const HWND window = GetAPIMessageReceptionWindow();
  EXPECT_EQ(SendMessage(window, WM_USER + 1, 0, 0), 0);
  // A record-less message of our number is taken without harm.
  TKRCommitProgressReceptionManager manager;
  EXPECT_EQ(SendMessage(window, kAPIReceptionMessage, reinterpret_cast<WPARAM>(&manager), 0), 0);
}

// A server proxy over the real library's local server "Test".
class TRealServer : public TReceivingProxy {
 public:
  TRealServer() : TReceivingProxy(0) {}

 protected:
  void AssignHandle() override { FHandle = KRAPI().KSConnectServer(u"localhost", u"Test"); }
  void ReleaseHandle() override { KRAPI().KSDisconnectServer(FHandle); }
};

// Exit codes of the child: 0 when the event arrived as expected.
int ReceiveShutdownFromTheLibrary() {
  const TempDir home;
  const std::filesystem::path server = home.Path() / "servers" / "Test";
  std::filesystem::create_directories(server / "metas");
  std::filesystem::create_directories(server / "databases");
  WriteFile((server / "server.json").string(),
            R"({"name": "Test", "state": "running", "databases": []})");
  const ScopedEnv homeVariable("KESTREL_HOME", home.Path().string());
  const ScopedEnv library("KESTREL_API_LIBRARY", BuiltKestrelAPI());

  int result = 0;
  {
    auto proxy = MakeComObject<TRealServer>();
    GetGlobalAPIEventReceptionManager().Subscribe(proxy.Get());
    if (!proxy->Get_Connected()) return 3;
    KRAPI().KSCloseServer(proxy->Get_Handle());
    // The server first tells it is going away, then that it was shut down.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (proxy->events.size() < 2 && std::chrono::steady_clock::now() < deadline) {
      WaitForPostedMessages(std::chrono::milliseconds(50));
      ProcessMessages();
    }
    if (proxy->events.size() != 2) {
      result = 4;
    } else {
      const TKREventData notice(proxy->events[0]);
      const TKREventData shutdown(proxy->events[1]);
      if (notice.Kind() != KS_EVENT_SERVER_NOTICE || notice.Code() != KS_NOTICE_SHUTTING_DOWN ||
          shutdown.Kind() != KS_EVENT_SERVER_SHUTDOWN || shutdown.TextValue(0) != u"Test") {
        result = 5;
      }
    }
    GetGlobalAPIEventReceptionManager().Unsubscribe(proxy.Get());
  }
  FinalizeAPIEventReception();
  return result;
}

TEST(APIEventReceptionLibraryTest, AServerShutdownArrivesFromTheLibrarysThread) {
  if (BuiltKestrelAPI().empty()) GTEST_SKIP() << kNoBuiltKestrel;
  EXPECT_EXIT(std::exit(ReceiveShutdownFromTheLibrary()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
