#include "console/tui/TerminalUI.h"

#include <filesystem>
#include <iostream>
#include <memory>

#include "console/host/Host.h"
#include "console/tui/CursesTerminal.h"
#include "console/tui/MainScreen.h"
#include "console/tui/TerminalPresenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Presenter.h"

namespace {

// Starts the document; answers the notice for the status line.
std::string StartDocument(THost& host, const std::string& document) {
  if (document.empty()) {
    host.New();
    return {};
  }
  if (!std::filesystem::exists(document)) {
    host.New();
    return "New console; Ctrl-S saves it to " + document;
  }
  try {
    host.Open(document);
    return "Opened " + document;
  } catch (const Exception& e) {
    host.New();
    return e.Message();
  }
}

}  // namespace

int RunTerminalUI(THost& host, const std::string& document) {
  if (!HaveTerminal()) {
    std::cerr << "vzconsole: there is no terminal to draw on; use --batch FILE to run a script\n";
    return 1;
  }
  std::string failure;
  try {
    TCursesTerminal terminal;
    // The presenter is there before the snap-in starts, so that what it
    // shows while loading the document is shown on the terminal.
    std::unique_ptr<TMainScreen> screen;
    TTerminalPresenter presenter(
        terminal,
        [&](TCellGrid& grid) {
          if (screen) screen->Draw(grid);
        },
        [&] { host.Pump(); });
    TPresenterScope scope(presenter);
    Application().SetTitle("Console");
    const std::string notice = StartDocument(host, document);
    screen = std::make_unique<TMainScreen>(host);
    if (!notice.empty()) screen->Tell(notice);
    if (!document.empty()) screen->SuggestSavePath(document);
    // The screen is drawn again after every key, and while idle only when
    // posted messages were dispatched (a large result pane is not asked for
    // all its texts five times a second for nothing).
    bool changed = true;
    while (!screen->QuitRequested()) {
      if (changed) {
        TCellGrid grid(terminal.Width(), terminal.Height());
        screen->Draw(grid);
        terminal.Show(grid);
      }
      const TKey key = terminal.Read(TTerminalPresenter::kIdleMs);
      changed = true;
      if (key.Is(TKeyCode::None)) {
        changed = host.Pump() > 0;
      } else if (!key.Is(TKeyCode::Resize) &&
                 !screen->HandleKey(key, terminal.Width(), terminal.Height())) {
        terminal.Beep();
      }
    }
    screen.reset();
    host.Close();
  } catch (const ETerminalError& e) {
    failure = e.Message() + "; use --batch FILE to run a script";
  } catch (const Exception& e) {
    failure = e.Message();
  }
  // Reported once the terminal is given back, so that it can be read.
  if (failure.empty()) return 0;
  std::cerr << "vzconsole: " << failure << "\n";
  return 1;
}
