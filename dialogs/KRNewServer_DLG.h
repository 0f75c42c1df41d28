#pragma once
// TKRNewServerDlg: asks for the name of a new server entry ("Add Server...").
// OK needs a non-empty name and a list of known names that does not hold
// it: without KnownNames the form cannot be accepted. The form also carries
// a user and password panel that stays hidden, so UserName and Password
// keep the empty texts they get at construction unless code shows it.

#include <string>

#include "dialogs/KRNewX_DLG.h"

class TKRNewServerDlg : public TKRNewXDlg {
 public:
  TKRNewServerDlg();

  const std::string& UserName() const { return FUserName; }
  const std::string& Password() const { return FPassword; }

 protected:
  void EnableOkButton() override;
  void UserEditChange(TControl& sender);
  void PasswordEditChange(TControl& sender);

  TPanel* UserInfoPanel;
  TEdit* UserEdit;
  TEdit* PasswordEdit;

 private:
  std::string FUserName;
  std::string FPassword;
};
