#include "platform/ui/MessageDialog.h"

#include <algorithm>
#include <bit>

#include "platform/ui/AnswerNames.h"
#include "platform/ui/Application.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"

namespace {

constexpr const char* kButtonNames[kMsgDlgBtnCount] = {
    "Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"};
constexpr TModalResult kButtonResults[kMsgDlgBtnCount] = {
    mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone};
constexpr int kIcons[] = {IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION, 0};
constexpr int kIconSize = 32;

// The first of `candidates` in `buttons`, or -1.
int FirstPresent(TMsgDlgButtons buttons, std::initializer_list<TMsgDlgBtn> candidates) {
  for (TMsgDlgBtn b : candidates) {
    if (HasButton(buttons, b)) return b;
  }
  return -1;
}

}  // namespace

TModalResult MsgDlgButtonResult(TMsgDlgBtn button) { return kButtonResults[button]; }

const TMsgDlgTexts& DefaultMsgDlgTexts() {
  static const TMsgDlgTexts texts = [] {
    TMsgDlgTexts made{{"Warning", "Error", "Information", "Confirmation"}, {}};
    for (int b = 0; b < kMsgDlgBtnCount; ++b) {
      made.Buttons[size_t(b)] =
          b == mbHelp ? AnswerCaption(IDHELP) : ModalResultCaption(kButtonResults[b]);
    }
    return made;
  }();
  return texts;
}

TModalResult DecliningResult(const TForm& form) {
  const auto* message = dynamic_cast<const TMessageForm*>(&form);
  if (!message) return mrCancel;
  std::vector<int> results;
  for (const TButton* b : message->Buttons()) {
    if (b->ModalResult() != mrNone) results.push_back(b->ModalResult());
  }
  const int declining = DecliningAnswer(results);
  return declining == 0 ? mrCancel : declining;
}

TMessageForm::TMessageForm(std::string message, TMsgDlgType type)
    : message_(std::move(message)), type_(type) {}

std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& message, TMsgDlgType type,
                                                  TMsgDlgButtons buttons,
                                                  const TMsgDlgTexts& texts) {
  auto form = std::make_unique<TMessageForm>(message, type);
  form->SetBorderStyle(bsDialog);
  const int w = AverageCharWidth(form->Font());
  const int h = TextHeight(form->Font());
  const int horzMargin = MulDiv(8, w, 4);
  const int vertMargin = MulDiv(8, h, 8);
  const int horzSpacing = MulDiv(10, w, 4);
  const int vertSpacing = MulDiv(10, h, 8);
  const int buttonWidth = MulDiv(50, w, 4);
  const int buttonHeight = MulDiv(14, h, 8);
  const int buttonGap = MulDiv(4, w, 4);

  const TSize text = MeasureText(form->Font(), message, Screen().Width() / 2, true);
  const int icon = kIcons[type];
  int textBlockWidth = text.cx;
  int textBlockHeight = text.cy;
  if (icon) {
    textBlockWidth += kIconSize + horzSpacing;
    textBlockHeight = std::max(textBlockHeight, kIconSize);
  }
  const int count = std::popcount(unsigned(buttons) & ((1u << kMsgDlgBtnCount) - 1));
  const int rowWidth = count * buttonWidth + std::max(0, count - 1) * buttonGap;
  form->SetClientWidth(std::max(textBlockWidth, rowWidth) + 2 * horzMargin);
  form->SetClientHeight(textBlockHeight + vertSpacing + buttonHeight + 2 * vertMargin);
  form->SetPosition(poScreenCenter);
  form->SetBounds((Screen().Width() - form->Width()) / 2, (Screen().Height() - form->Height()) / 2,
                  form->Width(), form->Height());
  form->SetCaption(type == mtCustom ? Application().Title() : texts.Captions[type]);

  if (icon) {
    auto& image = form->Add<TImage>("Image");
    image.SetBounds(horzMargin, vertMargin, kIconSize, kIconSize);
    image.SetIcon(icon);
  }
  auto& label = form->Add<TLabel>("Message");
  label.SetWordWrap(true);
  label.SetAutoSize(false);
  label.SetCaption(message);
  label.SetBounds(textBlockWidth - text.cx + horzMargin, vertMargin, text.cx, text.cy);

  const int defaultButton = FirstPresent(buttons, {mbOK, mbYes, mbRetry});
  const int cancelButton = FirstPresent(buttons, {mbCancel, mbNo, mbOK});
  int x = (form->ClientWidth() - rowWidth) / 2;
  const int y = textBlockHeight + vertMargin + vertSpacing;
  for (int b = 0; b < kMsgDlgBtnCount; ++b) {
    if (!HasButton(buttons, TMsgDlgBtn(b))) continue;
    auto& button = form->Add<TButton>(kButtonNames[b]);
    button.SetCaption(texts.Buttons[size_t(b)]);
    button.SetModalResult(MsgDlgButtonResult(TMsgDlgBtn(b)));
    button.SetDefault(b == defaultButton);
    button.SetCancel(b == cancelButton);
    button.SetBounds(x, y, buttonWidth, buttonHeight);
    if (b == mbHelp) {
      TMessageForm* owner = form.get();
      button.OnClick = [owner](TControl&) { Application().HelpContext(owner->HelpContext()); };
    }
    form->buttons_.push_back(&button);
    x += buttonWidth + buttonGap;
  }
  return form;
}

TModalResult ShowMessageDialog(TMessageForm& form, int helpContext, int x, int y) {
  form.SetHelpContext(helpContext);
  if (x >= 0 || y >= 0) {
    form.SetPosition(poDesigned);
    if (x >= 0) form.SetLeft(x);
    if (y >= 0) form.SetTop(y);
  }
  return form.ShowModal();
}

TModalResult MessageDlgPos(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                           int helpContext, int x, int y) {
  return ShowMessageDialog(*CreateMessageDialog(message, type, buttons), helpContext, x, y);
}

TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                        int helpContext) {
  return MessageDlgPos(message, type, buttons, helpContext, -1, -1);
}

void ShowMessage(const std::string& message) { MessageDlg(message, mtCustom, mbOKOnly, 0); }
