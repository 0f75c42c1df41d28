// The console interfaces of TConsole, as the snap-in calls them.

#include "console/host/Console.h"
#include "platform/com/TaskMemory.h"
#include "platform/text/Exception.h"
#include "platform/text/Utf.h"
#include "platform/ui/MessageBox.h"

namespace {

template <class T>
HRESULT Answer(T** out, T* value) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  value->AddRef();
  return S_OK;
}

HRESULT NodeAnswer(const TScopeNode* node, HSCOPEITEM* item, MMC_COOKIE* cookie) {
  if (item == nullptr || cookie == nullptr) return E_POINTER;
  *item = node != nullptr ? node->id : 0;
  *cookie = node != nullptr ? node->lParam : 0;
  return S_OK;
}

// Runs a user action the snap-in asked for; a failure of it becomes E_FAIL,
// as nothing but a result may leave an interface method.
template <class Action>
HRESULT Guarded(Action action) {
  try {
    action();
    return S_OK;
  } catch (const Exception&) {
    return E_FAIL;
  }
}

}  // namespace

HRESULT TConsole::SetHeader(IHeaderCtrl*) { return S_OK; }

// This console has no toolbars, no custom result views and one window.
HRESULT TConsole::SetToolbar(IToolbar*) { return E_NOTIMPL; }
HRESULT TConsole::QueryResultView(IUnknown** view) {
  if (view != nullptr) *view = nullptr;
  return E_NOTIMPL;
}
HRESULT TConsole::NewWindow(HSCOPEITEM, ULONG) { return E_NOTIMPL; }

HRESULT TConsole::QueryScopeImageList(IImageList** imageList) {
  return Answer<IImageList>(imageList, scopeImages_.Get());
}

HRESULT TConsole::QueryResultImageList(IImageList** imageList) {
  return Answer<IImageList>(imageList, resultImages_.Get());
}

HRESULT TConsole::QueryConsoleVerb(IConsoleVerb** verb) {
  return Answer<IConsoleVerb>(verb, verbs_.Get());
}

HRESULT TConsole::UpdateAllViews(IDataObject* dataObject, LPARAM data, LONG_PTR hint) {
  if (!component_) return E_UNEXPECTED;
  component_->Notify(dataObject, MMCN_VIEW_CHANGE, data, hint);
  return S_OK;
}

HRESULT TConsole::MessageBox(LPCOLESTR text, LPCOLESTR title, UINT style, int* result) {
  const int answer =
      ::MessageBox(Utf16ToUtf8(text ? text : u""), Utf16ToUtf8(title ? title : u""), style);
  if (result != nullptr) *result = answer;
  return answer == 0 ? E_INVALIDARG : S_OK;
}

HRESULT TConsole::SelectScopeItem(HSCOPEITEM item) {
  if (tree_.Find(item) == nullptr) return E_INVALIDARG;
  return Guarded([&] { SelectNode(item); });
}

// The console draws in a terminal and has no platform window: message boxes
// owned by the main window have no owner.
HRESULT TConsole::GetMainWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = nullptr;
  return S_OK;
}

HRESULT TConsole::Expand(HSCOPEITEM item, BOOL expand) {
  if (tree_.Find(item) == nullptr) return E_INVALIDARG;
  return Guarded([&] { expand ? ExpandNode(item) : CollapseNode(item); });
}

HRESULT TConsole::IsTaskpadViewPreferred() { return S_FALSE; }

HRESULT TConsole::SetStatusText(LPOLESTR text) {
  status_ = text != nullptr ? Utf16ToUtf8(text) : std::string();
  ++statusSerial_;
  return S_OK;
}

HRESULT TConsole::InsertItem(SCOPEDATAITEM* item) {
  if (item == nullptr) return E_POINTER;
  const HRESULT hr = tree_.Insert(*item);
  if (FAILED(hr)) return hr;
  if (actionDepth_ > 0) filled_.push_back(tree_.Find(item->ID)->parent);
  SyncScopeRows();
  return hr;
}

