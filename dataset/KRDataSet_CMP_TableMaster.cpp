// How a detail table follows its master.

#include "dataset/KRDataSet_CMP_TableMaster.h"

#include "dataset/KRDataSet_CMP_Table.h"

bool TKRMasterDataLink::TableFollows() const {
  return FTable.Active() && !FTable.ComponentState().Contains(csDestroying);
}

void TKRMasterDataLink::ActiveChanged() {
  if (!TableFollows()) return;
  if (Active()) {
    FTable.MasterChanged();
  } else {
    FTable.MasterDisabled();
  }
}

void TKRMasterDataLink::RecordChanged(TField*) {
  if (TableFollows()) FTable.MasterChanged();
}

void TKRMasterDataLink::CheckBrowseMode() {
  if (FTable.Active()) FTable.CheckBrowseMode();
}

// --- The table's side ----------------------------------------------------------------

void TKRTable::MasterChanged() {
  if (FAutoCommitInProgress || FAutoRollbackInProgress || GetMasterTable() == nullptr) {
    return;
  }
  const ComPtr<IKRCursor> cursor = GetCursor();
  if (GetMasterRecordID() == cursor->Get_ParentRecordID()) return;
  if (!Active()) {
    DisconnectCursor();
    return;
  }
  CheckBrowseMode();
  // The cursor connects again for the new master record when the table
  // reads its first record; without a master record it stays disconnected
  // and the table shows nothing.
  DisconnectCursor();
  First();
}

void TKRTable::MasterDisabled() {
  if (GetMasterTable() == nullptr) return;
  if (Active()) CheckBrowseMode();
  DisconnectCursor();
  if (!Active()) return;
  ClearBuffers();
  TDataSet::Resync(TResyncMode{});
}
