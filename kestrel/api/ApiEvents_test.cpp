// Events delivered on the library's thread.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "kestrel/api/TestSupport.h"

namespace kestrel::test {
namespace {

using namespace std::chrono_literals;

struct Seen {
  int32_t kind;
  int32_t code;
  KSHandle handle;
  std::vector<std::string> values;
  std::thread::id thread;
};

// Collects events; Wait blocks until `n` have arrived or two seconds passed.
class Recorder {
 public:
  static void Callback(const KSEventRecord* event, void* self) {
    auto* r = static_cast<Recorder*>(self);
    Seen seen{event->kind, event->code, event->handle, {}, std::this_thread::get_id()};
    for (int32_t i = 0; i < event->valueCount; ++i)
      seen.values.push_back(N(event->values[i].value.asString));
    std::unique_lock lock(r->mutex);
    r->entered = true;
    r->arrived.notify_all();
    r->arrived.wait(lock, [r] { return !r->gate; });
    r->events.push_back(seen);
    // The last thing a delivery does: a removal that returned before this
    // point did not wait for the delivery.
    if (r->removed != nullptr && r->removed->load()) ++r->late;
    r->arrived.notify_all();
  }

  // Every wait expects its events; the generous limit is for a loaded machine (and a daemon).
  std::vector<Seen> Wait(size_t n) {
    std::unique_lock lock(mutex);
    arrived.wait_for(lock, 10s, [&] { return events.size() >= n; });
    return events;
  }

  size_t Count() {
    std::lock_guard lock(mutex);
    return events.size();
  }

  // Registers for the handle's events; the registration ends with the recorder.
  KSStatus Listen(KSHandle handle) {
    const KSStatus status = KSRegisterEventCallback(handle, Callback, this);
    if (status == KS_OK) handles.push_back(handle);
    return status;
  }
  ~Recorder() {
    for (KSHandle h : handles) KSRegisterEventCallback(h, nullptr, nullptr);
  }

  // With `gate` set, a callback waits inside until Open().
  bool WaitEntered() {
    std::unique_lock lock(mutex);
    return arrived.wait_for(lock, 2s, [&] { return entered; });
  }
  void Open() {
    std::lock_guard lock(mutex);
    gate = false;
    arrived.notify_all();
  }

  std::vector<KSHandle> handles;
  bool gate = false;
  bool entered = false;
  const std::atomic<bool>* removed = nullptr;  // set once the registration is removed
  int late = 0;                                 // deliveries that ended after that
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<Seen> events;
};

class ApiEventsTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    ASSERT_NE(Connect(), 0u);
    ASSERT_EQ(CreateDb("Shop"), KS_OK);
  }
};

TEST_F(ApiEventsTest, ClosingTheServerTellsConnectionsSessionsAndTheGlobalCallback) {
  Recorder global, connection, session;
  const KSHandle s = Logon("Shop");
  ASSERT_EQ(global.Listen(0), KS_OK);
  ASSERT_EQ(connection.Listen(server_), KS_OK);
  ASSERT_EQ(session.Listen(s), KS_OK);
  ASSERT_EQ(KSCloseServer(server_), KS_OK);

  const auto g = global.Wait(2);
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[0].kind, KS_EVENT_SERVER_NOTICE);
  EXPECT_EQ(g[0].code, KS_NOTICE_SHUTTING_DOWN);
  EXPECT_EQ(g[1].kind, KS_EVENT_SERVER_SHUTDOWN);
  EXPECT_EQ(g[1].handle, 0u);
  EXPECT_EQ(g[1].values, std::vector<std::string>{"Test"});
  EXPECT_NE(g[1].thread, std::this_thread::get_id()) << "delivered on the library's thread";
  const auto c = connection.Wait(2);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[1].kind, KS_EVENT_SERVER_SHUTDOWN);
  EXPECT_EQ(c[1].handle, server_);
  const auto se = session.Wait(1);
  ASSERT_EQ(se.size(), 1u);
  EXPECT_EQ(se[0].kind, KS_EVENT_CONNECTION_LOST);
  EXPECT_EQ(se[0].handle, s);
}

