#include "console/host/Console.h"

#include <utility>

#include "console/host/ConsoleError.h"
#include "platform/com/Clipboard.h"
#include "platform/com/GlobalMemory.h"
#include "platform/com/TaskMemory.h"
#include "platform/mmc/ClipboardFormats.h"
#include "platform/mmc/PersistStream.h"
#include "platform/text/Utf.h"

namespace {

constexpr LPARAM SelectArg(bool scope, bool select) {
  return LPARAM(scope ? 1 : 0) | (LPARAM(select ? 1 : 0) << 16);
}

std::string Bytes(IStream* stream) {
  ULARGE_INTEGER end = 0;
  stream->Seek(0, STREAM_SEEK_END, &end);
  stream->Seek(0, STREAM_SEEK_SET, nullptr);
  std::string bytes(size_t(end), '\0');
  ULONG read = 0;
  stream->Read(bytes.data(), ULONG(bytes.size()), &read);
  bytes.resize(read);
  return bytes;
}

void LoadStream(IUnknown* object, const std::string& bytes, const char* whose) {
  ComPtr<IPersistStream> persist = ComPtr<IUnknown>(object).As<IPersistStream>();
  if (!persist) throw EConsoleError(std::string(whose) + " does not read console documents");
  ComPtr<IStream> stream = CreateMemoryStream(bytes.data(), bytes.size());
  const HRESULT hr = persist->Load(stream.Get());
  if (FAILED(hr))
    throw EConsoleError(FailureText(std::string(whose) + " could not read the document", hr));
}

// The wide text in a global block, up to its terminator or its end.
std::u16string BlockText(HGLOBAL block) {
  std::u16string text;
  const auto* chars = static_cast<const char16_t*>(GlobalLock(block));
  if (chars == nullptr) return text;
  const size_t count = GlobalSize(block) / sizeof(char16_t);
  for (size_t i = 0; i < count && chars[i] != u'\0'; ++i) text.push_back(chars[i]);
  GlobalUnlock(block);
  return text;
}

}  // namespace

class TConsole::Action {
 public:
  explicit Action(TConsole& console) : console_(console) { ++console_.actionDepth_; }
  ~Action() {
    if (--console_.actionDepth_ == 0) console_.Settle();
  }
  Action(const Action&) = delete;
  Action& operator=(const Action&) = delete;

 private:
  TConsole& console_;
};

TConsole::TConsole()
    : verbs_(MakeComObject<TConsoleVerbs>()),
      scopeImages_(MakeComObject<TConsoleImageList>()),
      resultImages_(MakeComObject<TConsoleImageList>()) {}

TConsole::~TConsole() = default;

HRESULT TConsole::Check(HRESULT result, const std::string& what) {
  if (FAILED(result)) throw EConsoleError(FailureText(what, result));
  return result;
}

void TConsole::Start(ComPtr<IComponentData> data, const std::string* dataBytes,
                     const std::string* componentBytes, const std::string& fallbackName) {
  data_ = std::move(data);
  Check(data_->Initialize(UnknownSelf()), "the snap-in did not start");
  initialized_ = true;
  if (dataBytes != nullptr) LoadStream(data_.Get(), *dataBytes, "the snap-in");
  Check(data_->CreateComponent(component_.ReleaseAndGetAddressOf()),
        "the snap-in made no view component");
  if (!component_) throw EConsoleError("the snap-in made no view component");
  Check(component_->Initialize(this), "the snap-in's view component did not start");
  if (componentBytes != nullptr && component_.As<IPersistStream>()) {
    LoadStream(component_.Get(), *componentBytes, "the snap-in's view");
  }
  std::u16string name = StaticNodeName();
  tree_.Reset(name.empty() ? Utf8ToUtf16(fallbackName) : name, 0);
}

