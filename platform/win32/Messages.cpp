#include "platform/win32/Messages.h"

#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/text/Locale.h"

namespace {

struct WindowClass {
  std::string Name;
  WNDCLASS Info{};
  ATOM Atom = 0;
  PostedCleanup Cleanup = nullptr;
  int WindowCount = 0;
};

struct Message {
  HWND Window;
  UINT Number;
  WPARAM WParam;
  LPARAM LParam;
};

struct ThreadQueue {
  std::deque<Message> Messages;
  std::condition_variable Posted;
};

// A window, also after its destruction: the record then stays as a tombstone
// so that late posts are recognised and cleaned up by the class's callback.
struct Window {
  std::shared_ptr<WindowClass> Class;
  std::shared_ptr<ThreadQueue> Queue;  // null once the window is destroyed
  std::thread::id Owner;
  pid_t OwnerTid = 0;
  WNDPROC Proc = nullptr;
  LONG_PTR UserData = 0;
  bool Destroying = false;  // WM_DESTROY is being handled
  bool Alive() const { return Queue != nullptr; }
};

// A dropped message waiting for its cleanup call, made outside the lock.
struct Dropped {
  PostedCleanup Cleanup;
  Message Posted;
};

struct State {
  std::mutex Mutex;
  std::vector<std::shared_ptr<WindowClass>> Classes;
  std::unordered_map<uintptr_t, Window> Windows;
  uintptr_t NextHandle = 0x10010;
  ATOM NextAtom = 0xC000;
  PostedCleanup GlobalCleanup = nullptr;
};

// Never destroyed: threads that end during the process's exit still reach it.
State& S() {
  static State* state = new State;
  return *state;
}

PostedCleanup CleanupFor(const Window* window) {
  if (window != nullptr && window->Class->Cleanup != nullptr) return window->Class->Cleanup;
  return S().GlobalCleanup;
}

void RunCleanups(const std::vector<Dropped>& dropped) {
  for (const Dropped& d : dropped) {
    if (d.Cleanup != nullptr) d.Cleanup(d.Posted.Number, d.Posted.WParam, d.Posted.LParam);
  }
}

// Marks a live window destroyed and takes its queued messages out (lock held).
void KillWindow(Window& window, HWND handle, std::vector<Dropped>& dropped) {
  const PostedCleanup cleanup = CleanupFor(&window);
  std::erase_if(window.Queue->Messages, [&](const Message& m) {
    if (m.Window != handle) return false;
    dropped.push_back({cleanup, m});
    return true;
  });
  window.Queue.reset();
  --window.Class->WindowCount;
}

void EndThread(const std::shared_ptr<ThreadQueue>& queue);

// The calling thread's queue; when the thread ends, its windows are destroyed
// and its queued messages cleaned up.
struct ThreadSlot {
  std::shared_ptr<ThreadQueue> Queue = std::make_shared<ThreadQueue>();
  ~ThreadSlot() { EndThread(Queue); }
};

ThreadQueue& CurrentQueue(std::shared_ptr<ThreadQueue>* shared = nullptr) {
  thread_local ThreadSlot slot;
  if (shared != nullptr) *shared = slot.Queue;
  return *slot.Queue;
}

void EndThread(const std::shared_ptr<ThreadQueue>& queue) {
  std::vector<Dropped> dropped;
  {
    std::lock_guard lock(S().Mutex);
    for (auto& [handle, window] : S().Windows) {
      if (window.Queue == queue) KillWindow(window, reinterpret_cast<HWND>(handle), dropped);
    }
  }
  RunCleanups(dropped);
}

std::shared_ptr<WindowClass> FindClass(const char* name, HINSTANCE instance) {
  if (name == nullptr) return nullptr;
  for (const auto& c : S().Classes) {
    if (c->Info.hInstance == instance && AnsiUpperCase(c->Name) == AnsiUpperCase(name)) return c;
  }
  return nullptr;
}

Window* FindWindow(HWND handle) {
  auto it = S().Windows.find(reinterpret_cast<uintptr_t>(handle));
  return it == S().Windows.end() ? nullptr : &it->second;
}

// The live window of `handle` or null with ERROR_INVALID_WINDOW_HANDLE (lock held).
Window* LiveWindow(HWND handle) {
  Window* window = FindWindow(handle);
  if (window != nullptr && window->Alive()) return window;
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

template <class T>
T FailWithError(DWORD error, T result) {
  SetLastError(error);
  return result;
}

}  // namespace

ATOM RegisterClass(const WNDCLASS* windowClass) {
  if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
      *windowClass->lpszClassName == '\0' || windowClass->lpfnWndProc == nullptr) {
    return FailWithError<ATOM>(ERROR_INVALID_PARAMETER, 0);
  }
  std::lock_guard lock(S().Mutex);
  if (FindClass(windowClass->lpszClassName, windowClass->hInstance)) {
    return FailWithError<ATOM>(ERROR_CLASS_ALREADY_EXISTS, 0);
  }
  auto entry = std::make_shared<WindowClass>();
  entry->Name = windowClass->lpszClassName;
  entry->Info = *windowClass;
  entry->Info.lpszClassName = nullptr;
  entry->Info.lpszMenuName = nullptr;
  entry->Atom = S().NextAtom;
  S().NextAtom = S().NextAtom == 0xFFFF ? 0xC000 : S().NextAtom + 1;
  S().Classes.push_back(entry);
  return entry->Atom;
}

