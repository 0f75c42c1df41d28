#include "console/tui/FormView.h"

#include <algorithm>

#include "console/tui/Accelerators.h"
#include "console/tui/Glyphs.h"
#include "console/tui/ListMotion.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageBoxCodes.h"
#include "platform/ui/StdCtrls.h"

namespace {

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int CeilDiv(int a, int b) { return -FloorDiv(-a, b); }

bool IsOneLine(const TControl& c) {
  if (dynamic_cast<const TEdit*>(&c) || dynamic_cast<const TComboBox*>(&c) ||
      dynamic_cast<const TButton*>(&c) || dynamic_cast<const TRadioButton*>(&c)) {
    return true;
  }
  const auto* label = dynamic_cast<const TLabel*>(&c);
  return label && !label->WordWrap() && label->Caption().find_first_of("\r\n") == std::string::npos;
}

// Columns (or rows) of the span `pos` .. `pos + size` in `unit`-pixel cells:
// every cell it touches.
void Span(int pos, int size, int unit, int& first, int& count) {
  first = FloorDiv(pos, unit);
  count = std::max(1, FloorDiv(pos + std::max(size, 1) - 1, unit) - first + 1);
}

// The same with both edges rounded to the nearest cell boundary, so that
// areas that share an edge in pixels (panels stacked in a form) share it on
// the grid too instead of overlapping by a cell.
void RoundedSpan(int pos, int size, int unit, int& first, int& count) {
  first = FloorDiv(pos + unit / 2, unit);
  count = std::max(1, FloorDiv(pos + size + unit / 2, unit) - first);
}

bool Focused(const TControl& c) {
  const auto* win = dynamic_cast<const TWinControl*>(&c);
  return win && win->Focused();
}

TCellStyle FieldStyle(const TControl& c) {
  if (!c.EnabledInForm()) return TCellStyle::Disabled;
  return Focused(c) ? TCellStyle::FieldFocused : TCellStyle::Field;
}

// A bracketed field: `text` from code point `first`, with `marker` before the
// closing bracket (a combo box's arrow).
void DrawField(TCellGrid& grid, const TCellRect& r, const std::string& text, int first,
               const std::string& marker, TCellStyle style) {
  const std::vector<std::string> glyphs = Glyphs(text);
  std::string shown;
  for (size_t i = size_t(std::max(0, first)); i < glyphs.size(); ++i) shown += glyphs[i];
  const int inner = std::max(0, r.Width - 2 - GlyphCount(marker));
  grid.Put(r.Left, r.Top, "[" + FitText(shown, inner) + marker + "]", style);
}

void DrawEdit(TCellGrid& grid, const TEdit& edit, const TCellRect& r, const TFormViewState& s) {
  const std::string text = edit.DisplayText();
  const int caret = edit.Focused() ? std::clamp(s.Caret, 0, GlyphCount(text)) : 0;
  const int first = FieldFirstShown(caret, FieldWidth(edit, r));
  DrawField(grid, r, text, first, "", FieldStyle(edit));
  if (edit.Focused()) grid.SetCursor(TCellPoint{r.Left + 1 + caret - first, r.Top});
}

void DrawCombo(TCellGrid& grid, const TComboBox& combo, const TCellRect& r,
               const TFormViewState& s) {
  const std::string text = combo.Text();
  const bool editable = combo.Style() == csDropDown;
  const int caret = combo.Focused() && editable ? std::clamp(s.Caret, 0, GlyphCount(text)) : 0;
  const int first = FieldFirstShown(caret, FieldWidth(combo, r));
  DrawField(grid, r, text, first, "v", FieldStyle(combo));
  if (combo.Focused() && editable) {
    grid.SetCursor(TCellPoint{r.Left + 1 + caret - first, r.Top});
  }
}

void DrawButton(TCellGrid& grid, const TButton& button, const TCellRect& r) {
  TCellStyle style = TCellStyle::Button;
  if (!button.EnabledInForm()) {
    style = TCellStyle::Disabled;
  } else if (button.Focused()) {
    style = TCellStyle::ButtonFocused;
  }
  const bool marked = button.Default() || button.Focused();
  const int inner = std::max(0, r.Width - 2);
  const TShownCaption shown = ShownCaption(button.Caption());
  const std::string caption = GlyphPrefix(shown.Text, inner);
  const int pad = (inner - GlyphCount(caption)) / 2;
  grid.Put(r.Left, r.Top,
           std::string(marked ? "<" : "[") +
               FitText(std::string(size_t(pad), ' ') + caption, inner) + (marked ? ">" : "]"),
           style);
  // The accelerator stands out while it can be pressed.
  if (style != TCellStyle::Disabled && shown.Key >= 0 && shown.Key < GlyphCount(caption)) {
    const TCellStyle key =
        style == TCellStyle::ButtonFocused ? TCellStyle::ButtonKeyFocused : TCellStyle::ButtonKey;
    grid.Restyle({r.Left + 1 + pad + shown.Key, r.Top, 1, 1}, key);
  }
}

void DrawRadio(TCellGrid& grid, const TRadioButton& radio, const TCellRect& r) {
  TCellStyle style = radio.EnabledInForm() ? TCellStyle::Window : TCellStyle::Disabled;
  grid.Put(r.Left, r.Top,
           FitText(std::string(radio.Checked() ? "(*) " : "( ) ") + radio.Caption(), r.Width),
           style);
  if (radio.Focused()) {
    grid.Restyle({r.Left, r.Top, 3, 1}, TCellStyle::ButtonFocused);
    grid.SetCursor(TCellPoint{r.Left + 1, r.Top});
  }
}

void DrawLabel(TCellGrid& grid, const TLabel& label, const TCellRect& r) {
  const TCellStyle style = label.EnabledInForm() ? TCellStyle::Window : TCellStyle::Disabled;
  const std::vector<std::string> rows = WrapText(label.Caption(), r.Width);
  for (int i = 0; i < std::min(r.Height, int(rows.size())); ++i) {
    const std::string& row = rows[size_t(i)];
    int x = r.Left;
    if (label.Alignment() == TTextAlignment::RightJustify) x = r.Right() - GlyphCount(row);
    if (label.Alignment() == TTextAlignment::Center) x = r.Left + (r.Width - GlyphCount(row)) / 2;
    grid.Put(x, r.Top + i, row, style);
  }
}

std::string IconText(int icon) {
  switch (icon) {
    case IDI_HAND:
      return "(X)";
    case IDI_QUESTION:
      return "(?)";
    case IDI_EXCLAMATION:
      return "(!)";
    case IDI_ASTERISK:
      return "(i)";
    case IDI_APPLICATION:
      return "[#]";
    default:
      return "";
  }
}

void DrawList(TCellGrid& grid, const TComboBox& combo, const TCellRect& r, int highlighted,
              int shownFrom) {
  const int first = FirstShown(shownFrom, highlighted, r.Height);
  for (int row = 0; row < r.Height; ++row) {
    const int item = first + row;
    const std::string text = item < combo.Items().Count() ? combo.Items()[item] : "";
    grid.Put(r.Left, r.Top + row, " " + FitText(text, r.Width - 1),
             item == highlighted ? TCellStyle::Highlight : TCellStyle::Field);
  }
}

void DrawControl(TCellGrid& grid, const TControl& c, const TCellRect& r, const TFormViewState& s) {
  if (const auto* edit = dynamic_cast<const TEdit*>(&c)) return DrawEdit(grid, *edit, r, s);
  if (const auto* combo = dynamic_cast<const TComboBox*>(&c)) return DrawCombo(grid, *combo, r, s);
  if (const auto* button = dynamic_cast<const TButton*>(&c)) return DrawButton(grid, *button, r);
  if (const auto* radio = dynamic_cast<const TRadioButton*>(&c)) return DrawRadio(grid, *radio, r);
  if (const auto* label = dynamic_cast<const TLabel*>(&c)) return DrawLabel(grid, *label, r);
  if (const auto* box = dynamic_cast<const TGroupBox*>(&c)) {
    return grid.Box(r, TCellStyle::Frame, box->Caption());
  }
  if (const auto* image = dynamic_cast<const TImage*>(&c)) {
    return grid.Put(r.Left, r.Top, GlyphPrefix(IconText(image->Icon()), r.Width),
                    TCellStyle::Frame);
  }
  if (const auto* panel = dynamic_cast<const TPanel*>(&c); panel && !panel->Caption().empty()) {
    const std::string caption = GlyphPrefix(panel->Caption(), r.Width);
    grid.Put(r.Left + (r.Width - GlyphCount(caption)) / 2, r.Top + (r.Height - 1) / 2, caption,
             TCellStyle::Window);
  }
}

std::string SizeText(const TCellRect& r) {
  return std::to_string(r.Width) + "x" + std::to_string(r.Height);
}

// In place of a form larger than the grid: what it needs, in a box.
void DrawTooSmall(TCellGrid& grid, const TFormLayout& layout) {
  const std::string text = "The terminal is too small for \"" + layout.Form().Caption() +
                           "\": it needs " + SizeText(layout.FormRect()) +
                           " cells. Enlarge it, or press Esc to cancel.";
  const std::vector<std::string> rows = WrapText(text, std::max(1, grid.Width() - 4));
  int textWidth = 0;
  for (const std::string& row : rows) textWidth = std::max(textWidth, GlyphCount(row));
  const int width = std::min(grid.Width(), textWidth + 4);
  const int height = std::min(grid.Height(), int(rows.size()) + 2);
  const TCellRect box{(grid.Width() - width) / 2, (grid.Height() - height) / 2, width, height};
  grid.Fill(box, TCellStyle::Window);
  grid.Box(box, TCellStyle::Frame);
  for (int i = 0; i < int(rows.size()) && i < height - 2; ++i) {
    grid.Put(box.Left + 2, box.Top + 1 + i, rows[size_t(i)], TCellStyle::Window);
  }
}

bool Within(const TCellRect& outer, const TCellRect& inner) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right() <= outer.Right() &&
         inner.Bottom() <= outer.Bottom();
}

