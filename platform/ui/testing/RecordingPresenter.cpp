#include "platform/ui/testing/RecordingPresenter.h"

#include "platform/ui/Form.h"

TModalResult TRecordingPresenter::ShowModal(TForm& form) {
  forms.push_back(form.Caption());
  if (user) user(form);
  return form.ModalResult();
}

int TRecordingPresenter::MessageBox(const std::string& text, const std::string& caption,
                                    uint32_t flags) {
  boxes.push_back({text, caption, flags});
  return boxAnswer;
}

std::optional<std::string> TRecordingPresenter::BrowseForFolder(const std::string& caption,
                                                                const std::string&) {
  browsed.push_back(caption);
  return folder;
}