std::u16string TConsole::StaticNodeName() {
  ComPtr<IDataObject> data;
  if (FAILED(data_->QueryDataObject(0, CCT_SCOPE, data.ReleaseAndGetAddressOf())) || !data) {
    return {};
  }
  FORMATETC format{CLIPFORMAT(RegisterClipboardFormatW(CCF_DISPLAY_NAME)), nullptr,
                   DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 1024);
  std::u16string name;
  if (SUCCEEDED(data->GetDataHere(&format, &medium))) name = BlockText(medium.hGlobal);
  GlobalFree(medium.hGlobal);
  if (!name.empty()) return name;
  STGMEDIUM given{};
  if (SUCCEEDED(data->GetData(&format, &given))) {
    if (given.tymed == TYMED_HGLOBAL) name = BlockText(given.hGlobal);
    ReleaseStgMedium(&given);
  }
  return name;
}

void TConsole::Close() {
  if (component_ && tree_.Find(selected_) != nullptr) {
    try {
      Deselect();
    } catch (const Exception&) {
      // Closing goes on whatever the snap-in answers.
    }
  }
  if (component_) component_->Destroy(0);
  if (data_ && initialized_) data_->Destroy();
  component_ = nullptr;
  data_ = nullptr;
  initialized_ = false;
  selected_ = 0;
  pane_.Clear();
}

bool TConsole::IsDirty() {
  for (IUnknown* object :
       {static_cast<IUnknown*>(data_.Get()), static_cast<IUnknown*>(component_.Get())}) {
    if (object == nullptr) continue;
    ComPtr<IPersistStream> persist = ComPtr<IUnknown>(object).As<IPersistStream>();
    if (persist && persist->IsDirty() == S_OK) return true;
  }
  return false;
}

void TConsole::SaveStreams(std::string& dataBytes, std::string& componentBytes,
                           bool& hasComponent) {
  ComPtr<IPersistStream> persist = data_.As<IPersistStream>();
  if (!persist) throw EConsoleError("the snap-in does not save console documents");
  ComPtr<IStream> stream = CreateMemoryStream();
  Check(persist->Save(stream.Get(), TRUE), "the snap-in could not save its state");
  dataBytes = Bytes(stream.Get());
  ComPtr<IPersistStream> view = component_.As<IPersistStream>();
  hasComponent = bool(view);
  componentBytes.clear();
  if (!view) return;
  stream = CreateMemoryStream();
  Check(view->Save(stream.Get(), TRUE), "the snap-in's view could not save its state");
  componentBytes = Bytes(stream.Get());
}

TScopeNode& TConsole::Node(HSCOPEITEM node) {
  TScopeNode* found = tree_.Find(node);
  if (found == nullptr) throw EConsoleError("the scope item is gone");
  return *found;
}

ComPtr<IDataObject> TConsole::ScopeData(HSCOPEITEM node) {
  ComPtr<IDataObject> data;
  Check(data_->QueryDataObject(Node(node).lParam, CCT_SCOPE, data.ReleaseAndGetAddressOf()),
        "the snap-in gave no data object");
  return data;
}

std::string TConsole::NodeName(HSCOPEITEM node) {
  TScopeNode& n = Node(node);
  if (!n.callbackName) return Utf16ToUtf8(n.name);
  SCOPEDATAITEM item{};
  item.mask = SDI_STR;
  item.lParam = n.lParam;
  item.ID = n.id;
  if (FAILED(data_->GetDisplayInfo(&item)) || item.displayname == nullptr ||
      item.displayname == MMC_CALLBACK) {
    return {};
  }
  return Utf16ToUtf8(item.displayname);
}

void TConsole::FirstExpansion(TScopeNode& node) {
  if (node.expandedOnce) return;
  node.expandedOnce = true;
  const HSCOPEITEM id = node.id;
  Check(data_->Notify(ScopeData(id).Get(), MMCN_EXPAND, TRUE, id), "the snap-in could not expand");
  SyncScopeRows();
}

void TConsole::ExpandNode(HSCOPEITEM node) {
  Action action(*this);
  FirstExpansion(Node(node));
  if (TScopeNode* n = tree_.Find(node)) n->expanded = true;
}

void TConsole::CollapseNode(HSCOPEITEM node) {
  Action action(*this);
  TScopeNode& n = Node(node);
  if (!n.expanded) return;
  n.expanded = false;
  Check(data_->Notify(ScopeData(node).Get(), MMCN_EXPAND, FALSE, node),
        "the snap-in could not collapse");
}

