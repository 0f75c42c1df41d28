#pragma once
// TKRNewEmptyDatabaseDlg: asks for the name of a new, empty database
// ("Create Empty Database..."), with the base form's rule for OK.

#include "dialogs/KRNewX_DLG.h"

class TKRNewEmptyDatabaseDlg : public TKRNewXDlg {
 public:
  TKRNewEmptyDatabaseDlg();
};
