#include "platform/ui/ScriptPresenter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/text/Locale.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageDialog.h"
#include "platform/ui/StdCtrls.h"

using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

// A name-entry form built as the module's dialogs are: OK is enabled only
// for a new, non-empty name; an access group of three radio buttons.
class NameDialog : public TForm {
 public:
  explicit NameDialog(std::vector<std::string> known) : known_(std::move(known)) {
    SetCaption("Add Server...");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(239);
    SetClientHeight(150);
    auto& buttons = Add<TPanel>("ModalBtnPanel");
    buttons.SetHeight(28);
    buttons.SetAlign(alBottom);
    buttons.SetBevelOuter(bvNone);
    auto& panel = Add<TPanel>("ServerPanel");
    panel.SetAlign(alClient);
    panel.SetBevelOuter(bvNone);
    panel.SetTabOrder(0);
    auto& label = Add<TLabel>(panel, "NameLabel");
    label.SetCaption("Name:");
    label.SetBounds(4, 3, 0, 0);
    NameEdit = &Add<TEdit>(panel, "NameEdit");
    NameEdit->SetBounds(4, 18, 231, 21);
    NameEdit->OnChange = [this](TControl&) { NameChanged(); };
    label.SetFocusControl(NameEdit);
    auto& access = Add<TGroupBox>(panel, "AccessGroupBox");
    access.SetCaption("Access");
    access.SetBounds(4, 44, 231, 70);
    for (const char* name : {"PrivateRadioButton", "PublicRadioButton"}) {
      Radios.push_back(&Add<TRadioButton>(access, name));
    }
    Radios.back()->SetChecked(true);
    OKBtn = &Add<TButton>(buttons, "OKBtn");
    OKBtn->SetCaption("OK");
    OKBtn->SetDefault(true);
    OKBtn->SetEnabled(false);
    OKBtn->SetModalResult(mrOk);
    auto& cancel = Add<TButton>(buttons, "CancelBtn");
    cancel.SetCaption("Cancel");
    cancel.SetCancel(true);
    cancel.SetModalResult(mrCancel);
  }

  void NameChanged() {
    NewName = NameEdit->Text();
    const bool known = std::any_of(known_.begin(), known_.end(),
                                   [this](const std::string& k) { return SameText(k, NewName); });
    OKBtn->SetEnabled(!NewName.empty() && !known);
  }

  TEdit* NameEdit;
  TButton* OKBtn;
  std::vector<TRadioButton*> Radios;
  std::string NewName;

 private:
  std::vector<std::string> known_;
};

// A chain of two drop-down lists: picking a workstation lists its servers.
class ChainDialog : public TForm {
 public:
  ChainDialog() {
    SetCaption("Load database into server...");
    Computers = &Add<TComboBox>("ComputerComboBox");
    Computers->SetStyle(csDropDownList);
    Computers->OnChange = [this](TControl&) { ComputerChanged(); };
    Servers = &Add<TComboBox>("ServerComboBox");
    Servers->SetStyle(csDropDownList);
    Servers->OnChange = [this](TControl&) { EnableControls(); };
    OKBtn = &Add<TButton>("OKBtn");
    OKBtn->SetModalResult(mrOk);
    OKBtn->SetEnabled(false);
    for (auto& [computer, servers] : tree) Computers->Items().Add(computer, &servers);
    Computers->SetItemIndex(0);  // by code: no event
  }

  void ComputerChanged() {
    ++refills;
    auto* servers =
        Computers->Items().Objects(Computers->ItemIndex()).As<std::vector<std::string>>();
    Servers->Items().BeginUpdate();
    Servers->Clear();
    for (const std::string& s : *servers) {
      Servers->Items().Add(s);
      Servers->SetItemIndex(0);
    }
    Servers->Items().EndUpdate();
    EnableControls();
  }
  void EnableControls() {
    OKBtn->SetEnabled(Computers->ItemIndex() >= 0 && Servers->ItemIndex() >= 0);
  }

  std::vector<std::pair<std::string, std::vector<std::string>>> tree = {{"WS1", {"Demo", "Test"}},
                                                                        {"WS2", {}}};
  TComboBox* Computers;
  TComboBox* Servers;
  TButton* OKBtn;
  int refills = 0;
};

class ScriptPresenterTest : public ::testing::Test {
 protected:
  void Run(std::string_view script) {
    scope.reset();
    presenter = std::make_unique<TScriptPresenter>(script);
    scope = std::make_unique<TPresenterScope>(*presenter);
  }
  std::string Failures() const {
    std::string all;
    for (const std::string& f : presenter->Failures()) all += f + "\n";
    return all;
  }
  std::unique_ptr<TScriptPresenter> presenter;
  std::unique_ptr<TPresenterScope> scope;
};