ATOM RegisterClassA(const WNDCLASS* windowClass) { return RegisterClass(windowClass); }

BOOL UnregisterClass(const char* className, HINSTANCE instance) {
  std::lock_guard lock(S().Mutex);
  std::shared_ptr<WindowClass> entry = FindClass(className, instance);
  if (!entry) return FailWithError<BOOL>(ERROR_CLASS_DOES_NOT_EXIST, FALSE);
  if (entry->WindowCount > 0) return FailWithError<BOOL>(ERROR_CLASS_HAS_WINDOWS, FALSE);
  std::erase(S().Classes, entry);
  return TRUE;
}

BOOL GetClassInfo(HINSTANCE instance, const char* className, WNDCLASS* windowClass) {
  if (windowClass == nullptr) return FailWithError<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard lock(S().Mutex);
  std::shared_ptr<WindowClass> entry = FindClass(className, instance);
  if (!entry) return FailWithError<BOOL>(ERROR_CLASS_DOES_NOT_EXIST, FALSE);
  *windowClass = entry->Info;
  windowClass->lpszClassName = className;
  return TRUE;
}

BOOL SetClassPostedCleanup(HINSTANCE instance, const char* className, PostedCleanup cleanup) {
  std::lock_guard lock(S().Mutex);
  std::shared_ptr<WindowClass> entry = FindClass(className, instance);
  if (!entry) return FailWithError<BOOL>(ERROR_CLASS_DOES_NOT_EXIST, FALSE);
  entry->Cleanup = cleanup;
  return TRUE;
}

