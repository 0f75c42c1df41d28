#include "console/tui/MainScreen.h"

#include <algorithm>

#include "console/tui/Glyphs.h"
#include "console/tui/ListMotion.h"
#include "console/tui/MainScreenKeys.h"
#include "platform/text/Exception.h"
#include "platform/text/Locale.h"
#include "platform/ui/MessageBox.h"

namespace {

struct VerbEntry {
  MMC_CONSOLE_VERB verb;
  const char* text;
  const char* statusText;
};
constexpr VerbEntry kMenuVerbs[] = {
    {MMC_VERB_REFRESH, "Refresh", "Reads the item again"},
    {MMC_VERB_DELETE, "Delete", "Deletes the item"},
    {MMC_VERB_RENAME, "Rename", "Gives the item a new name"},
};

bool Contains(const std::string& text, const std::string& filter) {
  return filter.empty() || LowerCase(text).find(LowerCase(filter)) != std::string::npos;
}

}  // namespace

TMainScreen::TMainScreen(THost& host) : host_(host) {
  Act([] {});
}

TMainScreen::Layout TMainScreen::LayoutFor(int width, int height) {
  Layout layout;
  const int scopeWidth = std::max(std::min(16, width / 2), width / 3);
  const int rows = std::max(0, height - 4);
  layout.scope = {0, 2, scopeWidth, rows};
  layout.result = {scopeWidth + 1, 2, std::max(0, width - scopeWidth - 1), rows};
  layout.statusRow = std::max(0, height - 2);
  layout.keyRow = std::max(0, height - 1);
  return layout;
}

template <class Action>
bool TMainScreen::Act(Action&& action) {
  bool done = true;
  try {
    action();
  } catch (const Exception& e) {
    message_ = e.Message();
    done = false;
  } catch (const std::exception& e) {
    message_ = e.what();
    done = false;
  }
  Refresh();
  return done;
}

void TMainScreen::Refresh() {
  if (!host_.IsOpen()) return;
  try {
    host_.Pump();
    TConsole& console = Console();
    if (console.SelectedNode() == 0) console.SelectNode(console.StaticNode());
    // A node the snap-in selected below a collapsed one is brought into view.
    std::vector<HSCOPEITEM> ancestors;
    for (const TScopeNode* n = console.Tree().Find(console.SelectedNode()); n && n->parent;
         n = console.Tree().Find(n->parent)) {
      ancestors.push_back(n->parent);
    }
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
      if (!console.Tree().Find(*it)->expanded) console.ExpandNode(*it);
    }
    scopeRows_ = ShownScopeRows(console);
    if (console.StatusSerial() != statusSerial_) {
      statusSerial_ = console.StatusSerial();
      message_ = console.StatusText();
    }
  } catch (const Exception& e) {
    message_ = e.Message();
  }
  resultRow_ = std::clamp(resultRow_, 0, std::max(0, int(ShownResult().size()) - 1));
}

std::vector<int> TMainScreen::ShownScope() const {
  std::vector<int> shown;
  for (int i = 0; i < int(scopeRows_.size()); ++i) {
    if (i == 0 || Contains(scopeRows_[size_t(i)].name, scopeFilter_)) shown.push_back(i);
  }
  return shown;
}

std::vector<int> TMainScreen::ShownResult() {
  std::vector<int> shown;
  if (!host_.IsOpen()) return shown;
  for (int row = 0; row < Console().RowCount(); ++row) {
    if (resultFilter_.empty() || Contains(Console().CellText(row, 0), resultFilter_)) {
      shown.push_back(row);
    }
  }
  return shown;
}

int TMainScreen::ScopeIndexOf(HSCOPEITEM node) const {
  const std::vector<int> shown = ShownScope();
  for (int i = 0; i < int(shown.size()); ++i) {
    if (scopeRows_[size_t(shown[size_t(i)])].node == node) return i;
  }
  return -1;
}

bool TMainScreen::HandleKey(const TKey& key, int width, int height) {
  if (!host_.IsOpen()) return false;
  const bool handled = Dispatch(key, LayoutFor(width, height));
  Refresh();
  return handled;
}

TKeyPlace TMainScreen::Place() const {
  if (prompt_ != TPrompt::None)
    return prompt_ == TPrompt::Filter ? TKeyPlace::Filter : TKeyPlace::Prompt;
  if (menuOpen_) return TKeyPlace::Menu;
  return focus_ == TPane::Scope ? TKeyPlace::Tree : TKeyPlace::Results;
}

