#include "console/batch/BatchRunner.h"

#include <algorithm>
#include <chrono>

#include "console/batch/BatchWords.h"
#include "console/host/ConsoleError.h"
#include "platform/text/Locale.h"
#include "platform/ui/AnswerNames.h"
#include "platform/ui/Screen.h"
#include "platform/win32/Messages.h"

struct TBatchRunner::Command {
  const char* name;
  size_t minArgs;
  size_t maxArgs;  // SIZE_MAX: any number
  void (TBatchRunner::*handler)(const Words&);
  const char* usage;
};

namespace {

constexpr size_t kAny = SIZE_MAX;

std::string Csv(const std::string& cell) {
  if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
  std::string out = "\"";
  for (char c : cell) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string Join(const std::vector<std::string>& cells, bool csv) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += csv ? "," : " | ";
    line += csv ? Csv(cells[i]) : cells[i];
  }
  return line;
}

// A menu text compared without its '&' accelerator marks.
std::string Plain(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '&') out.push_back(c);
  }
  return out;
}

}  // namespace

const std::vector<TBatchRunner::Command>& TBatchRunner::Commands() {
  static const std::vector<Command> kCommands = {
      {"new", 0, 1, &TBatchRunner::New, "new [SNAPIN]"},
      {"open", 0, 1, &TBatchRunner::Open, "open FILE | open"},
      {"save", 0, 1, &TBatchRunner::Save, "save [FILE]"},
      {"dirty", 0, 0, &TBatchRunner::Dirty, "dirty"},
      {"expand", 1, 1, &TBatchRunner::Expand, "expand NODE"},
      {"collapse", 1, 1, &TBatchRunner::Collapse, "collapse NODE"},
      {"select", 1, 1, &TBatchRunner::Select, "select NODE"},
      {"tree", 0, 1, &TBatchRunner::Tree, "tree [NODE]"},
      {"list", 0, 1, &TBatchRunner::List, "list [--csv]"},
      {"pick", 0, kAny, &TBatchRunner::Pick, "pick ITEM..."},
      {"sort", 1, 2, &TBatchRunner::Sort, "sort COLUMN [desc]"},
      {"menu", 0, 1, &TBatchRunner::Menu, "menu [NODE]"},
      {"run", 1, 2, &TBatchRunner::Run, "run TEXT [NODE]"},
      {"verbs", 0, 1, &TBatchRunner::Verbs, "verbs [NODE]"},
      {"refresh", 0, 1, &TBatchRunner::Refresh, "refresh [NODE]"},
      {"delete", 0, 1, &TBatchRunner::Delete, "delete [NODE]"},
      {"rename", 2, 2, &TBatchRunner::Rename, "rename NODE NEWNAME"},
      {"help", 0, 1, &TBatchRunner::Help, "help [NODE]"},
      {"status", 0, 0, &TBatchRunner::Status, "status"},
      {"on-form", 2, kAny, &TBatchRunner::OnForm, "on-form CAPTION ACTION..."},
      {"on-message", 2, 2, &TBatchRunner::OnMessage, "on-message TEXT ANSWER"},
      {"on-folder", 1, 1, &TBatchRunner::OnFolder, "on-folder PATH|cancel"},
      {"pump", 0, 1, &TBatchRunner::Pump, "pump [MILLISECONDS]"},
      {"echo", 0, kAny, &TBatchRunner::Echo, "echo TEXT..."},
      {"layout", 2, 2, &TBatchRunner::Layout, "layout WIDTH HEIGHT"},
  };
  return kCommands;
}

TBatchRunner::TBatchRunner(THost& host, std::ostream& out, std::ostream& err)
    : host_(host), out_(out), err_(err), presenter_(out), presenterScope_(presenter_) {}

int TBatchRunner::Run(std::istream& script) {
  std::string line;
  for (int number = 1; std::getline(script, line); ++number) {
    try {
      RunLine(line);
    } catch (const Exception& e) {
      out_.flush();
      err_ << "line " << number << ": " << e.Message() << "\n";
      return 1;
    } catch (const std::exception& e) {
      out_.flush();
      err_ << "line " << number << ": " << e.what() << "\n";
      return 1;
    }
  }
  return 0;
}

void TBatchRunner::RunLine(const std::string& line) {
  const Words words = SplitBatchLine(line);
  if (words.empty()) return;
  const Words args(words.begin() + 1, words.end());
  const Command* command = nullptr;
  for (const Command& c : Commands()) {
    if (words[0] == c.name) command = &c;
  }
  if (command == nullptr) throw EBatchError("unknown command \"" + words[0] + "\"");
  if (args.size() < command->minArgs || args.size() > command->maxArgs) {
    throw EBatchError(std::string("usage: ") + command->usage);
  }
  (this->*command->handler)(args);
  host_.Pump();
  const std::string failure = presenter_.TakeFailure();
  if (!failure.empty()) throw EBatchError(failure);
}

