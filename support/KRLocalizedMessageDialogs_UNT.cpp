#include "support/KRLocalizedMessageDialogs_UNT.h"

#include <vector>

#include "platform/ui/Hotkeys.h"
#include "support/KRComponentStrings.h"

namespace {

// The string-table texts, with hotkeys marked among the buttons of the box.
TMsgDlgTexts LocalizedTexts(TMsgDlgButtons buttons) {
  TMsgDlgTexts texts;
  for (size_t kind = 0; kind < texts.Captions.size(); ++kind) {
    texts.Captions[kind] = ComponentString(krsMsgDlgWarning + UINT(kind));
  }
  std::vector<int> shown;
  std::vector<std::string> captions;
  for (int b = 0; b < kMsgDlgBtnCount; ++b) {
    texts.Buttons[size_t(b)] = ComponentString(krsMsgDlgButtonYes + UINT(b));
    if (!HasButton(buttons, TMsgDlgBtn(b))) continue;
    shown.push_back(b);
    captions.push_back(texts.Buttons[size_t(b)]);
  }
  MarkHotkeys(captions);
  for (size_t i = 0; i < shown.size(); ++i) texts.Buttons[size_t(shown[i])] = captions[i];
  return texts;
}

}  // namespace

std::unique_ptr<TMessageForm> LocCreateMessageDialog(const std::string& msg, TMsgDlgType kind,
                                                     TMsgDlgButtons buttons) {
  return CreateMessageDialog(msg, kind, buttons, LocalizedTexts(buttons));
}

TModalResult LocMessageDlgPos(const std::string& title, const std::string& msg, TMsgDlgType kind,
                              TMsgDlgButtons buttons, int x, int y, int helpContext) {
  std::unique_ptr<TMessageForm> form = LocCreateMessageDialog(msg, kind, buttons);
  if (!title.empty()) form->SetCaption(title);
  return ShowMessageDialog(*form, helpContext, x, y);
}

TModalResult LocMessageDlg(const std::string& msg, TMsgDlgType kind, TMsgDlgButtons buttons,
                           int helpContext) {
  return LocMessageDlgPos("", msg, kind, buttons, -1, -1, helpContext);
}

TModalResult LocMsgWithTitleDlg(const std::string& title, const std::string& msg, TMsgDlgType kind,
                                TMsgDlgButtons buttons, int helpContext) {
  return LocMessageDlgPos(title, msg, kind, buttons, -1, -1, helpContext);
}

void LocShowMessage(const std::string& msg) { LocMessageDlg(msg, mtCustom, mbOKOnly, 0); }
