#include "dialogs/KRNewX_DLG.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "dialogs/KRDialogTestSupport.h"
#include "dialogs/KRNewComputer_DLG.h"
#include "dialogs/KRNewEmptyDatabase_DLG.h"
#include "dialogs/KRNewScenario_DLG.h"
#include "dialogs/KRNewServer_DLG.h"

namespace {

struct NameFormCase {
  const char* name;
  std::function<std::unique_ptr<TKRNewXDlg>()> make;
  const char* caption;
  const char* label;
  TRect client;   // 0, 0, client width, client height
  int nameWidth;  // of NameEdit once the form has its size
  int okLeft;     // Cancel sits 80 pixels further right
};

template <class T>
std::unique_ptr<TKRNewXDlg> Make() {
  return std::make_unique<T>();
}

const NameFormCase kNameForms[] = {
    {"Base", Make<TKRNewXDlg>, "New Server Dialog", "Name:", {0, 0, 239, 84}, 231, 80},
    {"Server", Make<TKRNewServerDlg>, "Add Server...", "Name:", {0, 0, 229, 85}, 221, 70},
    {"Computer",
     Make<TKRNewComputerDlg>,
     "Add Workstation...",
     "Workstation Name:",
     {0, 0, 239, 84},
     231,
     80},
    {"EmptyDatabase",
     Make<TKRNewEmptyDatabaseDlg>,
     "Create Empty Database...",
     "Database Name:",
     {0, 0, 239, 84},
     231,
     80},
    {"Scenario",
     Make<TKRNewScenarioDlg>,
     "Create Scenario",
     "Scenario Name:",
     {0, 0, 296, 244},
     289,
     137},
};

void PrintTo(const NameFormCase& c, std::ostream* os) { *os << c.name; }

class NameForms : public ::testing::TestWithParam<NameFormCase> {};

// The panels follow the form's client size: the button panel keeps its
// height at the bottom, the name panel takes the rest, and the name edit
// stretches with it.
TEST_P(NameForms, TextsButtonsAndLayout) {
  const NameFormCase& c = GetParam();
  std::unique_ptr<TKRNewXDlg> form = c.make();
  EXPECT_EQ(form->Caption(), c.caption);
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_EQ(form->Position(), poScreenCenter);
  EXPECT_EQ(form->ClientRect(), c.client);

  const auto& serverPanel = ControlOf<TPanel>(*form, "ServerPanel");
  const auto& buttonPanel = ControlOf<TPanel>(*form, "ModalBtnPanel");
  const int width = c.client.Right, height = c.client.Bottom;
  EXPECT_EQ(serverPanel.BoundsRect(), (TRect{0, 0, width, height - 28}));
  EXPECT_EQ(buttonPanel.BoundsRect(), (TRect{0, height - 28, width, height}));
  EXPECT_EQ(serverPanel.BevelOuter(), bvNone);
  EXPECT_EQ(buttonPanel.BevelOuter(), bvNone);

  auto& label = ControlOf<TKRLabel>(*form, "NameLabel");
  auto& edit = ControlOf<TEdit>(*form, "NameEdit");
  EXPECT_EQ(label.Caption(), c.label);
  EXPECT_EQ(label.FocusControl(), &edit);
  EXPECT_EQ(label.Parent(), &serverPanel);
  EXPECT_EQ(label.Left(), 4);
  EXPECT_EQ(label.Top(), 3);
  EXPECT_EQ(edit.BoundsRect(), (TRect{4, 18, 4 + c.nameWidth, 18 + 21}));
  EXPECT_EQ(edit.Anchors(), akLeft | akTop | akRight);

  auto& ok = ControlOf<TButton>(*form, "OKBtn");
  auto& cancel = ControlOf<TButton>(*form, "CancelBtn");
  EXPECT_EQ(ok.Caption(), "OK");
  EXPECT_EQ(cancel.Caption(), "Cancel");
  EXPECT_EQ(ok.BoundsRect(), (TRect{c.okLeft, 3, c.okLeft + 75, 28}));
  EXPECT_EQ(cancel.BoundsRect(), (TRect{c.okLeft + 80, 3, c.okLeft + 155, 28}));
  EXPECT_FALSE(ok.Enabled());
  EXPECT_EQ(form->DefaultButton(), &ok);
  EXPECT_EQ(form->CancelButton(), &cancel);
  EXPECT_EQ(ok.ModalResult(), mrOk);
  EXPECT_EQ(cancel.ModalResult(), mrCancel);

  EXPECT_EQ(form->NewName(), "");
  EXPECT_EQ(form->KnownNames(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, NameForms, ::testing::ValuesIn(kNameForms),
                         [](const auto& info) { return std::string(info.param.name); });

// The base rule, shared by the workstation and empty-database forms.
TEST(NewNameRule, WithoutKnownNamesAnyNonEmptyNameIsAccepted) {
  TKRNewEmptyDatabaseDlg form;
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Create Empty Database...'
    expect NameEdit focused; expect OKBtn disabled
    set NameEdit to x;   expect OKBtn enabled
    set NameEdit to '';  expect OKBtn disabled
    set NameEdit to ' '; expect OKBtn enabled
    click OKBtn)"),
            mrOk);
  EXPECT_EQ(form.NewName(), " ");  // blanks are a name of their own
}

TEST(NewNameRule, AKnownNameInAnyCaseKeepsOkDisabled) {
  const std::vector<std::string> known = {"PC7", "Øresund"};
  TKRNewComputerDlg form;
  form.SetKnownNames(&known);
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Add Workstation...'
    set NameEdit to pc7;       expect OKBtn disabled
    set NameEdit to Pc7;       expect OKBtn disabled
    set NameEdit to 'øRESUND'; expect OKBtn disabled
    set NameEdit to 'pc7 ';    expect OKBtn enabled
    set NameEdit to pc8;       expect OKBtn enabled
    set NameEdit to PC7;       expect OKBtn disabled
    press escape)"),
            mrCancel);
  // NewName follows every change, so a caller must look at the result first.
  EXPECT_EQ(form.NewName(), "PC7");
}

