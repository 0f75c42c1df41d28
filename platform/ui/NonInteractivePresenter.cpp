#include "platform/ui/NonInteractivePresenter.h"

#include <iostream>

#include "platform/ui/Form.h"
#include "platform/ui/FormDescription.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageDialog.h"

TNonInteractivePresenter::TNonInteractivePresenter(LogSink log) : log_(std::move(log)) {
  if (!log_) log_ = [](const std::string& entry) { std::cerr << entry << std::endl; };
}

TModalResult TNonInteractivePresenter::ShowModal(TForm& form) {
  const TModalResult result = DecliningResult(form);
  log_("no user to answer " + DescribeForm(form) + "answered " + std::to_string(result));
  form.SetModalResult(result);
  return result;
}

int TNonInteractivePresenter::MessageBox(const std::string& text, const std::string& caption,
                                         uint32_t flags) {
  const int answer = DecliningAnswer(MessageBoxAnswers(flags));
  log_("no user to answer message box " + Quoted(caption) + ": " + Quoted(text) + "\nanswered " +
       std::to_string(answer));
  return answer;
}

std::optional<std::string> TNonInteractivePresenter::BrowseForFolder(const std::string& caption,
                                                                     const std::string& root) {
  log_("no user to answer folder browser " + Quoted(caption) + " at " + Quoted(root) +
       "\ncancelled");
  return std::nullopt;
}
