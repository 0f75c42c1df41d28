#pragma once
// TKRMessageRecorder: for the tests of the layers that show messages but may
// not see the forms themselves. While it lives, every message form shown
// through the presenter is recorded instead of waiting for a user: its
// caption, text, kind and button captions (without hotkey marks). Each is
// closed as if its first button were pressed. Only test targets link it.

#include <string>
#include <vector>

#include "platform/ui/MessageDialog.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/testing/RecordingPresenter.h"

struct TKRRecordedMessage {
  std::string Caption;
  std::string Text;
  TMsgDlgType Kind = mtCustom;
  std::vector<std::string> Buttons;
};

class TKRMessageRecorder {
 public:
  TKRMessageRecorder();
  TKRMessageRecorder(const TKRMessageRecorder&) = delete;
  TKRMessageRecorder& operator=(const TKRMessageRecorder&) = delete;

  // The message forms shown so far, in order.
  const std::vector<TKRRecordedMessage>& Messages() const { return FMessages; }

 private:
  TRecordingPresenter FPresenter;
  TPresenterScope FScope{FPresenter};
  std::vector<TKRRecordedMessage> FMessages;
};
