#pragma once
// Message boxes whose captions and button texts come from the components'
// string table, so that a translated table translates the boxes too.
//
// A box is the platform's message dialog (TMessageForm): the kind's icon,
// the word-wrapped message, and the chosen buttons in their fixed order,
// each with its text, its modal result (mrYes .. mrYesToAll; Help shows the
// box's help topic instead of closing) and a hotkey: every button caption
// marks one ('&', see platform/ui/Hotkeys.h), the first character of its
// text that no other button of the box uses (a translated text may mark its
// own). The default button is OK, else Yes, else Retry; the cancel button
// is Cancel, else No, else OK. The caption is the kind's text ("Warning",
// "Error", "Information", "Confirmation"), or the application's title for
// mtCustom.

#include <memory>
#include <string>

#include "platform/ui/MessageDialog.h"

// Makes the box without showing it.
std::unique_ptr<TMessageForm> LocCreateMessageDialog(const std::string& msg, TMsgDlgType kind,
                                                     TMsgDlgButtons buttons);

// Shows the box modally and answers its modal result: captioned `title`
// when that is not empty, with `helpContext`, at the left edge x when
// x >= 0 and the top edge y when y >= 0 (centred on the screen otherwise).
TModalResult LocMessageDlgPos(const std::string& title, const std::string& msg, TMsgDlgType kind,
                              TMsgDlgButtons buttons, int x, int y, int helpContext);
// Centred, with the kind's caption.
TModalResult LocMessageDlg(const std::string& msg, TMsgDlgType kind, TMsgDlgButtons buttons,
                           int helpContext);
// Centred, captioned `title`.
TModalResult LocMsgWithTitleDlg(const std::string& title, const std::string& msg, TMsgDlgType kind,
                                TMsgDlgButtons buttons, int helpContext);
// The message with the application's title and an OK button.
void LocShowMessage(const std::string& msg);