TEST_F(ScriptPresenterTest, OkIsEnabledOnlyWhileTheRuleHolds) {
  Run(R"(
    expect form with caption 'Add Server...'
    expect OKBtn disabled
    expect NameEdit focused
    set NameEdit to 'demo'          # known in other case
    expect OKBtn disabled
    set NameEdit to '   '
    expect OKBtn enabled
    set NameEdit to ''
    expect OKBtn disabled
    set NameEdit to "New One"; expect NameEdit text 'New One'
    click OKBtn
  )");
  NameDialog dialog({"Demo", "Test"});
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(presenter->Verify(), "");
  EXPECT_EQ(dialog.NewName, "New One");
}

TEST_F(ScriptPresenterTest, RadioButtonsOfOneGroupAreExclusive) {
  Run("expect form 'Add Server...'; check PrivateRadioButton; expect PublicRadioButton unchecked;"
      "expect PrivateRadioButton checked; click PublicRadioButton; expect PrivateRadioButton "
      "unchecked; press escape");
  NameDialog dialog({});
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_EQ(presenter->Verify(), "");
  EXPECT_TRUE(dialog.Radios[1]->Checked());
}

TEST_F(ScriptPresenterTest, EnterClicksTheDefaultButtonOnlyWhenItIsEnabled) {
  Run("expect form 'Add Server...'; press enter");
  NameDialog dialog({});
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_THAT(Failures(), HasSubstr("\"press enter\": OKBtn is disabled"));

  Run("expect form 'Add Server...'; set NameEdit to x; press tab; expect PublicRadioButton "
      "focused; press shift-tab; press shift-tab; expect CancelBtn focused;"
      "press enter");  // the focused button answers Enter
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_EQ(presenter->Verify(), "");

  Run("expect form 'Add Server...'; set NameEdit to x; press enter");
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(presenter->Verify(), "");
}

TEST_F(ScriptPresenterTest, AnActionOnADisabledControlFailsWithTheFormDescribed) {
  Run("expect form 'Add Server...'; click OKBtn; set NameEdit to never");
  NameDialog dialog({});
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  ASSERT_EQ(presenter->Failures().size(), 1u);
  const std::string& failure = presenter->Failures()[0];
  EXPECT_THAT(failure, HasSubstr("line 1 \"click OKBtn\": OKBtn is disabled"));
  EXPECT_THAT(failure, HasSubstr("form 'Add Server...' (TForm)"));
  EXPECT_THAT(failure, HasSubstr("    NameEdit: TEdit text '' focused\n"));
  EXPECT_THAT(failure, HasSubstr("    OKBtn: TButton 'OK' default modal result 1 disabled\n"));
  EXPECT_EQ(dialog.NameEdit->Text(), "");  // the rest of the form's actions is skipped
}

TEST_F(ScriptPresenterTest, UnknownControlsAndWrongKindsOfControlFail) {
  NameDialog dialog({});
  for (const char* action :
       {"click NoSuchBtn", "check OKBtn", "select NameEdit 0", "set OKBtn to x", "click NameLabel",
        "select OKBtn 'x'", "choose '/tmp'", "expect NameEdit checked"}) {
    Run(std::string("expect form 'Add Server...'; ") + action);
    EXPECT_EQ(dialog.ShowModal(), mrCancel) << action;
    EXPECT_EQ(presenter->Failures().size(), 1u) << action;
  }
  EXPECT_THAT(Failures(), HasSubstr("is not a radio button"));
}

TEST_F(ScriptPresenterTest, FocusingALabelFocusesItsFocusControl) {
  Run("expect form 'Add Server...'; focus CancelBtn; focus NameLabel; expect NameEdit focused;"
      "close");
  NameDialog dialog({});
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_EQ(presenter->Verify(), "");
}

TEST_F(ScriptPresenterTest, AFailedCheckIsReportedAndTheScriptGoesOn) {
  Run("expect form 'Add Server...'; expect OKBtn enabled; expect NameEdit text 'x'; close");
  NameDialog dialog({});
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  ASSERT_EQ(presenter->Failures().size(), 2u);
  EXPECT_THAT(presenter->Failures()[0], HasSubstr("OKBtn is disabled"));
  EXPECT_THAT(presenter->Failures()[1], HasSubstr("NameEdit is text ''"));
}

TEST_F(ScriptPresenterTest, AnUnexpectedFormFailsWithItsCaptionAndControls) {
  Run("expect form 'Create Scenario'; close");
  NameDialog dialog({});
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  const std::string report = presenter->Verify();
  EXPECT_THAT(report, HasSubstr("unexpected form 'Add Server...'"));
  EXPECT_THAT(report, HasSubstr("NameLabel: TLabel 'Name:' for NameEdit"));
  EXPECT_THAT(report, HasSubstr("the script expects line 1 \"expect form 'Create Scenario'\""));
  EXPECT_THAT(report, HasSubstr("not reached: line 1"));

  Run("");
  dialog.ShowModal();
  EXPECT_THAT(presenter->Verify(), HasSubstr("the script has ended"));
}