bool Intersect(const TCellRect& a, const TCellRect& b) {
  return a.Left < b.Right() && b.Left < a.Right() && a.Top < b.Bottom() && b.Top < a.Bottom();
}

bool IsAncestor(const TControl& ancestor, const TControl& control) {
  for (const TControl* c = control.Parent(); c != nullptr; c = c->Parent()) {
    if (c == &ancestor) return true;
  }
  return false;
}

std::string NameOf(const TControl& c) {
  return c.Name().empty() ? std::string(c.ClassName()) : c.Name();
}

}  // namespace

TFormLayout::TFormLayout(const TForm& form, int gridWidth, int gridHeight)
    : form_(form), gridWidth_(gridWidth), gridHeight_(gridHeight) {
  // The controls are placed in client cells first; the client then grows
  // to hold them, and the form is placed on the grid.
  for (int i = 0; i < form.ControlCount(); ++i) Place(form.Controls(i), 0, 0);
  SeparateRows();
  const int frame = form.BorderStyle() == bsNone ? 0 : 1;
  int clientWidth = CeilDiv(form.ClientWidth(), kCellWidth);
  int clientHeight = CeilDiv(form.ClientHeight(), kCellHeight);
  for (const Placed& p : placed_) {
    // A blank column keeps buttons and fields off the right frame; areas
    // (panels, group boxes) may reach it.
    clientWidth = std::max(clientWidth, p.Rect.Right() + (IsOneLine(*p.Control) ? frame : 0));
    clientHeight = std::max(clientHeight, p.Rect.Bottom());
  }
  const int width = std::max(1, clientWidth + 2 * frame);
  const int height = std::max(1, clientHeight + 2 * frame);
  int left = FloorDiv(form.Left(), kCellWidth);
  int top = FloorDiv(form.Top(), kCellHeight);
  if (form.Position() == poScreenCenter) {
    left = (gridWidth - width) / 2;
    top = (gridHeight - height) / 2;
  }
  left = std::max(0, std::min(left, gridWidth - width));
  top = std::max(0, std::min(top, gridHeight - height));
  formRect_ = {left, top, width, height};
  for (Placed& p : placed_) {
    p.Rect.Left += left + frame;
    p.Rect.Top += top + frame;
  }
}

