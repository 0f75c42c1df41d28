#pragma once
// TKRLoadBDIntoSvrDlg: the form "Load database into server..." with which
// the administrator picks a workstation, one of its servers, one of that
// server's schema names and one of the name's versions for a database file.
//
// The caller hands over the workstations and servers with SetRootFolder,
// shows the form modally and, after mrOk, reads ServerSelected, SchemaName
// and SchemaVersion (ComputerSelected names the workstation). Every choice
// cascades down the chain: a workstation re-lists its servers, a server is
// asked for its schema names, a schema name for its versions, each list
// refilled with its first entry selected and that entry's own step run
// next. A server that cannot be reached leaves its boxes with their old
// entries and nothing selected, without a message. OK is enabled exactly
// while all four boxes have a selected entry.
//
// Before any workstation is chosen the server box holds only "New server...",
// an entry without a server behind it: choosing it clears the schema and
// version selections and asks no server.

#include <memory>
#include <optional>
#include <string>

#include "dialogs/KRLoadDBIntoSvr_DLG_Targets.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

class TKRLoadBDIntoSvrDlg : public TForm {
 public:
  // Asks the servers through server proxies.
  TKRLoadBDIntoSvrDlg();
  explicit TKRLoadBDIntoSvrDlg(std::unique_ptr<IKRServerSchemaSource> schemas);

  // Lists the workstations of `root` (a copy is kept), preselects the local
  // computer's (by name without regard to case, else the first) and runs
  // the cascade from it. Nothing happens for nullptr. The form lists one
  // tree: a second tree raises EInvalidOperation.
  void SetRootFolder(const TKRWorkstationTree* root);

  TItemObject ComputerSelected() const { return FComputerSelected; }
  TItemObject ServerSelected() const { return FServerSelected; }
  const std::string& SchemaName() const { return FSchemaName; }
  const std::string& SchemaVersion() const { return FSchemaVersion; }

 protected:
  void ComputerComboBoxChange(TControl& sender);
  void ServerComboBoxChange(TControl& sender);
  void SchemaNameComboBoxChange(TControl& sender);
  void SchemaVersionComboBoxChange(TControl& sender);
  void EnableControls();

  TLabel* ComputerLabel;
  TComboBox* ComputerComboBox;
  TLabel* ServerNameLabel;
  TComboBox* ServerComboBox;
  TLabel* SchemaNameLabel;
  TComboBox* SchemaNameComboBox;
  TLabel* SchemaVersionLabel;
  TComboBox* SchemaVersionComboBox;
  TButton* OKBtn;
  TButton* CancelBtn;

 private:
  // Asks the selected server of the listed workstation through `ask`
  // (host name in lower case, server name); none when no such server is
  // selected or it cannot be reached.
  template <class Ask>
  TKRServerAnswer AskSelectedServer(Ask ask) const;

  std::unique_ptr<IKRServerSchemaSource> FSchemas;
  std::string FSchemaName;
  std::string FSchemaVersion;
  std::optional<TKRWorkstationTree> FRootFolder;
  // The workstation whose servers the server box lists; null before one is.
  const TKRWorkstationEntry* FListedComputer = nullptr;
  TItemObject FComputerSelected;
  TItemObject FServerSelected;
};