bool TMainScreen::Dispatch(const TKey& key, const Layout& layout) {
  if (helpShown_) {
    helpShown_ = false;
    return true;
  }
  if (prompt_ == TPrompt::None && menuOpen_ && key.Is(TKeyCode::Mouse)) {
    const TCellRect menu = MenuRect(layout);
    const int entry = key.Y - menu.Top - 1;
    if (!menu.Contains({key.X, key.Y}) || entry < 0 || entry >= int(menu_.size())) {
      menuOpen_ = false;
      return Click(key, layout);
    }
    menuIndex_ = entry;
    return RunMenuEntry();
  }
  if (prompt_ == TPrompt::None && key.Is(TKeyCode::Mouse)) return Click(key, layout);
  const TKeyBinding* binding = FindKeyBinding(key, Place());
  if (binding != nullptr) return Run(binding->Action, key, layout);
  // Keys of no entry: a typed line takes them, a menu chooses by the letter.
  if (prompt_ != TPrompt::None) return EditPrompt(key);
  if (menuOpen_ && key.Is(TKeyCode::Char)) return ChooseMenuEntry(key.Text);
  return false;
}

bool TMainScreen::Run(TKeyAction action, const TKey& key, const Layout& layout) {
  switch (action) {
    case TKeyAction::Move:
      if (menuOpen_) return MoveInMenu(key);
      return focus_ == TPane::Scope ? MoveInTree(key, layout) : MoveInResults(key, layout);
    case TKeyAction::SwitchPane:
      SwitchPane(focus_ == TPane::Scope ? TPane::Result : TPane::Scope);
      return true;
    case TKeyAction::ExpandCollapse:
      return ExpandOrCollapse(key.Is(TKeyCode::Right));
    case TKeyAction::Activate:
      return ActivateItem();
    case TKeyAction::Mark:
      return MarkRow();
    case TKeyAction::StopMarking:
      return StopMarking();
    case TKeyAction::Refresh:
      return VerbKey(MMC_VERB_REFRESH);
    case TKeyAction::Delete:
      return VerbKey(MMC_VERB_DELETE);
    case TKeyAction::Rename:
      return VerbKey(MMC_VERB_RENAME);
    case TKeyAction::ItemHelp:
      return Act([&] { Console().ContextHelp(); });
    case TKeyAction::Menu:
      OpenMenu();
      return menuOpen_;
    case TKeyAction::Filter:
      StartPrompt(TPrompt::Filter, focus_ == TPane::Scope ? scopeFilter_ : resultFilter_);
      return true;
    case TKeyAction::Help:
      helpShown_ = true;
      return true;
    case TKeyAction::Save:
      if (host_.DocumentPath().empty()) {
        StartPrompt(TPrompt::SaveAs, savePath_);
        return true;
      }
      return Act([&] { Save({}); });
    case TKeyAction::Open:
      StartPrompt(TPrompt::Open, host_.DocumentPath());
      return true;
    case TKeyAction::Quit:
      Quit();
      return true;
    case TKeyAction::Run:
      return RunMenuEntry();
    case TKeyAction::Close:
      menuOpen_ = false;
      return true;
    case TKeyAction::Accept:
      return FinishPrompt();
    case TKeyAction::Cancel:
      CancelPrompt();
      return true;
    case TKeyAction::Sort:
      return false;
  }
  return false;
}

bool TMainScreen::MoveInTree(const TKey& key, const Layout& layout) {
  const std::vector<int> shown = ShownScope();
  const int current = std::max(0, ScopeIndexOf(Console().SelectedNode()));
  const std::optional<int> moved = MoveInList(key, current, int(shown.size()), layout.scope.Height);
  if (!moved || *moved < 0 || *moved == current) return false;
  SelectScopeRow(shown[size_t(*moved)]);
  return true;
}

bool TMainScreen::MoveInResults(const TKey& key, const Layout& layout) {
  const std::optional<int> moved =
      MoveInList(key, resultRow_, int(ShownResult().size()), layout.result.Height);
  if (!moved || *moved < 0) return false;
  if (marking_) {
    resultRow_ = *moved;
  } else {
    PickResultRow(*moved, false);
  }
  return true;
}

bool TMainScreen::ExpandOrCollapse(bool expand) {
  const HSCOPEITEM node = Console().SelectedNode();
  const TScopeNode* item = Console().Tree().Find(node);
  if (!item) return false;
  if (expand) {
    if (!item->expanded) return Act([&] { Console().ExpandNode(node); });
    if (item->children.empty()) return false;
    return Act([&] { Console().SelectNode(item->children.front()); });
  }
  if (item->expanded && !item->children.empty()) return Act([&] { Console().CollapseNode(node); });
  if (!item->parent) return false;
  return Act([&] { Console().SelectNode(item->parent); });
}