HRESULT TConsole::ScopeDeleteItem(HSCOPEITEM item, LONG deleteThis) {
  const TScopeNode* node = tree_.Find(item);
  if (node == nullptr) return E_INVALIDARG;
  const HSCOPEITEM survivor = deleteThis ? node->parent : item;
  const bool losesSelection =
      selected_ != 0 && selected_ != survivor && tree_.IsWithin(selected_, item);
  if (actionDepth_ > 0 && !settling_) RememberRemoved(item, deleteThis != 0);
  const HRESULT hr = tree_.Delete(item, deleteThis != 0);
  if (FAILED(hr)) return hr;
  if (losesSelection) {
    // The snap-in is told nothing of a node it deleted itself; the result
    // pane empties, and the survivor is selected after the user's action.
    selected_ = 0;
    pane_.Clear();
    verbs_->Reset();
    pendingSelect_ = survivor;
  }
  SyncScopeRows();
  return S_OK;
}

HRESULT TConsole::SetItem(SCOPEDATAITEM* item) {
  if (item == nullptr) return E_POINTER;
  return tree_.Set(*item);
}

HRESULT TConsole::GetItem(SCOPEDATAITEM* item) {
  if (item == nullptr) return E_POINTER;
  return tree_.Get(*item);
}

HRESULT TConsole::GetChildItem(HSCOPEITEM item, HSCOPEITEM* child, MMC_COOKIE* cookie) {
  const TScopeNode* node = tree_.Find(item);
  if (node == nullptr) return E_INVALIDARG;
  return NodeAnswer(node->children.empty() ? nullptr : tree_.Find(node->children.front()), child,
                    cookie);
}

HRESULT TConsole::GetNextItem(HSCOPEITEM item, HSCOPEITEM* next, MMC_COOKIE* cookie) {
  const TScopeNode* node = tree_.Find(item);
  if (node == nullptr) return E_INVALIDARG;
  const TScopeNode* parent = tree_.Find(node->parent);
  const TScopeNode* found = nullptr;
  if (parent != nullptr) {
    const auto& siblings = parent->children;
    for (size_t i = 0; i + 1 < siblings.size(); ++i) {
      if (siblings[i] == item) found = tree_.Find(siblings[i + 1]);
    }
  }
  return NodeAnswer(found, next, cookie);
}

HRESULT TConsole::GetParentItem(HSCOPEITEM item, HSCOPEITEM* parent, MMC_COOKIE* cookie) {
  const TScopeNode* node = tree_.Find(item);
  if (node == nullptr) return E_INVALIDARG;
  return NodeAnswer(tree_.Find(node->parent), parent, cookie);
}

HRESULT TConsole::Expand(HSCOPEITEM item) {
  TScopeNode* node = tree_.Find(item);
  if (node == nullptr) return E_INVALIDARG;
  return Guarded([&] { FirstExpansion(*node); });
}

// Namespace extensions are not loaded by this console.
HRESULT TConsole::AddExtension(HSCOPEITEM, CLSID*) { return E_NOTIMPL; }

HRESULT TConsole::InsertColumn(int column, LPCOLESTR title, int format, int width) {
  if (title == nullptr) return E_INVALIDARG;
  return pane_.InsertColumn(column, TColumn{title, format, width});
}

HRESULT TConsole::DeleteColumn(int column) { return pane_.DeleteColumn(column); }

HRESULT TConsole::SetColumnText(int column, LPCOLESTR title) {
  TColumn* c = pane_.Column(column);
  if (c == nullptr || title == nullptr) return E_INVALIDARG;
  c->title = title;
  return S_OK;
}

