#pragma once
// The keys of the main screen, in one table: where each key works, what it
// does there, the help screen's text for it and the key line's word. The
// main screen dispatches through the table, its help screen (?) lists the
// panes' entries, and its key line shows the words for where the user is.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/tui/Keys.h"

// Where a key works: in both panes, in one of them, in the open context
// menu, or while a line is typed on the status line (the filter, or a name
// or file asked for).
enum class TKeyPlace { Panes, Tree, Results, Menu, Filter, Prompt };

enum class TKeyAction {
  Move,            // Up, Down, PgUp, PgDn, Home, End in the focused list
  SwitchPane,      // between the tree and the result pane
  ExpandCollapse,  // Right expands (or goes to the first child), Left the other way
  Activate,        // the item's default verb
  Mark,            // adds the highlighted row to the pick, or takes it out
  StopMarking,     // ends the marking, picking the highlighted row alone
  Refresh,         // the snap-in's verbs, where it offers them
  Delete,
  Rename,
  ItemHelp,  // the snap-in's help on the item
  Menu,      // opens the context menu
  Filter,    // starts filtering the focused pane
  Sort,      // sorts by a clicked column header (the mouse's only)
  Help,      // shows the help screen
  Save,
  Open,
  Quit,
  Run,     // the open menu's highlighted command
  Close,   // closes the menu
  Accept,  // ends the typed line and carries it out
  Cancel,  // drops the typed line
};

struct TKeyBinding {
  TKeyPlace Place;
  TKeyAction Action;
  std::vector<TKey> Keys;  // the key line names the first LineKeys of them
  int LineKeys = 1;
  std::string_view Mouse;      // the mouse's way to the same action, if any
  std::string_view Help;       // the help screen's text; "" leaves the entry out
  std::string_view Line;       // the key line's word; "" leaves the entry out
  bool JoinsHelpLine = false;  // shown on the help line of the entry before
};

// The table, in the order of the help screen and the key line.
const std::vector<TKeyBinding>& MainScreenKeys();

// The first entry for `key` that works in `place` (Tree or Results also
// take the entries for both panes); null when the key does nothing there.
const TKeyBinding* FindKeyBinding(const TKey& key, TKeyPlace place);
// True when an entry for `entryPlace` works in `place`.
bool WorksIn(TKeyPlace entryPlace, TKeyPlace place);

// "Enter", "PgUp", "Shift-Tab", "F5", "Shift-F10", "Ctrl-S", "q", "Space";
// `brief` writes Ctrl as "^" ("^S").
std::string KeyName(const TKey& key, bool brief = false);
// The help screen's label: every key, then the mouse's way, by ", ".
std::string HelpLabel(const TKeyBinding& binding);
// The help screen's lines (label, text) for the entries with a help text;
// an entry that joins the line before adds its label and text to it, each
// after ", ".
std::vector<std::pair<std::string, std::string>> HelpLines();
// The key line's label: the first LineKeys keys, brief, by "/".
std::string LineLabel(const TKeyBinding& binding);
