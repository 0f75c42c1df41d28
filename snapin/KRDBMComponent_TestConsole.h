#pragma once
// A recording fake console for the snap-in tests. One object answers
// IConsole2 and IConsoleNameSpace (status texts are recorded); its header control, result data, image
// lists and verbs are separate objects it hands out. Scope items inserted get
// IDs from 1001 upwards; every insertion and deletion is recorded, and a
// deletion of an item also removes its descendants from `live`. The header
// control, result data and verbs record what the component sets.

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/mmc/MmcInterfaces.h"
#include "platform/text/Utf.h"
#include "platform/win32/Resources.h"

// Records the strips handed over, read while the call lasts.
class FakeImageList : public ComObject<IImageList> {
 public:
  struct Strips {
    BitmapResource small, large;
    HBITMAP smallHandle, largeHandle;
    LONG start;
    COLORREF mask;
  };
  std::optional<Strips> strips;
  HRESULT answer = S_OK;

  HRESULT ImageListSetIcon(LONG_PTR*, LONG) override { return E_NOTIMPL; }
  HRESULT ImageListSetStrip(LONG_PTR* small, LONG_PTR* large, LONG start, COLORREF mask) override {
    const auto* s = GetBitmapResource(reinterpret_cast<HBITMAP>(small));
    const auto* l = GetBitmapResource(reinterpret_cast<HBITMAP>(large));
    if (s == nullptr || l == nullptr) return E_INVALIDARG;
    strips = Strips{*s,    *l,  reinterpret_cast<HBITMAP>(small), reinterpret_cast<HBITMAP>(large),
                    start, mask};
    return answer;
  }
};

// Keeps the state of every verb (all false at first) and the default verb.
class FakeConsoleVerb : public ComObject<IConsoleVerb> {
 public:
  std::map<std::pair<MMC_CONSOLE_VERB, MMC_BUTTON_STATE>, BOOL> states;
  std::optional<MMC_CONSOLE_VERB> defaultVerb;  // none until one is set

  // The state as last set, or none when it was never set.
  std::optional<bool> State(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state) const {
    const auto found = states.find({verb, state});
    if (found == states.end()) return std::nullopt;
    return found->second != FALSE;
  }
  // Offered: visible and enabled.
  bool Shown(MMC_CONSOLE_VERB verb) const {
    return State(verb, HIDDEN) == false && State(verb, ENABLED) == true;
  }
  bool Hidden(MMC_CONSOLE_VERB verb) const {
    return State(verb, HIDDEN) == true && State(verb, ENABLED) == false;
  }

  HRESULT GetVerbState(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state, BOOL* value) override {
    if (value == nullptr) return E_POINTER;
    *value = State(verb, state).value_or(false) ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT SetVerbState(MMC_CONSOLE_VERB verb, MMC_BUTTON_STATE state, BOOL value) override {
    states[{verb, state}] = value;
    return S_OK;
  }
  HRESULT SetDefaultVerb(MMC_CONSOLE_VERB verb) override {
    defaultVerb = verb;
    return S_OK;
  }
  HRESULT GetDefaultVerb(MMC_CONSOLE_VERB* verb) override {
    if (verb == nullptr) return E_POINTER;
    *verb = defaultVerb.value_or(MMC_VERB_NONE);
    return S_OK;
  }
};

// The columns as inserted; deleting a column that is not there fails.
class FakeHeaderCtrl : public ComObject<IHeaderCtrl> {
 public:
  struct Column {
    std::u16string title;
    int format;
    int width;
    bool operator==(const Column&) const = default;
  };
  std::vector<Column> columns;