void TFormLayout::Place(const TControl& c, int originX, int originY) {
  if (!c.Visible()) return;
  const int x = originX + c.Left();
  const int y = originY + c.Top();
  TCellRect r;
  if (IsOneLine(c)) {
    Span(x, c.Width(), kCellWidth, r.Left, r.Width);
    r.Top = FloorDiv(y + c.Height() / 2, kCellHeight);
    r.Height = 1;
  } else {
    RoundedSpan(x, c.Width(), kCellWidth, r.Left, r.Width);
    RoundedSpan(y, c.Height(), kCellHeight, r.Top, r.Height);
  }
  placed_.push_back({&c, r});
  if (const auto* win = dynamic_cast<const TWinControl*>(&c)) {
    const TRect client = win->ClientRect();
    for (int i = 0; i < win->ControlCount(); ++i) {
      Place(win->Controls(i), x + client.Left, y + client.Top);
    }
  }
}

void TFormLayout::SeparateRows() {
  // Pixel gaps narrower than a cell vanish on the grid; one-line siblings
  // on a row (buttons side by side, a label before its field) keep a blank
  // cell between them, the later ones moving right.
  std::vector<Placed*> row;
  for (Placed& p : placed_) {
    if (IsOneLine(*p.Control)) row.push_back(&p);
  }
  std::stable_sort(row.begin(), row.end(), [](const Placed* a, const Placed* b) {
    return a->Rect.Left < b->Rect.Left;
  });
  for (size_t i = 0; i < row.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      const Placed& before = *row[j];
      Placed& later = *row[i];
      const bool sameRow = before.Rect.Top == later.Rect.Top &&
                           before.Control->Parent() == later.Control->Parent();
      if (sameRow && later.Rect.Left <= before.Rect.Right()) later.Rect.Left = before.Rect.Right() + 1;
    }
  }
}

