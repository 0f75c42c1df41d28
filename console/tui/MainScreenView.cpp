// The drawing of the main screen.

#include <algorithm>
#include <filesystem>
#include <utility>

#include "console/tui/Glyphs.h"
#include "console/tui/ListMotion.h"
#include "console/tui/MainScreen.h"
#include "console/tui/MainScreenKeys.h"
#include "platform/text/Exception.h"

namespace {

constexpr int kMaxColumnCells = 40;
// The help box's frame and blanks around and between its two columns.
constexpr int kHelpMargins = 5;

using KeyHelp = std::vector<std::pair<std::string, std::string>>;

// A verb's key is offered only where the snap-in offers the verb.
bool Offered(TKeyAction action, const TConsoleVerbs& verbs) {
  switch (action) {
    case TKeyAction::Refresh:
      return verbs.Available(MMC_VERB_REFRESH);
    case TKeyAction::Delete:
      return verbs.Available(MMC_VERB_DELETE);
    case TKeyAction::Rename:
      return verbs.Available(MMC_VERB_RENAME);
    default:
      return true;
  }
}

// Puts `text` in `width` cells at (x, y).
void PutFit(TCellGrid& grid, int x, int y, int width, const std::string& text, TCellStyle style) {
  grid.Put(x, y, FitText(text, width), style);
}

}  // namespace

std::string TMainScreen::Title() {
  const std::string path = host_.DocumentPath();
  std::string title = " " + (path.empty() ? std::string("untitled")
                                          : std::filesystem::path(path).filename().string());
  bool dirty = false;
  try {
    dirty = host_.IsDirty();
  } catch (const Exception&) {
    dirty = false;
  }
  if (dirty) title += " [modified]";
  return title + " - " + host_.SnapinName();
}

std::string TMainScreen::KeyLine() {
  const TKeyPlace place = Place();
  const TConsoleVerbs& verbs = Console().Verbs();
  std::string line;
  for (const TKeyBinding& binding : MainScreenKeys()) {
    if (binding.Line.empty() || !WorksIn(binding.Place, place)) continue;
    if (!Offered(binding.Action, verbs)) continue;
    line += " " + LineLabel(binding) + " " + std::string(binding.Line) + " ";
  }
  return line;
}

std::vector<int> TMainScreen::ColumnWidths(const std::vector<int>& columns,
                                           const std::vector<int>& rows, int width) {
  std::vector<int> widths;
  for (int column : columns) {
    int cells = GlyphCount(Console().ColumnTitle(column)) + 2;
    for (int row : rows) cells = std::max(cells, GlyphCount(Console().CellText(row, column)) + 2);
    widths.push_back(std::min(cells, kMaxColumnCells));
  }
  int used = 0;
  for (int w : widths) used += w;
  if (!widths.empty() && used < width) widths.back() += width - used;
  return widths;
}

int TMainScreen::HighlightedRow(const Layout& layout) {
  if (focus_ == TPane::Scope) {
    return layout.scope.Top + std::max(0, ScopeIndexOf(Console().SelectedNode()) - scopeFirst_);
  }
  return layout.result.Top + resultRow_ - resultFirst_;
}

TCellRect TMainScreen::MenuRect(const Layout& layout) {
  int width = 0;
  for (const MenuEntry& e : menu_) width = std::max(width, GlyphCount(e.text));
  const int boxWidth = width + 4;
  const int boxHeight = int(menu_.size()) + 2;
  const TCellRect& pane = focus_ == TPane::Scope ? layout.scope : layout.result;
  const int screenWidth = layout.result.Right();
  const int screenHeight = layout.statusRow;
  const int left = std::max(0, std::min(pane.Left + 2, screenWidth - boxWidth));
  const int top = std::max(0, std::min(HighlightedRow(layout) + 1, screenHeight - boxHeight));
  return {left, top, boxWidth, boxHeight};
}

