#include "platform/ui/ScriptPresenter.h"

#include <algorithm>

#include "platform/ui/ComboBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/FormDescription.h"
#include "platform/ui/Hotkeys.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageDialog.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/UserInput.h"

namespace {

using S = ScriptStatement;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string At(const S& s) { return "line " + std::to_string(s.line) + " \"" + s.source + "\""; }

std::string AnswerList(const std::vector<int>& answers) {
  std::string out;
  for (int a : answers) out += (out.empty() ? "" : ", ") + std::to_string(a);
  return out;
}

TControl& Control(TForm& form, const S& s) {
  TControl* c = form.FindComponent(s.control);
  if (!c) throw EUserInputError("the form has no control named " + s.control);
  return *c;
}

// The text a user reads in a control: an edit's or combo box's text, else
// its caption without hotkey marks.
std::string ShownText(const TControl& c) {
  if (const auto* edit = dynamic_cast<const TEdit*>(&c)) return edit->Text();
  if (const auto* combo = dynamic_cast<const TComboBox*>(&c)) return combo->Text();
  return StripHotkey(c.Caption());
}

TRadioButton& Radio(TControl& c) {
  auto* radio = dynamic_cast<TRadioButton*>(&c);
  if (!radio) throw EUserInputError(c.Name() + " is not a radio button");
  return *radio;
}

}  // namespace

void TScriptPresenter::Append(std::string_view script) {
  std::vector<Statement> parsed = ParseScript(script);
  statements_.insert(statements_.end(), parsed.begin(), parsed.end());
}

const ScriptStatement* TScriptPresenter::Peek() const {
  return next_ < statements_.size() ? &statements_[next_] : nullptr;
}

void TScriptPresenter::Fail(const std::string& what) { failures_.push_back(what); }

std::string TScriptPresenter::Expected() const {
  const Statement* s = Peek();
  return s ? "the script expects " + At(*s) : "the script has ended";
}

TModalResult TScriptPresenter::ShowModal(TForm& form) {
  const auto* message = dynamic_cast<const TMessageForm*>(&form);
  const Statement* s = Peek();
  const bool expected = s && ((s->kind == S::ExpectForm && form.Caption() == s->text) ||
                              (message && s->kind == S::ExpectMessage &&
                               (!s->hasText || Contains(message->Message(), s->text))));
  if (!expected) {
    Fail("unexpected " + DescribeForm(form) + Expected());
    form.SetModalResult(DecliningResult(form));
    return form.ModalResult();
  }
  ++next_;
  RunActions(form);
  return form.ModalResult();
}

void TScriptPresenter::RunActions(TForm& form) {
  while (form.ModalResult() == mrNone) {
    const Statement* s = Peek();
    if (!s || s->Opening()) {
      Fail("form " + Quoted(form.Caption()) + " left open: " + Expected() + "\n" +
           DescribeForm(form));
      form.SetModalResult(DecliningResult(form));
      return;
    }
    ++next_;
    try {
      Perform(form, *s);
    } catch (const EUserInputError& e) {
      Fail(At(*s) + ": " + e.Message() + "\n" + DescribeForm(form));
      SkipActions();
      form.SetModalResult(DecliningResult(form));
      return;
    }
  }
}

void TScriptPresenter::SkipActions() {
  while (Peek() && !Peek()->Opening()) ++next_;
}

void TScriptPresenter::Perform(TForm& form, const Statement& s) {
  switch (s.kind) {
    case S::SetText:
      return UserSetText(Control(form, s), s.text);
    case S::SelectIndex:
      return UserSelect(Control(form, s), s.number);
    case S::SelectText:
      return UserSelect(Control(form, s), s.text);
    case S::Check:
      return UserClick(Radio(Control(form, s)));
    case S::Click:
      return UserClick(Control(form, s));
    case S::Focus:
      return UserFocus(Control(form, s));
    case S::PressEnter:
      return UserPressEnter(form);
    case S::PressEscape:
      return UserPressEscape(form);
    case S::PressTab:
      return UserPressTab(form, true);
    case S::PressShiftTab:
      return UserPressTab(form, false);
    case S::Answer:
      return UserAnswer(form, s.number);
    case S::Close:
      return UserClose(form);
    case S::ExpectState:
      return CheckState(form, s);
    case S::Choose:
    case S::CancelFolder:
      throw EUserInputError("no folder browser is open");
    case S::ExpectForm:
    case S::ExpectMessage:
    case S::ExpectFolder:
      break;
  }
}

