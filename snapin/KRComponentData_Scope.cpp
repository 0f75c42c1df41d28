// The scope pane: the component data's IComponentData.

#include "platform/text/Locale.h"
#include "platform/text/Utf.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent.h"
#include "snapin/KRDBMDataObj.h"
#include "snapin/KRImages.h"
#include "snapin/KRStrings.h"

namespace {

// The separator between a schema's name and version in its folder's name.
constexpr std::string_view kSchemaVersionSeparator = " - ";

}  // namespace

HRESULT TKRComponentData::Initialize(IUnknown* console) {
  if (console == nullptr) return E_POINTER;
  HRESULT hr =
      console->QueryInterface(IID_IConsoleNameSpace, FIConsoleNameSpace.ReleaseAndGetVoidAddress());
  if (FAILED(hr)) return hr;
  hr = console->QueryInterface(IID_IConsole, FIConsole.ReleaseAndGetVoidAddress());
  if (FAILED(hr)) return hr;
  FIConsole->QueryConsoleVerb(FIConsoleVerb.ReleaseAndGetAddressOf());

  ComPtr<IImageList> imageList;
  hr = FIConsole->QueryScopeImageList(imageList.ReleaseAndGetAddressOf());
  if (FAILED(hr)) return hr;
  if (!imageList) return E_UNEXPECTED;
  return SetSnapinImageStrips(imageList.Get());
}

HRESULT TKRComponentData::CreateComponent(IComponent** component) {
  if (component == nullptr) return E_POINTER;
  *component = nullptr;
  ComPtr<TIComponent> created = MakeComObject<TIComponent>();
  created->SetIComponentData(this);
  *component = created.Detach();
  return S_OK;
}

HRESULT TKRComponentData::Notify(IDataObject* dataObject, MMC_NOTIFY_TYPE event, LPARAM arg,
                                 LPARAM param) {
  switch (event) {
    case MMCN_DELETE:
      return OnDelete(dataObject);
    case MMCN_EXPAND:
      return OnExpand(dataObject, arg, param);
    case MMCN_RENAME:
      return OnRename(dataObject, arg, param);
    default:
      return S_OK;
  }
}

HRESULT TKRComponentData::Destroy() {
  FIConsole = nullptr;
  FIConsoleNameSpace = nullptr;
  FIConsoleVerb = nullptr;
  return S_OK;
}

HRESULT TKRComponentData::QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
                                          IDataObject** dataObject) {
  return _QueryDataObject(cookie, type, GetRootFolder(), dataObject);
}

HRESULT TKRComponentData::GetDisplayInfo(SCOPEDATAITEM* scopeItem) {
  if (scopeItem == nullptr) return E_POINTER;
  TKRFolder* folder = FolderOfCookie(scopeItem->lParam);
  std::u16string& text = FDisplayTexts[folder];
  if (folder == nullptr) {
    text.clear();
  } else if (folder->Cookie() == 0) {
    text = Utf8ToUtf16(SnapinString(krsSnapinDisplayName));
  } else {
    text = Utf8ToUtf16(folder->ColumnText(0));
  }
  scopeItem->displayname = text.data();
  return S_OK;
}

HRESULT TKRComponentData::CompareObjects(IDataObject* a, IDataObject* b) {
  const std::unique_ptr<TKRInternal> first = ExtractInternalFormat(a);
  const std::unique_ptr<TKRInternal> second = ExtractInternalFormat(b);
  if (!first || !second) return S_FALSE;
  return first->GetCookie() == second->GetCookie() ? S_OK : S_FALSE;
}

HRESULT TKRComponentData::OnExpand(IDataObject* dataObject, LPARAM arg, LPARAM param) {
  if (arg != 0) EnumerateScopePane(dataObject, static_cast<HSCOPEITEM>(param));
  return S_OK;
}

