#include "dialogs/KRNewComputer_DLG.h"

TKRNewComputerDlg::TKRNewComputerDlg() {
  SetName("KRNewComputerDlg");
  SetCaption("Add Workstation...");
  NameLabel->SetCaption("Workstation Name:");
}