void TConsole::SendSelect(const Target& target, bool select) {
  if (select) verbs_->Reset();
  Check(component_->Notify(target.data.Get(), MMCN_SELECT, SelectArg(target.scope, select), 0),
        "the snap-in could not take the selection");
}

void TConsole::DeselectRows() {
  if (PickedRows().empty()) return;
  Target target = CurrentTarget();
  for (int i = 0; i < pane_.Count(); ++i) pane_.At(i)->state &= ~(LVIS_SELECTED | LVIS_FOCUSED);
  SendSelect(target, false);
}

void TConsole::Deselect() {
  DeselectRows();
  if (tree_.Find(selected_) == nullptr) return;
  const HSCOPEITEM old = selected_;
  ComPtr<IDataObject> data = ScopeData(old);
  Check(component_->Notify(data.Get(), MMCN_SELECT, SelectArg(true, false), 0),
        "the snap-in could not give up the selection");
  Check(component_->Notify(data.Get(), MMCN_SHOW, FALSE, old), "the snap-in could not hide");
  selected_ = 0;
}

void TConsole::SelectNode(HSCOPEITEM node) {
  Action action(*this);
  TScopeNode& n = Node(node);
  if (node == selected_) {
    PickRows({});
    return;
  }
  const LPARAM cookie = n.lParam;
  Deselect();
  selected_ = node;
  pane_.Clear();
  description_.clear();
  viewStyle_ = 0;
  FirstExpansion(Node(node));
  LPOLESTR viewType = nullptr;
  LONG options = 0;
  component_->GetResultViewType(cookie, &viewType, &options);
  CoTaskMemFree(viewType);
  viewOptions_ = options;
  SyncScopeRows();
  ComPtr<IDataObject> data = ScopeData(node);
  Check(component_->Notify(data.Get(), MMCN_ADD_IMAGES,
                           reinterpret_cast<LPARAM>(static_cast<IImageList*>(resultImages_.Get())),
                           node),
        "the snap-in could not add its images");
  Check(component_->Notify(data.Get(), MMCN_SHOW, TRUE, node), "the snap-in could not show");
  if (selected_ == node) SendSelect(NodeTarget(), true);
}

void TConsole::SyncScopeRows() {
  const TScopeNode* node = tree_.Find(selected_);
  std::vector<TResultRow> rows;
  if (node != nullptr && !(viewOptions_ & MMC_VIEW_OPTIONS_EXCLUDE_SCOPE_ITEMS_FROM_LIST)) {
    for (HSCOPEITEM child : node->children) {
      const TScopeNode& c = *tree_.Find(child);
      TResultRow row;
      row.scope = true;
      row.id = child;
      row.lParam = c.lParam;
      row.image = c.image;
      rows.push_back(row);
    }
  }
  pane_.SetScopeRows(std::move(rows));
}

std::vector<int> TConsole::VisibleColumns() {
  std::vector<int> columns;
  for (size_t i = 0; i < pane_.Columns().size(); ++i) {
    if (pane_.Columns()[i].width != HIDE_COLUMN) columns.push_back(int(i));
  }
  return columns;
}

std::string TConsole::ColumnTitle(int column) {
  const TColumn* c = pane_.Column(column);
  return c != nullptr ? Utf16ToUtf8(c->title) : std::string();
}

const TResultRow& TConsole::Row(int row) {
  const TResultRow* found = pane_.At(row);
  if (found == nullptr) throw EConsoleError("the result pane has no row " + std::to_string(row));
  return *found;
}

std::string TConsole::RowText(const TResultRow& row, int index, int column) {
  if (!row.scope && column == 0 && !row.callbackText) return Utf16ToUtf8(row.text);
  RESULTDATAITEM item{};
  item.mask = RDI_STR;
  item.bScopeItem = row.scope;
  item.itemID = row.id;
  item.nIndex = index;
  item.nCol = column;
  item.lParam = row.lParam;
  const bool answered = SUCCEEDED(component_->GetDisplayInfo(&item)) && item.str != nullptr &&
                        item.str != MMC_CALLBACK;
  if (answered) return Utf16ToUtf8(item.str);
  return row.scope && column == 0 ? NodeName(row.id) : std::string();
}

