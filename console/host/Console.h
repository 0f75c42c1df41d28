#pragma once
// TConsole: one console session over one snap-in, with one view. It is the
// console object the snap-in talks to (IConsole2, IConsoleNameSpace2,
// IHeaderCtrl2 and IResultData on this object; the verb control and the two
// image lists are objects of their own), and it carries out the user's
// actions for the front ends, sending the notifications the real console
// sends, in its order:
//
// - A node's first expansion, or its first selection, sends MMCN_EXPAND
//   (TRUE) to the component data; a collapse sends MMCN_EXPAND (FALSE).
// - Selecting a node deselects the old one (MMCN_SELECT with the scope flag
//   and no selected flag, then MMCN_SHOW FALSE), clears the result pane and
//   the verbs, asks GetResultViewType, then sends MMCN_ADD_IMAGES, MMCN_SHOW
//   TRUE and MMCN_SELECT (scope flag in the low byte, selected flag in the
//   high word) to the component.
// - The result pane lists the node's child scope items, whose texts come from
//   IComponent::GetDisplayInfo with the scope flag, then the result items.
//   Picking rows sends MMCN_SELECT for them (a multi-selection data object
//   from QueryDataObject(MMC_MULTI_SELECT_COOKIE) for several); picking none
//   gives the selection back to the node.
// - Verbs act on the picked rows, else the selected node, and only when the
//   snap-in made them available. Deletion and renaming of scope items go to
//   the component data, of result items to the component.
// - When a snap-in deletes the selected node, the nearest remaining ancestor
//   is selected once the user's action has ended.
// - When a snap-in rebuilds a node's children during a user action (deletes
//   scope items under a node and inserts new ones there), the console keeps
//   the tree as the user left it: it remembers the removed nodes that were
//   expanded or selected by their path of display names, and once the
//   action has ended expands them again and selects the selected one where
//   a node of that path exists (the nearest one on the path otherwise). A
//   node that comes back without children although it had some is shown
//   once on the way, as a user would to have it listed, since a snap-in may
//   insert a node's children when it is shown rather than when it is
//   expanded. Nodes that do not come back are gone.
// - A status text the snap-in sets (IConsole2::SetStatusText) is kept until
//   the next one; each setting counts, also of the same text again.
//
// Every snap-in failure during a user action raises EConsoleError. Texts are
// UTF-8 towards the front ends. All calls run on the console's thread.

#include <memory>
#include <string>
#include <vector>

#include "console/host/ConsoleVerbs.h"
#include "console/host/ContextMenu.h"
#include "console/host/ImageList.h"
#include "console/host/ResultPane.h"
#include "console/host/ScopeTree.h"
#include "platform/com/ComPtr.h"
#include "platform/com/DataObject.h"
#include "platform/mmc/MmcInterfaces.h"

// IConsoleNameSpace::DeleteItem and IResultData::DeleteItem share one
// signature; these facets give each its own name in TConsole.
struct TNameSpaceFacet : IConsoleNameSpace2 {
  HRESULT DeleteItem(HSCOPEITEM item, LONG deleteThis) final {
    return ScopeDeleteItem(item, deleteThis);
  }
  virtual HRESULT ScopeDeleteItem(HSCOPEITEM item, LONG deleteThis) = 0;

 protected:
  ~TNameSpaceFacet() = default;
};

struct TResultFacet : IResultData {
  HRESULT DeleteItem(HRESULTITEM item, int column) final { return ResultDeleteItem(item, column); }
  virtual HRESULT ResultDeleteItem(HRESULTITEM item, int column) = 0;

 protected:
  ~TResultFacet() = default;
};

class TConsole final : public ComObject<IConsole2, TNameSpaceFacet, IHeaderCtrl2, TResultFacet> {
 public:
  TConsole();
  ~TConsole() override;

  // Starts the session: Initialize, the document's streams (null for a new
  // document), the view's component, the static node (named by the snap-in's
  // CCF_DISPLAY_NAME, else `fallbackName`). On failure raises EConsoleError;
  // Close() then releases what was made.
  void Start(ComPtr<IComponentData> data, const std::string* dataBytes,
             const std::string* componentBytes, const std::string& fallbackName);
  // Destroys the component and the component data and releases them.
  void Close();
  // The snap-in's objects report unsaved changes.
  bool IsDirty();
  // The bytes of the component data's and the component's IPersistStream
  // (`hasComponent` false when the component keeps no state).
  void SaveStreams(std::string& dataBytes, std::string& componentBytes, bool& hasComponent);

