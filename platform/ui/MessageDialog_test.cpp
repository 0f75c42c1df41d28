#include "platform/ui/MessageDialog.h"

#include <gtest/gtest.h>

#include "platform/ui/Application.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScriptPresenter.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/testing/RecordingPresenter.h"

namespace {

// The layout units of the cell font: w = 8, h = 16.
constexpr int kMarginX = 16, kMarginY = 16, kSpacingX = 20, kSpacingY = 20;
constexpr int kButtonW = 100, kButtonH = 28, kGap = 8;

class MessageDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    width_ = Screen().Width();
    height_ = Screen().Height();
    Screen().SetSize(640, 480);
  }
  void TearDown() override { Screen().SetSize(width_, height_); }
  TButton& Button(TForm& form, const char* name) {
    auto* button = dynamic_cast<TButton*>(form.FindComponent(name));
    EXPECT_NE(button, nullptr) << name;
    return *button;
  }

 private:
  int width_ = 0, height_ = 0;
};

TEST_F(MessageDialogTest, ACustomMessageHasNoIconAndTheTitleAsCaption) {
  Application().SetTitle("VAZERir Console");
  auto form = CreateMessageDialog("gone", mtCustom, mbOKOnly);
  EXPECT_EQ(form->Caption(), "VAZERir Console");
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_EQ(form->FindComponent("Image"), nullptr);
  EXPECT_EQ(form->ClientWidth(), kButtonW + 2 * kMarginX);  // the button row is the wider
  EXPECT_EQ(form->ClientHeight(), kCellHeight + kSpacingY + kButtonH + 2 * kMarginY);
  auto* message = dynamic_cast<TLabel*>(form->FindComponent("Message"));
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->Caption(), "gone");
  EXPECT_TRUE(message->WordWrap());
  EXPECT_EQ(message->BoundsRect(), (TRect{kMarginX, kMarginY, kMarginX + 32, kMarginY + 16}));
  TButton& ok = Button(*form, "OK");
  EXPECT_EQ(ok.Caption(), "OK");
  EXPECT_EQ(ok.ModalResult(), mrOk);
  EXPECT_TRUE(ok.Default());
  EXPECT_TRUE(ok.Cancel());
  EXPECT_EQ(ok.BoundsRect(), (TRect{16, 52, 16 + kButtonW, 52 + kButtonH}));
  // Centred on the screen.
  EXPECT_EQ(form->Left(), (640 - form->Width()) / 2);
  EXPECT_EQ(form->Top(), (480 - form->Height()) / 2);
}

