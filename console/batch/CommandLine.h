#pragma once
// The command line of vzconsole and what the non-interactive modes do:
//
//   vzconsole [DOCUMENT]                  the terminal UI
//   vzconsole --batch FILE|- [DOCUMENT]   runs a batch script (- : standard input)
//   vzconsole --register MODULE           calls the module's DllRegisterServer
//   vzconsole --unregister MODULE         calls its DllUnregisterServer
//   vzconsole --help                      the usage and the batch language
//   vzconsole --version                   the product's name and version
//
// A DOCUMENT given to a batch run is opened before the script's first line.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "console/batch/BatchPresenter.h"

struct TCommandLine {
  enum Mode { Interactive, Batch, Register, Unregister, Help, Version };
  Mode mode = Interactive;
  std::string file;      // the script or the module
  std::string document;  // the document to open first; empty for none
};

// Raises EBatchError for an unknown option or a missing argument.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string UsageText();

// "VAZERir VERSION", as --version prints it.
std::string VersionText();

// Carries out Batch, Register, Unregister, Help and Version (reading a
// script named "-" from `in`); answers the exit status: 0 for success, 1 for
// a failure (reported on `err`). A batch run's `layout` command uses
// `terminalLayout`.
int RunCommandLine(const TCommandLine& commandLine, std::istream& in, std::ostream& out,
                   std::ostream& err, const TTerminalLayout& terminalLayout = {});
