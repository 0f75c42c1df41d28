#pragma once
// The presenter of runs without a user: a modal form closes with mrCancel, a
// message box or message form gets the declining answer (DecliningAnswer),
// the folder browser is cancelled. Each writes what it showed, and what it
// answered, to the diagnostic log, one entry per call.

#include <functional>
#include <string>

#include "platform/ui/Presenter.h"

class TNonInteractivePresenter : public IModalPresenter {
 public:
  using LogSink = std::function<void(const std::string& entry)>;
  // Without a sink, entries go to standard error.
  explicit TNonInteractivePresenter(LogSink log = {});

  TModalResult ShowModal(TForm& form) override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override;
  std::optional<std::string> BrowseForFolder(const std::string& caption,
                                             const std::string& root) override;

 private:
  LogSink log_;
};