bool TMainScreen::ActivateItem() {
  if (focus_ == TPane::Result) {
    if (ShownResult().empty()) return false;
    if (Console().PickedRows().empty()) PickResultRow(resultRow_, false);
  } else if (!Console().Tree().Find(Console().SelectedNode())) {
    return false;
  }
  return Act([&] { Console().Activate(); });
}

bool TMainScreen::MarkRow() {
  if (ShownResult().empty()) return false;
  // The first mark keeps the row the arrows picked.
  if (marking_ || Console().PickedRows() != std::vector<int>{ShownResult()[size_t(resultRow_)]}) {
    PickResultRow(resultRow_, true);
  }
  marking_ = true;
  return true;
}

bool TMainScreen::StopMarking() {
  if (!marking_ || ShownResult().empty()) return false;
  marking_ = false;
  PickResultRow(resultRow_, false);
  return true;
}

void TMainScreen::SelectScopeRow(int row) {
  const HSCOPEITEM node = scopeRows_[size_t(row)].node;
  if (node == Console().SelectedNode()) return;
  Act([&] { Console().SelectNode(node); });
  resultRow_ = 0;
  resultFirst_ = 0;
  resultFilter_.clear();
  sortColumn_ = -1;
  marking_ = false;
}

void TMainScreen::PickResultRow(int row, bool toggle) {
  const std::vector<int> shown = ShownResult();
  if (row < 0 || row >= int(shown.size())) return;
  resultRow_ = row;
  std::vector<int> picked{shown[size_t(row)]};
  if (toggle) {
    std::vector<int> now = Console().PickedRows();
    const auto at = std::find(now.begin(), now.end(), shown[size_t(row)]);
    if (at == now.end()) {
      now.push_back(shown[size_t(row)]);
    } else {
      now.erase(at);
    }
    picked = now;
  }
  Act([&] { Console().PickRows(picked); });
}

void TMainScreen::SwitchPane(TPane pane) {
  focus_ = pane;
  marking_ = false;
  if (pane == TPane::Result) {
    if (Console().PickedRows().empty()) PickResultRow(resultRow_, false);
  } else if (!Console().PickedRows().empty()) {
    Act([&] { Console().PickRows({}); });
  }
}

bool TMainScreen::VerbKey(MMC_CONSOLE_VERB verb) {
  if (!Console().Verbs().Available(verb)) {
    message_ = std::string("Cannot ") + VerbName(verb) + " this item";
    return false;
  }
  if (verb != MMC_VERB_RENAME) return Act([&] { Console().RunVerb(verb); });
  const std::vector<int> picked = Console().PickedRows();
  StartPrompt(TPrompt::Rename, picked.empty() ? Console().NodeName(Console().SelectedNode())
                                              : Console().CellText(picked.front(), 0));
  return true;
}

void TMainScreen::OpenMenu() {
  menu_.clear();
  Act([&] {
    for (const TMenuItem& item : Console().ContextMenu()) {
      menu_.push_back({item.text, item.statusText, item.Enabled(), item, MMC_VERB_NONE});
    }
  });
  for (const VerbEntry& v : kMenuVerbs) {
    if (Console().Verbs().Available(v.verb)) {
      menu_.push_back({v.text, v.statusText, true, std::nullopt, v.verb});
    }
  }
  if (menu_.empty()) {
    message_ = "There are no commands for this item";
    return;
  }
  menuOpen_ = true;
  menuIndex_ = 0;
}

bool TMainScreen::MoveInMenu(const TKey& key) {
  const std::optional<int> moved =
      MoveInList(key, menuIndex_, int(menu_.size()), int(menu_.size()));
  if (!moved) return false;
  menuIndex_ = *moved;
  return true;
}

bool TMainScreen::ChooseMenuEntry(const std::string& letter) {
  std::vector<std::string> texts;
  for (const MenuEntry& e : menu_) texts.push_back(e.text);
  const int found = FindByPrefix(texts, menuIndex_, letter);
  if (found >= 0) menuIndex_ = found;
  return found >= 0;
}

bool TMainScreen::RunMenuEntry() {
  const MenuEntry entry = menu_[size_t(menuIndex_)];
  if (!entry.enabled) {
    message_ = entry.text + " is not available now";
    return false;
  }
  menuOpen_ = false;
  RunEntry(entry);
  return true;
}

void TMainScreen::RunEntry(const MenuEntry& entry) {
  if (entry.command) {
    Act([&] { Console().RunMenuItem(*entry.command); });
  } else {
    VerbKey(entry.verb);
  }
}

