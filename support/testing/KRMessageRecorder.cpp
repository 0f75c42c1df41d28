#include "support/testing/KRMessageRecorder.h"

#include "platform/ui/Hotkeys.h"
#include "platform/ui/StdCtrls.h"

TKRMessageRecorder::TKRMessageRecorder() {
  FPresenter.user = [this](TForm& form) {
    auto* message = dynamic_cast<TMessageForm*>(&form);
    if (message == nullptr) return;
    TKRRecordedMessage& recorded = FMessages.emplace_back();
    recorded.Caption = form.Caption();
    recorded.Text = message->Message();
    recorded.Kind = message->DialogType();
    for (const TButton* button : message->Buttons()) {
      recorded.Buttons.push_back(StripHotkey(button->Caption()));
    }
    if (!message->Buttons().empty()) form.SetModalResult(message->Buttons().front()->ModalResult());
  };
}
