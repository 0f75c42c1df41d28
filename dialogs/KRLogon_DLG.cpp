#include "dialogs/KRLogon_DLG.h"

#include "dialogs/KRDialogControls.h"

TKRLogonDialog::TKRLogonDialog() {
  SetName("KRLogonDialog");
  SetCaption("Enter Logon information...");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetBounds(Left(), Top(), 202, 167);
  OnShow = [this](TControl& sender) { FormShow(sender); };

  UserNameEdit = &AddEditLike<TKREdit>(*this, *this, "UserNameEdit", 24, 32, 145);
  UserNameEdit->OnChange = [this](TControl& sender) { UserNameEditChange(sender); };
  AddBoundLabel(*this, *this, "UserNameLabel", "User Name:", 24, 17, *UserNameEdit);
  PasswordEdit = &AddEditLike<TKREdit>(*this, *this, "PasswordEdit", 24, 72, 145);
  PasswordEdit->SetPasswordChar('*');
  PasswordEdit->OnChange = [this](TControl& sender) { PasswordEditChange(sender); };
  AddBoundLabel(*this, *this, "PasswordLabel", "Password:", 24, 57, *PasswordEdit);

  FOkButton = &AddModalButton<TKRIntlButton>(*this, *this, "OkButton", "OK", 35, 115, mrOk);
  FOkButton->SetDefault(true);
  FOkButton->SetAnchors(akRight | akBottom);
  FCancelButton =
      &AddModalButton<TKRIntlButton>(*this, *this, "CancelButton", "Cancel", 116, 115, mrCancel);
  FCancelButton->SetAnchors(akRight | akBottom);
}

void TKRLogonDialog::FormShow(TControl&) {
  UserNameEdit->SetText(FUsername);
  PasswordEdit->SetText(FPassword);
  EnableOkButton();
}

void TKRLogonDialog::UserNameEditChange(TControl&) {
  FUsername = UserNameEdit->Text();
  EnableOkButton();
}

void TKRLogonDialog::PasswordEditChange(TControl&) {
  FPassword = PasswordEdit->Text();
  EnableOkButton();
}

void TKRLogonDialog::EnableOkButton() { FOkButton->SetEnabled(!FUsername.empty()); }
