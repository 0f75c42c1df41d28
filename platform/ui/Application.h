#pragma once
// TApplication: the process's application object. Its title captions the
// custom message dialogs; its main window is the host's top-level window,
// an opaque pointer-sized value (0 for none); ProcessMessages dispatches the
// platform's posted messages through the handler the host installs. When
// the system colours change, SysColorsChanged tells OnSysColorChange and
// every form, which passes it on to its controls. An exception that reaches
// an event loop goes to HandleException: OnException when assigned, else a
// message box (nothing for EAbort).

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

class TApplication {
 public:
  TApplication();

  // The executable's name until set.
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  uintptr_t MainWindow() const { return mainWindow_; }
  void SetMainWindow(uintptr_t window) { mainWindow_ = window; }

  // Dispatches the posted messages; nothing until a handler is installed.
  void ProcessMessages();
  void SetProcessMessagesHandler(std::function<void()> handler) {
    processMessages_ = std::move(handler);
  }

  void SysColorsChanged();
  std::function<void()> OnSysColorChange;

  // Shows the help topic `context` through OnHelp.
  void HelpContext(int context);
  std::function<void(int context)> OnHelp;

  void HandleException(const std::exception& e);
  std::function<void(const std::exception&)> OnException;

 private:
  std::string title_;
  uintptr_t mainWindow_ = 0;
  std::function<void()> processMessages_;
};

TApplication& Application();