TEST_F(MessageDialogTest, TheIconSitsLeftOfTheTextAndTheButtonsAreCentred) {
  auto form = CreateMessageDialog("Delete?", mtConfirmation, MsgDlgButtons({mbYes, mbNo}));
  EXPECT_EQ(form->Caption(), "Confirmation");
  auto* image = dynamic_cast<TImage*>(form->FindComponent("Image"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Icon(), IDI_QUESTION);
  EXPECT_EQ(image->BoundsRect(), (TRect{kMarginX, kMarginY, kMarginX + 32, kMarginY + 32}));
  const int textBlock = 7 * kCellWidth + 32 + kSpacingX;
  EXPECT_EQ(form->FindComponent("Message")->Left(), textBlock - 7 * kCellWidth + kMarginX);
  const int row = 2 * kButtonW + kGap;
  EXPECT_EQ(form->ClientWidth(), row + 2 * kMarginX);
  EXPECT_EQ(form->ClientHeight(), 32 + kSpacingY + kButtonH + 2 * kMarginY);  // icon height
  TButton& yes = Button(*form, "Yes");
  TButton& no = Button(*form, "No");
  EXPECT_EQ(yes.Left(), (form->ClientWidth() - row) / 2);
  EXPECT_EQ(no.Left(), yes.Left() + kButtonW + kGap);
  EXPECT_EQ(yes.Top(), 32 + kMarginY + kSpacingY);
  EXPECT_TRUE(yes.Default());
  EXPECT_FALSE(yes.Cancel());
  EXPECT_TRUE(no.Cancel());
  EXPECT_FALSE(no.Default());
  EXPECT_EQ(form->Buttons(), (std::vector<TButton*>{&yes, &no}));
}

TEST_F(MessageDialogTest, DefaultAndCancelButtonsByPreference) {
  struct Case {
    TMsgDlgButtons buttons;
    const char* defaultButton;
    const char* cancelButton;
  };
  for (const Case& c : {Case{mbYesNoCancel, "Yes", "Cancel"}, Case{mbOKCancel, "OK", "Cancel"},
                        Case{mbAbortRetryIgnore, "Retry", nullptr},
                        Case{MsgDlgButtons({mbAll, mbIgnore}), nullptr, nullptr}}) {
    auto form = CreateMessageDialog("text", mtWarning, c.buttons);
    TButton* d = form->DefaultButton();
    TButton* x = form->CancelButton();
    EXPECT_EQ(d ? d->Name() : "", c.defaultButton ? c.defaultButton : "");
    EXPECT_EQ(x ? x->Name() : "", c.cancelButton ? c.cancelButton : "");
  }
}

TEST_F(MessageDialogTest, ButtonsComeInIndexOrderWithTheirTextsAndResults) {
  auto form = CreateMessageDialog("x", mtError, mbYesAllNoAllCancel);
  std::vector<std::string> names;
  for (TButton* b : form->Buttons()) names.push_back(b->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Yes", "No", "Cancel", "NoToAll", "YesToAll"}));
  EXPECT_EQ(Button(*form, "NoToAll").Caption(), "No to All");
  EXPECT_EQ(Button(*form, "NoToAll").ModalResult(), mrNoToAll);
  EXPECT_EQ(Button(*form, "YesToAll").ModalResult(), mrYesToAll);
  EXPECT_EQ(form->Caption(), "Error");
  EXPECT_EQ(dynamic_cast<TImage&>(*form->FindComponent("Image")).Icon(), IDI_HAND);
}

TEST_F(MessageDialogTest, TranslatedTextsReplaceTheEnglishOnes) {
  TMsgDlgTexts texts = DefaultMsgDlgTexts();
  texts.Captions[mtWarning] = "Warnung";
  texts.Buttons[mbYes] = "Ja";
  auto form = CreateMessageDialog("x", mtWarning, MsgDlgButtons({mbYes}), texts);
  EXPECT_EQ(form->Caption(), "Warnung");
  EXPECT_EQ(Button(*form, "Yes").Caption(), "Ja");
}

TEST_F(MessageDialogTest, AMessageWiderThanHalfTheScreenWraps) {
  std::string message;
  for (int i = 0; i < 30; ++i) message += "word ";
  auto form = CreateMessageDialog(message, mtInformation, mbOKOnly);
  const TControl& label = *form->FindComponent("Message");
  EXPECT_LE(label.Width(), 320);
  EXPECT_GT(label.Height(), kCellHeight);
  EXPECT_EQ(form->ClientWidth(), label.Width() + 32 + kSpacingX + 2 * kMarginX);
}

TEST_F(MessageDialogTest, HelpShowsTheHelpContextWithoutClosing) {
  TScriptPresenter presenter("expect message 'Help me'; click Help; expect Help focused; answer 1");
  TPresenterScope scope(presenter);
  std::vector<int> topics;
  Application().OnHelp = [&](int context) { topics.push_back(context); };
  EXPECT_EQ(MessageDlg("Help me", mtWarning, MsgDlgButtons({mbOK, mbHelp}), 4711), mrOk);
  Application().OnHelp = nullptr;
  EXPECT_EQ(presenter.Verify(), "");
  EXPECT_EQ(topics, std::vector<int>{4711});
}

TEST_F(MessageDialogTest, MessageDlgPosPlacesTheEdgesThatAreGiven) {
  int left = 0, top = 0;
  TRecordingPresenter where;
  where.user = [&](TForm& form) {
    left = form.Left();
    top = form.Top();
    form.SetModalResult(mrOk);
  };
  TPresenterScope scope(where);
  auto centred = CreateMessageDialog("x", mtWarning, mbOKOnly);
  EXPECT_EQ(MessageDlgPos("x", mtWarning, mbOKOnly, 0, 5, -1), mrOk);
  EXPECT_EQ(left, 5);
  EXPECT_EQ(top, centred->Top());
  MessageDlgPos("x", mtWarning, mbOKOnly, 0, -1, 0);
  EXPECT_EQ(left, centred->Left());
  EXPECT_EQ(top, 0);
}

TEST(DecliningTest, TheDecliningAnswerNeverRetriesNorIgnores) {
  EXPECT_EQ(DecliningAnswer(MessageBoxAnswers(MB_OK)), IDOK);
  EXPECT_EQ(DecliningAnswer(MessageBoxAnswers(MB_OKCANCEL)), IDCANCEL);
  EXPECT_EQ(DecliningAnswer(MessageBoxAnswers(MB_ABORTRETRYIGNORE)), IDABORT);
  EXPECT_EQ(DecliningAnswer(MessageBoxAnswers(MB_YESNOCANCEL)), IDCANCEL);
  EXPECT_EQ(DecliningAnswer(MessageBoxAnswers(MB_YESNO | MB_ICONQUESTION)), IDNO);
  EXPECT_EQ(DecliningAnswer(MessageBoxAnswers(MB_RETRYCANCEL)), IDCANCEL);
  EXPECT_EQ(DecliningAnswer(MessageBoxAnswers(MB_CANCELTRYCONTINUE)), IDCANCEL);
  EXPECT_EQ(DecliningAnswer({IDRETRY, IDIGNORE}), IDRETRY);
  EXPECT_EQ(DecliningAnswer({}), 0);
  EXPECT_TRUE(MessageBoxAnswers(7).empty());

  TForm plain;
  EXPECT_EQ(DecliningResult(plain), mrCancel);
  EXPECT_EQ(DecliningResult(*CreateMessageDialog("x", mtWarning, mbAbortIgnore)), mrAbort);
  EXPECT_EQ(DecliningResult(*CreateMessageDialog("x", mtWarning, MsgDlgButtons({mbYes, mbNo}))),
            mrNo);
  EXPECT_EQ(DecliningResult(*CreateMessageDialog("x", mtWarning, MsgDlgButtons({mbHelp}))),
            mrCancel);
}

TEST(MessageBoxTest, AnInvalidButtonTypeShowsNothingAndAnswersZero) {
  TScriptPresenter presenter("");
  TPresenterScope scope(presenter);
  EXPECT_EQ(MessageBox("text", "caption", 7), 0);
  EXPECT_EQ(MessageBox("text", "caption", MB_ICONQUESTION | 0xF), 0);
  EXPECT_EQ(presenter.Verify(), "");  // the presenter saw nothing
}

}  // namespace
