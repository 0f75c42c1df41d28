#pragma once
// TKRNewXDlg: the base of the forms that ask for the name of something new.
// It holds a name edit with its label, an OK and a Cancel button, and an
// optional list of names already in use, given and kept by the caller. Every
// change of the name edit stores its text as NewName and re-evaluates OK
// through the virtual EnableOkButton; the base rule enables OK for a
// non-empty name (blanks count) that is not in KnownNames, compared without
// regard to case. OK starts disabled, so an untouched form cannot be
// accepted. The caller sets KnownNames, shows the form modally and reads
// NewName after mrOk.

#include <string>
#include <vector>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"
#include "support/KRLabel.h"

class TKRNewXDlg : public TForm {
 public:
  TKRNewXDlg();

  const std::string& NewName() const { return FNewName; }
  // Not owned; nullptr for none. The list must outlive the form's showing.
  const std::vector<std::string>* KnownNames() const { return FKnownNames; }
  void SetKnownNames(const std::vector<std::string>* names) { FKnownNames = names; }

 protected:
  // Handles a change of the name edit (and of other edits that share it).
  void ServerNameEditChange(TControl& sender);
  virtual void EnableOkButton();
  // The base rule: a non-empty name that is not known.
  bool NameIsNew() const;
  // Places OK at `okLeft` and Cancel 80 pixels to its right.
  void PlaceButtons(int okLeft);

  TPanel* ServerPanel;
  TKRLabel* NameLabel;
  TEdit* NameEdit;
  TPanel* ModalBtnPanel;
  TButton* OKBtn;
  TButton* CancelBtn;

 private:
  std::string FNewName;
  const std::vector<std::string>* FKnownNames = nullptr;
};
