#include "snapin/KRDBMComponent.h"

#include <charconv>
#include <vector>

#include "platform/text/Utf.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMDataObj.h"

namespace {

// The text of column `column`, or empty when there is none.
std::string ColumnOf(const std::vector<std::string>& columns, int column) {
  if (column < 0 || static_cast<size_t>(column) >= columns.size()) return {};
  return columns[static_cast<size_t>(column)];
}

// The image of every result-item row.
constexpr int kResultItemImage = 1;
// Owner-data searches accept numbers below this.
constexpr int kFindItemLimit = 100000;

}  // namespace

TIComponent::TIComponent() = default;  // default list view, not dirty

TIComponent::~TIComponent() = default;

void TIComponent::SetIComponentData(TKRComponentData* componentData) {
  FComponentData = componentData;
}

HRESULT TIComponent::Initialize(IConsole* console) {
  if (console == nullptr) return E_POINTER;
  FInitialized = true;
  FIConsole = console;
  if (SUCCEEDED(console->QueryInterface(IID_IHeaderCtrl, FHeader.ReleaseAndGetVoidAddress()))) {
    console->SetHeader(FHeader.Get());
  }
  console->QueryInterface(IID_IResultData, FResult.ReleaseAndGetVoidAddress());
  console->QueryResultImageList(FImageResult.ReleaseAndGetAddressOf());
  console->QueryConsoleVerb(FConsoleVerb.ReleaseAndGetAddressOf());
  return S_OK;
}

HRESULT TIComponent::Destroy(MMC_COOKIE) {
  FIConsole = nullptr;
  FHeader = nullptr;
  FResult = nullptr;
  FImageResult = nullptr;
  FConsoleVerb = nullptr;
  return S_OK;
}

HRESULT TIComponent::QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
                                     IDataObject** dataObject) {
  if (dataObject == nullptr) return E_POINTER;
  *dataObject = nullptr;
  if (cookie == MMC_MULTI_SELECT_COOKIE)
    return QueryMultiSelectDataObject(cookie, type, dataObject);
  if (!FComponentData) return E_UNEXPECTED;
  FComponentData->QueryDataObject(cookie, type, dataObject);
  return S_OK;
}

HRESULT TIComponent::QueryMultiSelectDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
                                                IDataObject** dataObject) {
  if (!FComponentData) return E_UNEXPECTED;
  std::vector<GUID> nodeTypes;
  RESULTDATAITEM entry{};
  entry.mask = RDI_STATE;
  entry.nIndex = -1;
  entry.nState = LVIS_SELECTED;
  while (FResult && SUCCEEDED(FResult->GetNextItem(&entry)) && entry.nIndex != -1) {
    const TKRFolder* folder = nullptr;
    if (entry.bScopeItem) {
      folder = FComponentData->FolderOfCookie(entry.lParam);
    } else if (const TKRResultData* item = TKRFolder::SearchItemByCookie(entry.lParam)) {
      folder = item->Parent();
    }
    const GUID* nodeType = folder != nullptr ? FolderNodeType(folder->FolderType()) : nullptr;
    if (nodeType == nullptr) return E_FAIL;
    nodeTypes.push_back(*nodeType);
  }
  ComPtr<TKRDataObject> object = MakeComObject<TKRDataObject>();
  object->SetObjectType(type);
  object->SetCookie(cookie);
  object->SetMultiSelDobj(true);
  CLSID classID{};
  FComponentData->GetCoClassID(classID);
  object->SetCLSID(classID);
  object->SetMultiSelData(std::move(nodeTypes));
  *dataObject = object.Detach();
  return S_OK;
}

HRESULT TIComponent::GetResultViewType(MMC_COOKIE, LPOLESTR*, LONG* viewOptions) {
  FVirtualView = false;
  if (viewOptions != nullptr) *viewOptions = MMC_VIEW_OPTIONS_MULTISELECT;
  return S_FALSE;
}

HRESULT TIComponent::GetDisplayInfo(RESULTDATAITEM* resultItem) {
  if (resultItem == nullptr) return E_POINTER;
  std::string text;
  if (resultItem->bScopeItem) {
    if (TKRFolder* folder = FolderOfCookie(resultItem->lParam); folder != nullptr) {
      text = ColumnOf(folder->GetColumns(), resultItem->nCol);
      if ((resultItem->mask & RDI_IMAGE) != 0 && folder->ScopeItem() != nullptr) {
        resultItem->nImage = folder->ScopeItem()->nImage;
      }
    }
  } else {
    if (const TKRResultData* item = TKRFolder::SearchItemByCookie(resultItem->lParam)) {
      text = ColumnOf(item->Columns(), resultItem->nCol);
    }
    if ((resultItem->mask & RDI_IMAGE) != 0) resultItem->nImage = kResultItemImage;
  }
  if ((resultItem->mask & RDI_STR) != 0) {
    FDisplayText = Utf8ToUtf16(text);
    resultItem->str = FDisplayText.data();
  }
  return S_OK;
}

HRESULT TIComponent::CompareObjects(IDataObject*, IDataObject*) { return S_FALSE; }

TKRFolder* TIComponent::FolderOfCookie(MMC_COOKIE cookie) const {
  return FComponentData ? FComponentData->FolderOfCookie(cookie) : nullptr;
}

ComPtr<IExtendContextMenu> TIComponent::ContextMenuOfData() const {
  return FComponentData ? FComponentData.As<IExtendContextMenu>() : nullptr;
}

HRESULT TIComponent::AddMenuItems(IDataObject* dataObject, IContextMenuCallback* callback,
                                  LONG* insertionAllowed) {
  const ComPtr<IExtendContextMenu> menu = ContextMenuOfData();
  return menu ? menu->AddMenuItems(dataObject, callback, insertionAllowed) : S_OK;
}

HRESULT TIComponent::Command(LONG commandID, IDataObject* dataObject) {
  const ComPtr<IExtendContextMenu> menu = ContextMenuOfData();
  return menu ? menu->Command(commandID, dataObject) : S_OK;
}

HRESULT TIComponent::FindItem(RESULTFINDINFO* findInfo, int* index) {
  if (findInfo == nullptr || index == nullptr) return E_POINTER;
  if (findInfo->psz == nullptr) return S_FALSE;
  const std::string text = Utf16ToUtf8(findInfo->psz);
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  const bool digitsOnly = !text.empty() && text.front() != '-' && stop == end;
  if (error != std::errc() || !digitsOnly || value >= kFindItemLimit) return S_FALSE;
  *index = value;
  return S_OK;
}

HRESULT TIComponent::CacheHint(int, int) { return S_OK; }

HRESULT TIComponent::SortItems(int column, DWORD options, LPARAM) {
  if (column != 0 || options == FVirtualSortOptions) return S_FALSE;
  FVirtualSortOptions = options;
  return S_OK;
}