TEST_F(ScriptPresenterTest, AFormLeftOpenWhenItsActionsRunOutFails) {
  Run("expect form 'Add Server...'; set NameEdit to x\nexpect form 'Next'");
  NameDialog dialog({});
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_THAT(Failures(), HasSubstr("form 'Add Server...' left open: the script expects line 2"));
  EXPECT_THAT(presenter->Verify(), HasSubstr("not reached: line 2 \"expect form 'Next'\""));
}

TEST_F(ScriptPresenterTest, ComboBoxEventsComeOnlyFromTheUser) {
  Run("expect form 'Load database into server...'; expect ServerComboBox items 0;"
      "select ComputerComboBox 'ws1'; expect ServerComboBox items 2;"
      "expect ServerComboBox text Demo; expect OKBtn enabled;"
      "select item 1 of ComputerComboBox; expect ServerComboBox items 0; expect OKBtn disabled;"
      "select ComputerComboBox 0; select ServerComboBox 1; answer mrOk");
  ChainDialog dialog;
  EXPECT_EQ(dialog.refills, 0);  // the preselection by code ran no handler
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(presenter->Verify(), "");
  EXPECT_EQ(dialog.refills, 3);
  EXPECT_EQ(dialog.Servers->Text(), "Test");
}

TEST_F(ScriptPresenterTest, ComboBoxSelectionsOutsideTheItemsFail) {
  ChainDialog dialog;
  const std::pair<const char*, const char*> cases[] = {
      {"select ComputerComboBox 2", "ComputerComboBox has no item 2 (2 items)"},
      {"select ComputerComboBox 'WS3'", "ComputerComboBox has no item 'WS3'"},
      {"set ComputerComboBox to WS2", "ComputerComboBox is a drop-down list"}};
  for (const auto& [action, reason] : cases) {
    Run(std::string("expect form 'Load database into server...'; ") + action);
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_EQ(presenter->Failures().size(), 1u) << action;
    EXPECT_THAT(Failures(), HasSubstr(reason));
  }
}

