#include "platform/win32/Messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

HINSTANCE const kModule = reinterpret_cast<HINSTANCE>(0x5000);

// What the test window procedure saw, on which thread.
struct Seen {
  std::vector<UINT> messages;
  std::vector<LPARAM> params;
  std::thread::id thread;
};
thread_local Seen* tSeen = nullptr;

LRESULT RecordingProc(HWND, UINT message, WPARAM, LPARAM lParam) {
  if (tSeen != nullptr) {
    tSeen->messages.push_back(message);
    tSeen->params.push_back(lParam);
    tSeen->thread = std::this_thread::get_id();
  }
  return message == WM_USER + 5 ? 42 : 0;
}

LRESULT OtherProc(HWND, UINT, WPARAM, LPARAM) { return 7; }

// Destroys itself again and posts to itself while handling WM_DESTROY.
LRESULT SelfDestroyingProc(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_DESTROY) {
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(PostMessage(window, WM_APP, 0, 99));
  }
  return 0;
}

LRESULT RefusingProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_CREATE ? -1 : 0; }

std::atomic<int> gClassCleanups{0};
std::atomic<intptr_t> gClassCleanupSum{0};
void ClassCleanup(UINT, WPARAM, LPARAM lParam) {
  ++gClassCleanups;
  gClassCleanupSum += lParam;
}
std::atomic<int> gGlobalCleanups{0};
void GlobalCleanup(UINT, WPARAM, LPARAM lParam) {
  delete reinterpret_cast<int*>(lParam);
  ++gGlobalCleanups;
}

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tSeen = &seen;
    WNDCLASS wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = kModule;
    wc.lpszClassName = "_TestReceptionWindow";
    ASSERT_NE(RegisterClass(&wc), 0);
    gClassCleanups = 0;
    gClassCleanupSum = 0;
    gGlobalCleanups = 0;
  }
  void TearDown() override {
    ProcessMessages();
    UnregisterClass("_TestReceptionWindow", kModule);
    SetPostedCleanup(nullptr);
    tSeen = nullptr;
  }
  HWND Create() {
    return CreateWindow("_testreceptionwindow", "", 0, 0, 0, 0, 0, nullptr, nullptr, kModule,
                        nullptr);
  }
  Seen seen;
};

TEST_F(MessagesTest, ClassesAreFoundByNameAndModule) {
  WNDCLASS wc{};
  wc.lpfnWndProc = OtherProc;
  wc.hInstance = kModule;
  wc.lpszClassName = "_TESTRECEPTIONWINDOW";
  EXPECT_EQ(RegisterClass(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

  WNDCLASS info{};
  ASSERT_TRUE(GetClassInfo(kModule, "_TestReceptionWindow", &info));
  EXPECT_EQ(info.lpfnWndProc, &RecordingProc);
  EXPECT_EQ(info.hInstance, kModule);
  EXPECT_STREQ(info.lpszClassName, "_TestReceptionWindow");
  HINSTANCE otherModule = reinterpret_cast<HINSTANCE>(0x6000);
  EXPECT_FALSE(GetClassInfo(otherModule, "_TestReceptionWindow", &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));

  // The same name in another module is another class; replacing a class
  // with a foreign procedure means unregistering it and registering anew.
  wc.hInstance = otherModule;
  EXPECT_NE(RegisterClass(&wc), 0);
  EXPECT_TRUE(UnregisterClass("_TestReceptionWindow", otherModule));
  EXPECT_FALSE(UnregisterClass("_TestReceptionWindow", otherModule));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));

  EXPECT_EQ(CreateWindow("NoSuchClass", "", 0, 0, 0, 0, 0, nullptr, nullptr, kModule, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  wc.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClass(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(MessagesTest, WindowLifeAndSentMessages) {
  HWND window = Create();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(seen.messages, std::vector<UINT>{WM_CREATE});
  EXPECT_EQ(SendMessage(window, WM_USER + 5, 0, 0), 42);
  EXPECT_FALSE(UnregisterClass("_TestReceptionWindow", kModule));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));

  EXPECT_EQ(SetWindowLongPtr(window, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetWindowLongPtr(window, GWLP_USERDATA), 1234);
  EXPECT_EQ(SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OtherProc)),
            reinterpret_cast<LONG_PTR>(&RecordingProc));
  EXPECT_EQ(SendMessage(window, WM_USER + 5, 0, 0), 7);
  SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc));

  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(seen.messages.back(), WM_DESTROY);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(SendMessage(window, WM_USER, 0, 0), 0);
  EXPECT_EQ(GetWindowLongPtr(window, GWLP_USERDATA), 0);

  // A new window never gets the old handle.
  HWND next = Create();
  EXPECT_NE(next, window);
  DestroyWindow(next);
}

TEST_F(MessagesTest, CreationFailsWhenTheProcedureRefusesIt) {
  WNDCLASS wc{};
  wc.lpfnWndProc = RefusingProc;
  wc.hInstance = kModule;
  wc.lpszClassName = "Refusing";
  ASSERT_NE(RegisterClass(&wc), 0);
  EXPECT_EQ(CreateWindow("Refusing", "", 0, 0, 0, 0, 0, nullptr, nullptr, kModule, nullptr),
            nullptr);
  EXPECT_TRUE(UnregisterClass("Refusing", kModule));  // no window was left behind
}

