// The component's notifications from the console.

#include "platform/com/Clipboard.h"
#include "platform/com/DataObject.h"
#include "platform/mmc/ClipboardFormats.h"
#include "platform/text/SysUtils.h"
#include "platform/text/Utf.h"
#include "platform/ui/MessageBox.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent.h"
#include "snapin/KRDBMDataObj.h"
#include "snapin/KRStrings.h"

namespace {

// The longest item name, in UTF-16 units.
constexpr size_t kItemNameLength = 128;

// The console's selection argument: a scope row losing the selection.
constexpr LPARAM kScopeDeselected = 1;

// `text` cut to at most `length` UTF-16 units, never inside a surrogate pair.
std::u16string Truncated(std::u16string text, size_t length) {
  if (text.size() <= length) return text;
  const bool splitsPair = text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF;
  text.resize(splitsPair ? length - 1 : length);
  return text;
}

}  // namespace

HRESULT TIComponent::Notify(IDataObject* dataObject, MMC_NOTIFY_TYPE event, LPARAM arg, LPARAM) {
  if (IS_SPECIAL_DATAOBJECT(dataObject)) {
    if (event == MMCN_REFRESH) Refresh(dataObject, kRefreshAll);
    return S_OK;
  }
  switch (event) {
    case MMCN_COLUMN_CLICK:  // the console sorts through Compare
    case MMCN_DESELECT_ALL:
    case MMCN_SNAPINHELP:
    case MMCN_PROPERTY_CHANGE:
    case MMCN_VIEW_CHANGE:
      return S_OK;
    default:
      break;
  }
  std::unique_ptr<TKRInternal> internal;
  if (!IsMMCMultiSelectDataObject(dataObject)) {
    internal = ExtractInternalFormat(dataObject);
    if (!internal) return S_OK;
  }
  return NotifyRecorded(dataObject, internal.get(), event, arg);
}

HRESULT TIComponent::NotifyRecorded(IDataObject* dataObject, const TKRInternal* internal,
                                    MMC_NOTIFY_TYPE event, LPARAM arg) {
  switch (event) {
    case MMCN_ACTIVATE:
    case MMCN_INITOCX:
    case MMCN_CLICK:
    case MMCN_MINIMIZED:
      return S_OK;
    case MMCN_ADD_IMAGES:
      return OnAddImages(arg);
    case MMCN_DBLCLICK:
      return internal != nullptr ? OnDoubleClick(*internal) : S_OK;
    case MMCN_REFRESH:
      Refresh(dataObject, kRefreshAll);
      return S_OK;
    case MMCN_SELECT:
      if (arg != kScopeDeselected && ObjectIsDirty(dataObject)) Refresh(dataObject, kRefreshAll);
      HandleStandardVerbs(false, arg, dataObject);
      return S_OK;
    case MMCN_SHOW:
      return internal != nullptr ? OnShow(internal->GetCookie(), arg) : S_OK;
    case MMCN_CONTEXTHELP:
      return OnContextHelp(dataObject);
    default:
      return E_UNEXPECTED;
  }
}

HRESULT TIComponent::OnShow(MMC_COOKIE cookie, LPARAM arg) {
  if (arg != 0 && FCustomViewID == VIEW_DEFAULT_LV) {
    InitializeHeaders(cookie);
    EnumerateResultPane(cookie);
  }
  return S_OK;
}

HRESULT TIComponent::OnDoubleClick(const TKRInternal& internal) {
  if (internal.GetType() != CCT_SCOPE) return S_FALSE;  // the console runs the default verb
  const TKRFolder* folder = FolderOfCookie(internal.GetCookie());
  if (FIConsole && folder != nullptr && folder->ScopeItem() != nullptr) {
    FIConsole->SelectScopeItem(folder->ScopeItem()->ID);
  }
  return S_OK;
}

HRESULT TIComponent::OnAddImages(LPARAM arg) {
  if (arg == 0) return E_INVALIDARG;
  InitializeBitmaps();
  return S_OK;
}

HRESULT TIComponent::OnContextHelp(IDataObject* dataObject) {
  const std::string text =
      Format(SnapinString(krsContextHelp), {Utf16ToUtf8(GetItemName(dataObject))});
  MessageBox(text, std::string(), MB_OK | MB_ICONINFORMATION);
  return S_OK;
}

std::u16string TIComponent::GetItemName(IDataObject* dataObject) {
  const std::unique_ptr<TKRInternal> internal = ExtractInternalFormat(dataObject);
  if (!internal) return {};
  std::string name;
  if (internal->GetType() != CCT_SCOPE) {
    if (const TKRResultData* item = TKRFolder::SearchItemByCookie(internal->GetCookie());
        item != nullptr && !item->Columns().empty()) {
      name = item->Columns()[0];
    }
  } else if (internal->GetCookie() == 0) {
    name = "Static Folder";
  } else if (const TKRFolder* folder = FolderOfCookie(internal->GetCookie())) {
    name = folder->ColumnText(0);
  }
  return Truncated(Utf8ToUtf16(name), kItemNameLength);
}

bool TIComponent::IsMMCMultiSelectDataObject(IDataObject* dataObject) {
  if (IS_SPECIAL_DATAOBJECT(dataObject)) return false;
  static const UINT format = RegisterClipboardFormatA(CCF_MMC_MULTISELECT_DATAOBJECT_A);
  FORMATETC query{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return dataObject->QueryGetData(&query) == S_OK;
}