TEST(NewNameRule, EnterAcceptsOnlyANewNameAndTabSkipsADisabledOk) {
  const std::vector<std::string> known = {"alpha"};
  TKRNewXDlg form;
  form.SetKnownNames(&known);
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'New Server Dialog'
    set NameEdit to ALPHA
    press tab;       expect CancelBtn focused
    press tab;       expect NameEdit focused
    set NameEdit to beta
    press tab;       expect OKBtn focused
    press tab;       expect CancelBtn focused
    press shift-tab; press shift-tab; expect NameEdit focused
    press enter)"),
            mrOk);
  EXPECT_EQ(form.NewName(), "beta");

  TKRNewXDlg again;
  again.SetKnownNames(&known);
  TScriptPresenter presenter("expect form 'New Server Dialog'; set NameEdit to alpha; press enter");
  TPresenterScope scope(presenter);
  EXPECT_EQ(again.ShowModal(), mrCancel);
  ASSERT_EQ(presenter.Failures().size(), 1u);
  EXPECT_NE(presenter.Failures()[0].find("OKBtn is disabled"), std::string::npos);
}

TEST(NewServerRule, OkNeedsAListOfKnownNames) {
  TKRNewServerDlg alone;
  EXPECT_EQ(ShowWithScript(alone, R"(
    expect form 'Add Server...'
    set NameEdit to Demo; expect OKBtn disabled
    click CancelBtn)"),
            mrCancel);

  const std::vector<std::string> known = {"Demo"};
  TKRNewServerDlg form;
  form.SetKnownNames(&known);
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Add Server...'
    expect UserInfoPanel hidden
    set NameEdit to DEMO;  expect OKBtn disabled
    set NameEdit to '  ';  expect OKBtn enabled
    set NameEdit to Test;  expect OKBtn enabled
    click OKBtn)"),
            mrOk);
  EXPECT_EQ(form.NewName(), "Test");
  EXPECT_EQ(form.UserName(), "");
  EXPECT_EQ(form.Password(), "");
}

// The hidden user panel keeps its texts out of OK's decision, and its
// password edit masks what it holds should it ever be shown.
TEST(NewServerRule, UserAndPasswordEditsFeedTheirFieldsOnly) {
  const std::vector<std::string> known;
  TKRNewServerDlg form;
  form.SetKnownNames(&known);
  auto& user = ControlOf<TEdit>(form, "UserEdit");
  auto& password = ControlOf<TEdit>(form, "PasswordEdit");
  EXPECT_EQ(ControlOf<TKRLabel>(form, "UserLabel").FocusControl(), &user);
  EXPECT_EQ(ControlOf<TKRLabel>(form, "PasswordLabel").FocusControl(), &password);
  EXPECT_EQ(ControlOf<TPanel>(form, "UserInfoPanel").Height(), 41);
  EXPECT_EQ(user.BoundsRect(), (TRect{4, 20, 110, 41}));
  EXPECT_EQ(password.BoundsRect(), (TRect{120, 20, 226, 41}));

  user.SetText("admin");
  password.SetText("s3cret");
  EXPECT_EQ(form.UserName(), "admin");
  EXPECT_EQ(form.Password(), "s3cret");
  EXPECT_EQ(password.DisplayText(), "******");
  EXPECT_FALSE(ControlOf<TButton>(form, "OKBtn").Enabled());
  ControlOf<TEdit>(form, "NameEdit").SetText("n");
  EXPECT_TRUE(ControlOf<TButton>(form, "OKBtn").Enabled());
  password.SetText("");
  EXPECT_TRUE(ControlOf<TButton>(form, "OKBtn").Enabled());
}

}  // namespace