TEST_F(MessagesTest, PostedMessagesAreDispatchedInOrderOnTheOwningThread) {
  HWND window = Create();
  seen.messages.clear();
  seen.params.clear();
  EXPECT_TRUE(PostMessage(window, WM_USER + 1, 0, 10));
  EXPECT_TRUE(PostMessage(window, WM_USER + 2, 0, 20));
  EXPECT_TRUE(seen.messages.empty());  // nothing runs before the queue is pumped
  EXPECT_EQ(ProcessMessages(), 2);
  EXPECT_EQ(seen.messages, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
  EXPECT_EQ(seen.params, (std::vector<LPARAM>{10, 20}));
  EXPECT_EQ(ProcessMessages(), 0);
  DestroyWindow(window);
}

TEST_F(MessagesTest, PostingFromOtherThreadsReachesTheOwner) {
  HWND window = Create();
  seen.params.clear();
  constexpr int kThreads = 4;
  constexpr int kEach = 50;
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([window, t] {
      for (int i = 0; i < kEach; ++i) PostMessage(window, WM_APP, 0, t * 1000 + i);
    });
  }
  int dispatched = 0;
  while (dispatched < kThreads * kEach) {
    ASSERT_TRUE(WaitForPostedMessages(std::chrono::seconds(10)));
    dispatched += ProcessMessages();
  }
  for (std::thread& t : posters) t.join();
  EXPECT_EQ(dispatched, kThreads * kEach);
  EXPECT_EQ(seen.thread, std::this_thread::get_id());
  // Each poster's messages arrive in its own order.
  std::vector<int> last(kThreads, -1);
  for (LPARAM p : seen.params) {
    const int t = static_cast<int>(p / 1000), i = static_cast<int>(p % 1000);
    EXPECT_GT(i, last[t]);
    last[t] = i;
  }
  EXPECT_FALSE(WaitForPostedMessages(std::chrono::milliseconds(1)));

  // Another thread may post but not send or destroy.
  std::thread([window] {
    EXPECT_EQ(SendMessage(window, WM_USER + 5, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINDOW_OF_OTHER_THREAD));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ProcessMessages(), 0);  // its own queue is empty
  }).join();
  EXPECT_TRUE(IsWindow(window));
  DestroyWindow(window);
}

TEST_F(MessagesTest, MessagesOfADestroyedWindowAreCleanedUp) {
  ASSERT_TRUE(SetClassPostedCleanup(kModule, "_TestReceptionWindow", ClassCleanup));
  HWND window = Create();
  PostMessage(window, WM_APP, 0, 5);
  PostMessage(window, WM_APP, 0, 6);
  HWND other = Create();
  PostMessage(other, WM_APP, 0, 100);
  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_EQ(gClassCleanups, 2);  // still queued when the window went
  EXPECT_EQ(gClassCleanupSum, 11);
  // A late post to the destroyed window is refused and cleaned up too.
  EXPECT_FALSE(PostMessage(window, WM_APP, 0, 7));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(gClassCleanups, 3);
  seen.params.clear();
  EXPECT_EQ(ProcessMessages(), 1);  // only the other window's message is left
  EXPECT_EQ(seen.params, std::vector<LPARAM>{100});
  DestroyWindow(other);
}

TEST_F(MessagesTest, AWindowMayDestroyItselfWhileBeingDestroyed) {
  WNDCLASS wc{};
  wc.lpfnWndProc = SelfDestroyingProc;
  wc.hInstance = kModule;
  wc.lpszClassName = "SelfDestroying";
  ASSERT_NE(RegisterClass(&wc), 0);
  ASSERT_TRUE(SetClassPostedCleanup(kModule, "SelfDestroying", ClassCleanup));
  HWND window =
      CreateWindow("SelfDestroying", "", 0, 0, 0, 0, 0, nullptr, nullptr, kModule, nullptr);
  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(gClassCleanups, 1);  // the message posted during WM_DESTROY
  EXPECT_EQ(gClassCleanupSum, 99);
  EXPECT_EQ(ProcessMessages(), 0);
  EXPECT_TRUE(UnregisterClass("SelfDestroying", kModule));
}

TEST_F(MessagesTest, TheGlobalCleanupServesUnknownHandlesAndEndedThreads) {
  SetPostedCleanup(GlobalCleanup);
  EXPECT_FALSE(
      PostMessage(reinterpret_cast<HWND>(0x7777), WM_APP, 0, reinterpret_cast<LPARAM>(new int(1))));
  EXPECT_EQ(gGlobalCleanups, 1);

  // A thread that ends with a window and queued messages: the window goes,
  // the messages are cleaned up (ASan reports any leaked record).
  HWND orphan = nullptr;
  std::thread([&] {
    orphan = Create();
    PostMessage(orphan, WM_APP, 0, reinterpret_cast<LPARAM>(new int(2)));
    PostMessage(orphan, WM_APP, 0, reinterpret_cast<LPARAM>(new int(3)));
  }).join();
  EXPECT_EQ(gGlobalCleanups, 3);
  EXPECT_FALSE(IsWindow(orphan));
  EXPECT_FALSE(PostMessage(orphan, WM_APP, 0, reinterpret_cast<LPARAM>(new int(4))));
  EXPECT_EQ(gGlobalCleanups, 4);
}

}  // namespace