std::optional<TCellRect> TFormLayout::RectOf(const TControl& control) const {
  for (const Placed& p : placed_) {
    if (p.Control == &control) return p.Rect;
  }
  return std::nullopt;
}

const TControl* TFormLayout::ControlAt(TCellPoint point) const {
  for (auto it = placed_.rbegin(); it != placed_.rend(); ++it) {
    if (it->Rect.Contains(point)) return it->Control;
  }
  return nullptr;
}

TCellRect TFormLayout::DropRect(const TComboBox& combo) const {
  const TCellRect r = RectOf(combo).value_or(TCellRect{});
  const int rows = std::clamp(combo.Items().Count(), 1, kDropRows);
  const int below = gridHeight_ - r.Bottom();
  const int height = std::min(rows, std::max(below, r.Top));
  const int top = below >= rows || below >= r.Top ? r.Bottom() : r.Top - height;
  const int left = std::max(0, std::min(r.Left, gridWidth_ - r.Width));
  return {left, top, r.Width, std::max(1, height)};
}

int FieldWidth(const TControl& field, const TCellRect& rect) {
  return std::max(0, rect.Width - (dynamic_cast<const TComboBox*>(&field) ? 3 : 2));
}

int FieldFirstShown(int caret, int width) { return std::max(0, caret - std::max(0, width - 1)); }

void DrawForm(TCellGrid& grid, const TFormLayout& layout, const TFormViewState& state) {
  const TForm& form = layout.Form();
  grid.SetCursor(std::nullopt);
  if (!layout.Fits()) return DrawTooSmall(grid, layout);
  grid.Fill(layout.FormRect(), TCellStyle::Window);
  if (form.BorderStyle() != bsNone) grid.Box(layout.FormRect(), TCellStyle::Frame, form.Caption());
  for (const TFormLayout::Placed& p : layout.Controls()) {
    DrawControl(grid, *p.Control, p.Rect, state);
  }
  if (state.Dropped) {
    DrawList(grid, *state.Dropped, layout.DropRect(*state.Dropped), state.DropIndex,
             state.DropFirst);
    grid.SetCursor(std::nullopt);
  }
}

std::vector<std::string> LayoutProblems(const TFormLayout& layout) {
  std::vector<std::string> problems;
  const TCellRect form = layout.FormRect();
  if (!layout.Fits()) problems.push_back("needs " + SizeText(form) + " cells");
  const int frame = layout.Form().BorderStyle() == bsNone ? 0 : 1;
  const TCellRect inside{form.Left + frame, form.Top + frame, form.Width - 2 * frame,
                         form.Height - 2 * frame};
  const std::vector<TFormLayout::Placed>& placed = layout.Controls();
  for (size_t i = 0; i < placed.size(); ++i) {
    const TFormLayout::Placed& a = placed[i];
    if (!Within(inside, a.Rect)) {
      problems.push_back(NameOf(*a.Control) + " lies on the frame");
    } else if (frame == 1 && IsOneLine(*a.Control) && a.Rect.Right() == inside.Right()) {
      problems.push_back(NameOf(*a.Control) + " touches the frame");
    }
    for (size_t j = i + 1; j < placed.size(); ++j) {
      const TFormLayout::Placed& b = placed[j];
      if (IsAncestor(*a.Control, *b.Control) || IsAncestor(*b.Control, *a.Control)) continue;
      const bool sideBySide = IsOneLine(*a.Control) && IsOneLine(*b.Control) &&
                              a.Rect.Top == b.Rect.Top &&
                              (a.Rect.Right() == b.Rect.Left || b.Rect.Right() == a.Rect.Left);
      if (Intersect(a.Rect, b.Rect)) {
        problems.push_back(NameOf(*a.Control) + " overlaps " + NameOf(*b.Control));
      } else if (sideBySide) {
        problems.push_back(NameOf(*a.Control) + " touches " + NameOf(*b.Control));
      }
    }
  }
  return problems;
}
