#pragma once
// TIComponent: the snap-in's per-view object, made by the component data's
// CreateComponent for every console view. It owns what the result pane
// shows: the headers of the selected folder, its listed result items, their
// texts and images, column sorting, the refresh of a listing, the console
// verbs of a selection and the component's own (tiny) document stream. The
// items themselves belong to the node tree, so several views show the same
// ones. It holds a counted reference to its component data (so a view that
// outlives the snap-in object never reaches a freed tree) and the console's
// result-pane interfaces, which Destroy releases.
//
// - Initialize keeps the console, its header control (handed back through
//   SetHeader), the result data, the result image list and the verbs;
//   whatever the console does not offer stays absent. S_OK.
// - Notify: the console's special data objects are ignored (S_OK) except for
//   a refresh; column clicks, property and view changes, deselect-all and
//   snap-in help do nothing (S_OK); every other notification needs the data
//   object's internal record (none: S_OK). Selecting lists a dirty folder
//   and sets the verbs; showing a folder builds its headers and listing;
//   a double click opens a scope row (a result row answers S_FALSE so that
//   the console runs the default verb); context help names the item in an
//   information box. Unknown notifications answer E_UNEXPECTED.
// - QueryDataObject makes the multi-selection object for cookie -2 (the node
//   types of the selected rows, in selection order; E_FAIL when a row's
//   folder type has no node type) and leaves every other cookie to the
//   component data.
// - GetResultViewType asks for the default list view with multiple
//   selection (S_FALSE).
// - GetDisplayInfo answers a row's text in the asked column (empty when
//   there is none) and its image: a folder row its scope image, an item row
//   image 1. The text stays valid until the next call.
// - CompareObjects answers S_FALSE: two data objects never denote one row.
// - The context-menu calls go to the component data's IExtendContextMenu;
//   a component data without one offers no items and runs no command.
// - Compare orders two result items by the text of the asked column
//   (locale-aware, with case); a pair where either lacks it is -1 (S_FALSE).
// - The owner-data calls exist for the interface only: the pane never asks
//   for a virtual list.
// - The document stream holds the words 0 and 1; the component never
//   becomes dirty.
//
// The pieces live in KRDBMComponent.cpp (interfaces and data objects),
// KRDBMComponent_Notify.cpp (notifications), KRDBMComponent_Pane.cpp
// (headers, listings, refresh, sorting), KRDBMComponent_Verbs.cpp (the verb
// states) and KRDBMComponent_Persist.cpp (the stream).

#include <memory>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/mmc/MmcInterfaces.h"
#include "platform/mmc/PersistStream.h"
#include "snapin/KRFolder.h"

class TKRComponentData;
class TKRInternal;

// The result view a component asks for; only the default list view is used.
enum TCustomViewID : uint8_t { VIEW_DEFAULT_LV, VIEW_CALENDAR_OCX, VIEW_MICROSOFT_URL };

// What a refresh asks the listing operations for: child folders and items.
inline constexpr TKRNodeTypes kRefreshAll{krntFolder, krntItem};