HSCOPEITEM TBatchRunner::Resolve(const std::string& path) {
  TConsole& console = Console();
  HSCOPEITEM node = console.StaticNode();
  std::string where = console.NodeName(node);
  for (const std::string& name : SplitNodePath(path)) {
    console.ExpandNode(node);
    const TScopeNode* parent = console.Tree().Find(node);
    std::vector<HSCOPEITEM> exact, similar;
    std::string children;
    for (HSCOPEITEM child : parent->children) {
      const std::string childName = console.NodeName(child);
      if (childName == name) exact.push_back(child);
      if (SameText(childName, name)) similar.push_back(child);
      children += (children.empty() ? "" : ", ") + childName;
    }
    if (exact.empty() && similar.size() != 1) {
      throw EBatchError("no node \"" + name + "\" below \"" + where + "\"" +
                        (children.empty() ? " (it has none)" : " (it has: " + children + ")"));
    }
    node = exact.empty() ? similar.front() : exact.front();
    where = console.NodeName(node);
  }
  return node;
}

void TBatchRunner::SelectIfGiven(const Words& words, size_t index) {
  if (words.size() > index) Console().SelectNode(Resolve(words[index]));
}

void TBatchRunner::New(const Words& w) { host_.New(w.empty() ? std::string() : w[0]); }

void TBatchRunner::Open(const Words& w) {
  if (w.empty()) return Console().RunVerb(MMC_VERB_OPEN);
  host_.Open(w[0]);
}

void TBatchRunner::Save(const Words& w) { host_.Save(w.empty() ? std::string() : w[0]); }

void TBatchRunner::Dirty(const Words&) {
  out_ << "dirty: " << (host_.IsDirty() ? "yes" : "no") << "\n";
}

void TBatchRunner::Expand(const Words& w) { Console().ExpandNode(Resolve(w[0])); }

void TBatchRunner::Collapse(const Words& w) { Console().CollapseNode(Resolve(w[0])); }

void TBatchRunner::Select(const Words& w) { Console().SelectNode(Resolve(w[0])); }

void TBatchRunner::PrintTree(HSCOPEITEM node, int depth) {
  out_ << std::string(size_t(depth) * 2, ' ') << Console().NodeName(node) << "\n";
  const std::vector<HSCOPEITEM> children = Console().Tree().Find(node)->children;
  for (HSCOPEITEM child : children) PrintTree(child, depth + 1);
}

void TBatchRunner::Tree(const Words& w) {
  PrintTree(w.empty() ? Console().StaticNode() : Resolve(w[0]), 0);
}

void TBatchRunner::List(const Words& w) {
  if (!w.empty() && w[0] != "--csv") throw EBatchError("usage: list [--csv]");
  const bool csv = !w.empty();
  TConsole& console = Console();
  if (console.SelectedNode() == 0) throw EBatchError("no node is selected");
  std::vector<int> columns = console.VisibleColumns();
  std::vector<std::string> cells;
  for (int column : columns) cells.push_back(console.ColumnTitle(column));
  if (columns.empty()) {
    columns.push_back(0);
    cells.push_back("");
  }
  out_ << Join(cells, csv) << "\n";
  for (int row = 0; row < console.RowCount(); ++row) {
    cells.clear();
    for (int column : columns) cells.push_back(console.CellText(row, column));
    out_ << Join(cells, csv) << "\n";
  }
}

int TBatchRunner::FindRow(const std::string& text, const std::vector<int>& taken) {
  TConsole& console = Console();
  for (int row = 0; row < console.RowCount(); ++row) {
    if (std::find(taken.begin(), taken.end(), row) != taken.end()) continue;
    if (console.CellText(row, 0) == text) return row;
  }
  throw EBatchError("no row \"" + text + "\" in the result pane");
}

void TBatchRunner::Pick(const Words& w) {
  if (Console().SelectedNode() == 0) throw EBatchError("no node is selected");
  std::vector<int> rows;
  for (const std::string& item : w) rows.push_back(FindRow(item, rows));
  Console().PickRows(rows);
}

void TBatchRunner::Sort(const Words& w) {
  if (w.size() > 1 && w[1] != "desc") throw EBatchError("usage: sort COLUMN [desc]");
  TConsole& console = Console();
  int column = -1;
  for (int c : console.VisibleColumns()) {
    if (console.ColumnTitle(c) == w[0]) column = c;
  }
  if (column < 0) {
    try {
      column = std::stoi(w[0]);
    } catch (const std::exception&) {
      throw EBatchError("no column \"" + w[0] + "\"");
    }
  }
  console.SortByColumn(column, w.size() > 1);
}

void TBatchRunner::Menu(const Words& w) {
  SelectIfGiven(w, 0);
  for (const TMenuItem& item : Console().ContextMenu()) {
    out_ << item.commandId << " | " << item.text << " | " << item.statusText
         << (item.Enabled() ? "" : " | disabled") << ((item.flags & MF_CHECKED) ? " | checked" : "")
         << "\n";
  }
}

