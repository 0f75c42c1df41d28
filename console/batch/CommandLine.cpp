#include "console/batch/CommandLine.h"

#include <fstream>

#include "console/batch/BatchRunner.h"
#include "console/batch/BatchWords.h"
#include "console/host/ConsoleError.h"

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine line;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](TCommandLine::Mode mode) {
      if (line.mode != TCommandLine::Interactive) throw EBatchError(arg + " cannot be combined");
      if (i + 1 >= args.size()) throw EBatchError(arg + " needs an argument");
      line.mode = mode;
      line.file = args[++i];
    };
    if (arg == "--help" || arg == "-h") {
      line.mode = TCommandLine::Help;
      return line;
    } else if (arg == "--version") {
      line.mode = TCommandLine::Version;
      return line;
    } else if (arg == "--batch") {
      value(TCommandLine::Batch);
    } else if (arg == "--register") {
      value(TCommandLine::Register);
    } else if (arg == "--unregister") {
      value(TCommandLine::Unregister);
    } else if (arg.starts_with("-") && arg != "-") {
      throw EBatchError("unknown option " + arg + " (see --help)");
    } else if (line.document.empty()) {
      line.document = arg;
    } else {
      throw EBatchError("only one document can be opened");
    }
  }
  const bool module = line.mode == TCommandLine::Register || line.mode == TCommandLine::Unregister;
  if (module && !line.document.empty())
    throw EBatchError("--register and --unregister take one module");
  return line;
}

std::string UsageText() {
  return R"(usage: vzconsole [DOCUMENT]
       vzconsole --batch FILE|- [DOCUMENT]
       vzconsole --register MODULE | --unregister MODULE
       vzconsole --help | --version

Without --batch the console runs in the terminal on DOCUMENT (a .vzc file),
or on a new document of the registered snap-in.
--batch runs a script (- reads standard input), after opening DOCUMENT.
--register and --unregister call the module's registration entry points.
--version prints the product's name and version.

Batch scripts: one command a line; '#' starts a comment; "double quotes"
hold blanks (\" is a quote). NODE is the path of display names below the
snap-in's static node joined by '/' (write '/' inside a name as \/ and a
backslash as \\); "" or / is the static node itself. Nodes on the way are
expanded as a user would. Commands with [NODE] select it first.

  new [SNAPIN]            a new document (the only registered snap-in, or
                          the one of that name or class identifier)
  open FILE               open a console document
  save [FILE]             save the document (to its own file without FILE)
  dirty                   "dirty: yes" when the document has unsaved changes
  expand NODE             expand a node
  collapse NODE           collapse a node
  select NODE             select a node: the result pane shows it
  tree [NODE]             the inserted scope nodes, indented by two blanks
  list [--csv]            the result pane: column titles, then one line a row
                          (cells joined by " | ", or as CSV)
  pick ITEM...            select result rows by their column-0 text (none:
                          give the selection back to the node)
  sort COLUMN [desc]      sort the result pane (a column title or number)
  menu [NODE]             the context menu: ID | TEXT | STATUS [| disabled]
  run TEXT [NODE]         run the context-menu command of that text
  verbs [NODE]            each verb: enabled, disabled or hidden; the default
  open                    the open verb on the picked rows or the node
  refresh [NODE]          the refresh verb
  delete [NODE]           the delete verb
  rename NODE NEWNAME     the rename verb
  help [NODE]             context help
  status                  the status-bar text the snap-in set
  on-form CAPTION ACTION...
                          answers for the next form of that caption; actions:
                          set NAME=TEXT, pick NAME=ITEM, check NAME, click NAME
  on-message TEXT ANSWER  answers the next message whose text contains TEXT
                          (ok, cancel, yes, no, abort, retry, ignore, ...)
  on-folder PATH|cancel   answers the next folder browser
  pump [MILLISECONDS]     dispatch posted messages (waiting up to MILLISECONDS
                          for the first one)
  echo TEXT...            print TEXT
  layout WIDTH HEIGHT     from now on lay every form and message out as the
                          terminal would on WIDTH x HEIGHT cells, and print
                          "layout: CAPTION: fits WxH" or what does not fit

Every form and message shown is printed: "form: CAPTION -> RESULT",
"message: CAPTION: TEXT", "folder: CAPTION -> PATH". A form without an answer
is cancelled, a message gets the declining answer (Cancel, else No, else OK).
The exit status is 0 when every line ran, 1 at the first failing line, which
is reported on standard error as "line N: reason".
)";
}

namespace {

int RunBatch(const TCommandLine& line, std::istream& in, std::ostream& out, std::ostream& err,
             const TTerminalLayout& terminalLayout) {
  THost host;
  TBatchRunner runner(host, out, err);
  runner.SetTerminalLayout(terminalLayout);
  if (!line.document.empty()) {
    try {
      host.Open(line.document);
    } catch (const Exception& e) {
      err << "vzconsole: " << e.Message() << "\n";
      return 1;
    }
  }
  if (line.file == "-") return runner.Run(in);
  std::ifstream script(line.file);
  if (!script) {
    err << "vzconsole: cannot read the script " << line.file << "\n";
    return 1;
  }
  return runner.Run(script);
}

}  // namespace

std::string VersionText() { return std::string("VAZERir ") + KR_VERSION; }

int RunCommandLine(const TCommandLine& line, std::istream& in, std::ostream& out,
                   std::ostream& err, const TTerminalLayout& terminalLayout) {
  switch (line.mode) {
    case TCommandLine::Help:
      out << UsageText();
      return 0;
    case TCommandLine::Version:
      out << VersionText() << "\n";
      return 0;
    case TCommandLine::Batch:
      return RunBatch(line, in, out, err, terminalLayout);
    case TCommandLine::Register:
    case TCommandLine::Unregister:
      try {
        const bool unregister = line.mode == TCommandLine::Unregister;
        RegisterModule(line.file, unregister);
        out << line.file << (unregister ? ": unregistered\n" : ": registered\n");
        return 0;
      } catch (const Exception& e) {
        err << "vzconsole: " << e.Message() << "\n";
        return 1;
      }
    case TCommandLine::Interactive:
      break;
  }
  err << "vzconsole: the terminal UI is not part of this mode\n";
  return 1;
}
