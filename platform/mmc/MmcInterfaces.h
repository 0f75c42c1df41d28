#pragma once
// The console's interfaces, in the platform's method order. A snap-in
// implements IComponentData, IComponent, IExtendContextMenu,
// IResultDataCompare and IResultOwnerData; the console host implements the
// others. Every method answers an HRESULT and hands results back through
// out-parameters: the console acts on S_OK versus S_FALSE and on the failures.
// Texts are zero-terminated UTF-16. Out-texts that a method allocates come
// from CoTaskMemAlloc and are freed by the receiver.

#include "platform/com/Types.h"
#include "platform/com/Unknown.h"
#include "platform/mmc/MmcStructures.h"
#include "platform/mmc/MmcTypes.h"
#include "platform/win32/WinTypes.h"

struct IDataObject;

extern const IID IID_IComponentData;
extern const IID IID_IComponent;
extern const IID IID_IConsole;
extern const IID IID_IConsole2;
extern const IID IID_IConsoleNameSpace;
extern const IID IID_IConsoleNameSpace2;
extern const IID IID_IConsoleVerb;
extern const IID IID_IHeaderCtrl;
extern const IID IID_IHeaderCtrl2;
extern const IID IID_IResultData;
extern const IID IID_IImageList;
extern const IID IID_IContextMenuCallback;
extern const IID IID_IContextMenuProvider;
extern const IID IID_IExtendContextMenu;
extern const IID IID_IResultDataCompare;
extern const IID IID_IResultOwnerData;

struct IComponent;
struct IHeaderCtrl;
struct IToolbar;
struct IImageList;
struct IConsoleVerb;

struct IComponentData : IUnknown {
  static constexpr const IID& kIID = IID_IComponentData;

  // `console` offers IConsole and IConsoleNameSpace through QueryInterface.
  virtual HRESULT Initialize(IUnknown* console) = 0;
  virtual HRESULT CreateComponent(IComponent** component) = 0;
  virtual HRESULT Notify(IDataObject* dataObject, MMC_NOTIFY_TYPE event, LPARAM arg,
                         LPARAM param) = 0;
  virtual HRESULT Destroy() = 0;
  virtual HRESULT QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
                                  IDataObject** dataObject) = 0;
  virtual HRESULT GetDisplayInfo(SCOPEDATAITEM* scopeItem) = 0;
  // S_OK when both designate the same node.
  virtual HRESULT CompareObjects(IDataObject* a, IDataObject* b) = 0;

 protected:
  ~IComponentData() = default;
};

struct IConsole : IUnknown {
  static constexpr const IID& kIID = IID_IConsole;

  virtual HRESULT SetHeader(IHeaderCtrl* header) = 0;
  virtual HRESULT SetToolbar(IToolbar* toolbar) = 0;
  virtual HRESULT QueryResultView(IUnknown** view) = 0;
  virtual HRESULT QueryScopeImageList(IImageList** imageList) = 0;
  virtual HRESULT QueryResultImageList(IImageList** imageList) = 0;
  // Sends MMCN_VIEW_CHANGE to every component.
  virtual HRESULT UpdateAllViews(IDataObject* dataObject, LPARAM data, LONG_PTR hint) = 0;
  virtual HRESULT MessageBox(LPCOLESTR text, LPCOLESTR title, UINT style, int* result) = 0;
  virtual HRESULT QueryConsoleVerb(IConsoleVerb** verb) = 0;
  virtual HRESULT SelectScopeItem(HSCOPEITEM item) = 0;
  virtual HRESULT GetMainWindow(HWND* window) = 0;
  virtual HRESULT NewWindow(HSCOPEITEM item, ULONG options) = 0;

 protected:
  ~IConsole() = default;
};

struct IConsole2 : IConsole {
  static constexpr const IID& kIID = IID_IConsole2;
  using BaseInterface = IConsole;

  virtual HRESULT Expand(HSCOPEITEM item, BOOL expand) = 0;
  virtual HRESULT IsTaskpadViewPreferred() = 0;
  virtual HRESULT SetStatusText(LPOLESTR text) = 0;

 protected:
  ~IConsole2() = default;
};

struct IComponent : IUnknown {
  static constexpr const IID& kIID = IID_IComponent;

