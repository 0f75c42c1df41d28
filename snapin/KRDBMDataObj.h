#pragma once
// Data objects: how the console names a node to the snap-in. Every callback
// that concerns a node carries an IDataObject made earlier by
// QueryDataObject; TKRDataObject is that object. It carries an internal
// record (data-object type, cookie, the snap-in's class identifier) and
// answers these clipboard formats through GetDataHere, writing into the
// caller's global block:
//   "SNAPIN_INTERNAL"     the TKRInternalRecord, member by member as laid out
//                         in memory (the cookie is pointer-sized)
//   "CCF_NODETYPE"        the node's 16-byte node-type GUID
//   "CCF_SNAPIN_CLASSID"  the record's 16-byte class identifier
//   "CCF_DISPLAY_NAME"    the snap-in's display name, UTF-16 with its NUL
//   "SNAPIN_WORKSTATION"  the local computer's name, UTF-16 with its NUL
// and through GetData, for a multiple selection (cookie -2) only,
// "CCF_OBJECT_TYPES_IN_MULTI_SELECT": a 32-bit count, then the GUIDs.
// Other formats answer DV_E_FORMATETC.
//
// A node type depends on the folder a scope cookie designates. The data
// object does not reach into the node tree at answer time (the folder may be
// gone by then): its maker records the folder's type when it makes it.
//
// ExtractInternalFormat reads the internal record back from any data object;
// objects of other snap-ins and the console's own answer none.

#include <memory>
#include <optional>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/DataObject.h"
#include "platform/mmc/MmcTypes.h"
#include "snapin/KRFolder.h"

// Names of the snap-in's own clipboard formats.
inline constexpr char kSnapinInternalFormat[] = "SNAPIN_INTERNAL";
inline constexpr char kSnapinWorkstationFormat[] = "SNAPIN_WORKSTATION";

// Node types: one per folder type, one for every result item.
inline constexpr GUID NODETYPE_KRRootFolder = GuidLiteral("{8DF15400-BF67-11D2-BD76-00805F536E80}");
inline constexpr GUID NODETYPE_KRResultItem = GuidLiteral("{92991227-B7B1-11D2-BD6D-00805F536E80}");
// The node type of a folder type; null outside krftRootFolder..krftScenarios.
const GUID* FolderNodeType(TKRFolderType folderType);

// The internal record, members in this order. FString is a reference to a
// text that is never filled (always null).
struct TKRInternalRecord {
  DWORD FType;
  MMC_COOKIE FCookie;
  const char16_t* FString;
  CLSID FClsid;
};

// One internal record; a new one has type CCT_UNINITIALIZED, cookie -1, no
// text and a null class identifier.
class TKRInternal {
 public:
  TKRInternal();
  explicit TKRInternal(const TKRInternalRecord& record) : FRecord(record) {}

  DATA_OBJECT_TYPES GetType() const { return static_cast<DATA_OBJECT_TYPES>(FRecord.FType); }
  void SetType(DATA_OBJECT_TYPES type) { FRecord.FType = type; }
  MMC_COOKIE GetCookie() const { return FRecord.FCookie; }
  void SetCookie(MMC_COOKIE cookie) { FRecord.FCookie = cookie; }
  const CLSID& GetClsid() const { return FRecord.FClsid; }
  void SetClsid(const CLSID& clsid) { FRecord.FClsid = clsid; }
  const TKRInternalRecord& Record() const { return FRecord; }

 private:
  TKRInternalRecord FRecord;
};

class TKRDataObject : public ComObject<IDataObject> {
 public:
  // A new internal record and no multi-selection block; registers the
  // formats.
  TKRDataObject();

  void SetObjectType(DATA_OBJECT_TYPES type) { FInternal.SetType(type); }
  void SetCookie(MMC_COOKIE cookie) { FInternal.SetCookie(cookie); }
  void SetCLSID(const CLSID& classID) { FInternal.SetClsid(classID); }
  // The type of the folder that a scope cookie designates; without one a
  // scope node has no node type.
  void SetFolderType(TKRFolderType folderType) { FFolderType = folderType; }
  // The node types of a multiple selection, in selection order.
  void SetMultiSelData(std::vector<GUID> nodeTypes) { fpMultiSelData = std::move(nodeTypes); }
  void SetMultiSelDobj(bool multiSelection) { fbMultiSelDobj = multiSelection ? 1 : 0; }
  bool MultiSelDobj() const { return fbMultiSelDobj != 0; }
  const TKRInternal& Internal() const { return FInternal; }

  HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  // The formats are not listed or queried, and nothing is set or advised:
  // E_NOTIMPL (with none in the out values).
  HRESULT QueryGetData(FORMATETC* format) override;
  HRESULT GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override;
  HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
  HRESULT DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) override;
  HRESULT DUnadvise(DWORD connection) override;
  HRESULT EnumDAdvise(IEnumSTATDATA** enumerator) override;

 private:
  struct Formats {
    UINT Internal, NodeType, ClassID, DisplayName, Workstation, MultiSelectTypes;
  };

  // The node-type answer: S_OK and the GUID, or E_POINTER.
  HRESULT NodeType(GUID& nodeType) const;

  Formats FFormats;
  TKRInternal FInternal;
  std::vector<GUID> fpMultiSelData;
  BOOL fbMultiSelDobj = 0;
  std::optional<TKRFolderType> FFolderType;
};

// Asks `dataObject` (GetDataHere) for `format` into a new fixed global block
// of `size` bytes. S_OK and the block (the caller frees it with GlobalFree),
// or the failure and null: E_OUTOFMEMORY when the block cannot be had,
// E_POINTER for a null or special data object, else the object's answer.
HRESULT ExtractFromDataObject(IDataObject* dataObject, UINT format, size_t size, HGLOBAL& block);
// A private copy of the data object's internal record, or none.
std::unique_ptr<TKRInternal> ExtractInternalFormat(IDataObject* dataObject);

// A data object for `cookie` made for `type`, carrying the snap-in's class
// identifier; a scope cookie's folder is looked up in the tree under `root`
// (cookie 0 is the root itself; special cookies designate no folder).
// E_POINTER for a null out value, else S_OK.
HRESULT _QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type, TKRFolder* root,
                         IDataObject** dataObject);
// The folder that a cookie from the console designates in the tree under
// `root`; null for special cookies (-10..-1) and cookies of no folder.
TKRFolder* FolderOfCookie(TKRFolder* root, MMC_COOKIE cookie);