TEST_F(ApiEventsTest, DatabaseChangesAreAnnouncedToConnectionsAndSessions) {
  Recorder connection, session;
  const KSHandle s = Logon("Shop");
  ASSERT_EQ(connection.Listen(server_), KS_OK);
  ASSERT_EQ(session.Listen(s), KS_OK);
  ASSERT_EQ(CreateDb("Second"), KS_OK);
  ASSERT_EQ(KSSaveDB(server_, u"Shop"), KS_OK);
  ASSERT_EQ(KSShutdownDB(server_, u"Shop"), KS_OK);
  const auto c = connection.Wait(2);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].code, KS_NOTICE_DATABASES_CHANGED);
  EXPECT_EQ(c[0].values, std::vector<std::string>{"Second"});
  EXPECT_EQ(c[1].values, std::vector<std::string>{"Shop"});
  const auto se = session.Wait(2);
  ASSERT_EQ(se.size(), 2u);
  EXPECT_EQ(se[0].kind, KS_EVENT_SESSION_MESSAGE);
  EXPECT_EQ(se[0].values, std::vector<std::string>{ServerDir() + "/databases/Shop.dmp"});
  EXPECT_EQ(se[1].kind, KS_EVENT_DATABASE_OFFLINE);
  EXPECT_EQ(se[1].values, std::vector<std::string>{"Shop"});
}

TEST_F(ApiEventsTest, NoCallbackRunsAfterItsRemovalHasReturned) {
  Recorder gated;
  std::atomic<bool> removed{false};
  gated.gate = true;
  gated.removed = &removed;
  ASSERT_EQ(gated.Listen(server_), KS_OK);
  ASSERT_EQ(CreateDb("One"), KS_OK);
  ASSERT_EQ(CreateDb("Two"), KS_OK);
  ASSERT_TRUE(gated.WaitEntered()) << "the first delivery is under way";

  // The removal starts while the delivery waits at the gate; the gate opens
  // once the remover is on its way into the call.
  std::atomic<bool> removing{false};
  size_t atRemoval = 0;
  std::thread remover([&] {
    removing = true;
    EXPECT_EQ(KSRegisterEventCallback(server_, nullptr, nullptr), KS_OK);
    atRemoval = gated.Count();
    removed = true;
  });
  while (!removing) std::this_thread::yield();
  gated.Open();
  remover.join();
  EXPECT_GE(atRemoval, 1u) << "the delivery in progress finished before the removal returned";
  EXPECT_EQ(gated.late, 0) << "no delivery ended after the removal returned";

  // Events raised later reach a second connection but not the removed
  // callback: once the second connection has the last of them, the library's
  // thread has delivered the earlier ones too.
  const KSHandle other = KSConnectServer(u"localhost", u"Test");
  ASSERT_NE(other, 0u);
  Recorder witness;
  ASSERT_EQ(witness.Listen(other), KS_OK);
  ASSERT_EQ(CreateDb("Three"), KS_OK);
  ASSERT_EQ(CreateDb("Four"), KS_OK);
  const auto seen = witness.Wait(2);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].values, std::vector<std::string>{"Four"});
  EXPECT_EQ(gated.Count(), atRemoval) << "nothing is delivered after the removal returned";
  EXPECT_EQ(KSDisconnectServer(other), KS_OK);
}

TEST_F(ApiEventsTest, ANewRegistrationReplacesTheOldAndReleasedHandlesAreRefused) {
  Recorder first, second;
  ASSERT_EQ(first.Listen(server_), KS_OK);
  ASSERT_EQ(second.Listen(server_), KS_OK);
  ASSERT_EQ(CreateDb("One"), KS_OK);
  EXPECT_EQ(second.Wait(1).size(), 1u);
  EXPECT_EQ(first.Count(), 0u);
  const KSHandle s = Logon("One");
  ASSERT_EQ(KSReleaseSession(s), KS_OK);
  EXPECT_EQ(first.Listen(s), KS_ERR_INVALID_HANDLE);
  EXPECT_EQ(KSRegisterEventCallback(Meta("Sales", "1.0"), Recorder::Callback, &first),
            KS_ERR_INVALID_HANDLE);
}

}  // namespace
}  // namespace kestrel::test
