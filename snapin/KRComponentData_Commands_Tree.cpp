// The commands that add folders to the tree: database groups, servers,
// workstations and empty databases.

#include <algorithm>

#include "dialogs/KRNewComputer_DLG.h"
#include "dialogs/KRNewEmptyDatabase_DLG.h"
#include "dialogs/KRNewServer_DLG.h"
#include "platform/text/SysUtils.h"
#include "platform/ui/Presenter.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRComponentData_Commands.h"
#include "snapin/KRComponentData_Connections.h"
#include "snapin/KRStrings.h"

namespace {

// Where the folder browser starts: the file system's root.
constexpr char kBrowseRoot[] = "/";

// The last component of a path: everything up to its last '/' removed (so
// a path ending in '/' gives the empty name).
std::string LastPathComponent(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// `name`, or when a child folder of `parent` bears it exactly, the first of
// `name`1, `name`2, ... that none bears.
std::string UniqueChildName(const TKRFolder& parent, const std::string& name) {
  const std::vector<std::string> taken = ChildNames(parent);
  std::string candidate = name;
  for (int counter = 1; std::find(taken.begin(), taken.end(), candidate) != taken.end();
       ++counter) {
    candidate = name + std::to_string(counter);
  }
  return candidate;
}

}  // namespace

void TKRComponentData::AttachToConsole(TKRFolder& folder) {
  const SCOPEDATAITEM* parentItem = folder.Parent()->ScopeItem();
  folder.PrepareScopeItem(parentItem != nullptr ? parentItem->ID : 0);
  if (FIConsoleNameSpace) FIConsoleNameSpace->InsertItem(folder.ScopeItem());
  FIsDirty = true;
}

void TKRComponentData::CreateDatabaseGroup() {
  const std::optional<std::string> directory =
      BrowseForFolder(SnapinString(krsSelectDirectory), kBrowseRoot);
  if (!directory || directory->empty()) return;
  TKRFolder* groups = FindFolder(krftDBGroups);
  if (groups == nullptr) return;
  auto group = std::make_unique<TKRFolder>();
  group->Init(UniqueChildName(*groups, LastPathComponent(*directory)), 8, 8, krftDBGroup, true);
  group->GetColumns().push_back(*directory);
  CreateDBItemsIntoGroup(*group, {krntFolder, krntItem});
  AttachToConsole(*TKRFolder::SetParent(std::move(group), *groups));
}

void TKRComponentData::AddServer(TKRFolder& serversFolder) {
  // The servers folder of the node's workstation is the one the names come
  // from and the new server goes into.
  TKRFolder* computer = serversFolder.SearchForParentComputer();
  TKRFolder* servers = computer != nullptr ? computer->SearchFolderByType(krftServers) : nullptr;
  if (servers == nullptr) servers = &serversFolder;
  const std::vector<std::string> knownNames = ChildNames(*servers);
  TKRNewServerDlg dialog;
  dialog.SetKnownNames(&knownNames);
  if (dialog.ShowModal() != mrOk) return;
  auto server = std::make_unique<TKRFolder>();
  server->Init(dialog.NewName(), 5, 5, krftServer, true);
  server->GetColumns().push_back(dialog.UserName());
  server->GetColumns().push_back(dialog.Password());
  AttachToConsole(*TKRFolder::SetParent(std::move(server), *servers));
}

void TKRComponentData::AddWorkstation(TKRFolder& workstationsFolder) {
  const std::vector<std::string> knownNames = ChildNames(workstationsFolder);
  TKRNewComputerDlg dialog;
  dialog.SetKnownNames(&knownNames);
  if (dialog.ShowModal() != mrOk) return;
  TKRFolder* computer = CreateComputerFolder(dialog.NewName(), workstationsFolder);
  // A workstation already registered under that name is already shown.
  if (computer->ScopeItem()->ID == 0) AttachToConsole(*computer);
}

void TKRComponentData::CreateEmptyDatabase(TKRFolder& schemaFolder) {
  const std::vector<std::string> knownNames = ChildNames(schemaFolder);
  TKRNewEmptyDatabaseDlg dialog;
  dialog.SetKnownNames(&knownNames);
  if (dialog.ShowModal() != mrOk) return;
  const TKRNodeNames names = NodeNamesOf(schemaFolder);
  // Opening a database the schema does not list creates it empty; the node
  // is added whatever the server did, as the administrator asked for it.
  const bool created = OpenDatabase(names.host, names.server, names.schemaName,
                                    names.schemaVersion, dialog.NewName()) != nullptr;
  CreateServerDatabaseFolder(dialog.NewName(), schemaFolder);
  if (created) {
    SetConsoleStatus(
        Format(SnapinString(krsStatusCreatedDatabase), {dialog.NewName(), StatusPlace(names)}));
  }
}