void TKRComponentData::EnumerateScopePane(IDataObject* dataObject, HSCOPEITEM parent) {
  const std::unique_ptr<TKRInternal> internal = ExtractInternalFormat(dataObject);
  if (!internal) return;
  TKRFolder* folder = FolderOfCookie(internal->GetCookie());
  if (folder == nullptr) return;
  if (internal->GetCookie() == 0) FStaticRoot = parent;
  for (const auto& child : folder->Childs()) {
    // A child made under an already displayed folder was inserted then.
    if (child->ScopeItem() != nullptr && child->ScopeItem()->ID != 0) continue;
    child->PrepareScopeItem(parent);
    if (FIConsoleNameSpace) FIConsoleNameSpace->InsertItem(child->ScopeItem());
  }
  folder->SetEnumerated(true);
  if (folder->ScopeItem() != nullptr) folder->ScopeItem()->relativeID = parent;
}

HRESULT TKRComponentData::OnRename(IDataObject* dataObject, LPARAM, LPARAM param) {
  const std::unique_ptr<TKRInternal> internal = ExtractInternalFormat(dataObject);
  if (!internal) return S_FALSE;
  TKRFolder* folder = FolderOfCookie(internal->GetCookie());
  const auto* newName = reinterpret_cast<const char16_t*>(param);
  if (folder == nullptr || newName == nullptr) return S_FALSE;
  folder->GetColumns()[0] = Utf16ToUtf8(newName);
  // The name is part of the document (servers and groups are saved by it).
  FIsDirty = true;
  return S_OK;
}

HRESULT TKRComponentData::OnDelete(IDataObject* dataObject) {
  const std::unique_ptr<TKRInternal> internal = ExtractInternalFormat(dataObject);
  if (!internal) return S_FALSE;
  TKRFolder* folder = FolderOfCookie(internal->GetCookie());
  if (folder == nullptr) return S_FALSE;
  bool deletable = false;
  switch (folder->FolderType()) {
    case krftServer:
    case krftDBGroup:
      deletable = true;
      break;
    case krftComputer:
      deletable = !AnsiSameText(folder->ColumnText(0), FComputerName);
      break;
    default:
      break;
  }
  if (!deletable) return S_FALSE;
  DeleteFolder(*folder);
  // The document no longer holds what was deleted; quitting must offer to save.
  FIsDirty = true;
  return S_OK;
}

TKRFolder* TKRComponentData::FolderOfCookie(MMC_COOKIE cookie) {
  return ::FolderOfCookie(GetRootFolder(), cookie);
}

void TKRComponentData::RemoveChildFolders(TKRFolder& folder) {
  while (!folder.Childs().empty()) DeleteFolder(*folder.Childs().front());
}

void TKRComponentData::DeleteFolder(TKRFolder& folder) {
  TKRFolder* parent = folder.Parent();
  if (parent == nullptr) return;  // the root stays
  const SCOPEDATAITEM* item = folder.ScopeItem();
  if (FIConsoleNameSpace && item != nullptr && item->ID != 0) {
    FIConsoleNameSpace->DeleteItem(item->ID, TRUE);
  }
  ForgetDisplayTexts(folder);
  parent->RemoveChild(&folder);
}

void TKRComponentData::ForgetDisplayTexts(const TKRFolder& folder) {
  FDisplayTexts.erase(&folder);
  for (const auto& child : folder.Childs()) ForgetDisplayTexts(*child);
}

void TKRComponentData::GetSchemaNameVersion(const std::string& text, std::string& version,
                                            std::string& schemaName) {
  const size_t separator = text.find(kSchemaVersionSeparator);
  if (separator == std::string::npos) {
    version.clear();
    schemaName.clear();
    return;
  }
  schemaName = text.substr(0, separator);
  version = text.substr(separator + kSchemaVersionSeparator.size());
}

void TKRComponentData::SetConsoleStatus(const std::string& text) {
  const ComPtr<IConsole2> console = FIConsole.As<IConsole2>();
  if (!console) return;
  std::u16string wide = Utf8ToUtf16(text);
  console->SetStatusText(wide.data());
}
