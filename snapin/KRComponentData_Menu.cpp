// The component data's context menus: which commands a node offers, the
// items handed to the console, and the running of a chosen command.

#include <algorithm>
#include <vector>

#include "platform/text/Utf.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMDataObj.h"
#include "snapin/KRStrings.h"

namespace {

struct TKRMenuTexts {
  TKRMenuCommand command;
  UINT name, status;
};

// The texts of each command's item.
constexpr TKRMenuTexts kMenuTexts[] = {
    {krmcLoadIntoServer, krsMenuLoadIntoServer, krsStatusLoadIntoServer},
    {krmcAddDatabaseGroup, krsMenuAddDatabaseGroup, krsStatusAddDatabaseGroup},
    {krmcAddServer, krsMenuAddServer, krsStatusAddServer},
    {krmcSaveAndCloseDatabase, krsMenuSaveAndCloseDatabase, krsStatusSaveAndCloseDatabase},
    {krmcCloseDatabase, krsMenuCloseDatabase, krsStatusCloseDatabase},
    {krmcSaveDatabase, krsMenuSaveDatabase, krsStatusSaveDatabase},
    {krmcAddWorkstation, krsMenuAddWorkstation, krsStatusAddWorkstation},
    {krmcCloseServer, krsMenuCloseServer, krsStatusCloseServer},
    {krmcCheckIntegrity, krsMenuCheckIntegrity, krsStatusCheckIntegrity},
    {krmcCreateScenario, krsMenuCreateScenario, krsStatusCreateScenario},
    {krmcCreateEmptyDatabase, krsMenuCreateEmptyDatabase, krsStatusCreateEmptyDatabase},
};

const TKRMenuTexts& MenuTextsOf(TKRMenuCommand command) {
  return *std::find_if(std::begin(kMenuTexts), std::end(kMenuTexts),
                       [command](const TKRMenuTexts& texts) { return texts.command == command; });
}

// The commands a scope node of the type offers, in menu order.
std::vector<TKRMenuCommand> ScopeCommandsOf(TKRFolderType type) {
  switch (type) {
    case krftDBGroups:
      return {krmcAddDatabaseGroup};
    case krftServers:
      return {krmcAddServer};
    case krftServerDB:
      return {krmcSaveDatabase, krmcSaveAndCloseDatabase, krmcCloseDatabase, krmcCheckIntegrity};
    case krftComputers:
      return {krmcAddWorkstation};
    case krftServer:
      return {krmcCloseServer};
    case krftSchemaName:
      return {krmcCreateEmptyDatabase};
    case krftScenarios:
      return {krmcCreateScenario};
    default:
      return {};
  }
}

// The item a result-pane cookie designates when it lies in a database
// group, or null.
const TKRResultData* GroupItemOf(MMC_COOKIE cookie) {
  const TKRResultData* item = TKRFolder::SearchItemByCookie(cookie);
  if (item == nullptr || item->Parent() == nullptr) return nullptr;
  return item->Parent()->FolderType() == krftDBGroup ? item : nullptr;
}

// The commands offered on the node of an internal record, in menu order.
std::vector<TKRMenuCommand> CommandsOffered(TKRComponentData& data, const TKRInternal& node) {
  if (node.GetType() == CCT_RESULT) {
    if (GroupItemOf(node.GetCookie()) != nullptr) return {krmcLoadIntoServer};
    return {};
  }
  if (node.GetType() != CCT_SCOPE) return {};
  const TKRFolder* folder = data.FolderOfCookie(node.GetCookie());
  return folder != nullptr ? ScopeCommandsOf(folder->FolderType()) : std::vector<TKRMenuCommand>{};
}

}  // namespace

HRESULT TKRComponentData::AddMenuItems(IDataObject* dataObject, IContextMenuCallback* callback,
                                       LONG* insertionAllowed) {
  return ExtendContextMenuAddMenuItems(dataObject, callback, insertionAllowed);
}

HRESULT TKRComponentData::Command(LONG commandID, IDataObject* dataObject) {
  return ExtendContextMenuCommand(commandID, dataObject);
}

HRESULT TKRComponentData::ExtendContextMenuAddMenuItems(IDataObject* dataObject,
                                                        IContextMenuCallback* callback,
                                                        const LONG* insertionAllowed) {
  if (callback == nullptr) return E_POINTER;
  FMenuTexts.clear();
  const std::unique_ptr<TKRInternal> node = ExtractInternalFormat(dataObject);
  if (!node) return S_OK;
  const LONG allowed = insertionAllowed != nullptr ? *insertionAllowed : 0;
  for (const TKRMenuCommand command : CommandsOffered(*this, *node)) {
    const TKRMenuTexts& texts = MenuTextsOf(command);
    CONTEXTMENUITEM item{};
    FillContextMenu(item, texts.name, texts.status, command, allowed);
    callback->AddItem(&item);
  }
  return S_OK;
}

void TKRComponentData::FillContextMenu(CONTEXTMENUITEM& item, UINT nameId, UINT statusId,
                                       LONG commandID, LONG insertionAllowed) {
  item.strName = FMenuTexts.emplace_back(Utf8ToUtf16(SnapinString(nameId))).data();
  item.strStatusBarText = FMenuTexts.emplace_back(Utf8ToUtf16(SnapinString(statusId))).data();
  item.lCommandID = commandID;
  item.lInsertionPointID =
      (insertionAllowed & CCM_INSERTIONALLOWED_TOP) != 0 ? CCM_INSERTIONPOINTID_PRIMARY_TOP : 0;
  item.fFlags = 0;
  item.fSpecialFlags = 0;
}

HRESULT TKRComponentData::ExtendContextMenuCommand(LONG commandID, IDataObject* dataObject) {
  const std::unique_ptr<TKRInternal> node = ExtractInternalFormat(dataObject);
  if (!node) return S_OK;
  const std::vector<TKRMenuCommand> offered = CommandsOffered(*this, *node);
  const auto chosen = std::find(offered.begin(), offered.end(), commandID);
  if (chosen == offered.end()) return S_OK;
  try {
    RunCommand(*chosen, *node);
  } catch (const std::exception& failure) {
    ShowSnapinFailure(failure);
  }
  return S_OK;
}

void TKRComponentData::RunCommand(TKRMenuCommand command, const TKRInternal& node) {
  if (command == krmcLoadIntoServer) {
    LoadIntoServer(*GroupItemOf(node.GetCookie()));
    return;
  }
  TKRFolder& folder = *FolderOfCookie(node.GetCookie());
  switch (command) {
    case krmcAddDatabaseGroup:
      CreateDatabaseGroup();
      break;
    case krmcAddServer:
      AddServer(folder);
      break;
    case krmcSaveAndCloseDatabase:
    case krmcCloseDatabase:
    case krmcSaveDatabase:
      SaveOrCloseDatabase(command, folder);
      break;
    case krmcAddWorkstation:
      AddWorkstation(folder);
      break;
    case krmcCloseServer:
      ShutDownServer(folder);
      break;
    case krmcCheckIntegrity:
      CheckIntegrity(folder);
      break;
    case krmcCreateScenario:
      AddScenario(folder);
      break;
    case krmcCreateEmptyDatabase:
      CreateEmptyDatabase(folder);
      break;
    case krmcLoadIntoServer:
      break;  // handled above: it runs on a result item
  }
}
