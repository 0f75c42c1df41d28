// vzconsole: the management console. Batch runs, registration and --help are
// carried out by the batch front end; without --batch the terminal front end
// runs on the document given (or a new one).

#include <unistd.h>

#include <iostream>

#include "console/batch/BatchWords.h"
#include "console/batch/CommandLine.h"
#if KR_HAVE_TUI
#include "console/tui/FormView.h"
#include "console/tui/MessageBoxForm.h"
#include "console/tui/TerminalUI.h"
#endif

namespace {

// How the terminal front end lays out forms and message boxes, for the
// batch mode's layout checks; nothing without a terminal front end.
TTerminalLayout TerminalLayout() {
  TTerminalLayout layout;
#if KR_HAVE_TUI
  layout.FormProblems = [](const TForm& form, int width, int height) {
    return LayoutProblems(TFormLayout(form, width, height));
  };
  layout.MessageBoxProblems = [](const std::string& text, const std::string& caption,
                                 uint32_t flags, int width, int height) {
    const std::unique_ptr<TForm> form = CreateMessageBoxForm(text, caption, flags);
    return form ? LayoutProblems(TFormLayout(*form, width, height)) : std::vector<std::string>{};
  };
#endif
  return layout;
}

int RunInteractive(const TCommandLine& line) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    std::cerr << "vzconsole: there is no terminal to draw on; use --batch FILE to run a script\n";
    return 1;
  }
#if KR_HAVE_TUI
  THost host;
  return RunTerminalUI(host, line.document);
#else
  (void)line;
  std::cerr << "vzconsole: the terminal UI is not built yet; use --batch FILE to run a script\n";
  return 1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  TCommandLine line;
  try {
    line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const Exception& e) {
    std::cerr << "vzconsole: " << e.Message() << "\n";
    return 2;
  }
  if (line.mode == TCommandLine::Interactive) return RunInteractive(line);
  return RunCommandLine(line, std::cin, std::cout, std::cerr, TerminalLayout());
}