void TScriptPresenter::CheckState(TForm& form, const Statement& s) {
  TControl& c = Control(form, s);
  bool holds = false;
  std::string actual;
  switch (s.state) {
    case S::Enabled:
    case S::Disabled:
      holds = c.EnabledInForm() == (s.state == S::Enabled);
      actual = c.EnabledInForm() ? "enabled" : "disabled";
      break;
    case S::Checked:
    case S::Unchecked:
      holds = Radio(c).Checked() == (s.state == S::Checked);
      actual = Radio(c).Checked() ? "checked" : "unchecked";
      break;
    case S::Visible:
    case S::Hidden:
      holds = c.VisibleInForm() == (s.state == S::Visible);
      actual = c.VisibleInForm() ? "visible" : "hidden";
      break;
    case S::Focused:
      holds = form.ActiveControl() == &c;
      actual = "not focused";
      break;
    case S::Text:
      actual = ShownText(c);
      holds = actual == s.text;
      actual = "text " + Quoted(actual);
      break;
    case S::Items: {
      auto* combo = dynamic_cast<TComboBox*>(&c);
      if (!combo) throw EUserInputError(s.control + " has no items");
      holds = combo->Items().Count() == s.number;
      actual = std::to_string(combo->Items().Count()) + " items";
      break;
    }
  }
  if (!holds) Fail(At(s) + ": " + s.control + " is " + actual + "\n" + DescribeForm(form));
}

int TScriptPresenter::MessageBox(const std::string& text, const std::string& caption,
                                 uint32_t flags) {
  const std::vector<int> answers = MessageBoxAnswers(flags);
  const int declining = DecliningAnswer(answers);
  const std::string shown = "message box " + Quoted(caption) + ": " + Quoted(text) + " (answers " +
                            AnswerList(answers) + ")";
  const Statement* s = Peek();
  if (!s || s->kind != S::ExpectMessage || (s->hasText && !Contains(text, s->text))) {
    Fail("unexpected " + shown + "; " + Expected());
    return declining;
  }
  ++next_;
  const Statement* answer = Peek();
  if (!answer || answer->kind != S::Answer) {
    Fail(shown + " got no answer: " + Expected());
    return declining;
  }
  ++next_;
  if (std::find(answers.begin(), answers.end(), answer->number) == answers.end()) {
    Fail(At(*answer) + ": the " + shown + " cannot answer " + std::to_string(answer->number));
    return declining;
  }
  return answer->number;
}

std::optional<std::string> TScriptPresenter::BrowseForFolder(const std::string& caption,
                                                             const std::string& root) {
  const std::string shown = "folder browser " + Quoted(caption) + " at " + Quoted(root);
  const Statement* s = Peek();
  if (!s || s->kind != S::ExpectFolder || (s->hasText && s->text != caption)) {
    Fail("unexpected " + shown + "; " + Expected());
    return std::nullopt;
  }
  ++next_;
  const Statement* answer = Peek();
  if (answer && answer->kind == S::Choose) {
    ++next_;
    return answer->text;
  }
  if (answer && answer->kind == S::CancelFolder) {
    ++next_;
    return std::nullopt;
  }
  Fail(shown + " got no answer: " + Expected());
  return std::nullopt;
}

std::string TScriptPresenter::Verify() const {
  std::string out;
  for (const std::string& f : failures_) out += f + (f.ends_with('\n') ? "" : "\n");
  for (size_t i = next_; i < statements_.size(); ++i) {
    out += "not reached: " + At(statements_[i]) + "\n";
  }
  return out;
}
