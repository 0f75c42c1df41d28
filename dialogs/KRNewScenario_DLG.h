#pragma once
// TKRNewScenarioDlg: asks for a new scenario ("Create Scenario"): its name,
// a parent scenario, a description and the access of the new scenario.
// When shown, the parent box lists KnownNames in order (the caller passes
// the scenarios that exist). OK needs the base rule and a parent chosen from
// the list; the rule is evaluated when the name or the description changes,
// not when a parent is chosen.

#include <string>

#include "dialogs/KRNewX_DLG.h"
#include "platform/ui/ComboBox.h"

class TKRNewScenarioDlg : public TKRNewXDlg {
 public:
  TKRNewScenarioDlg();

  std::string GetDescription() const { return DescriptionEdit->Text(); }
  std::string GetParentScenario() const { return ParentScenarioComboBox->Text(); }
  // 1 private, 2 restricted (only the owner edits), 3 public, 0 when no
  // access is checked.
  int GetVisibility() const;

 protected:
  void EnableOkButton() override;
  void FormShow(TControl& sender);

  TComboBox* ParentScenarioComboBox;
  TEdit* DescriptionEdit;
  TGroupBox* AccessGroupBox;
  TRadioButton* PrivateRadioButton;
  TRadioButton* RestrictedRadioButton;
  TRadioButton* PublicRadioButton;
};
