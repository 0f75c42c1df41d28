#pragma once
// How a form of the form model looks on the cell grid. TFormLayout places the
// form and each visible control from its pixel bounds (kCellWidth by
// kCellHeight pixels a cell): a one-line control (edit, combo box, button,
// radio button, one-line label) takes the columns its bounds touch on the
// row of its vertical centre, the others the cells between their edges
// rounded to the nearest cell boundary (so that stacked panels do not
// overlap). One-line controls side by side in a
// parent keep a blank cell between them (the later ones move right), and
// the form grows to hold every control, with a blank column between the
// one-line ones and its right frame, so that nothing is drawn on the frame
// or on another control.
// A centred form is centred on the grid; any form is moved so that it fits
// the grid where it can; one larger than the grid does not fit, and DrawForm
// then says so instead of drawing it. DrawForm paints the form as it is now,
// with the presenter's view state: the caret of the focused edit (which also
// places the grid's cursor) and an open drop-down list.

#include <optional>
#include <string>
#include <vector>

#include "console/tui/CellGrid.h"

class TComboBox;
class TControl;
class TForm;

// What the presenter adds to the form's own state.
struct TFormViewState {
  // Caret of the focused edit or editable combo box, in code points.
  int Caret = 0;
  // The combo box whose list is open, its highlighted item and the first
  // item shown.
  const TComboBox* Dropped = nullptr;
  int DropIndex = 0;
  int DropFirst = 0;
};

class TFormLayout {
 public:
  TFormLayout(const TForm& form, int gridWidth, int gridHeight);

  const TForm& Form() const { return form_; }
  TCellRect FormRect() const { return formRect_; }
  // The form fits the grid.
  bool Fits() const { return formRect_.Right() <= gridWidth_ && formRect_.Bottom() <= gridHeight_; }
  // The visible controls in drawing order (a parent before its children).
  struct Placed {
    const TControl* Control;
    TCellRect Rect;
  };
  const std::vector<Placed>& Controls() const { return placed_; }
  // The cells of a visible control; nullopt for a hidden one.
  std::optional<TCellRect> RectOf(const TControl& control) const;
  // The innermost visible control at `p`, or nullptr.
  const TControl* ControlAt(TCellPoint p) const;
  // The cells of the open list of `combo`: below it, or above when there is
  // no room below; at most kDropRows rows.
  TCellRect DropRect(const TComboBox& combo) const;
  static constexpr int kDropRows = 8;

 private:
  // Places `control` and its children, `origin` being the parent's client
  // origin in pixels of the form's client area.
  void Place(const TControl& control, int originX, int originY);
  void SeparateRows();

  const TForm& form_;
  int gridWidth_;
  int gridHeight_;
  TCellRect formRect_;
  std::vector<Placed> placed_;
};

// The cells inside the brackets of an edit or combo box placed at `rect`.
int FieldWidth(const TControl& field, const TCellRect& rect);
// The first code point a field `width` cells wide shows with the caret at
// `caret`.
int FieldFirstShown(int caret, int width);

void DrawForm(TCellGrid& grid, const TFormLayout& layout, const TFormViewState& state);

// What is wrong with the layout, one sentence each (none when the form fits
// the grid, no control lies on the frame or on another one that is not its
// container, and no one-line control touches the right frame or another on
// its row): "needs 90x30 cells", "OKBtn overlaps CancelBtn", ...
std::vector<std::string> LayoutProblems(const TFormLayout& layout);
