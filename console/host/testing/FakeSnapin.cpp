#include "console/host/testing/FakeSnapin.h"

#include <atomic>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/DataObject.h"
#include "platform/com/GlobalMemory.h"
#include "platform/mmc/ClipboardFormats.h"
#include "platform/mmc/MmcInterfaces.h"
#include "platform/mmc/PersistStream.h"
#include "platform/text/Utf.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageBoxCodes.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/StdCtrls.h"
#include "platform/win32/Library.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Registry.h"

namespace {

std::atomic<int> g_objects{0};
std::vector<std::string> g_journal;

void Log(const std::string& entry) { g_journal.push_back(entry); }

std::string Hex(LPARAM value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
  return text;
}

struct Counted {
  Counted() { ++g_objects; }
  ~Counted() { --g_objects; }
};

inline constexpr IID IID_IFakeData = GuidLiteral("{5E1D27C1-3A4B-4C5D-8E6F-708192A3B4C5}");

struct IFakeData : IUnknown {
  static constexpr const IID& kIID = IID_IFakeData;
  virtual LPARAM Cookie() = 0;
  virtual DATA_OBJECT_TYPES Type() = 0;
  virtual int Selected() = 0;  // rows in a multi-selection, else 0

 protected:
  ~IFakeData() = default;
};

class FakeData final : public ComObject<IDataObject, IFakeData>, Counted {
 public:
  FakeData(LPARAM cookie, DATA_OBJECT_TYPES type, int selected)
      : cookie_(cookie), type_(type), selected_(selected) {}
  LPARAM Cookie() override { return cookie_; }
  DATA_OBJECT_TYPES Type() override { return type_; }
  int Selected() override { return selected_; }

  // The static node's name, written into the console's block.
  HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) override {
    if (format->cfFormat != RegisterClipboardFormatW(CCF_DISPLAY_NAME) || cookie_ != 0 ||
        std::getenv("FAKE_SNAPIN_NO_DISPLAY_NAME") != nullptr) {
      return DV_E_FORMATETC;
    }
    const std::u16string name = u"Fake Root";
    auto* chars = static_cast<char16_t*>(GlobalLock(medium->hGlobal));
    if (chars == nullptr) return E_INVALIDARG;
    if (GlobalSize(medium->hGlobal) >= (name.size() + 1) * 2) {
      name.copy(chars, name.size());
      chars[name.size()] = u'\0';
    }
    GlobalUnlock(medium->hGlobal);
    return S_OK;
  }
  HRESULT GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
  HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  LPARAM cookie_;
  DATA_OBJECT_TYPES type_;
  int selected_;
};

ComPtr<IFakeData> Fake(IDataObject* data) {
  if (IS_SPECIAL_DATAOBJECT(data)) return nullptr;
  return ComPtr<IDataObject>(data).As<IFakeData>();
}

HRESULT Give(IDataObject** out, LPARAM cookie, DATA_OBJECT_TYPES type, int selected = 0) {
  return MakeComObject<FakeData>(cookie, type, selected).CopyTo(out);
}

struct Node {
  std::u16string name;
  LPARAM parent;
  HSCOPEITEM id = 0;
  bool listedOnShow = false;  // inserted when its parent is shown, not expanded
  bool forgotten = false;     // left out when its parent is rebuilt
};

struct Item {
  std::u16string name;
  std::u16string size;
};

HRESULT WriteText(IStream* stream, const std::string& text) {
  const uint32_t size = uint32_t(text.size());
  if (FAILED(WriteFully(stream, &size, 4))) return STG_E_CANTSAVE;
  return FAILED(WriteFully(stream, text.data(), size)) ? STG_E_CANTSAVE : S_OK;
}

class FakeComponent;

