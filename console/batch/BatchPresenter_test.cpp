#include "console/batch/BatchPresenter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/ComboBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageDialog.h"
#include "platform/ui/StdCtrls.h"

namespace {

// A form with an edit, a drop-down list, two radio buttons and OK/Cancel.
struct TTestForm {
  TForm form;
  TEdit& edit = form.Add<TEdit>("NameEdit");
  TComboBox& combo = form.Add<TComboBox>("KindCombo");
  TRadioButton& left = form.Add<TRadioButton>("LeftRadio");
  TRadioButton& right = form.Add<TRadioButton>("RightRadio");
  TButton& ok = form.Add<TButton>("OKBtn");
  TButton& cancel = form.Add<TButton>("CancelBtn");

  TTestForm() {
    form.SetCaption("Entry");
    form.SetBounds(0, 0, 300, 200);
    edit.SetBounds(0, 0, 100, 20);
    combo.SetBounds(0, 20, 100, 20);
    combo.SetStyle(csDropDownList);
    combo.Items().Add("alpha");
    combo.Items().Add("beta");
    left.SetBounds(0, 40, 100, 20);
    right.SetBounds(0, 60, 100, 20);
    left.SetChecked(true);
    ok.SetBounds(0, 80, 50, 20);
    ok.SetModalResult(mrOk);
    cancel.SetBounds(60, 80, 50, 20);
    cancel.SetModalResult(mrCancel);
  }
};

TEST(BatchPresenterTest, AnswersAFormByItsCaptionAndPrintsTheResult) {
  std::ostringstream out;
  TBatchPresenter presenter(out);
  TPresenterScope scope(presenter);
  presenter.QueueForm("Other", {{TFormAction::Click, "OKBtn", ""}});
  presenter.QueueForm("Entry", {{TFormAction::Set, "NameEdit", "demo"},
                                {TFormAction::Pick, "KindCombo", "beta"},
                                {TFormAction::Check, "RightRadio", ""},
                                {TFormAction::Click, "OKBtn", ""}});
  TTestForm entry;
  EXPECT_EQ(entry.form.ShowModal(), mrOk);
  EXPECT_EQ(entry.edit.Text(), "demo");
  EXPECT_EQ(entry.combo.Text(), "beta");
  EXPECT_TRUE(entry.right.Checked());
  EXPECT_EQ(out.str(), "form: Entry -> OK\n");
  EXPECT_EQ(presenter.TakeFailure(), "");

  TTestForm unanswered;
  EXPECT_EQ(unanswered.form.ShowModal(), mrCancel);
  TTestForm leftOpen;
  presenter.QueueForm("Entry", {{TFormAction::Set, "NameEdit", "x"}});
  EXPECT_EQ(leftOpen.form.ShowModal(), mrCancel);
  EXPECT_EQ(out.str(),
            "form: Entry -> OK\nform: Entry -> Cancel (not answered)\n"
            "form: Entry -> Cancel (left open)\n");
  EXPECT_EQ(presenter.TakeFailure(), "");
}

TEST(BatchPresenterTest, AnActionThatCannotBeDoneFailsAndCancels) {
  std::ostringstream out;
  TBatchPresenter presenter(out);
  TPresenterScope scope(presenter);
  presenter.QueueForm("Entry",
                      {{TFormAction::Check, "NameEdit", ""}, {TFormAction::Click, "OKBtn", ""}});
  TTestForm entry;
  EXPECT_EQ(entry.form.ShowModal(), mrCancel);
  EXPECT_EQ(presenter.TakeFailure(), "form \"Entry\": NameEdit is not a radio button");
  presenter.QueueForm("Entry", {{TFormAction::Pick, "KindCombo", "gamma"}});
  TTestForm again;
  again.form.ShowModal();
  EXPECT_NE(presenter.TakeFailure(), "");
  EXPECT_EQ(presenter.TakeFailure(), "");
}

TEST(BatchPresenterTest, AnAnswerAMessageCannotGiveIsNamedAsAMessageBoxNamesIt) {
  std::ostringstream out;
  TBatchPresenter presenter(out);
  TPresenterScope scope(presenter);
  // Beyond No the answers' numbers mean other modal results (8 is All).
  for (const auto& [answer, name] : std::vector<std::pair<int, std::string>>{
           {IDCLOSE, "Close"}, {IDTRYAGAIN, "Try Again"}, {IDOK, "OK"}}) {
    presenter.QueueMessage("later", answer);
    EXPECT_EQ(MessageBox("Retry later?", "", MB_YESNO), IDNO);
    EXPECT_EQ(presenter.TakeFailure(), "message \"Retry later?\" offers no answer " + name);
  }
}

TEST(BatchPresenterTest, AnswersMessagesByTheirTextOrDeclines) {
  std::ostringstream out;
  TBatchPresenter presenter(out);
  TPresenterScope scope(presenter);
  presenter.QueueMessage("fix", IDYES);
  EXPECT_EQ(MessageBox("Unrelated", "Box", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBox("Do you want to fix\nerrors?", "Check", MB_YESNOCANCEL), IDYES);
  presenter.QueueMessage("Gone", IDYES);
  EXPECT_EQ(MessageBox("Gone", "", MB_OK), IDOK);
  EXPECT_EQ(presenter.TakeFailure(), "message \"Gone\" offers no answer Yes");
  presenter.QueueMessage("dialog", IDNO);
  EXPECT_EQ(MessageDlg("A dialog text", mtConfirmation, mbYesNoCancel, 0), mrNo);
  EXPECT_EQ(MessageDlg("Another dialog", mtConfirmation, mbYesNoCancel, 0), mrCancel);
  EXPECT_EQ(out.str(),
            "message: Box: Unrelated\nmessage: Check: Do you want to fix\\nerrors?\n"
            "message: : Gone\nmessage: Confirmation: A dialog text\n"
            "message: Confirmation: Another dialog\n");
}

TEST(BatchPresenterTest, AnswersFolderBrowsersInTurn) {
  std::ostringstream out;
  TBatchPresenter presenter(out);
  TPresenterScope scope(presenter);
  presenter.QueueFolder("/data/dumps");
  presenter.QueueFolder(std::nullopt);
  EXPECT_EQ(BrowseForFolder("Select directory", "/"), "/data/dumps");
  EXPECT_EQ(BrowseForFolder("Select directory", "/"), std::nullopt);
  EXPECT_EQ(BrowseForFolder("Select directory", "/"), std::nullopt);
  EXPECT_EQ(out.str(),
            "folder: Select directory -> /data/dumps\nfolder: Select directory -> cancelled\n"
            "folder: Select directory -> cancelled (not answered)\n");
}

}  // namespace
