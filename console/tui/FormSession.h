#pragma once
// TFormSession: what the keys and mouse clicks of the terminal do to a form
// being shown. Every key becomes an action of UserInput.h, so the form's
// checks and events run exactly as for any other presenter:
//
//   Tab, Shift-Tab         next / previous tab stop
//   Enter                  the focused button, else the default button
//   Esc                    the cancel button, else the close box
//   typing, Backspace, Del, Left, Right, Home, End, Ctrl-U (clear)
//                          edit the focused edit or editable combo box at
//                          the caret (a password edit shows its mask)
//   Up, Down               previous / next item of a combo box; previous /
//                          next radio button of the group, which is checked
//   Space                  clicks the focused button or radio button; opens
//                          the list of a drop-down list
//   F4                     opens the list of a combo box; in an open list
//                          Up, Down, PgUp, PgDn, Home, End and a letter move,
//                          Enter picks, Esc closes
//   mouse click            focuses or clicks the control there; in an open
//                          list picks the item
//   a letter or digit      outside a text field or list: presses the button
//                          whose accelerator it is (see Accelerators.h);
//                          buttons sharing it take the focus in turn
//
// A key that does nothing, or an action the form refuses, answers false, and
// Refusal() tells why (for the presenter's status line).

#include <string>

#include "console/tui/FormView.h"
#include "console/tui/Keys.h"

class TComboBox;
class TControl;
class TEdit;
class TForm;
class TRadioButton;
class TWinControl;

class TFormSession {
 public:
  explicit TFormSession(TForm& form) : form_(form) {}

  bool HandleKey(const TKey& key, const TFormLayout& layout);
  // The view state for drawing the form now; the caret follows the focus
  // (a newly focused field has it after its last character).
  const TFormViewState& ViewState();
  const std::string& Refusal() const { return refusal_; }

 private:
  bool Dispatch(const TKey& key, const TFormLayout& layout);
  bool ListKey(const TKey& key, const TFormLayout& layout);
  bool TextKey(const TKey& key, TControl& field, const std::string& text);
  bool ComboKey(const TKey& key, TComboBox& combo);
  bool RadioKey(const TKey& key, TRadioButton& radio);
  bool PressAccelerator(const std::string& letter);
  bool Click(const TKey& key, const TFormLayout& layout);
  void OpenList(TComboBox& combo);
  void TypeInto(TControl& field, const std::string& text, int caret);

  TForm& form_;
  TFormViewState state_;
  const TWinControl* caretOwner_ = nullptr;
  std::string refusal_;
};