class FakeComponentData final
    : public ComObject<IComponentData, IExtendContextMenu, IPersistStream>,
      Counted {
 public:
  FakeComponentData() {
    nodes_[1] = {u"Alpha", 0};
    nodes_[2] = {u"Beta/Gamma", 0};
    nodes_[3] = {u"One", 1};
    nodes_[4] = {u"Two", 1};
    nodes_[5] = {u"Leaf", 4, 0, true};
    items_[1] = {{u"r1", u"10"}, {u"r2", u"9"}, {u"r10", u""}};
  }

  HRESULT Initialize(IUnknown* console) override {
    Log("cd initialize");
    ComPtr<IUnknown> unknown(console);
    if (FAILED(unknown.As(nameSpace_)) || FAILED(unknown.As(console_))) return E_NOINTERFACE;
    return S_OK;
  }
  HRESULT CreateComponent(IComponent** component) override;
  HRESULT Notify(IDataObject* data, MMC_NOTIFY_TYPE event, LPARAM arg, LPARAM param) override {
    ComPtr<IFakeData> fake = Fake(data);
    const LPARAM cookie = fake ? fake->Cookie() : -1;
    Log("cd notify " + Hex(event) + " cookie " + std::to_string(cookie) + " arg " + Hex(arg));
    if (event == MMCN_EXPAND && arg) {
      for (auto& [id, node] : nodes_) {
        if (node.parent == cookie && id != 0 && !node.listedOnShow) Insert(id, param);
      }
    }
    if (event == MMCN_DELETE) {
      if (cookie != 2) return S_FALSE;
      nameSpace_->DeleteItem(nodes_[2].id, TRUE);
      nodes_.erase(2);
    }
    if (event == MMCN_RENAME) {
      const std::u16string name = reinterpret_cast<const char16_t*>(param);
      if (name.empty() || !nodes_.count(cookie)) return S_FALSE;
      nodes_[cookie].name = name;
      dirty_ = true;
    }
    return S_OK;
  }
  HRESULT Destroy() override {
    Log("cd destroy");
    console_ = nullptr;
    nameSpace_ = nullptr;
    return S_OK;
  }
  HRESULT QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type, IDataObject** data) override {
    return Give(data, cookie, type);
  }
  HRESULT GetDisplayInfo(SCOPEDATAITEM* item) override {
    auto it = nodes_.find(item->lParam);
    if (it == nodes_.end()) return E_INVALIDARG;
    item->displayname = it->second.name.data();
    return S_OK;
  }
  HRESULT CompareObjects(IDataObject* a, IDataObject* b) override {
    return Fake(a) && Fake(b) && Fake(a)->Cookie() == Fake(b)->Cookie() ? S_OK : S_FALSE;
  }

  HRESULT AddMenuItems(IDataObject* data, IContextMenuCallback* callback, LONG* allowed) override {
    ComPtr<IFakeData> fake = Fake(data);
    Log("cd menu allowed " + Hex(*allowed));
    if (fake && fake->Cookie() == 4) {
      Add(callback, u"Forget", 10, CCM_INSERTIONPOINTID_PRIMARY_TOP, 0);
      Add(callback, u"Reread", 11, CCM_INSERTIONPOINTID_PRIMARY_TOP, 0);
    }
    if (!fake || fake->Cookie() != 1) return S_OK;
    Add(callback, u"Add Node", 1, CCM_INSERTIONPOINTID_PRIMARY_TOP, 0);
    Add(callback, u"Ask", 2, CCM_INSERTIONPOINTID_PRIMARY_TOP, 0);
    Add(callback, u"Greyed", 3, CCM_INSERTIONPOINTID_PRIMARY_TOP, MF_GRAYED);
    Add(callback, u"New Thing", 4, CCM_INSERTIONPOINTID_PRIMARY_NEW, 0);
    Add(callback, u"Warn", 6, CCM_INSERTIONPOINTID_PRIMARY_TOP, 0);
    Add(callback, u"Browse", 7, CCM_INSERTIONPOINTID_PRIMARY_TOP, 0);
    Add(callback, u"Viewed", 8, CCM_INSERTIONPOINTID_PRIMARY_VIEW, 0);
    Add(callback, u"Post", 9, CCM_INSERTIONPOINTID_PRIMARY_TASK, 0);
    return S_OK;
  }
  HRESULT Command(LONG id, IDataObject* data) override {
    Log("cd command " + std::to_string(id) + " cookie " + std::to_string(Fake(data)->Cookie()));
    if (id == 1) AddNode(u"Node " + Utf8ToUtf16(std::to_string(++added_)));
    if (id == 2) Ask();
    if (id == 6) {
      int answer = 0;
      console_->MessageBox(u"Really?", u"Fake", MB_YESNO, &answer);
      Log("answer " + std::to_string(answer));
    }
    if (id == 7) Log("folder " + BrowseForFolder("Pick one", "/").value_or("none"));
    if (id == 9) PostToHiddenWindow();
    if (id == 10) nodes_[Fake(data)->Cookie()].forgotten = true;
    if (id == 10 || id == 11) Rebuild(nodes_[Fake(data)->Cookie()].parent);
    return S_OK;
  }

  // A refresh: the node's children leave the console and come back (new
  // scope items), as a snap-in that reads them again does; forgotten ones
  // stay away.
  void Rebuild(LPARAM cookie) {
    if (!nodes_.count(cookie)) return;  // the static node's children are fixed
    for (auto& [id, node] : nodes_) {
      if (node.parent == cookie && node.id != 0) nameSpace_->DeleteItem(node.id, TRUE);
    }
    for (auto it = nodes_.begin(); it != nodes_.end();) {
      if (it->second.parent == cookie && it->second.forgotten) {
        it = nodes_.erase(it);
      } else {
        ++it;
      }
    }
    ForgetIds(cookie);
    for (auto& [id, node] : nodes_) {
      if (node.parent == cookie && !node.listedOnShow) Insert(id, nodes_[cookie].id);
    }
  }
  // Showing a node lists the children it gives only then.
  void ListOnShow(LPARAM cookie) {
    for (auto& [id, node] : nodes_) {
      if (node.parent == cookie && node.listedOnShow && node.id == 0) Insert(id, nodes_[cookie].id);
    }
  }

  HRESULT GetClassID(CLSID* clsid) override {
    *clsid = CLSID_FakeSnapin;
    return S_OK;
  }
  HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
  HRESULT Load(IStream* stream) override {
    uint32_t count = 0;
    if (ReadFully(stream, &count, 4) != S_OK) return E_FAIL;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t size = 0;
      if (ReadFully(stream, &size, 4) != S_OK || size > 1000) return E_FAIL;
      std::string name(size, '\0');
      if (ReadFully(stream, name.data(), size) != S_OK) return E_FAIL;
      saved_.push_back(name);
      nodes_[100 + LPARAM(i)] = {Utf8ToUtf16(name), 1};
    }
    Log("cd load " + std::to_string(count));
    return S_OK;
  }
  HRESULT Save(IStream* stream, BOOL clear) override {
    const uint32_t count = uint32_t(saved_.size());
    if (FAILED(WriteFully(stream, &count, 4))) return STG_E_CANTSAVE;
    for (const std::string& name : saved_) {
      if (FAILED(WriteText(stream, name))) return STG_E_CANTSAVE;
    }
    if (clear) dirty_ = false;
    return S_OK;
  }
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override {
    *size = 0;
    return E_NOTIMPL;
  }

  std::map<LPARAM, Node> nodes_;
  std::map<LPARAM, std::vector<Item>> items_;
  ComPtr<IConsole> console_;

 private:
  void Insert(LPARAM cookie, HSCOPEITEM parent) {
    SCOPEDATAITEM item{};
    item.mask = SDI_STR | SDI_PARAM | SDI_CHILDREN;
    item.displayname = MMC_CALLBACK;
    item.lParam = cookie;
    item.relativeID = parent;
    item.cChildren = cookie == 1 ? 2 : 0;
    nameSpace_->InsertItem(&item);
    nodes_[cookie].id = item.ID;
  }
  // The descendants of `cookie` are no longer in the console.
  void ForgetIds(LPARAM cookie) {
    for (auto& [id, node] : nodes_) {
      if (node.parent == cookie && id != cookie) {
        node.id = 0;
        ForgetIds(id);
      }
    }
  }
  void AddNode(const std::u16string& name) {
    const LPARAM cookie = 100 + LPARAM(saved_.size());
    nodes_[cookie] = {name, 1};
    saved_.push_back(Utf16ToUtf8(name));
    Insert(cookie, nodes_[1].id);
    dirty_ = true;
  }
  void Ask() {
    TForm form;
    form.SetCaption("Ask");
    TEdit& edit = form.Add<TEdit>("NameEdit");
    TButton& ok = form.Add<TButton>("OKBtn");
    ok.SetCaption("OK");
    ok.SetModalResult(mrOk);
    ok.SetDefault(true);
    TButton& cancel = form.Add<TButton>("CancelBtn");
    cancel.SetCaption("Cancel");
    cancel.SetModalResult(mrCancel);
    cancel.SetCancel(true);
    ok.SetBounds(0, 20, 50, 20);
    cancel.SetBounds(60, 20, 50, 20);
    edit.SetBounds(0, 0, 100, 20);
    form.SetBounds(0, 0, 200, 100);
    if (form.ShowModal() == mrOk) AddNode(Utf8ToUtf16(edit.Text()));
  }
  // A message posted to a window of this module reaches it only when the
  // console pumps this module's queue.
  static void PostToHiddenWindow() {
    static HWND window = [] {
      WNDCLASS windowClass{};
      windowClass.lpfnWndProc = [](HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_USER) Log("posted received");
        return DefWindowProc(w, message, wParam, lParam);
      };
      windowClass.lpszClassName = "FakeSnapinWindow";
      RegisterClass(&windowClass);
      return CreateWindow("FakeSnapinWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                          nullptr);
    }();
    PostMessage(window, WM_USER, 0, 0);
  }
  static void Add(IContextMenuCallback* callback, const char16_t* text, LONG id, LONG point,
                  LONG flags) {
    std::u16string name = text;
    std::u16string status = u"Does " + name;
    CONTEXTMENUITEM item{name.data(), status.data(), id, point, flags, 0};
    const HRESULT hr = callback->AddItem(&item);
    if (FAILED(hr)) Log("menu refused " + Utf16ToUtf8(name));
  }

  ComPtr<IConsoleNameSpace> nameSpace_;
  std::vector<std::string> saved_;
  int added_ = 0;
  bool dirty_ = false;
};