void TMainScreen::StartPrompt(TPrompt prompt, std::string text) {
  prompt_ = prompt;
  line_ = TLineEditor(std::move(text));
}

void TMainScreen::CancelPrompt() {
  if (prompt_ == TPrompt::Filter) (focus_ == TPane::Scope ? scopeFilter_ : resultFilter_).clear();
  prompt_ = TPrompt::None;
  quitAfterSave_ = false;
}

bool TMainScreen::EditPrompt(const TKey& key) {
  const bool handled = line_.HandleKey(key);
  if (prompt_ == TPrompt::Filter) {
    (focus_ == TPane::Scope ? scopeFilter_ : resultFilter_) = line_.Text();
    resultRow_ = 0;
    if (focus_ == TPane::Result && handled) PickResultRow(0, false);
  }
  return handled;
}

bool TMainScreen::FinishPrompt() {
  const TPrompt prompt = prompt_;
  const std::string text = line_.Text();
  prompt_ = TPrompt::None;
  switch (prompt) {
    case TPrompt::Rename:
      return Act([&] { Console().RunVerb(MMC_VERB_RENAME, text); });
    case TPrompt::SaveAs: {
      const bool saved = Act([&] { Save(text); });
      quit_ = saved && quitAfterSave_;
      quitAfterSave_ = false;
      return saved;
    }
    case TPrompt::Open:
      if (!Act([&] { host_.Open(text); })) return false;
      focus_ = TPane::Scope;
      scopeFilter_.clear();
      resultFilter_.clear();
      resultRow_ = 0;
      statusSerial_ = Console().StatusSerial();
      message_ = "Opened " + text;
      return true;
    default:
      return true;
  }
}

void TMainScreen::Save(const std::string& path) {
  host_.Save(path);
  message_ = "Saved to " + host_.DocumentPath();
}

void TMainScreen::Quit() {
  bool dirty = false;
  Act([&] { dirty = host_.IsDirty(); });
  if (!dirty) {
    quit_ = true;
    return;
  }
  const std::string name = host_.DocumentPath().empty() ? "the console" : host_.DocumentPath();
  switch (
      ::MessageBox("Save changes to " + name + "?", "Console", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      if (host_.DocumentPath().empty()) {
        quitAfterSave_ = true;
        StartPrompt(TPrompt::SaveAs, savePath_);
      } else if (Act([&] { Save({}); })) {
        quit_ = true;
      }
      break;
    case IDNO:
      quit_ = true;
      break;
    default:
      break;
  }
}

bool TMainScreen::Click(const TKey& key, const Layout& layout) {
  const TCellPoint at{key.X, key.Y};
  if (layout.scope.Contains(at)) {
    const std::vector<int> shown = ShownScope();
    const int row = scopeFirst_ + key.Y - layout.scope.Top;
    if (row >= int(shown.size())) return false;
    SwitchPane(TPane::Scope);
    SelectScopeRow(shown[size_t(row)]);
    if (key.Button == TMouseButton::Right) {
      OpenMenu();
      return menuOpen_;
    }
    if (key.Button == TMouseButton::LeftDouble) {
      const HSCOPEITEM node = Console().SelectedNode();
      const TScopeNode* item = Console().Tree().Find(node);
      return Act([&] {
        if (item && item->expanded) {
          Console().CollapseNode(node);
        } else {
          Console().ExpandNode(node);
        }
      });
    }
    return true;
  }
  if (layout.result.Contains(at)) {
    const int row = resultFirst_ + key.Y - layout.result.Top;
    if (row >= int(ShownResult().size())) return false;
    focus_ = TPane::Result;
    marking_ = false;
    PickResultRow(row, false);
    if (key.Button == TMouseButton::Right) {
      OpenMenu();
      return menuOpen_;
    }
    if (key.Button == TMouseButton::LeftDouble) return Act([&] { Console().Activate(); });
    return true;
  }
  if (key.Y == layout.headerRow && key.X >= layout.result.Left &&
      key.Button == TMouseButton::Left) {
    const std::vector<int> columns = Console().VisibleColumns();
    const std::vector<int> widths = ColumnWidths(columns, ShownResult(), layout.result.Width);
    int x = layout.result.Left;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (key.X < x + widths[i]) {
        sortDescending_ = sortColumn_ == columns[i] && !sortDescending_;
        sortColumn_ = columns[i];
        return Act([&] { Console().SortByColumn(sortColumn_, sortDescending_); });
      }
      x += widths[i];
    }
  }
  return false;
}
