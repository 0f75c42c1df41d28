#pragma once
// TKRMasterDataLink: the link by which a detail table follows its master
// source. While the detail is open (and not being destroyed) the link's
// activation calls the table's MasterChanged, its deactivation
// MasterDisabled; every record change of the master calls MasterChanged;
// the master's browse-mode check ends the detail's own edit first.

#include "platform/vcl/DataLink.h"

class TKRTable;

class TKRMasterDataLink : public TDataLink {
 public:
  explicit TKRMasterDataLink(TKRTable& table) : FTable(table) {}

 protected:
  void ActiveChanged() override;
  void RecordChanged(TField* field) override;
  void CheckBrowseMode() override;

 private:
  bool TableFollows() const;

  TKRTable& FTable;
};
