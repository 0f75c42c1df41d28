#pragma once
// TMainScreen: the console's main screen over the host's document, as a
// model that takes keys and draws into a cell grid. From the top:
//   the title line   the document's name (or "untitled") with "[modified]"
//                    while the snap-in reports unsaved changes
//   two panes        the scope pane (the tree) and the result pane (column
//                    headers, then the rows), the focused one marked
//   the status line  the open menu's highlighted item's status text, else
//                    the last message (an error, "Saved ...", the snap-in's
//                    status text)
//   the key line     the keys that work in the focused pane now
// Keys: the table of MainScreenKeys.h says what each key does where; the
// help screen lists it and the key line shows its words. In the result pane
// moving picks the row, except while rows are marked for a pick of several
// (Space): then the arrows move without changing the pick. Mouse: a click
// selects, a double click runs the default verb, a right click opens the
// menu, a click on a column header sorts by it (again: descending).
//
// Every action goes to the console session and is followed by a pump of the
// posted messages. A failed action beeps (HandleKey answers false) and its
// reason becomes the last message. Questions (save before quitting) go
// through the installed presenter as message boxes.

#include <optional>
#include <string>
#include <vector>

#include "console/host/Host.h"
#include "console/tui/CellGrid.h"
#include "console/tui/Keys.h"
#include "console/tui/LineEditor.h"
#include "console/tui/MainScreenKeys.h"
#include "console/tui/ScopeRows.h"

class TMainScreen {
 public:
  enum class TPane { Scope, Result };

  explicit TMainScreen(THost& host);

  // Handles one key on a screen of that size; false when it did nothing or
  // failed.
  bool HandleKey(const TKey& key, int width, int height);
  void Draw(TCellGrid& grid);
  bool QuitRequested() const { return quit_; }

  TPane Focus() const { return focus_; }
  const std::string& Message() const { return message_; }
  // Sets the last message (the front end's own notices).
  void Tell(std::string message) { message_ = std::move(message); }
  // The file a document without one is first saved to unless the user
  // names another ("console.vzc" until set).
  void SuggestSavePath(std::string path) { savePath_ = std::move(path); }

 private:
  // A line being typed on the status line, and what it is for.
  enum class TPrompt { None, Filter, Rename, SaveAs, Open };
  struct MenuEntry {
    std::string text;
    std::string statusText;
    bool enabled = true;
    std::optional<TMenuItem> command;  // else `verb`
    MMC_CONSOLE_VERB verb = MMC_VERB_NONE;
  };
  struct Layout {
    TCellRect scope;   // rows of the scope pane, below its header
    TCellRect result;  // rows of the result pane, below its header
    int headerRow = 1;
    int statusRow = 0;
    int keyRow = 0;
  };

  TConsole& Console() { return host_.Console(); }
  static Layout LayoutFor(int width, int height);
  // Runs an action of the user; reports a failure as the last message.
  template <class Action>
  bool Act(Action&& action);
  void Refresh();

  // Where the keys act now: the typed line, the open menu or the focused pane.
  TKeyPlace Place() const;
  bool Dispatch(const TKey& key, const Layout& layout);
  // Carries out a key's action from the table; false when it did nothing.
  bool Run(TKeyAction action, const TKey& key, const Layout& layout);
  bool MoveInTree(const TKey& key, const Layout& layout);
  bool MoveInResults(const TKey& key, const Layout& layout);
  bool MoveInMenu(const TKey& key);
  bool ExpandOrCollapse(bool expand);
  bool ActivateItem();
  bool MarkRow();
  bool StopMarking();
  // The next menu entry, after the highlighted one, that begins with `letter`.
  bool ChooseMenuEntry(const std::string& letter);
  bool RunMenuEntry();
  bool EditPrompt(const TKey& key);
  void CancelPrompt();
  bool Click(const TKey& key, const Layout& layout);
  bool VerbKey(MMC_CONSOLE_VERB verb);

  void SelectScopeRow(int row);
  void PickResultRow(int row, bool toggle);
  void SwitchPane(TPane pane);
  void OpenMenu();
  void RunEntry(const MenuEntry& entry);
  void StartPrompt(TPrompt prompt, std::string text);
  // Carries out what the prompt was for; false when that failed.
  bool FinishPrompt();
  void Save(const std::string& path);
  void Quit();

  // The rows shown after the filter of each pane: scope rows by index into
  // scopeRows_, result rows by console row number.
  std::vector<int> ShownScope() const;
  std::vector<int> ShownResult();
  int ScopeIndexOf(HSCOPEITEM node) const;
  std::vector<int> ColumnWidths(const std::vector<int>& columns, const std::vector<int>& rows,
                                int width);
  std::string Title();
  std::string KeyLine();

  // Where the context menu opens: by the highlighted row of the focused pane.
  TCellRect MenuRect(const Layout& layout);
  // The screen row of the highlighted row of the focused pane.
  int HighlightedRow(const Layout& layout);
  void DrawScope(TCellGrid& grid, const Layout& layout);
  void DrawResult(TCellGrid& grid, const Layout& layout);
  void DrawMenu(TCellGrid& grid, const Layout& layout);
  void DrawHelp(TCellGrid& grid);

  THost& host_;
  TPane focus_ = TPane::Scope;
  std::vector<TScopeRow> scopeRows_;
  int scopeFirst_ = 0;   // first shown row of the scope pane (of ShownScope)
  int resultRow_ = 0;    // highlighted row (of ShownResult)
  int resultFirst_ = 0;  // first shown row (of ShownResult)
  std::string scopeFilter_;
  std::string resultFilter_;
  int sortColumn_ = -1;
  bool sortDescending_ = false;
  bool marking_ = false;  // rows are being marked with Space

  std::vector<MenuEntry> menu_;
  bool menuOpen_ = false;
  int menuIndex_ = 0;
  bool helpShown_ = false;
  TPrompt prompt_ = TPrompt::None;
  TLineEditor line_;
  std::string message_;
  int statusSerial_ = 0;  // of the snap-in's status text last shown
  bool quit_ = false;
  bool quitAfterSave_ = false;  // a save asked for by quitting
  std::string savePath_ = "console.vzc";
};