TMenuItem TBatchRunner::FindMenuItem(const std::string& text) {
  const std::vector<TMenuItem> items = Console().ContextMenu();
  for (const TMenuItem& item : items) {
    if (item.text == text || Plain(item.text) == Plain(text)) return item;
  }
  std::string offered;
  for (const TMenuItem& item : items) offered += (offered.empty() ? "" : ", ") + item.text;
  throw EBatchError("the context menu has no item \"" + text + "\"" +
                    (offered.empty() ? " (it is empty)" : " (it has: " + offered + ")"));
}

void TBatchRunner::Run(const Words& w) {
  SelectIfGiven(w, 1);
  Console().RunMenuItem(FindMenuItem(w[0]));
}

void TBatchRunner::Verbs(const Words& w) {
  SelectIfGiven(w, 0);
  const TConsoleVerbs& verbs = Console().Verbs();
  for (uint32_t v = MMC_VERB_FIRST; v <= MMC_VERB_LAST; ++v) {
    const auto verb = MMC_CONSOLE_VERB(v);
    const char* state = verbs.Has(verb, HIDDEN)    ? "hidden"
                        : verbs.Has(verb, ENABLED) ? "enabled"
                                                   : "disabled";
    out_ << VerbName(verb) << ": " << state << (verbs.DefaultVerb() == verb ? " (default)" : "")
         << "\n";
  }
}

void TBatchRunner::Refresh(const Words& w) {
  SelectIfGiven(w, 0);
  Console().RunVerb(MMC_VERB_REFRESH);
}

void TBatchRunner::Delete(const Words& w) {
  SelectIfGiven(w, 0);
  Console().RunVerb(MMC_VERB_DELETE);
}

void TBatchRunner::Rename(const Words& w) {
  Console().SelectNode(Resolve(w[0]));
  Console().RunVerb(MMC_VERB_RENAME, w[1]);
}

void TBatchRunner::Help(const Words& w) {
  SelectIfGiven(w, 0);
  Console().ContextHelp();
}

void TBatchRunner::Status(const Words&) { out_ << "status: " << Console().StatusText() << "\n"; }

void TBatchRunner::OnForm(const Words& w) {
  std::vector<TFormAction> actions;
  for (size_t i = 1; i < w.size(); ++i) {
    TFormAction action;
    const std::string& verb = w[i];
    if (verb == "set") {
      action.kind = TFormAction::Set;
    } else if (verb == "pick") {
      action.kind = TFormAction::Pick;
    } else if (verb == "check") {
      action.kind = TFormAction::Check;
    } else if (verb == "click") {
      action.kind = TFormAction::Click;
    } else {
      throw EBatchError("unknown form action \"" + verb + "\" (set, pick, check or click)");
    }
    if (++i >= w.size()) throw EBatchError("the form action \"" + verb + "\" needs a control");
    action.control = w[i];
    if (action.kind == TFormAction::Set || action.kind == TFormAction::Pick) {
      const size_t equals = w[i].find('=');
      if (equals == std::string::npos) {
        throw EBatchError("the form action \"" + verb + "\" is written " + verb + " NAME=TEXT");
      }
      action.control = w[i].substr(0, equals);
      action.text = w[i].substr(equals + 1);
    }
    actions.push_back(std::move(action));
  }
  presenter_.QueueForm(w[0], std::move(actions));
}

void TBatchRunner::OnMessage(const Words& w) {
  const int answer = ParseAnswer(w[1]);
  if (answer < 0) throw EBatchError("unknown answer \"" + w[1] + "\"");
  presenter_.QueueMessage(w[0], answer);
}

void TBatchRunner::OnFolder(const Words& w) {
  presenter_.QueueFolder(w[0] == "cancel" ? std::nullopt : std::optional<std::string>(w[0]));
}

void TBatchRunner::Pump(const Words& w) {
  if (!w.empty()) {
    int milliseconds = 0;
    try {
      milliseconds = std::stoi(w[0]);
    } catch (const std::exception&) {
      throw EBatchError("usage: pump [MILLISECONDS]");
    }
    WaitForPostedMessages(std::chrono::milliseconds(milliseconds));
  }
  host_.Pump();
}

void TBatchRunner::Echo(const Words& w) {
  std::string line;
  for (const std::string& word : w) line += (line.empty() ? "" : " ") + word;
  out_ << line << "\n";
}

void TBatchRunner::Layout(const Words& w) {
  if (!terminalLayout_.FormProblems) {
    throw EBatchError("this console has no terminal front end to lay forms out with");
  }
  int width = 0;
  int height = 0;
  try {
    width = std::stoi(w[0]);
    height = std::stoi(w[1]);
  } catch (const std::exception&) {
    width = 0;
  }
  if (width <= 0 || height <= 0) throw EBatchError("usage: layout WIDTH HEIGHT (in cells)");
  // Forms are centred on, and texts wrapped within, a screen of that size.
  Screen().SetSize(width * kCellWidth, height * kCellHeight);
  presenter_.CheckLayouts(terminalLayout_, width, height);
}