std::string TConsole::CellText(int row, int column) {
  const TResultRow copy = Row(row);
  return RowText(copy, row, column);
}

std::vector<int> TConsole::PickedRows() {
  std::vector<int> rows;
  for (int i = 0; i < pane_.Count(); ++i) {
    if (pane_.At(i)->state & LVIS_SELECTED) rows.push_back(i);
  }
  return rows;
}

void TConsole::PickRows(const std::vector<int>& rows) {
  Action action(*this);
  if (tree_.Find(selected_) == nullptr) throw EConsoleError("no node is selected");
  for (int row : rows) Row(row);
  const bool several = rows.size() > 1;
  if (several && (!(viewOptions_ & MMC_VIEW_OPTIONS_MULTISELECT) || (viewStyle_ & MMC_SINGLESEL))) {
    throw EConsoleError("the result pane takes only one row at a time");
  }
  DeselectRows();
  for (size_t i = 0; i < rows.size(); ++i) {
    pane_.At(rows[i])->state |= LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0);
  }
  SendSelect(CurrentTarget(), true);
}

TConsole::Target TConsole::NodeTarget() {
  Target target;
  target.scope = true;
  target.node = selected_;
  target.data = ScopeData(selected_);
  return target;
}

TConsole::Target TConsole::CurrentTarget() {
  if (tree_.Find(selected_) == nullptr) throw EConsoleError("no node is selected");
  const std::vector<int> picked = PickedRows();
  if (picked.empty()) return NodeTarget();
  Target target;
  target.row = true;
  if (picked.size() > 1) {
    target.multi = true;
    Check(component_->QueryDataObject(MMC_MULTI_SELECT_COOKIE, CCT_UNINITIALIZED,
                                      target.data.ReleaseAndGetAddressOf()),
          "the snap-in gave no data object for the selection");
    return target;
  }
  const TResultRow& row = *pane_.At(picked[0]);
  if (row.scope) {
    target.scope = true;
    target.node = row.id;
    target.data = ScopeData(row.id);
    return target;
  }
  Check(component_->QueryDataObject(row.lParam, CCT_RESULT, target.data.ReleaseAndGetAddressOf()),
        "the snap-in gave no data object");
  return target;
}

void TConsole::SortByColumn(int column, bool descending) {
  Action action(*this);
  if (viewStyle_ & MMC_NOSORTHEADER) throw EConsoleError("the result pane cannot be sorted");
  if (pane_.Column(column) == nullptr)
    throw EConsoleError("there is no column " + std::to_string(column));
  const DWORD options = descending ? RSI_DESCENDING : 0;
  Check(component_->Notify(nullptr, MMCN_COLUMN_CLICK, column, options),
        "the snap-in refused the sort");
  Check(Sort(column, options, 0), "the result pane could not be sorted");
}

void TConsole::RunVerb(MMC_CONSOLE_VERB verb, const std::string& newName) {
  Action action(*this);
  const std::string name = VerbName(verb);
  if (!verbs_->Available(verb)) throw EConsoleError("the " + name + " verb is not available here");
  Target target = CurrentTarget();
  switch (verb) {
    case MMC_VERB_OPEN:
      if (target.multi) return;
      if (target.scope && target.row) return SelectNode(target.node);
      if (target.scope) return ExpandNode(target.node);
      Check(component_->Notify(target.data.Get(), MMCN_DBLCLICK, 0, 0),
            "the snap-in could not open");
      return;
    case MMC_VERB_REFRESH:
      Check(component_->Notify(target.data.Get(), MMCN_REFRESH, 0, 0),
            "the snap-in could not refresh");
      SyncScopeRows();
      return;
    case MMC_VERB_DELETE: {
      const bool scope = target.scope && !target.multi;
      Check(scope ? data_->Notify(target.data.Get(), MMCN_DELETE, 0, 0)
                  : component_->Notify(target.data.Get(), MMCN_DELETE, 0, 0),
            "the snap-in could not delete");
      return;
    }
    case MMC_VERB_RENAME: {
      if (target.multi) throw EConsoleError("several rows cannot be renamed at once");
      std::u16string wide = Utf8ToUtf16(newName);
      const LPARAM param = reinterpret_cast<LPARAM>(wide.data());
      const HRESULT hr = target.scope
                             ? data_->Notify(target.data.Get(), MMCN_RENAME, 0, param)
                             : component_->Notify(target.data.Get(), MMCN_RENAME, 0, param);
      if (Check(hr, "the snap-in could not rename") == S_FALSE) {
        throw EConsoleError("the snap-in refused the name \"" + newName + "\"");
      }
      TScopeNode* node = target.scope ? tree_.Find(target.node) : nullptr;
      if (node != nullptr && !node->callbackName) node->name = wide;
      if (!target.scope) {
        if (TResultRow* row = pane_.At(PickedRows()[0]); row && !row->callbackText)
          row->text = wide;
      }
      return;
    }
    default:
      throw EConsoleError("this console does not carry out the " + name + " verb");
  }
}