  HRESULT InsertColumn(int column, LPCOLESTR title, int format, int width) override {
    if (column < 0 || static_cast<size_t>(column) > columns.size()) return E_INVALIDARG;
    columns.insert(columns.begin() + column, Column{title, format, width});
    return S_OK;
  }
  HRESULT DeleteColumn(int column) override {
    if (column < 0 || static_cast<size_t>(column) >= columns.size()) return E_INVALIDARG;
    columns.erase(columns.begin() + column);
    return S_OK;
  }
  HRESULT SetColumnText(int, LPCOLESTR) override { return E_NOTIMPL; }
  HRESULT GetColumnText(int, LPOLESTR*) override { return E_NOTIMPL; }
  HRESULT SetColumnWidth(int, int) override { return E_NOTIMPL; }
  HRESULT GetColumnWidth(int, int*) override { return E_NOTIMPL; }
};

// The result pane: `rows` holds the rows inserted since the last
// DeleteAllRsltItems (counted in `clears`); GetNextItem walks `selected`
// (entries with scope flag and lParam) as the selected rows.
class FakeResultData : public ComObject<IResultData> {
 public:
  struct Row {
    bool scope;
    LPARAM lParam;
  };
  std::vector<Row> selected;
  std::vector<RESULTDATAITEM> rows;
  int clears = 0;

  HRESULT InsertItem(RESULTDATAITEM* item) override {
    if (item == nullptr) return E_POINTER;
    item->itemID = static_cast<HRESULTITEM>(rows.size() + 1);
    rows.push_back(*item);
    return S_OK;
  }
  HRESULT DeleteItem(HRESULTITEM, int) override { return E_NOTIMPL; }
  HRESULT FindItemByLParam(LPARAM, HRESULTITEM*) override { return E_NOTIMPL; }
  HRESULT DeleteAllRsltItems() override {
    rows.clear();
    ++clears;
    return S_OK;
  }
  HRESULT SetItem(RESULTDATAITEM*) override { return E_NOTIMPL; }
  HRESULT GetItem(RESULTDATAITEM*) override { return E_NOTIMPL; }
  HRESULT GetNextItem(RESULTDATAITEM* item) override {
    const size_t next = static_cast<size_t>(item->nIndex + 1);
    if (next >= selected.size()) {
      item->nIndex = -1;
      return S_FALSE;
    }
    item->nIndex = static_cast<int>(next);
    item->bScopeItem = selected[next].scope;
    item->lParam = selected[next].lParam;
    return S_OK;
  }
  HRESULT ModifyItemState(int, HRESULTITEM, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT ModifyViewStyle(MMC_RESULT_VIEW_STYLE, MMC_RESULT_VIEW_STYLE) override {
    return E_NOTIMPL;
  }
  HRESULT SetViewMode(LONG) override { return E_NOTIMPL; }
  HRESULT GetViewMode(LONG*) override { return E_NOTIMPL; }
  HRESULT UpdateItem(HRESULTITEM) override { return E_NOTIMPL; }
  HRESULT Sort(int, DWORD, LPARAM) override { return E_NOTIMPL; }
  HRESULT SetDescBarText(LPOLESTR) override { return E_NOTIMPL; }
  HRESULT SetItemCount(int, DWORD) override { return E_NOTIMPL; }
};

class FakeConsole : public ComObject<IConsole2, IConsoleNameSpace> {
 public:
  std::vector<SCOPEDATAITEM> inserted;  // as handed over, with the ID given
  std::vector<HSCOPEITEM> deleted;      // items deleted with their descendants
  std::vector<HSCOPEITEM> live;         // items inserted and not deleted
  ComPtr<FakeImageList> scopeImages = MakeComObject<FakeImageList>();
  ComPtr<FakeImageList> resultImages = MakeComObject<FakeImageList>();
  ComPtr<FakeConsoleVerb> verb = MakeComObject<FakeConsoleVerb>();
  ComPtr<FakeHeaderCtrl> header = MakeComObject<FakeHeaderCtrl>();
  ComPtr<FakeResultData> results = MakeComObject<FakeResultData>();
  IHeaderCtrl* headerSet = nullptr;
  std::vector<HSCOPEITEM> scopeItemsSelected;  // by SelectScopeItem
  std::vector<std::string> statusTexts;        // by SetStatusText, in order
  bool offerNameSpace = true;
  HRESULT scopeImageListAnswer = S_OK;

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object != nullptr && iid == IID_IHeaderCtrl) return header->QueryInterface(iid, object);
    if (object != nullptr && iid == IID_IResultData) return results->QueryInterface(iid, object);
    if (object != nullptr && iid == IID_IConsoleNameSpace && !offerNameSpace) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return ComObject::QueryInterface(iid, object);
  }

