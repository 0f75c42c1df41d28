#include "dialogs/KRLogon_DLG.h"

#include <gtest/gtest.h>

#include "dialogs/KRDialogTestSupport.h"
#include "platform/ui/FormDescription.h"

namespace {

TEST(LogonForm, ControlsTextsAndPlaces) {
  TKRLogonDialog form;
  EXPECT_EQ(form.Caption(), "Enter Logon information...");
  EXPECT_EQ(form.Width(), 202);
  EXPECT_EQ(form.Height(), 167);

  const auto& user = ControlOf<TKREdit>(form, "UserNameEdit");
  const auto& password = ControlOf<TKREdit>(form, "PasswordEdit");
  EXPECT_EQ(user.BoundsRect(), (TRect{24, 32, 169, 53}));
  EXPECT_EQ(password.BoundsRect(), (TRect{24, 72, 169, 93}));
  EXPECT_EQ(user.PasswordChar(), '\0');
  EXPECT_EQ(password.PasswordChar(), '*');
  const auto& userLabel = ControlOf<TKRLabel>(form, "UserNameLabel");
  const auto& passwordLabel = ControlOf<TKRLabel>(form, "PasswordLabel");
  EXPECT_EQ(userLabel.Caption(), "User Name:");
  EXPECT_EQ(passwordLabel.Caption(), "Password:");
  EXPECT_EQ(userLabel.FocusControl(), &user);
  EXPECT_EQ(passwordLabel.FocusControl(), &password);
  EXPECT_EQ((TRect{userLabel.Left(), userLabel.Top(), passwordLabel.Left(), passwordLabel.Top()}),
            (TRect{24, 17, 24, 57}));

  const auto& ok = ControlOf<TKRIntlButton>(form, "OkButton");
  const auto& cancel = ControlOf<TKRIntlButton>(form, "CancelButton");
  EXPECT_EQ(ok.Caption(), "OK");
  EXPECT_EQ(cancel.Caption(), "Cancel");
  EXPECT_EQ(ok.BoundsRect(), (TRect{35, 115, 110, 140}));
  EXPECT_EQ(cancel.BoundsRect(), (TRect{116, 115, 191, 140}));
  EXPECT_EQ(ok.Anchors(), akRight | akBottom);
  EXPECT_EQ(cancel.Anchors(), akRight | akBottom);
  EXPECT_EQ(form.DefaultButton(), &ok);
  EXPECT_EQ(form.CancelButton(), nullptr);  // Cancel closes by its modal result only
  EXPECT_EQ(ok.ModalResult(), mrOk);
  EXPECT_EQ(cancel.ModalResult(), mrCancel);
}

TEST(LogonForm, APresetUserNameEnablesOkAtOnce) {
  TKRLogonDialog form;
  form.SetUsername("alice");
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Enter Logon information...'
    expect UserNameEdit text alice
    expect UserNameEdit focused
    expect OkButton enabled
    set UserNameEdit to ''; expect OkButton disabled
    set PasswordEdit to x;  expect OkButton disabled
    set UserNameEdit to ' '; expect OkButton enabled
    set UserNameEdit to bob
    set PasswordEdit to ''; expect OkButton enabled
    press enter)"),
            mrOk);
  EXPECT_EQ(form.Username(), "bob");
  EXPECT_EQ(form.Password(), "");  // an empty password is allowed
}

TEST(LogonForm, WithoutAUserNameOkStartsDisabled) {
  TKRLogonDialog form;
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Enter Logon information...'
    expect OkButton disabled
    set PasswordEdit to secret; expect OkButton disabled
    set UserNameEdit to carol;  expect OkButton enabled
    click OkButton)"),
            mrOk);
  EXPECT_EQ(form.Username(), "carol");
  EXPECT_EQ(form.Password(), "secret");
}

TEST(LogonForm, TabOrderAndCancel) {
  TKRLogonDialog form;
  form.SetUsername("dave");
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Enter Logon information...'
    press tab; expect PasswordEdit focused
    press tab; expect OkButton focused
    press tab; expect CancelButton focused
    press tab; expect UserNameEdit focused
    click CancelButton)"),
            mrCancel);
}

// The password is shown, and described in failure reports, only as stars.
TEST(LogonForm, ThePasswordIsMasked) {
  TKRLogonDialog form;
  form.SetUsername("erin");
  form.SetPassword("hunter2");
  std::string description;
  form.OnControlChanged = [&](TControl&) {
    if (form.Modal()) description = DescribeForm(form);
  };
  EXPECT_EQ(ShowWithScript(form,
                           "expect form 'Enter Logon information...'; expect PasswordEdit "
                           "text hunter2; press enter"),
            mrOk);
  EXPECT_EQ(ControlOf<TKREdit>(form, "PasswordEdit").DisplayText(), "*******");
  EXPECT_NE(description.find("PasswordEdit: TKREdit text '*******'"), std::string::npos)
      << description;
  EXPECT_EQ(description.find("hunter2"), std::string::npos);
  EXPECT_EQ(form.Password(), "hunter2");
}

}  // namespace