  // The scope pane.
  HSCOPEITEM StaticNode() const { return tree_.Root(); }
  const TScopeTree& Tree() const { return tree_; }
  std::string NodeName(HSCOPEITEM node);
  void ExpandNode(HSCOPEITEM node);
  void CollapseNode(HSCOPEITEM node);
  void SelectNode(HSCOPEITEM node);
  HSCOPEITEM SelectedNode() const { return selected_; }

  // The result pane.
  int RowCount() const { return pane_.Count(); }
  // The columns not hidden (HIDE_COLUMN), in order, and a column's title.
  std::vector<int> VisibleColumns();
  std::string ColumnTitle(int column);
  std::string CellText(int row, int column);
  const TResultRow& Row(int row);
  void PickRows(const std::vector<int>& rows);
  std::vector<int> PickedRows();
  // A click on the column's header: MMCN_COLUMN_CLICK, then the sort.
  void SortByColumn(int column, bool descending);
  LONG ViewOptions() const { return viewOptions_; }

  // Verbs, menus and the rest, on the picked rows or else the selected node.
  const TConsoleVerbs& Verbs() const { return *verbs_; }
  // `newName` is for MMC_VERB_RENAME.
  void RunVerb(MMC_CONSOLE_VERB verb, const std::string& newName = {});
  // A double click (or Enter): MMCN_DBLCLICK, and the default verb when the
  // snap-in leaves it to the console.
  void Activate();
  void ContextHelp();
  std::vector<TMenuItem> ContextMenu();
  void RunMenuItem(const TMenuItem& item);

  const std::string& StatusText() const { return status_; }
  // Goes up by one at every SetStatusText.
  int StatusSerial() const { return statusSerial_; }
  const std::string& DescriptionText() const { return description_; }
  const TConsoleImageList& ScopeImages() const { return *scopeImages_; }
  const TConsoleImageList& ResultImages() const { return *resultImages_; }

  // IConsole / IConsole2
  HRESULT SetHeader(IHeaderCtrl* header) override;
  HRESULT SetToolbar(IToolbar* toolbar) override;
  HRESULT QueryResultView(IUnknown** view) override;
  HRESULT QueryScopeImageList(IImageList** imageList) override;
  HRESULT QueryResultImageList(IImageList** imageList) override;
  HRESULT UpdateAllViews(IDataObject* dataObject, LPARAM data, LONG_PTR hint) override;
  HRESULT MessageBox(LPCOLESTR text, LPCOLESTR title, UINT style, int* result) override;
  HRESULT QueryConsoleVerb(IConsoleVerb** verb) override;
  HRESULT SelectScopeItem(HSCOPEITEM item) override;
  HRESULT GetMainWindow(HWND* window) override;
  HRESULT NewWindow(HSCOPEITEM item, ULONG options) override;
  HRESULT Expand(HSCOPEITEM item, BOOL expand) override;
  HRESULT IsTaskpadViewPreferred() override;
  HRESULT SetStatusText(LPOLESTR text) override;

  // IConsoleNameSpace / IConsoleNameSpace2
  HRESULT InsertItem(SCOPEDATAITEM* item) override;
  HRESULT ScopeDeleteItem(HSCOPEITEM item, LONG deleteThis) override;
  HRESULT SetItem(SCOPEDATAITEM* item) override;
  HRESULT GetItem(SCOPEDATAITEM* item) override;
  HRESULT GetChildItem(HSCOPEITEM item, HSCOPEITEM* child, MMC_COOKIE* cookie) override;
  HRESULT GetNextItem(HSCOPEITEM item, HSCOPEITEM* next, MMC_COOKIE* cookie) override;
  HRESULT GetParentItem(HSCOPEITEM item, HSCOPEITEM* parent, MMC_COOKIE* cookie) override;
  HRESULT Expand(HSCOPEITEM item) override;
  HRESULT AddExtension(HSCOPEITEM item, CLSID* extension) override;

