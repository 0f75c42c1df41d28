#include "dialogs/KRNewX_DLG.h"

#include <algorithm>

#include "dialogs/KRDialogControls.h"
#include "platform/text/Locale.h"

namespace {

// The names are compared as a text list does without regard to case: by
// locale-aware collation, so "Øst" and "øST" are one name.
bool ContainsNameIgnoringCase(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(),
                     [&name](const std::string& known) { return AnsiSameText(known, name); });
}

}  // namespace

TKRNewXDlg::TKRNewXDlg() {
  SetName("KRNewXDlg");
  SetCaption("New Server Dialog");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(239);
  SetClientHeight(84);

  ServerPanel = &AddAlignedPanel(*this, "ServerPanel", alClient, 56);
  NameEdit = &AddEditLike<TEdit>(*this, *ServerPanel, "NameEdit", 4, 18, 231);
  NameEdit->SetAnchors(akLeft | akTop | akRight);
  NameEdit->OnChange = [this](TControl& sender) { ServerNameEditChange(sender); };
  NameLabel = &AddBoundLabel(*this, *ServerPanel, "NameLabel", "Name:", 4, 3, *NameEdit);

  ModalBtnPanel = &AddAlignedPanel(*this, "ModalBtnPanel", alBottom, 28);
  OKBtn = &AddModalButton<TButton>(*this, *ModalBtnPanel, "OKBtn", "OK", 80, 3, mrOk);
  OKBtn->SetDefault(true);
  OKBtn->SetEnabled(false);
  CancelBtn =
      &AddModalButton<TButton>(*this, *ModalBtnPanel, "CancelBtn", "Cancel", 160, 3, mrCancel);
  CancelBtn->SetCancel(true);
}

void TKRNewXDlg::ServerNameEditChange(TControl&) {
  FNewName = NameEdit->Text();
  EnableOkButton();
}

void TKRNewXDlg::EnableOkButton() { OKBtn->SetEnabled(NameIsNew()); }

bool TKRNewXDlg::NameIsNew() const {
  return !FNewName.empty() && !(FKnownNames && ContainsNameIgnoringCase(*FKnownNames, FNewName));
}

void TKRNewXDlg::PlaceButtons(int okLeft) {
  OKBtn->SetLeft(okLeft);
  CancelBtn->SetLeft(okLeft + 80);
}
