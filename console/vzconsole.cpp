// vzconsole: the management console. Batch runs, registration and --help are
// carried out by the batch front end; without --batch the terminal front end
// runs on the document given (or a new one).

#include <unistd.h>

#include <iostream>

#include "console/batch/BatchWords.h"
#include "console/batch/CommandLine.h"
#if KR_HAVE_TUI
#include "console/tui/TerminalUI.h"
#endif

namespace {

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
  return RunCommandLine(line, std::cin, std::cout, std::cerr);
}
