#include "platform/ui/UserInput.h"

#include "platform/ui/Application.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

namespace {

std::string Named(const TControl& c) {
  return c.Name().empty() ? "an unnamed " + std::string(c.ClassName()) : c.Name();
}

TForm& ShownForm(TControl& control) {
  TForm* form = control.ParentForm();
  if (!form || !form->Modal()) {
    throw EUserInputError(Named(control) + " is not on a form being shown");
  }
  return *form;
}

// Checks that a user can reach `control` and answers its form.
TForm& Reachable(TControl& control) {
  TForm& form = ShownForm(control);
  if (!control.VisibleInForm()) throw EUserInputError(Named(control) + " is not visible");
  if (!control.EnabledInForm()) throw EUserInputError(Named(control) + " is disabled");
  return form;
}

// Runs the part of an action that fires events, as the event loop does.
template <class F>
void Dispatch(F&& action) {
  try {
    action();
  } catch (const std::exception& e) {
    Application().HandleException(e);
  }
}

// Moves the focus to the reachable `control` of `form` when it is a windowed
// one, then acts.
template <class F>
void FocusThen(TForm& form, TControl& control, F&& action) {
  Dispatch([&] {
    if (auto* win = dynamic_cast<TWinControl*>(&control)) form.SetActiveControl(win);
    action();
  });
}

TComboBox& Combo(TControl& control) {
  auto* combo = dynamic_cast<TComboBox*>(&control);
  if (!combo) {
    throw EUserInputError(Named(control) + " is a " + std::string(control.ClassName()) +
                          ", not a combo box");
  }
  return *combo;
}

void ClickButton(TButton& button) {
  TForm& form = Reachable(button);
  FocusThen(form, button, [&] { button.Click(); });
}

}  // namespace

void UserFocus(TControl& control) {
  if (auto* label = dynamic_cast<TLabel*>(&control); label && label->FocusControl()) {
    return UserFocus(*label->FocusControl());
  }
  if (!dynamic_cast<TWinControl*>(&control)) {
    throw EUserInputError(Named(control) + " cannot take the focus");
  }
  FocusThen(Reachable(control), control, [] {});
}

void UserSetText(TControl& control, const std::string& text) {
  if (auto* edit = dynamic_cast<TEdit*>(&control)) {
    TForm& form = Reachable(control);
    if (edit->ReadOnly()) throw EUserInputError(Named(control) + " is read-only");
    FocusThen(form, control, [&] { edit->TypeText(text); });
    return;
  }
  if (auto* combo = dynamic_cast<TComboBox*>(&control)) {
    TForm& form = Reachable(control);
    if (combo->Style() == csDropDownList) {
      throw EUserInputError(Named(control) + " is a drop-down list: select one of its items");
    }
    FocusThen(form, control, [&] { combo->TypeText(text); });
    return;
  }
  throw EUserInputError("cannot type into " + Named(control) + ", a " +
                        std::string(control.ClassName()));
}

void UserSelect(TControl& control, int index) {
  TComboBox& combo = Combo(control);
  TForm& form = Reachable(control);
  if (index < 0 || index >= combo.Items().Count()) {
    throw EUserInputError(Named(control) + " has no item " + std::to_string(index) + " (" +
                          std::to_string(combo.Items().Count()) + " items)");
  }
  FocusThen(form, control, [&] { combo.SelectByUser(index); });
}

void UserSelect(TControl& control, std::string_view itemText) {
  TComboBox& combo = Combo(control);
  const int index = combo.Items().IndexOf(itemText);
  if (index < 0) {
    throw EUserInputError(Named(control) + " has no item '" + std::string(itemText) + "'");
  }
  UserSelect(control, index);
}

void UserClick(TControl& control) {
  if (auto* button = dynamic_cast<TButton*>(&control)) {
    ClickButton(*button);
  } else if (auto* radio = dynamic_cast<TRadioButton*>(&control)) {
    FocusThen(Reachable(control), control, [&] { radio->SetChecked(true); });
  } else {
    throw EUserInputError("cannot click " + Named(control) + ", a " +
                          std::string(control.ClassName()));
  }
}

void UserPressEnter(TForm& form) {
  if (!form.Modal()) throw EUserInputError("the form is not being shown");
  if (auto* focused = dynamic_cast<TButton*>(form.ActiveControl())) {
    ClickButton(*focused);
    return;
  }
  TButton* button = form.DefaultButton();
  if (!button) throw EUserInputError("the form has no default button");
  ClickButton(*button);
}

void UserPressEscape(TForm& form) {
  if (!form.Modal()) throw EUserInputError("the form is not being shown");
  TButton* button = form.CancelButton();
  if (!button) throw EUserInputError("the form has no cancel button");
  ClickButton(*button);
}

void UserPressTab(TForm& form, bool forward) {
  if (!form.Modal()) throw EUserInputError("the form is not being shown");
  Dispatch([&] { form.SelectNext(forward); });
}

void UserAnswer(TForm& form, TModalResult result) {
  for (TWinControl* c : form.TabOrderList()) {
    auto* button = dynamic_cast<TButton*>(c);
    if (button && button->ModalResult() == result && button->VisibleInForm()) {
      ClickButton(*button);
      return;
    }
  }
  throw EUserInputError("the form has no button answering " + std::to_string(result));
}

void UserClose(TForm& form) {
  if (!form.Modal()) throw EUserInputError("the form is not being shown");
  form.Close();
}
