#include "console/tui/MainScreenKeys.h"

#include <cctype>

namespace {

using P = TKeyPlace;
using A = TKeyAction;

TKey K(TKeyCode code) { return TKey::Named(code); }

std::vector<TKey> MoveKeys() {
  return {K(TKeyCode::Up),       K(TKeyCode::Down), K(TKeyCode::PageUp),
          K(TKeyCode::PageDown), K(TKeyCode::Home), K(TKeyCode::End)};
}

// Named keys and how the screen writes them.
struct TNamedKey {
  TKeyCode Code;
  const char* Name;
};
constexpr TNamedKey kNames[] = {{TKeyCode::Enter, "Enter"},
                                {TKeyCode::Escape, "Esc"},
                                {TKeyCode::Tab, "Tab"},
                                {TKeyCode::BackTab, "Shift-Tab"},
                                {TKeyCode::Backspace, "Backspace"},
                                {TKeyCode::Delete, "Del"},
                                {TKeyCode::Up, "Up"},
                                {TKeyCode::Down, "Down"},
                                {TKeyCode::Left, "Left"},
                                {TKeyCode::Right, "Right"},
                                {TKeyCode::Home, "Home"},
                                {TKeyCode::End, "End"},
                                {TKeyCode::PageUp, "PgUp"},
                                {TKeyCode::PageDown, "PgDn"}};

bool Matches(const TKey& pattern, const TKey& key) {
  if (pattern.Code != key.Code) return false;
  switch (key.Code) {
    case TKeyCode::Char:
    case TKeyCode::Control:
      return pattern.Text == key.Text;
    case TKeyCode::Function:
      return pattern.Number == key.Number && pattern.Shift == key.Shift;
    case TKeyCode::Mouse:
    case TKeyCode::Resize:
    case TKeyCode::None:
      return false;
    default:
      return true;
  }
}

}  // namespace

const std::vector<TKeyBinding>& MainScreenKeys() {
  // clang-format off
  static const std::vector<TKeyBinding> keys{
      {P::Panes, A::Move, MoveKeys(), 0, "", "move (selects the node or picks the row)", ""},
      {P::Tree, A::SwitchPane, {K(TKeyCode::Tab), K(TKeyCode::BackTab)}, 1, "",
       "switch between the tree and the result pane", "results"},
      {P::Results, A::SwitchPane, {K(TKeyCode::Tab), K(TKeyCode::BackTab)}, 1, "", "", "tree"},
      {P::Tree, A::ExpandCollapse, {K(TKeyCode::Right), K(TKeyCode::Left)}, 2, "",
       "expand / collapse (or first child / parent)", "expand"},
      {P::Panes, A::Activate, {K(TKeyCode::Enter)}, 1, "double click",
       "the item's default verb", "open"},
      {P::Results, A::Mark, {TKey::Char(" ")}, 0, "", "mark rows to pick several", ""},
      {P::Results, A::StopMarking, {K(TKeyCode::Escape)}, 0, "", "stop marking", "", true},
      {P::Panes, A::Refresh, {TKey::F(5)}, 1, "", "refresh", "refresh"},
      {P::Panes, A::Delete, {K(TKeyCode::Delete)}, 1, "", "delete", "delete", true},
      {P::Panes, A::Rename, {TKey::F(2)}, 1, "", "rename", "rename", true},
      {P::Panes, A::ItemHelp, {TKey::F(1)}, 0, "", "help on the item", "", true},
      {P::Panes, A::Menu, {TKey::Char("m"), TKey::F(10, true)}, 1, "right click",
       "the context menu", "menu"},
      {P::Panes, A::Filter, {TKey::Char("/")}, 1, "",
       "filter as you type (Enter keeps, Esc drops)", "filter"},
      {P::Results, A::Sort, {}, 0, "click on a column header",
       "sort by the column (again: descending)", ""},
      {P::Panes, A::Help, {TKey::Char("?")}, 1, "", "the keys", "help"},
      {P::Panes, A::Save, {TKey::Ctrl('s')}, 1, "", "save", "save"},
      {P::Panes, A::Open, {TKey::Ctrl('o')}, 0, "", "open a console file", "", true},
      {P::Panes, A::Quit, {TKey::Char("q"), TKey::Ctrl('q'), TKey::Ctrl('c')}, 1, "",
       "quit, asking to save unsaved changes", "quit"},

      {P::Menu, A::Move, MoveKeys(), 2, "", "", "choose"},
      {P::Menu, A::Run, {K(TKeyCode::Enter)}, 1, "", "", "run"},
      {P::Menu, A::Close,
       {K(TKeyCode::Escape), TKey::Char("m"), TKey::F(10), TKey::F(10, true)}, 1, "", "", "close"},

      {P::Filter, A::Accept, {K(TKeyCode::Enter)}, 1, "", "", "keep"},
      {P::Filter, A::Cancel, {K(TKeyCode::Escape)}, 1, "", "", "drop filter"},
      {P::Prompt, A::Accept, {K(TKeyCode::Enter)}, 1, "", "", "OK"},
      {P::Prompt, A::Cancel, {K(TKeyCode::Escape)}, 1, "", "", "cancel"},
  };
  // clang-format on
  return keys;
}

bool WorksIn(TKeyPlace entryPlace, TKeyPlace place) {
  return entryPlace == place || (entryPlace == TKeyPlace::Panes &&
                                 (place == TKeyPlace::Tree || place == TKeyPlace::Results));
}

const TKeyBinding* FindKeyBinding(const TKey& key, TKeyPlace place) {
  for (const TKeyBinding& binding : MainScreenKeys()) {
    if (!WorksIn(binding.Place, place)) continue;
    for (const TKey& pattern : binding.Keys) {
      if (Matches(pattern, key)) return &binding;
    }
  }
  return nullptr;
}

std::string KeyName(const TKey& key, bool brief) {
  switch (key.Code) {
    case TKeyCode::Char:
      return key.Text == " " ? "Space" : key.Text;
    case TKeyCode::Control: {
      std::string letter = key.Text;
      for (char& c : letter) c = char(std::toupper(static_cast<unsigned char>(c)));
      return (brief ? "^" : "Ctrl-") + letter;
    }
    case TKeyCode::Function:
      return (key.Shift ? "Shift-F" : "F") + std::to_string(key.Number);
    default:
      for (const TNamedKey& named : kNames) {
        if (named.Code == key.Code) return named.Name;
      }
      return "";
  }
}

std::string HelpLabel(const TKeyBinding& binding) {
  std::string label;
  for (const TKey& key : binding.Keys) label += (label.empty() ? "" : ", ") + KeyName(key);
  if (!binding.Mouse.empty()) label += (label.empty() ? "" : ", ") + std::string(binding.Mouse);
  return label;
}

std::vector<std::pair<std::string, std::string>> HelpLines() {
  std::vector<std::pair<std::string, std::string>> lines;
  for (const TKeyBinding& binding : MainScreenKeys()) {
    if (binding.Help.empty()) continue;
    if (binding.JoinsHelpLine && !lines.empty()) {
      lines.back().first += ", " + HelpLabel(binding);
      lines.back().second += ", " + std::string(binding.Help);
    } else {
      lines.emplace_back(HelpLabel(binding), binding.Help);
    }
  }
  return lines;
}

std::string LineLabel(const TKeyBinding& binding) {
  std::string label;
  for (int i = 0; i < binding.LineKeys && i < int(binding.Keys.size()); ++i) {
    label += (label.empty() ? "" : "/") + KeyName(binding.Keys[size_t(i)], true);
  }
  return label;
}
