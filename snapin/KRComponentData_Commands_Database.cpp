// The commands that reach a server: loading a dump into it, saving and
// closing its databases, checking a database's integrity.

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

}  // namespace

void TKRComponentData::LoadIntoServer(const TKRResultData& item) {
  const TKRWorkstationTree tree = WorkstationTreeOf(*GetRootFolder());
  TKRLoadBDIntoSvrDlg dialog;
  dialog.SetRootFolder(&tree);
  if (dialog.ShowModal() != mrOk) return;
  // The form enables OK only with a server chosen; without one nothing loads.
  TKRFolder* server = dialog.ServerSelected().As<TKRFolder>();
  if (server == nullptr) return;
  LoadDBIntoServer(*server, dialog.SchemaName(), dialog.SchemaVersion(), item);
}

void TKRComponentData::SaveOrCloseDatabase(TKRMenuCommand command, TKRFolder& databaseFolder) {
  const TKRNodeNames names = NodeNamesOf(databaseFolder);
  const ComPtr<IKRDatabase> database =
      OpenDatabase(names.host, names.server, names.schemaName, names.schemaVersion, names.database);
  if (!database) return;
  if (command == krmcSaveDatabase) {
    database->Save();
    return;
  }
  if (command == krmcSaveAndCloseDatabase) {
    database->Shutdown();
  } else {
    database->DestroyArchive();
  }
  DeleteFolder(databaseFolder);
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
