#pragma once
// The command line of vzconsole and what the non-interactive modes do:
//
//   vzconsole [DOCUMENT]                  the terminal UI
//   vzconsole --batch FILE|- [DOCUMENT]   runs a batch script (- : standard input)
//   vzconsole --register MODULE           calls the module's DllRegisterServer
//   vzconsole --unregister MODULE         calls its DllUnregisterServer
//   vzconsole --help                      the usage and the batch language
//
// A DOCUMENT given to a batch run is opened before the script's first line.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

struct TCommandLine {
  enum Mode { Interactive, Batch, Register, Unregister, Help };
  Mode mode = Interactive;
  std::string file;      // the script or the module
  std::string document;  // the document to open first; empty for none
};

// Raises EBatchError for an unknown option or a missing argument.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string UsageText();

// Carries out Batch, Register, Unregister and Help (reading a script named
// "-" from `in`); answers the exit status: 0 for success, 1 for a failure
// (reported on `err`).
int RunCommandLine(const TCommandLine& commandLine, std::istream& in, std::ostream& out,
                   std::ostream& err);