class FakeComponent final
    : public ComObject<IComponent, IExtendContextMenu, IResultDataCompare, IPersistStream>,
      Counted {
 public:
  explicit FakeComponent(ComPtr<FakeComponentData> owner) : owner_(std::move(owner)) {}

  HRESULT Initialize(IConsole* console) override {
    Log("c initialize");
    console_ = console;
    ComPtr<IConsole>(console).As(result_);
    ComPtr<IConsole>(console).As(header_);
    console->QueryConsoleVerb(verbs_.ReleaseAndGetAddressOf());
    return S_OK;
  }
  HRESULT Notify(IDataObject* data, MMC_NOTIFY_TYPE event, LPARAM arg, LPARAM) override {
    ComPtr<IFakeData> fake = Fake(data);
    const LPARAM cookie = fake ? fake->Cookie() : -1;
    std::string entry =
        "c notify " + Hex(event) + " cookie " + std::to_string(cookie) + " arg " + Hex(arg);
    if (fake && fake->Selected() > 0) entry += " rows " + std::to_string(fake->Selected());
    Log(entry);
    if (event == MMCN_SHOW && arg) Show(cookie);
    if (event == MMCN_REFRESH && fake) owner_->Rebuild(cookie);
    if (event == MMCN_SELECT && (arg >> 16)) SetVerbs(fake, arg & 0xFF);
    if (event == MMCN_DBLCLICK) {
      // A scope item opens itself, as a snap-in does: it asks the console to
      // select it, from inside this notification.
      if (!fake || fake->Type() != CCT_SCOPE || !owner_->nodes_.count(cookie)) return S_FALSE;
      return console_->SelectScopeItem(owner_->nodes_[cookie].id);
    }
    if (event == MMCN_CONTEXTHELP) {
      int answer = 0;
      console_->MessageBox(u"help for the item", u"Help", MB_OK, &answer);
    }
    if (event == MMCN_DELETE && fake && fake->Type() == CCT_RESULT) {
      HRESULTITEM item = 0;
      if (SUCCEEDED(result_->FindItemByLParam(fake->Cookie(), &item))) result_->DeleteItem(item, 0);
    }
    return S_OK;
  }
  HRESULT Destroy(MMC_COOKIE) override {
    Log("c destroy");
    console_ = nullptr;
    result_ = nullptr;
    header_ = nullptr;
    verbs_ = nullptr;
    owner_ = nullptr;
    return S_OK;
  }
  HRESULT QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type, IDataObject** data) override {
    if (cookie != MMC_MULTI_SELECT_COOKIE) return Give(data, cookie, type);
    int selected = 0;
    RESULTDATAITEM item{};
    item.mask = RDI_STATE;
    item.nIndex = -1;
    item.nState = LVIS_SELECTED;
    while (SUCCEEDED(result_->GetNextItem(&item))) ++selected;
    return Give(data, cookie, type, selected);
  }
  HRESULT GetResultViewType(MMC_COOKIE, LPOLESTR*, LONG* options) override {
    *options = MMC_VIEW_OPTIONS_MULTISELECT;
    return S_FALSE;
  }
  HRESULT GetDisplayInfo(RESULTDATAITEM* item) override {
    text_.clear();
    if (item->bScopeItem) {
      auto it = owner_->nodes_.find(item->lParam);
      if (it == owner_->nodes_.end()) return E_INVALIDARG;
      text_ =
          item->nCol == 0 ? it->second.name : u"scope " + Utf8ToUtf16(std::to_string(item->lParam));
    } else {
      const Item& row = Row(item->lParam);
      text_ = item->nCol == 0 ? row.name : item->nCol == 1 ? row.size : u"";
    }
    item->str = text_.data();
    return S_OK;
  }
  HRESULT CompareObjects(IDataObject*, IDataObject*) override { return S_FALSE; }

  HRESULT AddMenuItems(IDataObject* data, IContextMenuCallback* callback, LONG* allowed) override {
    Log("c menu allowed " + Hex(*allowed));
    ComPtr<IFakeData> fake = Fake(data);
    if (!fake || fake->Type() != CCT_RESULT) return S_OK;
    std::u16string name = u"Item Command";
    std::u16string reserved = u"Reserved";
    CONTEXTMENUITEM item{name.data(), nullptr, 5, CCM_INSERTIONPOINTID_PRIMARY_TOP, 0, 0};
    callback->AddItem(&item);
    CONTEXTMENUITEM bad{reserved.data(), nullptr, 0x10005, CCM_INSERTIONPOINTID_PRIMARY_TOP, 0, 0};
    if (FAILED(callback->AddItem(&bad))) Log("menu refused Reserved");
    return S_OK;
  }
  HRESULT Command(LONG id, IDataObject* data) override {
    Log("c command " + std::to_string(id) + " cookie " + std::to_string(Fake(data)->Cookie()));
    return S_OK;
  }

  // Compares column texts; a row without a text in the column compares
  // below everything, from either side (not an order: the console must cope).
  HRESULT Compare(LPARAM, MMC_COOKIE a, MMC_COOKIE b, int* result) override {
    const Item& x = Row(a);
    const Item& y = Row(b);
    const std::u16string& tx = *result == 0 ? x.name : x.size;
    const std::u16string& ty = *result == 0 ? y.name : y.size;
    if (tx.empty() || ty.empty()) {
      *result = -1;
      return S_FALSE;
    }
    *result = tx < ty ? -1 : tx > ty ? 1 : 0;
    return S_OK;
  }

  HRESULT GetClassID(CLSID* clsid) override {
    *clsid = CLSID_FakeSnapin;
    return S_OK;
  }
  HRESULT IsDirty() override { return S_FALSE; }
  HRESULT Load(IStream* stream) override {
    uint32_t word = 0;
    const HRESULT hr = ReadFully(stream, &word, 4);
    Log("c load " + std::to_string(word));
    return hr == S_OK && word == 7 ? S_OK : E_FAIL;
  }
  HRESULT Save(IStream* stream, BOOL) override {
    const uint32_t word = 7;
    return WriteFully(stream, &word, 4) == S_OK ? S_OK : STG_E_CANTSAVE;
  }
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override {
    *size = 4;
    return S_OK;
  }

 private:
  // Result item cookies are 1000 * folder + index + 1.
  const Item& Row(LPARAM cookie) {
    return owner_->items_[cookie / 1000][size_t(cookie % 1000 - 1)];
  }
  void Show(LPARAM cookie) {
    owner_->ListOnShow(cookie);
    header_->InsertColumn(0, u"Name", LVCFMT_LEFT, 100);
    header_->InsertColumn(1, u"Size", LVCFMT_RIGHT, 50);
    header_->InsertColumn(2, u"Hidden", LVCFMT_LEFT, HIDE_COLUMN);
    const auto& items = owner_->items_[cookie];
    for (size_t i = 0; i < items.size(); ++i) {
      RESULTDATAITEM item{};
      item.mask = RDI_STR | RDI_PARAM | RDI_IMAGE;
      item.str = MMC_CALLBACK;
      item.lParam = cookie * 1000 + LPARAM(i) + 1;
      item.nImage = 4;
      result_->InsertItem(&item);
    }
  }
  void SetVerbs(const ComPtr<IFakeData>& fake, bool scope) {
    if (!fake) return;
    if (fake->Selected() > 0) {
      verbs_->SetVerbState(MMC_VERB_DELETE, ENABLED, TRUE);
      return;
    }
    if (scope) {
      verbs_->SetVerbState(MMC_VERB_OPEN, ENABLED, TRUE);
      verbs_->SetDefaultVerb(MMC_VERB_OPEN);
      verbs_->SetVerbState(MMC_VERB_REFRESH, ENABLED, TRUE);
      verbs_->SetVerbState(MMC_VERB_DELETE, ENABLED, fake->Cookie() == 2);
      verbs_->SetVerbState(MMC_VERB_RENAME, ENABLED, fake->Cookie() != 0);
      verbs_->SetVerbState(MMC_VERB_PROPERTIES, HIDDEN, TRUE);
    } else {
      verbs_->SetVerbState(MMC_VERB_DELETE, ENABLED, TRUE);
      verbs_->SetVerbState(MMC_VERB_RENAME, ENABLED, TRUE);
    }
  }

  ComPtr<FakeComponentData> owner_;
  ComPtr<IConsole> console_;
  ComPtr<IResultData> result_;
  ComPtr<IHeaderCtrl> header_;
  ComPtr<IConsoleVerb> verbs_;
  std::u16string text_;
};

