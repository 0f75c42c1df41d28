#pragma once
// TKRLogonDialog: asks for a user name and a password ("Enter Logon
// information..."). The caller presets Username (and may preset Password),
// shows the form modally and reads both after mrOk. When shown, the form
// copies both into its edits; every edit change copies the text back. OK
// is enabled exactly while the user name is not empty (an empty password is
// allowed), from the moment the form is shown. The password edit shows
// every character as '*'.

#include <string>

#include "platform/ui/Form.h"
#include "support/KREdit_CMP.h"
#include "support/KRIntlButton.h"
#include "support/KRLabel.h"

class TKRLogonDialog : public TForm {
 public:
  TKRLogonDialog();

  const std::string& Username() const { return FUsername; }
  void SetUsername(std::string username) { FUsername = std::move(username); }
  const std::string& Password() const { return FPassword; }
  void SetPassword(std::string password) { FPassword = std::move(password); }

 protected:
  void FormShow(TControl& sender);
  void UserNameEditChange(TControl& sender);
  void PasswordEditChange(TControl& sender);
  void EnableOkButton();

  TKREdit* UserNameEdit;
  TKREdit* PasswordEdit;
  // The controls "OkButton" and "CancelButton".
  TKRIntlButton* FOkButton;
  TKRIntlButton* FCancelButton;

 private:
  std::string FUsername;
  std::string FPassword;
};
