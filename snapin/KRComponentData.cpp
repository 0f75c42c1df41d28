#include "snapin/KRComponentData.h"

#include <algorithm>
#include <array>

#include "platform/text/Locale.h"
#include "platform/win32/ComputerName.h"
#include "snapin/KRStrings.h"

namespace {

// The buffer the local computer's name is read into.
constexpr DWORD kComputerNameBuffer = 201;

std::string LocalComputerName() {
  std::array<char, kComputerNameBuffer> buffer{};
  DWORD size = kComputerNameBuffer;
  if (!GetComputerNameA(buffer.data(), &size)) return std::string();
  return std::string(buffer.data(), std::min<size_t>(size, buffer.size() - 1));
}

}  // namespace

TKRComponentData::TKRComponentData() = default;

TKRComponentData::~TKRComponentData() = default;

TKRFolder* TKRComponentData::GetRootFolder() {
  if (!FRootFolder) CreateFolderList();
  return FRootFolder.get();
}

void TKRComponentData::CreateFolderList() {
  FRootFolder = std::make_unique<TKRFolder>();
  FRootFolder->Init("RootFolder", 0, 0, krftRootFolder, true);
  FRootFolder->SetCookie(0);
  CreateFirstClassFolders(*FRootFolder);
}

void TKRComponentData::CreateFirstClassFolders(TKRFolder& root) {
  TKRFolder* workstations = AddFolder(root, SnapinString(krsWorkstations), 0, krftComputers, true);
  AddFolder(root, SnapinString(krsDatabaseGroups), 0, krftDBGroups, true);
  FComputerName = LocalComputerName();
  CreateComputerFolder(FComputerName, *workstations);
}

TKRFolder* TKRComponentData::CreateComputerFolder(const std::string& computerName,
                                                  TKRFolder& workstationsFolder) {
  TKRFolder* match = nullptr;
  for (const auto& child : workstationsFolder.Childs()) {
    if (AnsiSameText(child->ColumnText(0), computerName)) match = child.get();
  }
  if (match != nullptr) return match;
  TKRFolder* computer =
      AddFolder(workstationsFolder, AnsiLowerCase(computerName), 1, krftComputer, true);
  AddFolder(*computer, SnapinString(krsServers), 2, krftServers, true);
  return computer;
}

TKRFolder* TKRComponentData::CreateServerDatabaseFolder(const std::string& databaseName,
                                                        TKRFolder& schemaFolder) {
  TKRFolder* database = AddDisplayedFolder(schemaFolder, databaseName, 4, krftServerDB, true);
  AddDisplayedFolder(*database, SnapinString(krsUsers), 9, krftUsers, true);
  AddDisplayedFolder(*database, SnapinString(krsScenarios), 12, krftScenarios, false);
  FIsDirty = true;
  schemaFolder.SetDirty(false);
  return database;
}

void TKRComponentData::FillFolderWithDefaults(TKRFolder& folder, const TKRFolder& parent) {
  std::vector<std::string>& columns = folder.GetColumns();
  columns[1] = "-";
  columns.push_back("-");
  const SCOPEDATAITEM* parentItem = parent.ScopeItem();
  folder.PrepareScopeItem(parentItem != nullptr ? parentItem->ID : 0);
}

TKRFolder* TKRComponentData::AddFolder(TKRFolder& parent, std::string_view name, int image,
                                       TKRFolderType folderType, bool hasChildren) {
  auto folder = std::make_unique<TKRFolder>();
  folder->Init(name, image, image, folderType, hasChildren);
  return TKRFolder::SetParent(std::move(folder), parent);
}

TKRFolder* TKRComponentData::AddDisplayedFolder(TKRFolder& parent, std::string_view name, int image,
                                                TKRFolderType folderType, bool hasChildren) {
  TKRFolder* folder = AddFolder(parent, name, image, folderType, hasChildren);
  FillFolderWithDefaults(*folder, parent);
  if (FIConsoleNameSpace) FIConsoleNameSpace->InsertItem(folder->ScopeItem());
  return folder;
}

TKRFolder* TKRComponentData::FindFolder(TKRFolderType folderType) {
  return GetRootFolder()->SearchFolderByType(folderType);
}
