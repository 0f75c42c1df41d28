#pragma once
// TBatchPresenter: the presenter of batch runs. It prints every form,
// message box and folder browser shown ("form: CAPTION -> RESULT",
// "message: CAPTION: TEXT", "folder: CAPTION -> PATH") and answers each from
// the answers the script queued:
//
// - a form takes the first queued form answer with its caption: the actions
//   (type into an edit, pick a combo box item, check a radio button, click a
//   control) run as a user's would; a form left open after them, or without
//   an answer, is cancelled;
// - a message box or message dialog takes the first queued message answer
//   whose text is part of its text; without one it gets the declining answer;
// - a folder browser takes the next queued folder answer, else is cancelled.
//
// An action that cannot be done, or an answer the box does not offer, is a
// failure: it is kept for TakeFailure and the form or box is declined.
//
// With a terminal layout to check against, every form and box is also laid
// out as the terminal front end would lay it out, and what it found is
// printed before it: "layout: CAPTION: fits WxH", or one line a problem
// ("layout: CAPTION: CancelBtn touches the frame").

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/Presenter.h"

struct TFormAction {
  enum Kind { Set, Pick, Check, Click };
  Kind kind = Click;
  std::string control;
  std::string text;
};

// How the terminal front end lays things out on a terminal of `width` by
// `height` cells: the problems it finds, none when all is well. A program
// with a terminal front end provides it.
struct TTerminalLayout {
  std::function<std::vector<std::string>(const TForm& form, int width, int height)> FormProblems;
  // For the form that stands for a message box on the terminal.
  std::function<std::vector<std::string>(const std::string& text, const std::string& caption,
                                         uint32_t flags, int width, int height)>
      MessageBoxProblems;
};

class TBatchPresenter : public IModalPresenter {
 public:
  explicit TBatchPresenter(std::ostream& out) : out_(out) {}

  void QueueForm(std::string caption, std::vector<TFormAction> actions);
  // `answer` is an ID* value.
  void QueueMessage(std::string text, int answer);
  // nullopt: cancel the browser.
  void QueueFolder(std::optional<std::string> path);

  TModalResult ShowModal(TForm& form) override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override;
  std::optional<std::string> BrowseForFolder(const std::string& caption,
                                             const std::string& root) override;

  // The failures since the last call, one per line; empty when none.
  std::string TakeFailure();

  // From now on checks what is shown against `layout` on a terminal of that
  // size.
  void CheckLayouts(TTerminalLayout layout, int width, int height);

 private:
  struct FormAnswer {
    std::string caption;
    std::vector<TFormAction> actions;
  };
  struct MessageAnswer {
    std::string text;
    int answer;
  };
  std::optional<int> TakeMessageAnswer(const std::string& text);
  void Fail(const std::string& what);
  void PrintLayout(const std::string& caption, const std::vector<std::string>& problems);

  std::ostream& out_;
  std::deque<FormAnswer> forms_;
  std::deque<MessageAnswer> messages_;
  std::deque<std::optional<std::string>> folders_;
  std::string failure_;
  TTerminalLayout layout_;
  int layoutWidth_ = 0;
  int layoutHeight_ = 0;
};