HRESULT FakeComponentData::CreateComponent(IComponent** component) {
  Log("cd create component");
  return MakeComObject<FakeComponent>(ComPtr<FakeComponentData>(this)).CopyTo(component);
}

class FakeFactory final : public ComObject<IClassFactory>, Counted {
 public:
  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    ComPtr<FakeComponentData> data = MakeComObject<FakeComponentData>();
    return data->QueryInterface(iid, object);
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
};

const std::string kSnapinKey =
    "SOFTWARE\\Microsoft\\MMC\\Snapins\\" + GuidToString(CLSID_FakeSnapin);
const std::string kClassKey = "CLSID\\" + GuidToString(CLSID_FakeSnapin);

}  // namespace

extern "C" {

HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** object) {
  if (clsid != CLSID_FakeSnapin) return CLASS_E_CLASSNOTAVAILABLE;
  return MakeComObject<FakeFactory>()->QueryInterface(iid, object);
}

HRESULT DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }

HRESULT DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, kSnapinKey + "\\StandAlone", &key) != ERROR_SUCCESS) {
    return SELFREG_E_CLASS;
  }
  RegCloseKey(key);
  RegCreateKeyEx(HKEY_LOCAL_MACHINE, kSnapinKey, &key);
  RegSetValueEx(key, "NameString", std::string("Fake Snap-in"));
  RegCloseKey(key);
  RegCreateKeyEx(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", &key);
  RegSetValueEx(key, "", GetModuleFileName(GetModuleHandleFromAddress(&g_objects)));
  RegCloseKey(key);
  return S_OK;
}

HRESULT DllUnregisterServer() {
  RegDeleteTree(HKEY_LOCAL_MACHINE, kSnapinKey.c_str());
  RegDeleteTree(HKEY_CLASSES_ROOT, kClassKey.c_str());
  return S_OK;
}

std::vector<std::string>* FakeSnapinJournal() { return &g_journal; }

}  // extern "C"
