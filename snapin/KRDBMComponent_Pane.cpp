// The result pane's contents: headers, listings, the refresh of a listing,
// sorting and the image strips. Everything that depends on the folder type
// is in the three tables at the top.

#include <array>
#include <optional>
#include <span>

#include "platform/text/Locale.h"
#include "platform/text/Utf.h"
#include "platform/ui/MessageBox.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent.h"
#include "snapin/KRDBMDataObj.h"
#include "snapin/KRImages.h"
#include "snapin/KRStrings.h"

namespace {

struct TKRColumn {
  UINT title;
  int format;
  int width;
};

constexpr TKRColumn kName150{krsColumnName, LVCFMT_LEFT, 150};
constexpr TKRColumn kName175{krsColumnName, LVCFMT_LEFT, 175};
constexpr std::array kItemsColumns{kName150, TKRColumn{krsColumnNumberOfItems, LVCFMT_RIGHT, 100}};
constexpr std::array kServersColumns{kName150,
                                     TKRColumn{krsColumnNumberOfDatabases, LVCFMT_RIGHT, 100}};
constexpr std::array kDBGroupsColumns{kName150,
                                      TKRColumn{krsColumnNumberOfDatabases, LVCFMT_RIGHT, 100},
                                      TKRColumn{krsColumnLocation, LVCFMT_LEFT, 200}};
constexpr std::array kServerColumns{kName150, TKRColumn{krsColumnNumberOfUsers, LVCFMT_RIGHT, 100}};
constexpr std::array kDBGroupColumns{kName175, TKRColumn{krsColumnSize, LVCFMT_RIGHT, 75},
                                     TKRColumn{krsColumnDateSaved, LVCFMT_RIGHT, 175}};
constexpr std::array kServerDBColumns{kName175};
constexpr std::array kUsersColumns{kName175, TKRColumn{krsColumnHost, LVCFMT_RIGHT, 100},
                                   TKRColumn{krsColumnAdministrator, LVCFMT_RIGHT, 75}};
constexpr std::array kScenariosColumns{kName175,
                                       TKRColumn{krsColumnPrivate, LVCFMT_LEFT, 75},
                                       TKRColumn{krsColumnProtected, LVCFMT_LEFT, 75},
                                       TKRColumn{krsColumnScenario, LVCFMT_LEFT, 75},
                                       TKRColumn{krsColumnCreatedBy, LVCFMT_LEFT, 75},
                                       TKRColumn{krsColumnCreationDate, LVCFMT_LEFT, 175},
                                       TKRColumn{krsColumnDescription, LVCFMT_LEFT, 175}};

// The header columns of a folder type; none for the types that are never
// made.
std::span<const TKRColumn> ColumnsOf(TKRFolderType folderType) {
  switch (folderType) {
    case krftRootFolder:
    case krftComputers:
    case krftComputer:
    case krftSchemaName:
      return kItemsColumns;
    case krftServers:
      return kServersColumns;
    case krftDBGroups:
      return kDBGroupsColumns;
    case krftServer:
      return kServerColumns;
    case krftDBGroup:
      return kDBGroupColumns;
    case krftServerDB:
      return kServerDBColumns;
    case krftUsers:
      return kUsersColumns;
    case krftScenarios:
      return kScenariosColumns;
    default:
      return {};
  }
}

// The image of the result items a folder type lists; none for the types
// that list no items of their own.
std::optional<int> ItemImageOf(TKRFolderType folderType) {
  switch (folderType) {
    case krftServer:
      return 2;
    case krftDBGroup:
    case krftServerDB:
      return 4;
    case krftSchemaName:
      return 6;
    case krftUsers:
      return 7;
    case krftScenarios:
      return 14;
    default:
      return std::nullopt;
  }
}

// A listing operation of the component data: (re)builds a folder's contents.
using TKRListing = void (TKRComponentData::*)(TKRFolder&, TKRNodeTypes);

// The listing of the folder types a refresh rebuilds; null for the others.
TKRListing ListingOf(TKRFolderType folderType) {
  switch (folderType) {
    case krftServer:
      return &TKRComponentData::CreateServerItems;
    case krftDBGroup:
      return &TKRComponentData::CreateDBItemsIntoGroup;
    case krftServerDB:
      return &TKRComponentData::CreateServerDBItems;
    case krftSchemaName:
      return &TKRComponentData::CreateSchemaItems;
    case krftUsers:
      return &TKRComponentData::CreateUsersItems;
    case krftScenarios:
      return &TKRComponentData::CreateScenariosItems;
    default:
      return nullptr;
  }
}

// The text of column `column` of a result item, or none.
const std::string* ColumnText(const TKRResultData& item, int column) {
  if (column < 0 || static_cast<size_t>(column) >= item.Columns().size()) return nullptr;
  return &item.Columns()[static_cast<size_t>(column)];
}

// Shows `text` in an information box without owner or caption.
void ShowInformation(const std::string& text) {
  MessageBox(text, std::string(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace

void TIComponent::InitializeHeaders(MMC_COOKIE cookie) {
  const TKRFolder* folder = FolderOfCookie(cookie);
  if (!FHeader || folder == nullptr) return;
  while (SUCCEEDED(FHeader->DeleteColumn(0))) {
  }
  int index = 0;
  for (const TKRColumn& column : ColumnsOf(folder->FolderType())) {
    const std::u16string title = Utf8ToUtf16(SnapinString(column.title));
    FHeader->InsertColumn(index++, title.c_str(), column.format, column.width);
  }
}

void TIComponent::EnumerateResultPane(MMC_COOKIE cookie) {
  const TKRFolder* folder = FolderOfCookie(cookie);
  if (folder == nullptr || !FResult) return;
  FResult->DeleteAllRsltItems();
  if (const std::optional<int> image = ItemImageOf(folder->FolderType())) AddItems(*folder, *image);
}

void TIComponent::AddItems(const TKRFolder& folder, int image) {
  for (const auto& item : folder.Items()) {
    RESULTDATAITEM row{};
    row.mask = RDI_STR | RDI_IMAGE | RDI_PARAM;
    row.str = MMC_CALLBACK;
    row.nImage = image;
    row.lParam = item->Cookie();
    FResult->InsertItem(&row);
  }
}

void TIComponent::Refresh(IDataObject* dataObject, TKRNodeTypes mode) {
  const std::unique_ptr<TKRInternal> internal = ExtractInternalFormat(dataObject);
  if (!internal) return;
  if (internal->GetType() != CCT_SCOPE) {
    const TKRResultData* item = TKRFolder::SearchItemByCookie(internal->GetCookie());
    const std::string* name = item != nullptr ? ColumnText(*item, 0) : nullptr;
    ShowInformation(name != nullptr ? *name : std::string());
    return;
  }
  TKRFolder* folder = FolderOfCookie(internal->GetCookie());
  if (folder == nullptr) return;
  const TKRListing listing = ListingOf(folder->FolderType());
  if (listing == nullptr) return;
  folder->DeleteItems();
  (FComponentData.Get()->*listing)(*folder, mode);
  EnumerateResultPane(folder->Cookie());
}

bool TIComponent::ObjectIsDirty(IDataObject* dataObject) {
  const std::unique_ptr<TKRInternal> internal = ExtractInternalFormat(dataObject);
  if (!internal || internal->GetType() != CCT_SCOPE) return false;
  const TKRFolder* folder = FolderOfCookie(internal->GetCookie());
  return folder != nullptr && folder->Dirty();
}

HRESULT TIComponent::Compare(LPARAM, MMC_COOKIE a, MMC_COOKIE b, int* result) {
  if (result == nullptr) return E_POINTER;
  const TKRResultData* first = TKRFolder::SearchItemByCookie(a);
  const TKRResultData* second = TKRFolder::SearchItemByCookie(b);
  const std::string* firstText = first != nullptr ? ColumnText(*first, *result) : nullptr;
  const std::string* secondText = second != nullptr ? ColumnText(*second, *result) : nullptr;
  if (firstText == nullptr || secondText == nullptr) {
    *result = -1;
    return S_FALSE;
  }
  *result = AnsiCompareStr(*firstText, *secondText);
  return S_OK;
}

void TIComponent::InitializeBitmaps() {
  if (FImageResult) SetSnapinImageStrips(FImageResult.Get());
}