void TMainScreen::Draw(TCellGrid& grid) {
  grid.Fill({0, 0, grid.Width(), grid.Height()}, TCellStyle::Normal);
  grid.SetCursor(std::nullopt);
  if (!host_.IsOpen() || grid.Width() < 4 || grid.Height() < 5) return;
  const Layout layout = LayoutFor(grid.Width(), grid.Height());
  PutFit(grid, 0, 0, grid.Width(), Title(), TCellStyle::Header);
  DrawScope(grid, layout);
  for (int y = layout.headerRow; y < layout.statusRow; ++y) {
    grid.Put(layout.scope.Right(), y, "│", TCellStyle::Frame);
  }
  DrawResult(grid, layout);

  std::string status = message_;
  if (menuOpen_) status = menu_[size_t(menuIndex_)].statusText;
  if (prompt_ != TPrompt::None) {
    static const char* const kLabels[] = {"", "Filter: ", "New name: ", "Save as: ", "Open: "};
    const std::string label = kLabels[int(prompt_)];
    status = label + line_.Text();
    grid.SetCursor(TCellPoint{std::min(grid.Width() - 1, GlyphCount(label) + line_.Caret()),
                              layout.statusRow});
  }
  PutFit(grid, 0, layout.statusRow, grid.Width(), status, TCellStyle::Status);
  PutFit(grid, 0, layout.keyRow, grid.Width(), KeyLine(), TCellStyle::Key);
  if (menuOpen_) DrawMenu(grid, layout);
  if (helpShown_) DrawHelp(grid);
}

void TMainScreen::DrawScope(TCellGrid& grid, const Layout& layout) {
  const bool focused = focus_ == TPane::Scope;
  const TCellRect& r = layout.scope;
  std::string header = " Tree";
  if (!scopeFilter_.empty() || (prompt_ == TPrompt::Filter && focused)) {
    header += "  /" + scopeFilter_;
  }
  PutFit(grid, r.Left, layout.headerRow, r.Width, header,
         focused ? TCellStyle::Header : TCellStyle::Status);
  const std::vector<int> shown = ShownScope();
  const int selected = ScopeIndexOf(Console().SelectedNode());
  scopeFirst_ = FirstShown(scopeFirst_, std::max(0, selected), r.Height);
  for (int i = 0; i < r.Height && scopeFirst_ + i < int(shown.size()); ++i) {
    const int index = scopeFirst_ + i;
    const TScopeRow& row = scopeRows_[size_t(shown[size_t(index)])];
    const std::string text =
        std::string(size_t(2 * row.depth + 1), ' ') + row.mark + " " + row.name;
    TCellStyle style = TCellStyle::Normal;
    if (index == selected) style = focused ? TCellStyle::Highlight : TCellStyle::HighlightDim;
    PutFit(grid, r.Left, r.Top + i, r.Width, text, style);
  }
}

void TMainScreen::DrawResult(TCellGrid& grid, const Layout& layout) {
  const bool focused = focus_ == TPane::Result;
  const TCellRect& r = layout.result;
  TConsole& console = Console();
  const std::vector<int> shown = ShownResult();
  const std::vector<int> columns = console.VisibleColumns();
  const std::vector<int> widths = ColumnWidths(columns, shown, r.Width);
  const TCellStyle headerStyle = focused ? TCellStyle::Header : TCellStyle::Status;
  PutFit(grid, r.Left, layout.headerRow, r.Width, "", headerStyle);
  int x = r.Left;
  for (size_t c = 0; c < columns.size(); ++c) {
    std::string title = " " + console.ColumnTitle(columns[c]);
    if (columns[c] == sortColumn_) title += sortDescending_ ? " v" : " ^";
    PutFit(grid, x, layout.headerRow, std::min(widths[c], r.Right() - x), title, headerStyle);
    x += widths[c];
  }
  if (!resultFilter_.empty() || (prompt_ == TPrompt::Filter && focused)) {
    const std::string filter = " /" + resultFilter_ + " ";
    grid.Put(r.Right() - GlyphCount(filter), layout.headerRow, filter, TCellStyle::Mark);
  }
  resultFirst_ = FirstShown(resultFirst_, resultRow_, r.Height);
  for (int i = 0; i < r.Height && resultFirst_ + i < int(shown.size()); ++i) {
    const int index = resultFirst_ + i;
    const int row = shown[size_t(index)];
    const bool picked = (console.Row(row).state & LVIS_SELECTED) != 0;
    TCellStyle style = TCellStyle::Normal;
    if (picked) {
      style = focused ? TCellStyle::Highlight : TCellStyle::HighlightDim;
    } else if (focused && index == resultRow_) {
      style = TCellStyle::HighlightDim;
    }
    PutFit(grid, r.Left, r.Top + i, r.Width, "", style);
    x = r.Left;
    for (size_t c = 0; c < columns.size() && x < r.Right(); ++c) {
      PutFit(grid, x, r.Top + i, std::min(widths[c], r.Right() - x),
             " " + console.CellText(row, columns[c]), style);
      x += widths[c];
    }
  }
  if (shown.empty() && r.Height > 0) {
    PutFit(grid, r.Left, r.Top, r.Width, resultFilter_.empty() ? " (empty)" : " (nothing matches)",
           TCellStyle::Disabled);
  }
}

