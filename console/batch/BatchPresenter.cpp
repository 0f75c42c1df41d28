#include "console/batch/BatchPresenter.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/ui/AnswerNames.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageDialog.h"
#include "platform/ui/ScriptParser.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/UserInput.h"

namespace {

// One line of output: line breaks inside a text are written as "\n".
std::string OneLine(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' || text[i] == '\r') {
      out += "\\n";
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

TControl& ControlOf(TForm& form, const std::string& name) {
  TControl* control = form.FindComponent(name);
  if (control == nullptr) throw EUserInputError("the form has no control named " + name);
  return *control;
}

void Perform(TForm& form, const TFormAction& action) {
  TControl& control = ControlOf(form, action.control);
  switch (action.kind) {
    case TFormAction::Set:
      return UserSetText(control, action.text);
    case TFormAction::Pick:
      return UserSelect(control, action.text);
    case TFormAction::Check:
      if (dynamic_cast<TRadioButton*>(&control) == nullptr) {
        throw EUserInputError(action.control + " is not a radio button");
      }
      return UserClick(control);
    case TFormAction::Click:
      return UserClick(control);
  }
}

}  // namespace

void TBatchPresenter::QueueForm(std::string caption, std::vector<TFormAction> actions) {
  forms_.push_back({std::move(caption), std::move(actions)});
}

void TBatchPresenter::QueueMessage(std::string text, int answer) {
  messages_.push_back({std::move(text), answer});
}

void TBatchPresenter::QueueFolder(std::optional<std::string> path) {
  folders_.push_back(std::move(path));
}

void TBatchPresenter::Fail(const std::string& what) {
  failure_ += (failure_.empty() ? "" : "\n") + what;
}

std::string TBatchPresenter::TakeFailure() { return std::exchange(failure_, {}); }

void TBatchPresenter::CheckLayouts(TTerminalLayout layout, int width, int height) {
  layout_ = std::move(layout);
  layoutWidth_ = width;
  layoutHeight_ = height;
}

void TBatchPresenter::PrintLayout(const std::string& caption,
                                  const std::vector<std::string>& problems) {
  if (problems.empty()) {
    out_ << "layout: " << OneLine(caption) << ": fits " << layoutWidth_ << "x" << layoutHeight_
         << "\n";
  }
  for (const std::string& problem : problems) {
    out_ << "layout: " << OneLine(caption) << ": " << problem << "\n";
  }
}

std::optional<int> TBatchPresenter::TakeMessageAnswer(const std::string& text) {
  auto it = std::find_if(messages_.begin(), messages_.end(), [&](const MessageAnswer& m) {
    return text.find(m.text) != std::string::npos;
  });
  if (it == messages_.end()) return std::nullopt;
  const int answer = it->answer;
  messages_.erase(it);
  return answer;
}

TModalResult TBatchPresenter::ShowModal(TForm& form) {
  if (layout_.FormProblems) {
    PrintLayout(form.Caption(), layout_.FormProblems(form, layoutWidth_, layoutHeight_));
  }
  if (auto* message = dynamic_cast<TMessageForm*>(&form)) {
    out_ << "message: " << OneLine(form.Caption()) << ": " << OneLine(message->Message()) << "\n";
    const std::optional<int> answer = TakeMessageAnswer(message->Message());
    if (answer) {
      try {
        UserAnswer(form, *answer);
      } catch (const EUserInputError& e) {
        Fail("message \"" + OneLine(message->Message()) + "\": " + e.Message());
      }
    }
    if (form.ModalResult() == mrNone) form.SetModalResult(DecliningResult(form));
    return form.ModalResult();
  }
  auto it = std::find_if(forms_.begin(), forms_.end(),
                         [&](const FormAnswer& f) { return f.caption == form.Caption(); });
  std::string note;
  if (it == forms_.end()) {
    note = " (not answered)";
  } else {
    const std::vector<TFormAction> actions = std::move(it->actions);
    forms_.erase(it);
    try {
      for (const TFormAction& action : actions) {
        if (form.ModalResult() != mrNone) break;
        Perform(form, action);
      }
    } catch (const EUserInputError& e) {
      Fail("form \"" + form.Caption() + "\": " + e.Message());
      note = " (" + e.Message() + ")";
    }
    if (note.empty() && form.ModalResult() == mrNone) note = " (left open)";
  }
  if (form.ModalResult() == mrNone) form.SetModalResult(mrCancel);
  out_ << "form: " << OneLine(form.Caption()) << " -> " << ModalResultCaption(form.ModalResult())
       << note << "\n";
  return form.ModalResult();
}

int TBatchPresenter::MessageBox(const std::string& text, const std::string& caption,
                                uint32_t flags) {
  if (layout_.MessageBoxProblems) {
    PrintLayout(caption, layout_.MessageBoxProblems(text, caption, flags, layoutWidth_,
                                                    layoutHeight_));
  }
  out_ << "message: " << OneLine(caption) << ": " << OneLine(text) << "\n";
  const std::vector<int> answers = MessageBoxAnswers(flags);
  const int declining = DecliningAnswer(answers);
  const std::optional<int> answer = TakeMessageAnswer(text);
  if (!answer) return declining;
  if (std::find(answers.begin(), answers.end(), *answer) == answers.end()) {
    Fail("message \"" + OneLine(text) + "\" offers no answer " + AnswerCaption(*answer));
    return declining;
  }
  return *answer;
}

std::optional<std::string> TBatchPresenter::BrowseForFolder(const std::string& caption,
                                                            const std::string&) {
  if (folders_.empty()) {
    out_ << "folder: " << OneLine(caption) << " -> cancelled (not answered)\n";
    return std::nullopt;
  }
  std::optional<std::string> answer = std::move(folders_.front());
  folders_.pop_front();
  out_ << "folder: " << OneLine(caption) << " -> " << (answer ? *answer : "cancelled") << "\n";
  return answer;
}
