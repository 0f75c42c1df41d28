#include "platform/ui/NonInteractivePresenter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/ui/Form.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageDialog.h"
#include "platform/ui/StdCtrls.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class NonInteractivePresenterTest : public ::testing::Test {
 protected:
  NonInteractivePresenterTest()
      : presenter([this](const std::string& entry) { log.push_back(entry); }), scope(presenter) {}
  std::vector<std::string> log;
  TNonInteractivePresenter presenter;
  TPresenterScope scope;
};

TEST_F(NonInteractivePresenterTest, FormsCloseWithCancelAndAreLogged) {
  TForm form;
  form.SetCaption("Add Server...");
  TButton& ok = form.Add<TButton>("OKBtn");
  ok.SetModalResult(mrOk);
  ok.SetDefault(true);
  EXPECT_EQ(form.ShowModal(), mrCancel);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_THAT(log[0], HasSubstr("form 'Add Server...'"));
  EXPECT_THAT(log[0], HasSubstr("OKBtn: TButton '' default modal result 1"));
  EXPECT_THAT(log[0], HasSubstr("answered 2"));
}

TEST_F(NonInteractivePresenterTest, MessagesGetTheDecliningAnswer) {
  EXPECT_EQ(MessageBox("Fix?", "Check", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBox("Retry?", "", MB_ABORTRETRYIGNORE), IDABORT);
  EXPECT_EQ(MessageBox("Done.", "", MB_OK | MB_ICONINFORMATION), IDOK);
  EXPECT_EQ(MessageDlg("Delete?", mtConfirmation, MsgDlgButtons({mbYes, mbNo}), 0), mrNo);
  ASSERT_EQ(log.size(), 4u);
  EXPECT_THAT(log[0], HasSubstr("message box 'Check': 'Fix?'"));
  EXPECT_THAT(log[0], HasSubstr("answered 2"));
  EXPECT_THAT(log[3], HasSubstr("Message: TLabel 'Delete?'"));
}

TEST_F(NonInteractivePresenterTest, TheFolderBrowserIsCancelled) {
  EXPECT_EQ(BrowseForFolder("Select directory", "/"), std::nullopt);
  EXPECT_THAT(log, ElementsAre(HasSubstr("folder browser 'Select directory' at '/'")));
}

TEST(DefaultPresenterTest, WithoutAnInstalledPresenterNothingWaitsForAUser) {
  ASSERT_EQ(SetModalPresenter(nullptr), nullptr);
  EXPECT_NE(dynamic_cast<TNonInteractivePresenter*>(&ModalPresenter()), nullptr);
  TForm form;
  EXPECT_EQ(form.ShowModal(), mrCancel);
  EXPECT_EQ(MessageBox("text", "", MB_OKCANCEL), IDCANCEL);
}

}  // namespace