  virtual HRESULT Initialize(IConsole* console) = 0;
  virtual HRESULT Notify(IDataObject* dataObject, MMC_NOTIFY_TYPE event, LPARAM arg,
                         LPARAM param) = 0;
  virtual HRESULT Destroy(MMC_COOKIE cookie) = 0;
  virtual HRESULT QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
                                  IDataObject** dataObject) = 0;
  // *viewType null selects the standard list view.
  virtual HRESULT GetResultViewType(MMC_COOKIE cookie, LPOLESTR* viewType, LONG* viewOptions) = 0;
  virtual HRESULT GetDisplayInfo(RESULTDATAITEM* resultItem) = 0;
  virtual HRESULT CompareObjects(IDataObject* a, IDataObject* b) = 0;

 protected:
  ~IComponent() = default;
};

struct IConsoleNameSpace : IUnknown {
  static constexpr const IID& kIID = IID_IConsoleNameSpace;

  // Inserts the node; the console writes its handle into item->ID.
  virtual HRESULT InsertItem(SCOPEDATAITEM* item) = 0;
  // Deletes the node's children, and the node too when `deleteThis` is TRUE.
  virtual HRESULT DeleteItem(HSCOPEITEM item, LONG deleteThis) = 0;
  virtual HRESULT SetItem(SCOPEDATAITEM* item) = 0;
  virtual HRESULT GetItem(SCOPEDATAITEM* item) = 0;
  virtual HRESULT GetChildItem(HSCOPEITEM item, HSCOPEITEM* child, MMC_COOKIE* cookie) = 0;
  virtual HRESULT GetNextItem(HSCOPEITEM item, HSCOPEITEM* next, MMC_COOKIE* cookie) = 0;
  virtual HRESULT GetParentItem(HSCOPEITEM item, HSCOPEITEM* parent, MMC_COOKIE* cookie) = 0;

 protected:
  ~IConsoleNameSpace() = default;
};

struct IConsoleNameSpace2 : IConsoleNameSpace {
  static constexpr const IID& kIID = IID_IConsoleNameSpace2;
  using BaseInterface = IConsoleNameSpace;

  virtual HRESULT Expand(HSCOPEITEM item) = 0;
  virtual HRESULT AddExtension(HSCOPEITEM item, CLSID* extension) = 0;

 protected:
  ~IConsoleNameSpace2() = default;
};

struct IConsoleVerb : IUnknown {
  static constexpr const IID& kIID = IID_IConsoleVerb;

  virtual HRESULT GetVerbState(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state, BOOL* value) = 0;
  virtual HRESULT SetVerbState(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state, BOOL value) = 0;
  virtual HRESULT SetDefaultVerb(MMC_CONSOLE_VERB verb) = 0;
  virtual HRESULT GetDefaultVerb(MMC_CONSOLE_VERB* verb) = 0;

 protected:
  ~IConsoleVerb() = default;
};

struct IHeaderCtrl : IUnknown {
  static constexpr const IID& kIID = IID_IHeaderCtrl;

  // `format` is an LVCFMT_* value; `width` may be AUTO_WIDTH or HIDE_COLUMN.
  virtual HRESULT InsertColumn(int column, LPCOLESTR title, int format, int width) = 0;
  virtual HRESULT DeleteColumn(int column) = 0;
  virtual HRESULT SetColumnText(int column, LPCOLESTR title) = 0;
  virtual HRESULT GetColumnText(int column, LPOLESTR* title) = 0;
  virtual HRESULT SetColumnWidth(int column, int width) = 0;
  virtual HRESULT GetColumnWidth(int column, int* width) = 0;

 protected:
  ~IHeaderCtrl() = default;
};

struct IHeaderCtrl2 : IHeaderCtrl {
  static constexpr const IID& kIID = IID_IHeaderCtrl2;
  using BaseInterface = IHeaderCtrl;

  virtual HRESULT SetChangeTimeOut(ULONG timeout) = 0;
  virtual HRESULT SetColumnFilter(UINT column, DWORD type, MMC_FILTERDATA* data) = 0;
  virtual HRESULT GetColumnFilter(UINT column, DWORD* type, MMC_FILTERDATA* data) = 0;

 protected:
  ~IHeaderCtrl2() = default;
};

struct IResultData : IUnknown {
  static constexpr const IID& kIID = IID_IResultData;