void SetPostedCleanup(PostedCleanup cleanup) {
  std::lock_guard lock(S().Mutex);
  S().GlobalCleanup = cleanup;
}

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu,
                    HINSTANCE instance, void* param) {
  std::shared_ptr<ThreadQueue> queue;
  CurrentQueue(&queue);
  HWND handle;
  WNDPROC proc;
  {
    std::lock_guard lock(S().Mutex);
    std::shared_ptr<WindowClass> entry = FindClass(className, instance);
    if (!entry) return FailWithError<HWND>(ERROR_CANNOT_FIND_WND_CLASS, nullptr);
    handle = reinterpret_cast<HWND>(S().NextHandle);
    S().NextHandle += 0x10;
    proc = entry->Info.lpfnWndProc;
    ++entry->WindowCount;
    S().Windows.emplace(reinterpret_cast<uintptr_t>(handle),
                        Window{entry, queue, std::this_thread::get_id(), gettid(), proc, 0});
  }
  CREATESTRUCT create{
      param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
      windowName, className, exStyle};
  if (proc(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  return handle;
}

HWND CreateWindow(const char* className, const char* windowName, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) {
  return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menu,
                        instance, param);
}

BOOL DestroyWindow(HWND window) {
  WNDPROC proc;
  {
    std::lock_guard lock(S().Mutex);
    Window* w = LiveWindow(window);
    if (w == nullptr) return FALSE;
    if (w->Owner != std::this_thread::get_id()) return FailWithError<BOOL>(ERROR_ACCESS_DENIED, FALSE);
    if (w->Destroying) return TRUE;  // called again from its WM_DESTROY
    w->Destroying = true;
    proc = w->Proc;
  }
  proc(window, WM_DESTROY, 0, 0);
  std::vector<Dropped> dropped;
  {
    std::lock_guard lock(S().Mutex);
    KillWindow(*FindWindow(window), window, dropped);
  }
  RunCleanups(dropped);
  return TRUE;
}

BOOL IsWindow(HWND window) {
  std::lock_guard lock(S().Mutex);
  const Window* w = FindWindow(window);
  return w != nullptr && w->Alive() ? TRUE : FALSE;
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PostedCleanup cleanup;
  {
    std::lock_guard lock(S().Mutex);
    Window* w = FindWindow(window);
    if (w != nullptr && w->Alive()) {
      w->Queue->Messages.push_back({window, message, wParam, lParam});
      w->Queue->Posted.notify_all();
      return TRUE;
    }
    cleanup = CleanupFor(w);
  }
  if (cleanup != nullptr) cleanup(message, wParam, lParam);
  return FailWithError<BOOL>(ERROR_INVALID_WINDOW_HANDLE, FALSE);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessage(window, message, wParam, lParam);
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc;
  {
    std::lock_guard lock(S().Mutex);
    Window* w = LiveWindow(window);
    if (w == nullptr) return 0;
    if (w->Owner != std::this_thread::get_id()) {
      return FailWithError<LRESULT>(ERROR_WINDOW_OF_OTHER_THREAD, 0);
    }
    proc = w->Proc;
  }
  return proc(window, message, wParam, lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessage(window, message, wParam, lParam);
}

LRESULT DefWindowProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

LONG_PTR GetWindowLongPtr(HWND window, int index) {
  std::lock_guard lock(S().Mutex);
  Window* w = LiveWindow(window);
  if (w == nullptr) return 0;
  if (index == GWLP_WNDPROC) return reinterpret_cast<LONG_PTR>(w->Proc);
  if (index == GWLP_USERDATA) return w->UserData;
  return FailWithError<LONG_PTR>(ERROR_INVALID_PARAMETER, 0);
}

LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value) {
  std::lock_guard lock(S().Mutex);
  Window* w = LiveWindow(window);
  if (w == nullptr) return 0;
  LONG_PTR previous;
  if (index == GWLP_WNDPROC) {
    if (value == 0) return FailWithError<LONG_PTR>(ERROR_INVALID_PARAMETER, 0);
    previous = reinterpret_cast<LONG_PTR>(w->Proc);
    w->Proc = reinterpret_cast<WNDPROC>(value);
  } else if (index == GWLP_USERDATA) {
    previous = w->UserData;
    w->UserData = value;
  } else {
    return FailWithError<LONG_PTR>(ERROR_INVALID_PARAMETER, 0);
  }
  return previous;
}

DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) {
  std::lock_guard lock(S().Mutex);
  Window* w = LiveWindow(window);
  if (w == nullptr) return 0;
  if (processId != nullptr) *processId = static_cast<DWORD>(getpid());
  return static_cast<DWORD>(w->OwnerTid);
}

int ProcessMessages() {
  ThreadQueue& queue = CurrentQueue();
  int dispatched = 0;
  while (true) {
    Message message;
    WNDPROC proc;
    {
      std::lock_guard lock(S().Mutex);
      if (queue.Messages.empty()) return dispatched;
      message = queue.Messages.front();
      queue.Messages.pop_front();
      // Only live windows have messages in a queue: destruction takes them out.
      proc = FindWindow(message.Window)->Proc;
    }
    proc(message.Window, message.Number, message.WParam, message.LParam);
    ++dispatched;
  }
}

bool WaitForPostedMessages(std::chrono::milliseconds timeout) {
  ThreadQueue& queue = CurrentQueue();
  std::unique_lock lock(S().Mutex);
  return queue.Posted.wait_for(lock, timeout, [&] { return !queue.Messages.empty(); });
}
