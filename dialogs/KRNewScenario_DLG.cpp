#include "dialogs/KRNewScenario_DLG.h"

#include "dialogs/KRDialogControls.h"

namespace {

TRadioButton& AddRadio(TForm& form, TGroupBox& box, std::string name, std::string caption,
                       int top) {
  TRadioButton& radio = form.Add<TRadioButton>(box, std::move(name));
  radio.SetCaption(std::move(caption));
  radio.SetBounds(8, top, 274, kKRRadioHeight);
  return radio;
}

}  // namespace

TKRNewScenarioDlg::TKRNewScenarioDlg() {
  SetName("KRNewScenarioDlg");
  SetCaption("Create Scenario");
  SetClientWidth(296);
  SetClientHeight(244);
  PlaceButtons(137);
  OnShow = [this](TControl& sender) { FormShow(sender); };

  NameLabel->SetCaption("Scenario Name:");
  NameEdit->SetBounds(4, 18, 289, kKREditHeight);

  ParentScenarioComboBox =
      &AddEditLike<TComboBox>(*this, *ServerPanel, "ParentScenarioComboBox", 4, 64, 289);
  ParentScenarioComboBox->SetStyle(csDropDown);
  AddBoundLabel(*this, *ServerPanel, "ParentScenarioLabel", "Parent Scenario:", 4, 49,
                *ParentScenarioComboBox);

  DescriptionEdit = &AddEditLike<TEdit>(*this, *ServerPanel, "DescriptionEdit", 4, 106, 289);
  DescriptionEdit->OnChange = [this](TControl& sender) { ServerNameEditChange(sender); };
  AddBoundLabel(*this, *ServerPanel, "DescriptionLabel", "Description:", 4, 91, *DescriptionEdit);

  AccessGroupBox = &Add<TGroupBox>(*ServerPanel, "AccessGroupBox");
  AccessGroupBox->SetCaption("Access");
  AccessGroupBox->SetBounds(4, 134, 289, 78);
  PrivateRadioButton = &AddRadio(*this, *AccessGroupBox, "PrivateRadioButton", "Private", 16);
  RestrictedRadioButton = &AddRadio(*this, *AccessGroupBox, "RestrictedRadioButton",
                                    "Restricted (only owner can edit)", 34);
  PublicRadioButton = &AddRadio(*this, *AccessGroupBox, "PublicRadioButton", "Public", 54);
  PublicRadioButton->SetChecked(true);
}

int TKRNewScenarioDlg::GetVisibility() const {
  if (PrivateRadioButton->Checked()) return 1;
  if (RestrictedRadioButton->Checked()) return 2;
  if (PublicRadioButton->Checked()) return 3;
  return 0;
}

void TKRNewScenarioDlg::EnableOkButton() {
  OKBtn->SetEnabled(NameIsNew() && ParentScenarioComboBox->ItemIndex() >= 0);
}

void TKRNewScenarioDlg::FormShow(TControl&) {
  if (!KnownNames()) return;
  for (const std::string& name : *KnownNames()) ParentScenarioComboBox->Items().Add(name);
}
