#include "snapin/KRDBMDataObj.h"

#include <array>
#include <cstring>

#include "platform/com/GlobalMemory.h"
#include "platform/mmc/ClipboardFormats.h"
#include "platform/text/Utf.h"
#include "platform/win32/ComputerName.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRStrings.h"

namespace {

// Node types by folder type, krftRootFolder first.
constexpr std::array<GUID, krftScenarios> kFolderNodeTypes = {
    NODETYPE_KRRootFolder,
    GuidLiteral("{8DF15401-BF67-11D2-BD76-00805F536E80}"),  // krftComputers
    GuidLiteral("{8DF15402-BF67-11D2-BD76-00805F536E80}"),  // krftComputer
    GuidLiteral("{8DF15403-BF67-11D2-BD76-00805F536E80}"),  // krftServers
    GuidLiteral("{8DF15404-BF67-11D2-BD76-00805F536E80}"),  // krftDBGroups
    GuidLiteral("{8DF15405-BF67-11D2-BD76-00805F536E80}"),  // krftServer
    GuidLiteral("{8DF15406-BF67-11D2-BD76-00805F536E80}"),  // krftDatabase
    GuidLiteral("{93768800-C060-11D2-BD78-00805F536E80}"),  // krftDBGroup
    GuidLiteral("{F79751FC-D575-11D2-BD93-00805F536E80}"),  // krftServerDB
    GuidLiteral("{AC506530-F69A-11D2-BDAD-00805F536E80}"),  // krftSchemaName
    GuidLiteral("{26930A6A-83AA-4E35-820A-7A75308E52AF}"),  // krftUsers
    GuidLiteral("{AD9B90FD-E473-44EA-9A5E-7A614B480926}"),  // krftTransactions
    GuidLiteral("{DCF2AB6A-A2FC-4B75-A768-9A45B09D9AB8}"),  // krftDeltas
    GuidLiteral("{9FD4B172-4776-46E0-A97D-7DE477092C50}"),  // krftScenarios
};

// The buffer the computer name is read into for "SNAPIN_WORKSTATION".
constexpr DWORD kWorkstationBuffer = 16;

// Writes `size` bytes at the start of the caller's global block; the block
// stays the caller's.
HRESULT CreateData(const void* data, size_t size, STGMEDIUM* medium) {
  if (data == nullptr) return E_POINTER;
  if (medium->tymed != TYMED_HGLOBAL) return DV_E_TYMED;
  // A stream over no block would write into a block of its own, lost here.
  if (medium->hGlobal == nullptr) return E_INVALIDARG;
  ComPtr<IStream> stream;
  HRESULT hr = CreateStreamOnHGlobal(medium->hGlobal, FALSE, stream.ReleaseAndGetAddressOf());
  if (FAILED(hr)) return hr;
  ULONG written = 0;
  hr = stream->Write(data, static_cast<ULONG>(size), &written);
  if (SUCCEEDED(hr) && written != size) hr = STG_E_MEDIUMFULL;
  return hr;
}

// A text as UTF-16 bytes with the terminating NUL.
HRESULT CreateTextData(const std::string& text, STGMEDIUM* medium) {
  const std::u16string wide = Utf8ToUtf16(text);
  return CreateData(wide.c_str(), (wide.size() + 1) * sizeof(char16_t), medium);
}

}  // namespace

const GUID* FolderNodeType(TKRFolderType folderType) {
  if (folderType < krftRootFolder || folderType > krftScenarios) return nullptr;
  return &kFolderNodeTypes[folderType - krftRootFolder];
}

TKRInternal::TKRInternal() : FRecord{CCT_UNINITIALIZED, -1, nullptr, GUID_NULL} {}

TKRDataObject::TKRDataObject()
    : FFormats{RegisterClipboardFormatA(kSnapinInternalFormat),
               RegisterClipboardFormatA(CCF_NODETYPE_A),
               RegisterClipboardFormatA(CCF_SNAPIN_CLASSID_A),
               RegisterClipboardFormatA(CCF_DISPLAY_NAME_A),
               RegisterClipboardFormatA(kSnapinWorkstationFormat),
               RegisterClipboardFormatA(CCF_OBJECT_TYPES_IN_MULTI_SELECT_A)} {}

HRESULT TKRDataObject::NodeType(GUID& nodeType) const {
  if (FInternal.GetCookie() == 0) {
    nodeType = NODETYPE_KRRootFolder;
    return S_OK;
  }
  switch (FInternal.GetType()) {
    case CCT_SCOPE: {
      if (!FFolderType) return E_POINTER;
      const GUID* folderNodeType = FolderNodeType(*FFolderType);
      if (folderNodeType == nullptr) {
        ShowSnapinMessage(krsInvalidFolderType);
        return E_POINTER;
      }
      nodeType = *folderNodeType;
      return S_OK;
    }
    case CCT_RESULT:
      nodeType = NODETYPE_KRResultItem;
      return S_OK;
    default:
      return E_POINTER;
  }
}