  // IConsole
  HRESULT SetHeader(IHeaderCtrl* h) override {
    headerSet = h;
    return S_OK;
  }
  HRESULT SetToolbar(IToolbar*) override { return E_NOTIMPL; }
  HRESULT QueryResultView(IUnknown**) override { return E_NOTIMPL; }
  HRESULT QueryScopeImageList(IImageList** list) override {
    if (FAILED(scopeImageListAnswer)) return scopeImageListAnswer;
    return scopeImages.CopyTo(list);
  }
  HRESULT QueryResultImageList(IImageList** list) override { return resultImages.CopyTo(list); }
  HRESULT UpdateAllViews(IDataObject*, LPARAM, LONG_PTR) override { return E_NOTIMPL; }
  HRESULT MessageBox(LPCOLESTR, LPCOLESTR, UINT, int*) override { return E_NOTIMPL; }
  HRESULT QueryConsoleVerb(IConsoleVerb** v) override { return verb.CopyTo(v); }
  HRESULT SelectScopeItem(HSCOPEITEM item) override {
    scopeItemsSelected.push_back(item);
    return S_OK;
  }
  HRESULT GetMainWindow(HWND*) override { return E_NOTIMPL; }
  HRESULT NewWindow(HSCOPEITEM, ULONG) override { return E_NOTIMPL; }
  // IConsole2
  HRESULT Expand(HSCOPEITEM, BOOL) override { return E_NOTIMPL; }
  HRESULT IsTaskpadViewPreferred() override { return S_FALSE; }
  HRESULT SetStatusText(LPOLESTR text) override {
    statusTexts.push_back(text != nullptr ? Utf16ToUtf8(text) : std::string());
    return S_OK;
  }

  // IConsoleNameSpace
  HRESULT InsertItem(SCOPEDATAITEM* item) override {
    if (item == nullptr) return E_POINTER;
    item->ID = nextId_++;
    inserted.push_back(*item);
    live.push_back(item->ID);
    return S_OK;
  }
  HRESULT DeleteItem(HSCOPEITEM item, LONG deleteThis) override {
    if (deleteThis == 0) return E_NOTIMPL;
    deleted.push_back(item);
    RemoveLive(item);
    return S_OK;
  }
  HRESULT SetItem(SCOPEDATAITEM*) override { return E_NOTIMPL; }
  HRESULT GetItem(SCOPEDATAITEM*) override { return E_NOTIMPL; }
  HRESULT GetChildItem(HSCOPEITEM, HSCOPEITEM*, MMC_COOKIE*) override { return E_NOTIMPL; }
  HRESULT GetNextItem(HSCOPEITEM, HSCOPEITEM*, MMC_COOKIE*) override { return E_NOTIMPL; }
  HRESULT GetParentItem(HSCOPEITEM, HSCOPEITEM*, MMC_COOKIE*) override { return E_NOTIMPL; }

  // The record inserted with `id`, or null.
  const SCOPEDATAITEM* Item(HSCOPEITEM id) const {
    for (const auto& item : inserted) {
      if (item.ID == id) return &item;
    }
    return nullptr;
  }
  bool IsLive(HSCOPEITEM id) const { return std::find(live.begin(), live.end(), id) != live.end(); }

 private:
  void RemoveLive(HSCOPEITEM id) {
    live.erase(std::remove(live.begin(), live.end(), id), live.end());
    for (const auto& item : inserted) {
      if (item.relativeID == id && IsLive(item.ID)) RemoveLive(item.ID);
    }
  }

  HSCOPEITEM nextId_ = 1001;
};