void TConsole::Activate() {
  Action action(*this);
  Target target = CurrentTarget();
  if (target.multi) return;
  const HRESULT hr = Check(component_->Notify(target.data.Get(), MMCN_DBLCLICK, 0, 0),
                           "the snap-in could not open");
  if (hr != S_FALSE) return;
  const MMC_CONSOLE_VERB verb = verbs_->DefaultVerb();
  if (verb == MMC_VERB_OPEN && target.scope) {
    if (target.row) return SelectNode(target.node);
    if (Node(target.node).expanded) return CollapseNode(target.node);
    return ExpandNode(target.node);
  }
  if (verb != MMC_VERB_NONE && verb != MMC_VERB_OPEN && verbs_->Available(verb)) RunVerb(verb);
}

void TConsole::ContextHelp() {
  Action action(*this);
  Target target = CurrentTarget();
  Check(component_->Notify(target.data.Get(), MMCN_CONTEXTHELP, 0, 0),
        "the snap-in could not show help");
}

namespace {

constexpr LONG kPrimaryPoints =
    CCM_INSERTIONALLOWED_TOP | CCM_INSERTIONALLOWED_NEW | CCM_INSERTIONALLOWED_TASK;

// Lets one snap-in object add its items, when it extends context menus.
void AddItems(IUnknown* object, TContextMenu& menu, int owner, LONG allowed, IDataObject* data) {
  ComPtr<IExtendContextMenu> extend = ComPtr<IUnknown>(object).As<IExtendContextMenu>();
  if (!extend) return;
  menu.BeginAdder(owner, allowed);
  LONG insertionAllowed = allowed;
  extend->AddMenuItems(data, &menu, &insertionAllowed);
}

}  // namespace

std::vector<TMenuItem> TConsole::ContextMenu() {
  Action action(*this);
  Target target = CurrentTarget();
  ComPtr<TContextMenu> menu = MakeComObject<TContextMenu>();
  if (target.scope) {
    AddItems(data_.Get(), *menu, 0, kPrimaryPoints, target.data.Get());
    AddItems(component_.Get(), *menu, 1, CCM_INSERTIONALLOWED_VIEW, target.data.Get());
  } else {
    AddItems(component_.Get(), *menu, 1, kPrimaryPoints | CCM_INSERTIONALLOWED_VIEW,
             target.data.Get());
  }
  return menu->Commands();
}

void TConsole::RunMenuItem(const TMenuItem& item) {
  Action action(*this);
  if (!item.Enabled()) throw EConsoleError("the menu item \"" + item.text + "\" is disabled");
  Target target = CurrentTarget();
  IUnknown* owner = item.owner == 0 ? static_cast<IUnknown*>(data_.Get())
                                    : static_cast<IUnknown*>(component_.Get());
  ComPtr<IExtendContextMenu> extend = ComPtr<IUnknown>(owner).As<IExtendContextMenu>();
  if (!extend) throw EConsoleError("the snap-in offers no menu commands");
  Check(extend->Command(item.commandId, target.data.Get()),
        "the command \"" + item.text + "\" failed");
}