HRESULT TKRDataObject::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
  if (format == nullptr || medium == nullptr) return E_POINTER;
  const UINT requested = format->cfFormat;
  if (requested == FFormats.NodeType) {
    GUID nodeType{};
    const HRESULT hr = NodeType(nodeType);
    return FAILED(hr) ? hr : CreateData(&nodeType, sizeof nodeType, medium);
  }
  if (requested == FFormats.ClassID) {
    return CreateData(&FInternal.GetClsid(), sizeof(CLSID), medium);
  }
  if (requested == FFormats.DisplayName) {
    return CreateTextData(SnapinString(krsSnapinDisplayName), medium);
  }
  if (requested == FFormats.Internal) {
    return CreateData(&FInternal.Record(), sizeof(TKRInternalRecord), medium);
  }
  if (requested == FFormats.Workstation) {
    std::array<char, kWorkstationBuffer> name{};
    DWORD size = kWorkstationBuffer;
    if (!GetComputerNameA(name.data(), &size)) return E_FAIL;
    return CreateTextData(std::string(name.data(), size), medium);
  }
  return DV_E_FORMATETC;
}

HRESULT TKRDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (format == nullptr || medium == nullptr) return E_POINTER;
  if (format->cfFormat != FFormats.MultiSelectTypes) return DV_E_FORMATETC;
  if (FInternal.GetCookie() != MMC_MULTI_SELECT_COOKIE) return E_FAIL;
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = nullptr;
  medium->pUnkForRelease = nullptr;
  const size_t guidBytes = fpMultiSelData.size() * sizeof(GUID);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, guidBytes + sizeof(DWORD));
  if (block == nullptr) return STG_E_MEDIUMFULL;
  auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
  const DWORD count = static_cast<DWORD>(fpMultiSelData.size());
  std::memcpy(bytes, &count, sizeof count);
  if (guidBytes > 0) std::memcpy(bytes + sizeof count, fpMultiSelData.data(), guidBytes);
  GlobalUnlock(block);
  medium->hGlobal = block;
  return S_OK;
}

HRESULT TKRDataObject::QueryGetData(FORMATETC*) { return E_NOTIMPL; }

HRESULT TKRDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }

HRESULT TKRDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT TKRDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC** enumerator) {
  if (enumerator != nullptr) *enumerator = nullptr;
  return E_NOTIMPL;
}

HRESULT TKRDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return E_NOTIMPL; }

HRESULT TKRDataObject::DUnadvise(DWORD) { return E_NOTIMPL; }

HRESULT TKRDataObject::EnumDAdvise(IEnumSTATDATA** enumerator) {
  if (enumerator != nullptr) *enumerator = nullptr;
  return E_NOTIMPL;
}

HRESULT ExtractFromDataObject(IDataObject* dataObject, UINT format, size_t size, HGLOBAL& block) {
  block = nullptr;
  if (IS_SPECIAL_DATAOBJECT(dataObject)) return E_POINTER;
  FORMATETC request{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GlobalAlloc(GMEM_SHARE, size);
  if (medium.hGlobal == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = dataObject->GetDataHere(&request, &medium);
  if (FAILED(hr)) {
    GlobalFree(medium.hGlobal);
    return hr;
  }
  block = medium.hGlobal;
  return hr;
}

std::unique_ptr<TKRInternal> ExtractInternalFormat(IDataObject* dataObject) {
  HGLOBAL block = nullptr;
  if (FAILED(ExtractFromDataObject(dataObject, RegisterClipboardFormatA(kSnapinInternalFormat),
                                   sizeof(TKRInternalRecord), block))) {
    return nullptr;
  }
  TKRInternalRecord record;
  std::memcpy(&record, GlobalLock(block), sizeof record);
  GlobalUnlock(block);
  GlobalFree(block);
  return std::make_unique<TKRInternal>(record);
}

TKRFolder* FolderOfCookie(TKRFolder* root, MMC_COOKIE cookie) {
  if (root == nullptr || IS_SPECIAL_COOKIE(cookie)) return nullptr;
  return root->SearchFolderByCookie(cookie);
}

HRESULT _QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type, TKRFolder* root,
                         IDataObject** dataObject) {
  if (dataObject == nullptr) return E_POINTER;
  *dataObject = nullptr;
  ComPtr<TKRDataObject> object = MakeComObject<TKRDataObject>();
  object->SetObjectType(type);
  object->SetCookie(cookie);
  object->SetCLSID(CLSID_KRComponentData);
  if (const TKRFolder* folder = FolderOfCookie(root, cookie)) {
    object->SetFolderType(folder->FolderType());
  }
  *dataObject = object.Detach();
  return S_OK;
}
