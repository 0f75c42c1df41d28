#include "dialogs/KRNewEmptyDatabase_DLG.h"

TKRNewEmptyDatabaseDlg::TKRNewEmptyDatabaseDlg() {
  SetName("KRNewEmptyDatabaseDlg");
  SetCaption("Create Empty Database...");
  NameLabel->SetCaption("Database Name:");
}
