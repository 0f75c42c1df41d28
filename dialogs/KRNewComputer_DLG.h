#pragma once
// TKRNewComputerDlg: asks for the name of a new workstation entry ("Add
// Workstation..."), with the base form's rule for OK.

#include "dialogs/KRNewX_DLG.h"

class TKRNewComputerDlg : public TKRNewXDlg {
 public:
  TKRNewComputerDlg();
};