class TIComponent : public ComObject<IComponent, IExtendContextMenu, IResultDataCompare,
                                     IResultOwnerData, IPersistStream> {
 public:
  TIComponent();
  ~TIComponent() override;

  void SetIComponentData(TKRComponentData* componentData);
  TKRComponentData* ComponentData() const { return FComponentData.Get(); }
  bool Initialized() const { return FInitialized; }
  IConsole* Console() const { return FIConsole.Get(); }
  IResultData* ResultData() const { return FResult.Get(); }
  IHeaderCtrl* Header() const { return FHeader.Get(); }

  // IComponent
  HRESULT Initialize(IConsole* console) override;
  HRESULT Notify(IDataObject* dataObject, MMC_NOTIFY_TYPE event, LPARAM arg, LPARAM param) override;
  HRESULT Destroy(MMC_COOKIE cookie) override;
  HRESULT QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
                          IDataObject** dataObject) override;
  HRESULT GetResultViewType(MMC_COOKIE cookie, LPOLESTR* viewType, LONG* viewOptions) override;
  HRESULT GetDisplayInfo(RESULTDATAITEM* resultItem) override;
  HRESULT CompareObjects(IDataObject* a, IDataObject* b) override;

  // IExtendContextMenu
  HRESULT AddMenuItems(IDataObject* dataObject, IContextMenuCallback* callback,
                       LONG* insertionAllowed) override;
  HRESULT Command(LONG commandID, IDataObject* dataObject) override;

  // IResultDataCompare
  HRESULT Compare(LPARAM user, MMC_COOKIE a, MMC_COOKIE b, int* result) override;

  // IResultOwnerData. FindItem accepts a text of one to five decimal digits
  // and answers its value as the index (S_OK), else S_FALSE. SortItems
  // answers S_OK for column 0 when the options differ from the last ones
  // (which it keeps), else S_FALSE.
  HRESULT FindItem(RESULTFINDINFO* findInfo, int* index) override;
  HRESULT CacheHint(int start, int end) override;
  HRESULT SortItems(int column, DWORD options, LPARAM user) override;

  // IPersist / IPersistStream. GetClassID fills in the snap-in's class
  // identifier and answers E_NOTIMPL. Save writes 0 and 1 (a failed write:
  // STG_E_CANTSAVE). Load skips words after a leading 0 up to a 1 (S_OK;
  // E_FAIL when the stream ends first); a failed first read or a non-zero
  // first word is S_OK. GetSizeMax answers 10.
  HRESULT GetClassID(CLSID* classID) override;
  HRESULT IsDirty() override;
  HRESULT Load(IStream* stream) override;
  HRESULT Save(IStream* stream, BOOL clearDirty) override;
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override;

  // Sets the console verbs for a selection change. `arg` is the console's
  // selection argument: low byte set for a scope row, high word set when
  // the row is being selected. `deselectAll` treats it as a lost selection.
  void HandleStandardVerbs(bool deselectAll, LPARAM arg, IDataObject* dataObject);
  // Empties a folder's listing and builds it again with the folder type's
  // listing operation, then shows it; a result item's refresh shows its name
  // in an information box. Other folder types are left alone.
  void Refresh(IDataObject* dataObject, TKRNodeTypes mode);
  // True for a scope row whose folder has not been built yet.
  bool ObjectIsDirty(IDataObject* dataObject);
  // Replaces the header columns by the folder type's.
  void InitializeHeaders(MMC_COOKIE cookie);
  // Replaces the listed rows by the folder's result items.
  void EnumerateResultPane(MMC_COOKIE cookie);
  // The name of a row: a result item's or folder's column 0, "Static
  // Folder" for the static node; at most 128 UTF-16 units.
  std::u16string GetItemName(IDataObject* dataObject);
  // True for the console's own multi-selection data object.
  static bool IsMMCMultiSelectDataObject(IDataObject* dataObject);

 private:
  HRESULT QueryMultiSelectDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
                                     IDataObject** dataObject);
  // Notification handlers that need the data object's record.
  HRESULT NotifyRecorded(IDataObject* dataObject, const TKRInternal* internal,
                         MMC_NOTIFY_TYPE event, LPARAM arg);
  HRESULT OnShow(MMC_COOKIE cookie, LPARAM arg);
  HRESULT OnDoubleClick(const TKRInternal& internal);
  HRESULT OnContextHelp(IDataObject* dataObject);
  HRESULT OnAddImages(LPARAM arg);
  void InitializeBitmaps();
  // Inserts a row per result item of the folder, with `image`.
  void AddItems(const TKRFolder& folder, int image);
  // The folder a cookie designates in the tree, or null.
  TKRFolder* FolderOfCookie(MMC_COOKIE cookie) const;
  // The component data's context-menu interface, or null.
  ComPtr<IExtendContextMenu> ContextMenuOfData() const;

  ComPtr<IConsole> FIConsole;
  TCustomViewID FCustomViewID = VIEW_DEFAULT_LV;
  bool FVirtualView = false;
  bool FInitialized = false;
  DWORD FVirtualSortOptions = 0;
  ComPtr<IResultData> FResult;
  ComPtr<TKRComponentData> FComponentData;
  ComPtr<IImageList> FImageResult;
  ComPtr<IHeaderCtrl> FHeader;
  ComPtr<IConsoleVerb> FConsoleVerb;
  bool FDirty = false;
  // The text handed out by the last GetDisplayInfo.
  std::u16string FDisplayText;
};
