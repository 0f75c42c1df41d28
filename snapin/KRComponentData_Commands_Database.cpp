// The commands that reach a server: loading a dump into it, saving and
// closing its databases, checking a database's integrity, shutting it down.
// What a command did to a server is put on the console's status line.

#include "dialogs/KRLoadDBIntoSvr_DLG.h"
#include "platform/text/SysUtils.h"
#include "platform/text/Utf.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageDialog.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRComponentData_Commands.h"
#include "snapin/KRComponentData_Connections.h"
#include "snapin/KRStrings.h"

namespace {

// The checking levels of the Database API: report only, or report and
// repair.
constexpr int16_t kCheckOnly = 0;
constexpr int16_t kCheckAndFix = -1;

// The registered workstations and their servers, as the load form lists
// them.
TKRWorkstationTree WorkstationTreeOf(TKRFolder& root) {
  TKRWorkstationTree tree;
  TKRFolder* workstations = root.SearchFolderByType(krftComputers);
  if (workstations == nullptr) return tree;
  for (const auto& computer : workstations->Childs()) {
    TKRWorkstationEntry& entry = tree.Workstations.emplace_back();
    entry.Name = computer->ColumnText(0);
    entry.Folder = computer.get();
    const TKRFolder* servers = computer->SearchFolderByType(krftServers);
    if (servers == nullptr) continue;
    for (const auto& server : servers->Childs()) {
      entry.Servers.push_back({server->ColumnText(0), server.get()});
    }
  }
  return tree;
}

// The schema folder of that name and version under a server folder, or null
// when the server's schemas are not listed in the tree.
TKRFolder* SchemaFolderOf(TKRFolder& serverFolder, const std::string& schemaName,
                          const std::string& schemaVersion) {
  for (const auto& child : serverFolder.Childs()) {
    std::string name, version;
    TKRComponentData::GetSchemaNameVersion(child->ColumnText(0), version, name);
    if (child->FolderType() == krftSchemaName && name == schemaName && version == schemaVersion) {
      return child.get();
    }
  }
  return nullptr;
}

}  // namespace

void TKRComponentData::LoadIntoServer(const TKRResultData& item) {
  const TKRWorkstationTree tree = WorkstationTreeOf(*GetRootFolder());
  TKRLoadBDIntoSvrDlg dialog;
  dialog.SetRootFolder(&tree);
  if (dialog.ShowModal() != mrOk) return;
  // The form enables OK only with a server chosen; without one nothing loads.
  TKRFolder* server = dialog.ServerSelected().As<TKRFolder>();
  if (server == nullptr) return;
  const std::string loaded =
      LoadDBIntoServer(*server, dialog.SchemaName(), dialog.SchemaVersion(), item);
  TKRNodeNames target;
  target.server = server->ColumnText(0);
  target.schemaName = dialog.SchemaName();
  target.schemaVersion = dialog.SchemaVersion();
  const std::string place = StatusPlace(target);
  if (loaded.empty()) {
    const std::string dump = item.Columns().empty() ? std::string() : item.Columns()[0];
    SetConsoleStatus(Format(SnapinString(krsStatusNothingLoaded), {dump, place}));
    return;
  }
  // The schema's next selection lists the new database.
  if (TKRFolder* schema = SchemaFolderOf(*server, dialog.SchemaName(), dialog.SchemaVersion())) {
    schema->SetDirty(true);
  }
  SetConsoleStatus(Format(SnapinString(krsStatusLoaded), {loaded, place}));
}

void TKRComponentData::SaveOrCloseDatabase(TKRMenuCommand command, TKRFolder& databaseFolder) {
  const TKRNodeNames names = NodeNamesOf(databaseFolder);
  const ComPtr<IKRDatabase> database =
      OpenDatabase(names.host, names.server, names.schemaName, names.schemaVersion, names.database);
  if (!database) return;
  UINT done = krsStatusSaved;
  if (command == krmcSaveDatabase) {
    database->Save();
  } else if (command == krmcSaveAndCloseDatabase) {
    database->Shutdown();
    done = krsStatusSavedAndClosed;
  } else {
    database->DestroyArchive();
    done = krsStatusClosedDatabase;
  }
  if (command != krmcSaveDatabase) DeleteFolder(databaseFolder);
  SetConsoleStatus(Format(SnapinString(done), {names.database, StatusPlace(names)}));
}

bool TKRComponentData::CheckDatabaseIntegrity(TKRFolder& folder, bool fix, std::string& result) {
  result.clear();
  if (folder.FolderType() != krftServerDB) return false;
  // The database is checked in the schema it is listed under; a check in
  // another schema would reach (or create) another database of that name.
  const TKRNodeNames names = NodeNamesOf(folder);
  const ComPtr<IKRDatabase> database =
      OpenDatabase(names.host, names.server, names.schemaName, names.schemaVersion, names.database);
  if (!database) return false;
  result = Utf16ToUtf8(database->CheckIntegrity(fix ? kCheckAndFix : kCheckOnly));
  return true;
}

void TKRComponentData::CheckIntegrity(TKRFolder& databaseFolder) {
  const TModalResult answer =
      MessageDlg(SnapinString(krsAskFixErrors), mtInformation, mbYesNoCancel, 0);
  if (answer == mrCancel) return;
  std::string result;
  if (!CheckDatabaseIntegrity(databaseFolder, answer == mrYes, result)) {
    // A database that could not be checked has no clean report.
    ShowSnapinMessage(krsUnableToConnect);
    return;
  }
  const std::string text = result.empty() ? SnapinString(krsNoErrorsFound)
                                          : Format(SnapinString(krsIntegrityResult), {result});
  MessageBox(text, Application().Title(), MB_OK | MB_ICONINFORMATION);
}

void TKRComponentData::ShutDownServer(TKRFolder& serverFolder) {
  const TKRNodeNames names = NodeNamesOf(serverFolder);
  if (!CloseServer(serverFolder)) return;
  SetConsoleStatus(Format(SnapinString(krsStatusShutDown), {names.server, names.host}));
}
