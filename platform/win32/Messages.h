#pragma once
// Window classes, hidden windows and posted messages.
//
// - A window class is identified by its name (compared without regard to
//   case) and the module that registered it.
// - The thread that creates a window owns it: its window procedure runs only
//   on that thread, from SendMessage, DestroyWindow (WM_DESTROY) and
//   ProcessMessages. Each thread has one queue for the messages posted to its
//   windows.
// - PostMessage may be called from any thread. The queue takes over the
//   lParam of a message that cannot be delivered: one posted to a destroyed or
//   unknown window, one still queued when its window is destroyed, and one
//   still queued when its thread ends. Such an lParam is handed to the cleanup
//   callback of the window's class (SetClassPostedCleanup), else to the global
//   one (SetPostedCleanup), so no posted record leaks. The class of a
//   destroyed window stays known, so its class callback also serves late
//   posts. Without any callback the lParam stays the poster's.
// - Window handles are never reused: a handle of a destroyed window is
//   rejected (ERROR_INVALID_WINDOW_HANDLE), never delivered to another window.
// - Failures answer 0/FALSE/null and set the last-error value.

#include <chrono>

#include "platform/win32/WinTypes.h"

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Receives the lParam of a message that was dropped.
using PostedCleanup = void (*)(UINT message, WPARAM wParam, LPARAM lParam);

struct WNDCLASS {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  const char* lpszMenuName;
  const char* lpszClassName;
};
using WNDCLASSA = WNDCLASS;

// The creation parameters handed to WM_CREATE through lParam.
struct CREATESTRUCT {
  void* lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  const char* lpszName;
  const char* lpszClass;
  DWORD dwExStyle;
};

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

// The parent of a message-only window (accepted and kept, like any parent).
inline const HWND HWND_MESSAGE = reinterpret_cast<HWND>(static_cast<intptr_t>(-3));

inline constexpr int GWLP_WNDPROC = -4;
inline constexpr int GWLP_USERDATA = -21;

// Answers a class atom (non-zero) or 0: ERROR_INVALID_PARAMETER without a
// name or procedure, ERROR_CLASS_ALREADY_EXISTS for a name the module has.
ATOM RegisterClass(const WNDCLASS* windowClass);
ATOM RegisterClassA(const WNDCLASS* windowClass);
// Fails with ERROR_CLASS_DOES_NOT_EXIST or ERROR_CLASS_HAS_WINDOWS.
BOOL UnregisterClass(const char* className, HINSTANCE instance);
// Fills `windowClass` (its lpszClassName is `className`) or fails with
// ERROR_CLASS_DOES_NOT_EXIST.
BOOL GetClassInfo(HINSTANCE instance, const char* className, WNDCLASS* windowClass);
// Sets the cleanup callback of a registered class (null removes it).
BOOL SetClassPostedCleanup(HINSTANCE instance, const char* className, PostedCleanup cleanup);
// Sets the callback for dropped messages whose class has none (null removes it).
void SetPostedCleanup(PostedCleanup cleanup);

// Creates a window of the module's class, owned by the calling thread, and
// sends it WM_CREATE; a procedure answering -1 to WM_CREATE makes creation
// fail. Position, size, styles, parent and menu are kept but have no effect.
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu,
                    HINSTANCE instance, void* param);
HWND CreateWindow(const char* className, const char* windowName, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// Sends WM_DESTROY, then drops the window and its queued messages. Only the
// owning thread may destroy a window (ERROR_ACCESS_DENIED otherwise).
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);

// Queues a message for the window's owning thread; safe from any thread.
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window procedure at once. Only the owning thread may send
// (0 with ERROR_WINDOW_OF_OTHER_THREAD otherwise).
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Answers 0 for every message.
LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window's procedure (GWLP_WNDPROC) or user data (GWLP_USERDATA);
// setting answers the previous value. 0 with ERROR_INVALID_WINDOW_HANDLE or
// ERROR_INVALID_PARAMETER on failure.
LONG_PTR GetWindowLongPtr(HWND window, int index);
LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value);
// The owning thread of a window (0 for an invalid one), as gettid() numbers.
DWORD GetWindowThreadProcessId(HWND window, DWORD* processId);

// Dispatches, on the calling thread, the messages queued for its windows,
// including those posted while it runs, until the queue is empty. Answers how
// many messages reached a window procedure.
int ProcessMessages();
// Waits until the calling thread's queue holds a message or `timeout`
// passes; answers whether a message is waiting.
bool WaitForPostedMessages(std::chrono::milliseconds timeout);