TEST_F(ScriptPresenterTest, MessageBoxesTakeTheScriptedAnswer) {
  Run("expect message box containing 'fix errors'; answer IDNO\n"
      "expect message; answer 2");
  EXPECT_EQ(MessageBox("Do you want to automatically fix errors?", "", MB_YESNOCANCEL), IDNO);
  EXPECT_EQ(MessageBox("anything", "", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
  EXPECT_EQ(presenter->Verify(), "");
}

TEST_F(ScriptPresenterTest, MessageBoxMismatchesGetTheDecliningAnswer) {
  Run("expect message box containing 'other'; answer IDYES");
  EXPECT_EQ(MessageBox("Unable to establish connection with server.", "", MB_YESNO), IDNO);
  EXPECT_THAT(Failures(),
              HasSubstr("unexpected message box '': 'Unable to establish connection with "
                        "server.' (answers 6, 7)"));

  Run("expect message; answer IDOK");
  EXPECT_EQ(MessageBox("Retry?", "Caption", MB_ABORTRETRYIGNORE), IDABORT);
  EXPECT_THAT(Failures(), HasSubstr("cannot answer 1"));

  Run("expect message");
  EXPECT_EQ(MessageBox("text", "", MB_OK), IDOK);
  EXPECT_THAT(Failures(), HasSubstr("got no answer"));
}

TEST_F(ScriptPresenterTest, AHandlerMayOpenAMessageBoxInTheMiddleOfAForm) {
  Run("expect form 'Add Server...'; set NameEdit to x; click OKBtn;"
      "expect message containing 'Really'; answer IDNO;"  // keeps the form open
      "expect NameEdit text x; click OKBtn; expect message 'Really'; answer IDYES");
  NameDialog dialog({});
  dialog.OKBtn->OnClick = [&](TControl&) {
    if (MessageBox("Really add x?", "Confirm", MB_YESNO) != IDYES) dialog.SetModalResult(mrNone);
  };
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(presenter->Verify(), "");
}

TEST_F(ScriptPresenterTest, ExceptionsInHandlersAreShownAsTheEventLoopShowsThem) {
  Run("expect form 'Add Server...'; set NameEdit to x; click OKBtn;"
      "expect message containing 'Server name refused.'; answer IDOK; click OKBtn; close");
  NameDialog dialog({});
  int clicks = 0;
  dialog.OKBtn->OnClick = [&](TControl&) {
    dialog.SetModalResult(mrNone);
    if (++clicks == 1) throw Exception("Server name refused");
    throw EAbort("silent");
  };
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_EQ(presenter->Verify(), "");
  EXPECT_EQ(clicks, 2);
}

TEST_F(ScriptPresenterTest, MessageDialogsAreAnsweredByTheirButtons) {
  Run("expect message containing 'Delete'; answer mrNo\n"
      "expect form Confirmation; click Yes\n"
      "expect message 'gone'; answer IDOK");
  EXPECT_EQ(MessageDlg("Delete the server?", mtConfirmation, mbYesNoCancel, 0), mrNo);
  EXPECT_EQ(MessageDlg("Delete the server?", mtConfirmation, mbYesNoCancel, 0), mrYes);
  ShowMessage("gone");
  EXPECT_EQ(presenter->Verify(), "");

  Run("expect message; answer mrRetry");
  EXPECT_EQ(MessageDlg("Delete?", mtWarning, mbYesNoCancel, 0), mrCancel);
  EXPECT_THAT(Failures(), HasSubstr("no button answering 4"));
}

TEST_F(ScriptPresenterTest, ACaptionReadsWithoutItsHotkeyMark) {
  Run("expect message 'Delete?'; expect Yes text 'Ja'; expect No text 'Nein & Ende'; click No");
  TMsgDlgTexts texts = DefaultMsgDlgTexts();
  texts.Buttons[mbYes] = "&Ja";
  texts.Buttons[mbNo] = "&Nein && Ende";
  auto form = CreateMessageDialog("Delete?", mtConfirmation, MsgDlgButtons({mbYes, mbNo}), texts);
  EXPECT_EQ(form->ShowModal(), mrNo);
  EXPECT_EQ(presenter->Verify(), "");
}

TEST_F(ScriptPresenterTest, TheFolderBrowserAnswersAPathOrCancel) {
  Run("expect folder browser with caption 'Select directory'; choose '/data/dumps'\n"
      "expect folder; cancel\n"
      "expect folder browser 'Other'; choose /x");
  EXPECT_EQ(BrowseForFolder("Select directory", "/"), "/data/dumps");
  EXPECT_EQ(BrowseForFolder("Select directory", "/"), std::nullopt);
  EXPECT_EQ(BrowseForFolder("Select directory", "/"), std::nullopt);
  EXPECT_THAT(Failures(), HasSubstr("unexpected folder browser 'Select directory' at '/'"));
}

TEST_F(ScriptPresenterTest, UnexpectedMessageBoxesAndBrowsersFail) {
  Run("");
  EXPECT_EQ(MessageBox("Saved.", "Info", MB_OK), IDOK);
  EXPECT_EQ(BrowseForFolder("Pick", "/"), std::nullopt);
  EXPECT_EQ(presenter->Failures().size(), 2u);
  EXPECT_THAT(presenter->Verify(), HasSubstr("unexpected message box 'Info': 'Saved.'"));
}

TEST(ScriptParserTest, MalformedStatementsNameTheirLine) {
  for (const char* script :
       {"hover OKBtn", "set NameEdit 'x'", "select item x of Box", "press space", "answer IDMAYBE",
        "expect OKBtn pink", "expect form", "click", "close now", "set E to 'unterminated",
        "expect Box items many", "set E to 'a' b", "select Box 99999999999"}) {
    try {
      ParseScript(std::string("close\n") + script);
      ADD_FAILURE() << script;
    } catch (const EScriptError& e) {
      EXPECT_THAT(e.Message(), HasSubstr("line 2")) << script;
    }
  }
}

TEST(ScriptParserTest, TextsAndKeywords) {
  const auto s = ParseScript(
      "SET Edit TO 'it''s'; Expect Form With Caption Add Server...\n\n# a comment\n"
      "select Box '12'; select Box 12; expect message box containing \"a; b\"; answer mrYesToAll");
  ASSERT_EQ(s.size(), 6u);
  EXPECT_EQ(s[0].kind, ScriptStatement::SetText);
  EXPECT_EQ(s[0].text, "it's");
  EXPECT_EQ(s[1].kind, ScriptStatement::ExpectForm);
  EXPECT_EQ(s[1].text, "Add Server...");
  EXPECT_EQ(s[2].kind, ScriptStatement::SelectText);
  EXPECT_EQ(s[2].line, 4);
  EXPECT_EQ(s[3].kind, ScriptStatement::SelectIndex);
  EXPECT_EQ(s[3].number, 12);
  EXPECT_EQ(s[4].text, "a; b");
  EXPECT_EQ(s[5].number, mrYesToAll);
}

}  // namespace
