#pragma once
// What a user can do to a form being shown, for the presenters. Each action
// first checks that a user could do it (the form is shown; the control is
// visible and enabled with its parents; an edit is not read-only; ...) and
// raises EUserInputError with a readable reason when not. It then moves the
// focus to the control, as a click or keystroke does, and acts through the
// control's own entry points, so the events fire exactly as for a user. An
// exception raised by an event handler goes to
// Application().HandleException, as in the platform's event loop.

#include <string>
#include <string_view>

#include "platform/text/Exception.h"
#include "platform/ui/ModalResult.h"

class TControl;
class TForm;

KR_DECLARE_EXCEPTION(EUserInputError, Exception);

// Focuses a windowed control, or the focus control of a label.
void UserFocus(TControl& control);
// Types `text` over the whole text of an edit or an editable combo box.
void UserSetText(TControl& control, const std::string& text);
// Picks item `index` of a combo box.
void UserSelect(TControl& control, int index);
// Picks the item of that text (regardless of case).
void UserSelect(TControl& control, std::string_view itemText);
// Clicks a button or a radio button.
void UserClick(TControl& control);
// Enter: the focused button, else the default button. Escape: the cancel
// button. Tab: the next (or previous) tab stop.
void UserPressEnter(TForm& form);
void UserPressEscape(TForm& form);
void UserPressTab(TForm& form, bool forward);
// Clicks the visible button whose modal result is `result`.
void UserAnswer(TForm& form, TModalResult result);
// Closes the form with the window's close box (mrCancel).
void UserClose(TForm& form);
