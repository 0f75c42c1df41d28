#pragma once
// The seam through which all modal user interface goes. The host installs a
// presenter (the terminal front end, a test script, or the non-interactive
// one that batch runs use); until one is installed, the non-interactive
// presenter writing to standard error serves, so nothing ever waits for a
// user who is not there. All calls come from the console's thread.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui/ModalResult.h"

class TForm;

class IModalPresenter {
 public:
  virtual ~IModalPresenter() = default;
  // Runs `form` (already prepared and focused by TForm::ShowModal) until its
  // ModalResult is not mrNone, driving its controls as a user would; answers
  // that result. A presenter that gives up sets mrCancel.
  virtual TModalResult ShowModal(TForm& form) = 0;
  // A platform message box: MB_* flags in, ID* result out. The flags'
  // button type is valid (0 .. 6) when this is called.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) = 0;
  // Asks for a directory below `root`; nullopt when cancelled.
  virtual std::optional<std::string> BrowseForFolder(const std::string& caption,
                                                     const std::string& root) = 0;
};

IModalPresenter& ModalPresenter();
// Installs `presenter` (nullptr: the default one); answers the previous one
// (nullptr when it was the default).
IModalPresenter* SetModalPresenter(IModalPresenter* presenter);

// Installs a presenter for the scope's lifetime.
class TPresenterScope {
 public:
  explicit TPresenterScope(IModalPresenter& presenter) : previous_(SetModalPresenter(&presenter)) {}
  ~TPresenterScope() { SetModalPresenter(previous_); }
  TPresenterScope(const TPresenterScope&) = delete;
  TPresenterScope& operator=(const TPresenterScope&) = delete;

 private:
  IModalPresenter* previous_;
};

// The shell's folder browser, through the presenter.
std::optional<std::string> BrowseForFolder(const std::string& caption, const std::string& root);