  // IHeaderCtrl / IHeaderCtrl2
  HRESULT InsertColumn(int column, LPCOLESTR title, int format, int width) override;
  HRESULT DeleteColumn(int column) override;
  HRESULT SetColumnText(int column, LPCOLESTR title) override;
  HRESULT GetColumnText(int column, LPOLESTR* title) override;
  HRESULT SetColumnWidth(int column, int width) override;
  HRESULT GetColumnWidth(int column, int* width) override;
  HRESULT SetChangeTimeOut(ULONG timeout) override;
  HRESULT SetColumnFilter(UINT column, DWORD type, MMC_FILTERDATA* data) override;
  HRESULT GetColumnFilter(UINT column, DWORD* type, MMC_FILTERDATA* data) override;

  // IResultData
  HRESULT InsertItem(RESULTDATAITEM* item) override;
  HRESULT ResultDeleteItem(HRESULTITEM item, int column) override;
  HRESULT FindItemByLParam(LPARAM lParam, HRESULTITEM* item) override;
  HRESULT DeleteAllRsltItems() override;
  HRESULT SetItem(RESULTDATAITEM* item) override;
  HRESULT GetItem(RESULTDATAITEM* item) override;
  HRESULT GetNextItem(RESULTDATAITEM* item) override;
  HRESULT ModifyItemState(int index, HRESULTITEM item, UINT add, UINT remove) override;
  HRESULT ModifyViewStyle(MMC_RESULT_VIEW_STYLE add, MMC_RESULT_VIEW_STYLE remove) override;
  HRESULT SetViewMode(LONG mode) override;
  HRESULT GetViewMode(LONG* mode) override;
  HRESULT UpdateItem(HRESULTITEM item) override;
  HRESULT Sort(int column, DWORD options, LPARAM user) override;
  HRESULT SetDescBarText(LPOLESTR text) override;
  HRESULT SetItemCount(int count, DWORD options) override;

 private:
  // What a user action works on.
  struct Target {
    ComPtr<IDataObject> data;
    bool scope = false;  // a scope item (the selected node or a scope row)
    bool multi = false;
    HSCOPEITEM node = 0;  // for a scope item
    bool row = false;     // picked in the result pane
  };
  // Counts nested user actions; the outermost one settles the tree: it
  // carries out what the snap-in's rebuilds and deletions left pending.
  class Action;
  // A removed node the user had expanded or selected, by its path of
  // display names below the static node; `rebuilt` is the node the removal
  // took children from.
  struct KeptNode {
    std::vector<std::string> path;
    HSCOPEITEM rebuilt = 0;
    bool expanded = false;
    bool hadChildren = false;
    bool selected = false;
  };

  TScopeNode& Node(HSCOPEITEM node);
  ComPtr<IDataObject> ScopeData(HSCOPEITEM node);
  Target CurrentTarget();
  Target NodeTarget();
  std::string RowText(const TResultRow& row, int index, int column);
  std::u16string StaticNodeName();
  void FirstExpansion(TScopeNode& node);
  void Deselect();
  void DeselectRows();
  void SendSelect(const Target& target, bool select);
  void SyncScopeRows();
  HRESULT Check(HRESULT result, const std::string& what);
  // Remembers the expanded and selected nodes among those a deletion of
  // `item` (and its children; `item` itself when `deleteThis`) removes.
  void RememberRemoved(HSCOPEITEM item, bool deleteThis);
  // Carries out, once the outermost user action has ended, the expansions
  // and the selection the snap-in's changes left pending.
  void Settle();
  std::vector<std::string> PathOf(HSCOPEITEM node);
  // The node at `path`, or the deepest one that exists on the way; `whole`
  // tells which.
  HSCOPEITEM NodeAtPath(const std::vector<std::string>& path, bool& whole);

  ComPtr<IComponentData> data_;
  ComPtr<IComponent> component_;
  ComPtr<TConsoleVerbs> verbs_;
  ComPtr<TConsoleImageList> scopeImages_;
  ComPtr<TConsoleImageList> resultImages_;
  bool initialized_ = false;
  TScopeTree tree_;
  TResultPane pane_;
  HSCOPEITEM selected_ = 0;
  HSCOPEITEM pendingSelect_ = 0;
  int actionDepth_ = 0;
  std::vector<KeptNode> kept_;
  std::vector<HSCOPEITEM> filled_;  // nodes given new children during the action
  bool settling_ = false;
  LONG viewOptions_ = 0;
  uint32_t viewStyle_ = 0;
  LONG viewMode_ = MMCLV_VIEWSTYLE_REPORT;
  std::string status_;
  int statusSerial_ = 0;
  std::string description_;
};
