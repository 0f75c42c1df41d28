#pragma once
// TFolderPicker: the terminal's folder browser. It lists the folder being
// looked at: first "." (this folder), then ".." unless the folder is the
// root the browser was opened at, then the subfolders that are not hidden,
// sorted regardless of case. The user cannot leave the root. Keys:
//   Up, Down, PgUp, PgDn, Home, End, a letter   move the highlight
//   Enter, double click   "." chooses this folder, ".." goes up, a folder
//                         opens
//   Right                 opens the highlighted folder
//   Left, Backspace       goes up (the folder left stays highlighted)
//   Space                 chooses the highlighted folder ("." this one)
//   Esc                   cancels
//   click                 highlights
// An unreadable folder lists only "." and "..".

#include <string>
#include <vector>

#include "console/tui/CellGrid.h"
#include "console/tui/Keys.h"

class TFolderPicker {
 public:
  enum class TOutcome { Browsing, Chosen, Cancelled };

  // An empty root stands for "/".
  TFolderPicker(std::string caption, const std::string& root);

  const std::string& Current() const { return current_; }
  const std::vector<std::string>& Entries() const { return entries_; }
  int Highlighted() const { return highlighted_; }
  // The chosen folder once the outcome is Chosen.
  const std::string& Chosen() const { return chosen_; }

  TOutcome HandleKey(const TKey& key, int gridWidth, int gridHeight);
  void Draw(TCellGrid& grid) const;

  // Where the picker is drawn on a grid, and its list of entries.
  static TCellRect BoxRect(int gridWidth, int gridHeight);
  static TCellRect ListRect(int gridWidth, int gridHeight);

 private:
  void Enter(const std::string& folder, const std::string& highlight);
  // The folder an entry stands for.
  std::string PathOf(int entry) const;
  TOutcome Activate();
  TOutcome Choose(std::string folder);
  void Highlight(int entry, int rows);

  std::string caption_;
  std::string root_;
  std::string current_;
  std::vector<std::string> entries_;
  int highlighted_ = 0;
  int first_ = 0;  // the first entry shown
  std::string chosen_;
};