HRESULT TConsole::GetColumnText(int column, LPOLESTR* title) {
  if (title == nullptr) return E_POINTER;
  TColumn* c = pane_.Column(column);
  if (c == nullptr) return E_INVALIDARG;
  *title = CoTaskMemStrDup(c->title);
  return *title != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT TConsole::SetColumnWidth(int column, int width) {
  TColumn* c = pane_.Column(column);
  if (c == nullptr) return E_INVALIDARG;
  c->width = width;
  return S_OK;
}

HRESULT TConsole::GetColumnWidth(int column, int* width) {
  if (width == nullptr) return E_POINTER;
  TColumn* c = pane_.Column(column);
  if (c == nullptr) return E_INVALIDARG;
  *width = c->width;
  return S_OK;
}

HRESULT TConsole::SetChangeTimeOut(ULONG) { return S_OK; }

// Column filters belong to filtered views, which this console does not show.
HRESULT TConsole::SetColumnFilter(UINT, DWORD, MMC_FILTERDATA*) { return E_NOTIMPL; }
HRESULT TConsole::GetColumnFilter(UINT, DWORD*, MMC_FILTERDATA*) { return E_NOTIMPL; }

HRESULT TConsole::InsertItem(RESULTDATAITEM* item) {
  if (item == nullptr) return E_POINTER;
  if (tree_.Find(selected_) == nullptr) return E_UNEXPECTED;
  return pane_.Insert(*item);
}

HRESULT TConsole::ResultDeleteItem(HRESULTITEM item, int column) {
  if (column != 0) return E_INVALIDARG;
  return pane_.Delete(item);
}

HRESULT TConsole::FindItemByLParam(LPARAM lParam, HRESULTITEM* item) {
  if (item == nullptr) return E_POINTER;
  return pane_.FindByLParam(lParam, *item);
}

HRESULT TConsole::DeleteAllRsltItems() {
  pane_.DeleteAllItems();
  return S_OK;
}

HRESULT TConsole::SetItem(RESULTDATAITEM* item) {
  if (item == nullptr) return E_POINTER;
  return pane_.Set(*item);
}

HRESULT TConsole::GetItem(RESULTDATAITEM* item) {
  if (item == nullptr) return E_POINTER;
  return pane_.Get(*item);
}

HRESULT TConsole::GetNextItem(RESULTDATAITEM* item) {
  if (item == nullptr) return E_POINTER;
  return pane_.GetNext(*item);
}

HRESULT TConsole::ModifyItemState(int index, HRESULTITEM item, UINT add, UINT remove) {
  return pane_.ModifyState(index, item, add, remove);
}

HRESULT TConsole::ModifyViewStyle(MMC_RESULT_VIEW_STYLE add, MMC_RESULT_VIEW_STYLE remove) {
  viewStyle_ = (viewStyle_ | add) & ~uint32_t(remove);
  return S_OK;
}

HRESULT TConsole::SetViewMode(LONG mode) {
  if (mode < MMCLV_VIEWSTYLE_ICON || mode > MMCLV_VIEWSTYLE_FILTERED) return E_INVALIDARG;
  viewMode_ = mode;
  return S_OK;
}

HRESULT TConsole::GetViewMode(LONG* mode) {
  if (mode == nullptr) return E_POINTER;
  *mode = viewMode_;
  return S_OK;
}

// Texts are asked for whenever they are shown, so an update has nothing to do
// but check the item.
HRESULT TConsole::UpdateItem(HRESULTITEM item) {
  return pane_.FindItem(item) != nullptr ? S_OK : E_INVALIDARG;
}

HRESULT TConsole::Sort(int column, DWORD options, LPARAM user) {
  if (!component_) return E_UNEXPECTED;
  ComPtr<IResultDataCompare> compare = component_.As<IResultDataCompare>();
  const int sign = (options & RSI_DESCENDING) ? -1 : 1;
  pane_.SortItems([&](const TResultRow& a, const TResultRow& b) {
    int result = column;
    if (compare) {
      if (FAILED(compare->Compare(user, a.lParam, b.lParam, &result))) return 0;
    } else {
      const std::string ta = RowText(a, -1, column);
      const std::string tb = RowText(b, -1, column);
      result = ta < tb ? -1 : ta > tb ? 1 : 0;
    }
    return sign * (result < 0 ? -1 : result > 0 ? 1 : 0);
  });
  return S_OK;
}

HRESULT TConsole::SetDescBarText(LPOLESTR text) {
  description_ = text != nullptr ? Utf16ToUtf8(text) : std::string();
  return S_OK;
}

// Virtual (owner-data) lists are not offered by this console.
HRESULT TConsole::SetItemCount(int, DWORD) { return E_NOTIMPL; }
