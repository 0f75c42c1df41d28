#pragma once
// Message dialogs: a form with an icon, a word-wrapped text and a row of
// buttons, shown modally through the presenter. The layout is in units of
// the form font's average character width w and height h: margins 8w/4
// across and 8h/8 down, spacing 10w/4 and 10h/8, buttons 50w/4 by 14h/8 with
// 4w/4 between them; the text is wrapped within half the screen's width.
// The default button is OK, else Yes, else Retry; the cancel button is
// Cancel, else No, else OK. Help shows the form's help context instead of
// closing.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Form.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};
inline constexpr int kMsgDlgBtnCount = 11;

// A set of TMsgDlgBtn.
using TMsgDlgButtons = uint16_t;
constexpr TMsgDlgButtons MsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
  TMsgDlgButtons set = 0;
  for (TMsgDlgBtn b : buttons) set = TMsgDlgButtons(set | 1u << b);
  return set;
}
constexpr bool HasButton(TMsgDlgButtons set, TMsgDlgBtn b) { return (set >> b) & 1u; }
inline constexpr TMsgDlgButtons mbOKOnly = MsgDlgButtons({mbOK});
inline constexpr TMsgDlgButtons mbOKCancel = MsgDlgButtons({mbOK, mbCancel});
inline constexpr TMsgDlgButtons mbYesNoCancel = MsgDlgButtons({mbYes, mbNo, mbCancel});
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel =
    MsgDlgButtons({mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel});
inline constexpr TMsgDlgButtons mbAbortRetryIgnore = MsgDlgButtons({mbAbort, mbRetry, mbIgnore});
inline constexpr TMsgDlgButtons mbAbortIgnore = MsgDlgButtons({mbAbort, mbIgnore});

// The modal result of each button (mrNone for Help).
TModalResult MsgDlgButtonResult(TMsgDlgBtn button);

// The texts of a message dialog, replaceable by a translation. The caption
// of mtCustom is always the application's title.
struct TMsgDlgTexts {
  std::array<std::string, 4> Captions;
  std::array<std::string, kMsgDlgBtnCount> Buttons;
};
// "Warning", "Error", "Information", "Confirmation"; "Yes", "No", "OK",
// "Cancel", "Abort", "Retry", "Ignore", "All", "No to All", "Yes to All",
// "Help".
const TMsgDlgTexts& DefaultMsgDlgTexts();

class TMessageForm : public TForm {
 public:
  TMessageForm(std::string message, TMsgDlgType type);
  std::string_view ClassName() const override { return "TMessageForm"; }

  const std::string& Message() const { return message_; }
  TMsgDlgType DialogType() const { return type_; }
  // The buttons in their row, left to right.
  const std::vector<TButton*>& Buttons() const { return buttons_; }

 private:
  friend std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string&, TMsgDlgType,
                                                           TMsgDlgButtons, const TMsgDlgTexts&);
  std::string message_;
  TMsgDlgType type_;
  std::vector<TButton*> buttons_;
};

// What a user who declines answers `form`: for a message form the declining
// answer among its buttons' results (see DecliningAnswer), else mrCancel.
TModalResult DecliningResult(const TForm& form);

// Builds the dialog without showing it; centred on the screen. The image is
// named "Image", the text label "Message", each button after its kind ("Yes",
// "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll",
// "YesToAll", "Help").
std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& message, TMsgDlgType type,
                                                  TMsgDlgButtons buttons,
                                                  const TMsgDlgTexts& texts = DefaultMsgDlgTexts());

// Shows a dialog made by CreateMessageDialog with `helpContext`, at the left
// edge x when x >= 0 and the top edge y when y >= 0 (centred otherwise);
// answers its modal result.
TModalResult ShowMessageDialog(TMessageForm& form, int helpContext, int x, int y);

// Makes the dialog and shows it with ShowMessageDialog.
TModalResult MessageDlgPos(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                           int helpContext, int x, int y);
TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons,
                        int helpContext);
// A custom dialog with the OK button only.
void ShowMessage(const std::string& message);
