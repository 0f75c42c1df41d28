#include "support/KRLocalizedMessageDialogs_UNT.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/ui/Application.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Hotkeys.h"
#include "platform/ui/MessageBoxCodes.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/testing/RecordingPresenter.h"
#include "platform/win32/Resources.h"
#include "support/KRComponentStrings.h"

namespace {

class LocalizedMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    title_ = Application().Title();
    Application().SetTitle("VAZERir Console");
  }
  void TearDown() override {
    Application().SetTitle(title_);
    RegisterModuleStrings(ComponentsInstance(), ComponentStringTable());
  }
  static TButton& Button(TForm& form, const char* name) {
    auto* button = dynamic_cast<TButton*>(form.FindComponent(name));
    if (button == nullptr) throw std::runtime_error(std::string("no button ") + name);
    return *button;
  }

  TRecordingPresenter presenter_;
  TPresenterScope scope_{presenter_};

 private:
  std::string title_;
};

TEST_F(LocalizedMessageTest, ShowMessageHasTheTitleAndOneOkButtonAnsweringOne) {
  std::vector<std::string> buttons;
  TModalResult result = mrNone;
  presenter_.user = [&](TForm& form) {
    for (const TButton* b : dynamic_cast<TMessageForm&>(form).Buttons()) {
      buttons.push_back(StripHotkey(b->Caption()));
    }
    EXPECT_EQ(form.FindComponent("Image"), nullptr);
    Button(form, "OK").Click();
    result = form.ModalResult();
  };
  LocShowMessage("Saved.");
  EXPECT_EQ(presenter_.forms, std::vector<std::string>{"VAZERir Console"});
  EXPECT_EQ(buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(result, 1);
}

TEST_F(LocalizedMessageTest, YesAndNoOnlyMakeYesTheDefaultAndNoTheCancelButton) {
  auto form = LocCreateMessageDialog("Delete?", mtConfirmation, MsgDlgButtons({mbYes, mbNo}));
  EXPECT_EQ(form->Caption(), "Confirmation");
  EXPECT_EQ(dynamic_cast<TImage&>(*form->FindComponent("Image")).Icon(), IDI_QUESTION);
  EXPECT_EQ(form->DefaultButton(), &Button(*form, "Yes"));
  EXPECT_EQ(form->CancelButton(), &Button(*form, "No"));
  EXPECT_EQ(Button(*form, "Yes").Caption(), "&Yes");
  EXPECT_EQ(Button(*form, "Yes").ModalResult(), 6);
  EXPECT_EQ(Button(*form, "No").Caption(), "&No");
  EXPECT_EQ(Button(*form, "No").ModalResult(), 7);
}

TEST_F(LocalizedMessageTest, EveryButtonHasItsTextResultAndAHotkeyOfItsOwn) {
  const TModalResult results[kMsgDlgBtnCount] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};
  auto form = LocCreateMessageDialog("x", mtError, TMsgDlgButtons((1u << kMsgDlgBtnCount) - 1));
  EXPECT_EQ(form->Caption(), "Error");
  ASSERT_EQ(form->Buttons().size(), size_t(kMsgDlgBtnCount));
  std::set<char> hotkeys;
  for (int b = 0; b < kMsgDlgBtnCount; ++b) {
    const TButton& button = *form->Buttons()[size_t(b)];
    EXPECT_EQ(StripHotkey(button.Caption()), ComponentString(krsMsgDlgButtonYes + UINT(b)));
    EXPECT_EQ(button.ModalResult(), results[b]) << button.Name();
    EXPECT_NE(GetHotkey(button.Caption()), '\0') << button.Caption();
    hotkeys.insert(GetHotkey(button.Caption()));
  }
  EXPECT_EQ(hotkeys.size(), size_t(kMsgDlgBtnCount));
  EXPECT_EQ(form->DefaultButton(), &Button(*form, "OK"));
  EXPECT_EQ(form->CancelButton(), &Button(*form, "Cancel"));
}

TEST_F(LocalizedMessageTest, ATranslatedTableTranslatesTheBox) {
  StringTable german = ComponentStringTable();
  german[14605] = "Warnung";
  german[14609] = "Ja";
  german[14610] = "&Nein";  // the translation chose its own hotkey
  german[14612] = "Abbrechen";
  german[14616] = "Alle";
  RegisterModuleStrings(ComponentsInstance(), german);
  auto form = LocCreateMessageDialog("x", mtWarning, MsgDlgButtons({mbYes, mbNo, mbCancel, mbAll}));
  EXPECT_EQ(form->Caption(), "Warnung");
  std::vector<std::string> captions;
  for (const TButton* b : form->Buttons()) captions.push_back(b->Caption());
  EXPECT_EQ(captions, (std::vector<std::string>{"&Ja", "&Nein", "&Abbrechen", "A&lle"}));
}

TEST_F(LocalizedMessageTest, AMessageWiderThanHalfTheScreenWraps) {
  std::string message;
  for (int i = 0; i < 40; ++i) message += "overlong ";
  auto form = LocCreateMessageDialog(message, mtInformation, mbOKOnly);
  const TControl& label = *form->FindComponent("Message");
  EXPECT_LE(label.Width(), Screen().Width() / 2);
  EXPECT_GT(label.Height(), TextHeight(form->Font()));
  EXPECT_EQ(form->Caption(), "Information");
}

TEST_F(LocalizedMessageTest, TitlePositionAndHelpContextAreTheCallersChoice) {
  std::string caption;
  int left = -1, top = -1, help = -1;
  presenter_.user = [&](TForm& form) {
    caption = form.Caption();
    left = form.Left();
    top = form.Top();
    help = form.HelpContext();
    Button(form, "Cancel").Click();
  };
  EXPECT_EQ(LocMsgWithTitleDlg("Trapped", "Boom", mtError, mbOKCancel, 77), mrCancel);
  EXPECT_EQ(caption, "Trapped");
  EXPECT_EQ(help, 77);
  const auto centred = LocCreateMessageDialog("Boom", mtError, mbOKCancel);
  EXPECT_EQ(left, centred->Left());
  EXPECT_EQ(top, centred->Top());

  EXPECT_EQ(LocMessageDlgPos("", "Boom", mtError, mbOKCancel, 3, -1, 0), mrCancel);
  EXPECT_EQ(caption, "Error");  // no title: the kind's caption
  EXPECT_EQ(left, 3);
  EXPECT_EQ(top, centred->Top());
  EXPECT_EQ(LocMessageDlg("Boom", mtCustom, mbOKCancel, 0), mrCancel);
  EXPECT_EQ(caption, "VAZERir Console");
}

TEST_F(LocalizedMessageTest, HelpShowsTheTopicWithoutClosing) {
  std::vector<int> topics;
  Application().OnHelp = [&](int context) { topics.push_back(context); };
  TModalResult afterHelp = -1;
  presenter_.user = [&](TForm& form) {
    Button(form, "Help").Click();
    afterHelp = form.ModalResult();
    Button(form, "OK").Click();
  };
  EXPECT_EQ(LocMessageDlg("Need help?", mtWarning, MsgDlgButtons({mbOK, mbHelp}), 4711), mrOk);
  Application().OnHelp = nullptr;
  EXPECT_EQ(afterHelp, mrNone);
  EXPECT_EQ(topics, std::vector<int>{4711});
}

}  // namespace