void TMainScreen::DrawMenu(TCellGrid& grid, const Layout& layout) {
  const TCellRect box = MenuRect(layout);
  grid.Fill(box, TCellStyle::Window);
  grid.Box(box, TCellStyle::Frame);
  for (int i = 0; i < int(menu_.size()); ++i) {
    const MenuEntry& e = menu_[size_t(i)];
    TCellStyle style = e.enabled ? TCellStyle::Window : TCellStyle::Disabled;
    if (i == menuIndex_) style = TCellStyle::Highlight;
    PutFit(grid, box.Left + 1, box.Top + 1 + i, box.Width - 2, " " + e.text, style);
  }
}

void TMainScreen::DrawHelp(TCellGrid& grid) {
  static const KeyHelp lines = HelpLines();
  static const std::string kClosing = "Any key closes this help.";
  static const std::string kCut = "Enlarge the terminal to see every key. " + kClosing;
  // As wide as the longest line needs, within the screen; the keys keep
  // their column (up to half the box) and the texts wrap beside them.
  int keyWidth = 0;
  int textWidth = GlyphCount(kClosing);
  for (const auto& [key, what] : lines) {
    keyWidth = std::max(keyWidth, GlyphCount(key));
    textWidth = std::max(textWidth, GlyphCount(what));
  }
  const int width = std::min(grid.Width(), keyWidth + textWidth + kHelpMargins);
  keyWidth = std::min(keyWidth, std::max(1, (width - kHelpMargins) / 2));
  textWidth = std::max(1, width - kHelpMargins - keyWidth);
  std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> rows;
  int rowCount = 0;
  for (const auto& [key, what] : lines) {
    rows.emplace_back(WrapText(key, keyWidth), WrapText(what, textWidth));
    rowCount += int(std::max(rows.back().first.size(), rows.back().second.size()));
  }
  std::vector<std::string> closing = WrapText(kClosing, width - 4);
  if (rowCount + int(closing.size()) + 3 > grid.Height()) closing = WrapText(kCut, width - 4);
  const int height = std::min(grid.Height(), rowCount + int(closing.size()) + 3);
  const TCellRect box{(grid.Width() - width) / 2, (grid.Height() - height) / 2, width, height};
  grid.Fill(box, TCellStyle::Window);
  grid.Box(box, TCellStyle::Frame, "Keys");
  const int last = box.Bottom() - 3 - int(closing.size());  // the last row for the keys
  int y = box.Top + 1;
  for (const auto& [keyRows, textRows] : rows) {
    for (size_t i = 0; i < std::max(keyRows.size(), textRows.size()) && y <= last; ++i, ++y) {
      if (i < keyRows.size()) PutFit(grid, box.Left + 2, y, keyWidth, keyRows[i], TCellStyle::Frame);
      if (i < textRows.size()) {
        PutFit(grid, box.Left + 3 + keyWidth, y, textWidth, textRows[i], TCellStyle::Window);
      }
    }
  }
  for (size_t i = 0; i < closing.size(); ++i) {
    PutFit(grid, box.Left + 2, box.Bottom() - 1 - int(closing.size()) + int(i), width - 4,
           closing[i], TCellStyle::Status);
  }
}
