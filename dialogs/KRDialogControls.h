#pragma once
// Builders for the controls of the module's dialogs. Each creates a control
// owned by `form` inside `parent`, at the given place and with its class's
// design height (edits and combo boxes 21 pixels, buttons 75 x 25, radio
// buttons 17), so every dialog lays out its controls the same way.

#include <string>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"
#include "support/KRLabel.h"

inline constexpr int kKREditHeight = 21;
inline constexpr int kKRButtonWidth = 75;
inline constexpr int kKRButtonHeight = 25;
inline constexpr int kKRRadioHeight = 17;

// A panel without bevels, aligned in the form.
TPanel& AddAlignedPanel(TForm& form, std::string name, TAlign align, int height);

// A label sized to its caption whose focus control is `focus`.
TKRLabel& AddBoundLabel(TForm& form, TWinControl& parent, std::string name, std::string caption,
                        int left, int top, TWinControl& focus);

// An edit (or combo box) of the design height.
template <class Edit>
Edit& AddEditLike(TForm& form, TWinControl& parent, std::string name, int left, int top,
                  int width) {
  Edit& edit = form.Add<Edit>(parent, std::move(name));
  edit.SetBounds(left, top, width, kKREditHeight);
  return edit;
}

// A push button of the design size that closes its form with `result`.
template <class Button>
Button& AddModalButton(TForm& form, TWinControl& parent, std::string name, std::string caption,
                       int left, int top, TModalResult result) {
  Button& button = form.Add<Button>(parent, std::move(name));
  button.SetCaption(std::move(caption));
  button.SetBounds(left, top, kKRButtonWidth, kKRButtonHeight);
  button.SetModalResult(result);
  return button;
}
