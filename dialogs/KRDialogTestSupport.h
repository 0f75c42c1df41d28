#pragma once
// Test helpers of the dialogs: run a form under a presenter script, and find
// a control of a form by name and class.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/ui/Form.h"
#include "platform/ui/ScriptPresenter.h"

// Shows `form` modally under `script` and answers the modal result; any
// failure of the script (an expectation not met, an action the user could
// not do, a statement not reached) fails the calling test.
inline TModalResult ShowWithScript(TForm& form, std::string_view script) {
  TScriptPresenter presenter(script);
  TPresenterScope scope(presenter);
  const TModalResult result = form.ShowModal();
  EXPECT_EQ(presenter.Verify(), "") << "on form '" << form.Caption() << "'";
  return result;
}

// The control `name` of `form`, which must exist and be of class T.
template <class T>
T& ControlOf(const TForm& form, std::string_view name) {
  TControl* control = form.FindComponent(name);
  if (!control) throw std::runtime_error("no control " + std::string(name));
  T* typed = dynamic_cast<T*>(control);
  if (!typed) throw std::runtime_error(std::string(name) + " has another class");
  return *typed;
}
