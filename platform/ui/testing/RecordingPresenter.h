#pragma once
// TRecordingPresenter: the presenter of tests. It records every form,
// message box and folder browser it is asked to show, in order, and answers
// as the test decides:
//   forms           runs `user` on the shown form (when set), as a user at the
//                   keyboard would, and answers the form's modal result then
//                   (a form left open counts as cancelled);
//   message boxes   answers `boxAnswer` (IDOK unless set);
//   folder browser  answers `folder` (cancelled unless set).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/MessageBoxCodes.h"
#include "platform/ui/Presenter.h"

class TRecordingPresenter : public IModalPresenter {
 public:
  struct TBox {
    std::string text;
    std::string caption;
    uint32_t flags = 0;
  };

  TModalResult ShowModal(TForm& form) override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override;
  std::optional<std::string> BrowseForFolder(const std::string& caption,
                                             const std::string& root) override;

  std::function<void(TForm&)> user;
  int boxAnswer = IDOK;
  std::optional<std::string> folder;

  std::vector<std::string> forms;  // the captions of the forms shown
  std::vector<TBox> boxes;
  std::vector<std::string> browsed;  // the captions of the folder browsers
};