  // Inserts the row; the console writes its handle into item->itemID.
  virtual HRESULT InsertItem(RESULTDATAITEM* item) = 0;
  virtual HRESULT DeleteItem(HRESULTITEM item, int column) = 0;
  virtual HRESULT FindItemByLParam(LPARAM lParam, HRESULTITEM* item) = 0;
  virtual HRESULT DeleteAllRsltItems() = 0;
  virtual HRESULT SetItem(RESULTDATAITEM* item) = 0;
  virtual HRESULT GetItem(RESULTDATAITEM* item) = 0;
  // Finds the next row after item->nIndex (-1 to start) whose state has
  // item->nState; item->nIndex is -1 when there is none.
  virtual HRESULT GetNextItem(RESULTDATAITEM* item) = 0;
  virtual HRESULT ModifyItemState(int index, HRESULTITEM item, UINT add, UINT remove) = 0;
  virtual HRESULT ModifyViewStyle(MMC_RESULT_VIEW_STYLE add, MMC_RESULT_VIEW_STYLE remove) = 0;
  virtual HRESULT SetViewMode(LONG mode) = 0;
  virtual HRESULT GetViewMode(LONG* mode) = 0;
  virtual HRESULT UpdateItem(HRESULTITEM item) = 0;
  virtual HRESULT Sort(int column, DWORD options, LPARAM user) = 0;
  virtual HRESULT SetDescBarText(LPOLESTR text) = 0;
  virtual HRESULT SetItemCount(int count, DWORD options) = 0;

 protected:
  ~IResultData() = default;
};

// The console's image list (not the common-controls one of the same name).
// The bitmaps and icons are passed as handles cast to LONG_PTR*; the snap-in
// keeps ownership of them.
struct IImageList : IUnknown {
  static constexpr const IID& kIID = IID_IImageList;

  virtual HRESULT ImageListSetIcon(LONG_PTR* icon, LONG index) = 0;
  virtual HRESULT ImageListSetStrip(LONG_PTR* smallStrip, LONG_PTR* largeStrip, LONG start,
                                    COLORREF mask) = 0;

 protected:
  ~IImageList() = default;
};

struct IContextMenuCallback : IUnknown {
  static constexpr const IID& kIID = IID_IContextMenuCallback;

  virtual HRESULT AddItem(CONTEXTMENUITEM* item) = 0;

 protected:
  ~IContextMenuCallback() = default;
};

struct IContextMenuProvider : IContextMenuCallback {
  static constexpr const IID& kIID = IID_IContextMenuProvider;
  using BaseInterface = IContextMenuCallback;

  virtual HRESULT EmptyMenuList() = 0;
  virtual HRESULT AddPrimaryExtensionItems(IUnknown* extension, IDataObject* dataObject) = 0;
  virtual HRESULT AddThirdPartyExtensionItems(IDataObject* dataObject) = 0;
  virtual HRESULT ShowContextMenu(HWND parent, LONG x, LONG y, LONG* selected) = 0;

 protected:
  ~IContextMenuProvider() = default;
};

struct IExtendContextMenu : IUnknown {
  static constexpr const IID& kIID = IID_IExtendContextMenu;

  // *insertionAllowed holds the CCM_INSERTIONALLOWED_* points that may be used.
  virtual HRESULT AddMenuItems(IDataObject* dataObject, IContextMenuCallback* callback,
                               LONG* insertionAllowed) = 0;
  virtual HRESULT Command(LONG commandID, IDataObject* dataObject) = 0;

 protected:
  ~IExtendContextMenu() = default;
};

struct IResultDataCompare : IUnknown {
  static constexpr const IID& kIID = IID_IResultDataCompare;

  // *result comes in as the sorted column and goes out as -1, 0 or 1 for an
  // ascending order; the console inverts it for a descending sort.
  virtual HRESULT Compare(LPARAM user, MMC_COOKIE a, MMC_COOKIE b, int* result) = 0;

 protected:
  ~IResultDataCompare() = default;
};

struct IResultOwnerData : IUnknown {
  static constexpr const IID& kIID = IID_IResultOwnerData;

  virtual HRESULT FindItem(RESULTFINDINFO* findInfo, int* index) = 0;
  virtual HRESULT CacheHint(int start, int end) = 0;
  virtual HRESULT SortItems(int column, DWORD options, LPARAM user) = 0;

 protected:
  ~IResultOwnerData() = default;
};
