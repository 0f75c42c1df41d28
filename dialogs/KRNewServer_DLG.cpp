#include "dialogs/KRNewServer_DLG.h"

#include "dialogs/KRDialogControls.h"

TKRNewServerDlg::TKRNewServerDlg() {
  SetName("KRNewServerDlg");
  SetCaption("Add Server...");
  SetClientWidth(229);
  SetClientHeight(85);
  PlaceButtons(70);

  UserInfoPanel = &AddAlignedPanel(*this, "UserInfoPanel", alTop, 41);
  UserInfoPanel->SetVisible(false);
  UserEdit = &AddEditLike<TEdit>(*this, *UserInfoPanel, "UserEdit", 4, 20, 106);
  UserEdit->OnChange = [this](TControl& sender) { UserEditChange(sender); };
  AddBoundLabel(*this, *UserInfoPanel, "UserLabel", "User:", 4, 4, *UserEdit);
  PasswordEdit = &AddEditLike<TEdit>(*this, *UserInfoPanel, "PasswordEdit", 120, 20, 106);
  PasswordEdit->SetPasswordChar('*');
  PasswordEdit->OnChange = [this](TControl& sender) { PasswordEditChange(sender); };
  AddBoundLabel(*this, *UserInfoPanel, "PasswordLabel", "Password:", 120, 4, *PasswordEdit);
}

void TKRNewServerDlg::EnableOkButton() { OKBtn->SetEnabled(KnownNames() && NameIsNew()); }

void TKRNewServerDlg::UserEditChange(TControl&) {
  FUserName = UserEdit->Text();
  EnableOkButton();
}

void TKRNewServerDlg::PasswordEditChange(TControl&) {
  FPassword = PasswordEdit->Text();
  EnableOkButton();
}
