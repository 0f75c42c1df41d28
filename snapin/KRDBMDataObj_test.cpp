#include "snapin/KRDBMDataObj.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/mmc/ClipboardFormats.h"
#include "platform/testing/TestFiles.h"
#include "platform/ui/ScriptPresenter.h"
#include "snapin/KRComponentData.h"

namespace {

// A data object of someone else: it serves no format.
class ForeignDataObject : public ComObject<IDataObject> {
 public:
  int calls = 0;
  HRESULT GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override {
    ++calls;
    return DV_E_FORMATETC;
  }
  HRESULT QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
  HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

std::string GuidBytes(const GUID& g) { return std::string(reinterpret_cast<const char*>(&g), 16); }

class DataObjectFormats : public ::testing::Test {
 protected:
  ScopedEnv computer_{"VAZERIR_COMPUTERNAME", "PC7"};

  // The bytes GetDataHere writes for `format` into a block of `size` bytes;
  // `hr` receives its answer.
  static std::string Here(IDataObject* object, const char* format, size_t size, HRESULT& hr) {
    HGLOBAL block = nullptr;
    hr = ExtractFromDataObject(object, RegisterClipboardFormatA(format), size, block);
    if (FAILED(hr)) {
      EXPECT_EQ(block, nullptr);
      return {};
    }
    std::string bytes(static_cast<const char*>(GlobalLock(block)), GlobalSize(block));
    GlobalUnlock(block);
    GlobalFree(block);
    return bytes;
  }

  static ComPtr<TKRDataObject> Make(MMC_COOKIE cookie, DATA_OBJECT_TYPES type) {
    auto object = MakeComObject<TKRDataObject>();
    object->SetCookie(cookie);
    object->SetObjectType(type);
    return object;
  }
};

TEST(DataObjectInternal, FreshRecordIsUnset) {
  const TKRInternal internal;
  EXPECT_EQ(internal.GetType(), CCT_UNINITIALIZED);
  EXPECT_EQ(internal.GetCookie(), -1);
  EXPECT_EQ(internal.Record().FString, nullptr);
  EXPECT_EQ(internal.GetClsid(), GUID_NULL);
}

TEST(DataObjectInternal, RecordRoundTripsWithAPointerSizedCookie) {
  // A cookie with bits above the low 32 must come back whole.
  const MMC_COOKIE cookie = static_cast<MMC_COOKIE>(0x0000'7F12'3456'789A);
  ComPtr<IDataObject> object;
  ASSERT_EQ(_QueryDataObject(cookie, CCT_RESULT, nullptr, object.ReleaseAndGetAddressOf()), S_OK);
  const std::unique_ptr<TKRInternal> internal = ExtractInternalFormat(object.Get());
  ASSERT_NE(internal, nullptr);
  EXPECT_EQ(internal->GetType(), CCT_RESULT);
  EXPECT_EQ(internal->GetCookie(), cookie);
  EXPECT_EQ(internal->GetClsid(), CLSID_KRComponentData);
  EXPECT_EQ(internal->Record().FString, nullptr);
  EXPECT_EQ(_QueryDataObject(cookie, CCT_RESULT, nullptr, nullptr), E_POINTER);
}

TEST(DataObjectInternal, OtherObjectsHaveNoInternalRecord) {
  EXPECT_EQ(ExtractInternalFormat(nullptr), nullptr);
  EXPECT_EQ(ExtractInternalFormat(DOBJ_CUSTOMOCX), nullptr);
  EXPECT_EQ(ExtractInternalFormat(DOBJ_NOCONSOLE), nullptr);
  auto foreign = MakeComObject<ForeignDataObject>();
  EXPECT_EQ(ExtractInternalFormat(foreign.Get()), nullptr);  // its block is freed (leak check)
  EXPECT_EQ(foreign->calls, 1);

  HGLOBAL block = reinterpret_cast<HGLOBAL>(1);
  EXPECT_EQ(ExtractFromDataObject(foreign.Get(), 1, 8, block), DV_E_FORMATETC);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(ExtractFromDataObject(foreign.Get(), 1, kGlobalMaxBlockSize + 1, block), E_OUTOFMEMORY);
}

TEST(DataObjectInternal, SpecialCookiesDesignateNoFolder) {
  TKRFolder root;
  root.Init("RootFolder", 0, 0, krftRootFolder, true);
  root.SetCookie(0);
  auto child = std::make_unique<TKRFolder>();
  child->Init("undisplayed", 0, 0, krftComputers, true);  // cookie still -1
  TKRFolder* undisplayed = TKRFolder::SetParent(std::move(child), root);
  EXPECT_EQ(FolderOfCookie(&root, -1), nullptr);
  EXPECT_EQ(FolderOfCookie(&root, MMC_MULTI_SELECT_COOKIE), nullptr);
  EXPECT_EQ(FolderOfCookie(&root, 0), &root);
  EXPECT_EQ(FolderOfCookie(nullptr, 0), nullptr);
  undisplayed->PrepareScopeItem(0);
  EXPECT_EQ(FolderOfCookie(&root, undisplayed->Cookie()), undisplayed);
}

TEST_F(DataObjectFormats, NodeTypesFollowTheFolderType) {
  TKRFolder root;
  root.Init("RootFolder", 0, 0, krftRootFolder, true);
  root.SetCookie(0);
  auto server = std::make_unique<TKRFolder>();
  server->Init("OS1", 5, 5, krftServer, true);
  TKRFolder* serverFolder = TKRFolder::SetParent(std::move(server), root);
  serverFolder->PrepareScopeItem(0);

  HRESULT hr = S_OK;
  ComPtr<IDataObject> object;
  _QueryDataObject(serverFolder->Cookie(), CCT_SCOPE, &root, object.ReleaseAndGetAddressOf());
  // The platform's binary layout: three little-endian fields, then 8 bytes.
  EXPECT_EQ(Here(object.Get(), CCF_NODETYPE_A, 16, hr),
            std::string("\x05\x54\xF1\x8D\x67\xBF\xD2\x11\xBD\x76\x00\x80\x5F\x53\x6E\x80", 16));
  EXPECT_EQ(hr, S_OK);

  // Cookie 0 is the root whatever the object's type.
  for (DATA_OBJECT_TYPES type : {CCT_SCOPE, CCT_RESULT, CCT_SNAPIN_MANAGER, CCT_UNINITIALIZED}) {
    EXPECT_EQ(Here(Make(0, type).Get(), CCF_NODETYPE_A, 16, hr), GuidBytes(NODETYPE_KRRootFolder));
  }
  EXPECT_EQ(Here(Make(77, CCT_RESULT).Get(), CCF_NODETYPE_A, 16, hr),
            GuidBytes(NODETYPE_KRResultItem));
  Here(Make(77, CCT_SNAPIN_MANAGER).Get(), CCF_NODETYPE_A, 16, hr);
  EXPECT_EQ(hr, E_POINTER);
  // A scope cookie that designates no folder has no node type, silently.
  Here(Make(77, CCT_SCOPE).Get(), CCF_NODETYPE_A, 16, hr);
  EXPECT_EQ(hr, E_POINTER);

  EXPECT_EQ(*FolderNodeType(krftScenarios), GuidLiteral("{9FD4B172-4776-46E0-A97D-7DE477092C50}"));
  EXPECT_EQ(*FolderNodeType(krftRootFolder), NODETYPE_KRRootFolder);
  EXPECT_EQ(FolderNodeType(krftNone), nullptr);
  EXPECT_EQ(FolderNodeType(static_cast<TKRFolderType>(15)), nullptr);
}

TEST_F(DataObjectFormats, AFolderOfTypeNoneIsReported) {
  TScriptPresenter presenter("expect message containing 'Invalid folder type.'; answer IDOK");
  TPresenterScope scope(presenter);
  auto object = Make(77, CCT_SCOPE);
  object->SetFolderType(krftNone);
  HRESULT hr = S_OK;
  Here(object.Get(), CCF_NODETYPE_A, 16, hr);
  EXPECT_EQ(hr, E_POINTER);
  EXPECT_EQ(presenter.Verify(), "");
}

TEST_F(DataObjectFormats, TextsAndIdentifiers) {
  auto object = Make(5, CCT_SCOPE);
  object->SetCLSID(CLSID_KRComponentData);
  HRESULT hr = S_OK;
  const std::u16string name = u"NorvikSCS VuzivuZezera";
  const size_t nameBytes = (name.size() + 1) * 2;
  EXPECT_EQ(Here(object.Get(), CCF_DISPLAY_NAME_A, nameBytes, hr),
            std::string(reinterpret_cast<const char*>(name.c_str()), nameBytes));
  // A fixed block too small for the text is not grown.
  Here(object.Get(), CCF_DISPLAY_NAME_A, nameBytes - 2, hr);
  EXPECT_TRUE(FAILED(hr));

  EXPECT_EQ(Here(object.Get(), kSnapinWorkstationFormat, 8, hr), std::string("P\0C\0"
                                                                             "7\0\0\0",
                                                                             8));
  EXPECT_EQ(Here(object.Get(), CCF_SNAPIN_CLASSID_A, 16, hr), GuidBytes(CLSID_KRComponentData));

  Here(object.Get(), CCF_SZNODETYPE_A, 100, hr);
  EXPECT_EQ(hr, DV_E_FORMATETC);
  Here(object.Get(), CCF_OBJECT_TYPES_IN_MULTI_SELECT_A, 100, hr);
  EXPECT_EQ(hr, DV_E_FORMATETC);  // served by GetData only
}

TEST_F(DataObjectFormats, ALongComputerNameCannotBeServed) {
  ScopedEnv longName("VAZERIR_COMPUTERNAME", "SIXTEEN-LETTERS1");
  HRESULT hr = S_OK;
  Here(Make(5, CCT_SCOPE).Get(), kSnapinWorkstationFormat, 64, hr);
  EXPECT_EQ(hr, E_FAIL);
}

TEST_F(DataObjectFormats, MediaOtherThanGlobalBlocksAreRefused) {
  auto object = Make(5, CCT_SCOPE);
  FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatA(kSnapinInternalFormat)),
                   nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
  STGMEDIUM medium{};
  medium.tymed = TYMED_ISTREAM;
  EXPECT_EQ(object->GetDataHere(&format, &medium), DV_E_TYMED);
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = nullptr;
  EXPECT_EQ(object->GetDataHere(&format, &medium), E_INVALIDARG);
  EXPECT_EQ(object->GetDataHere(nullptr, &medium), E_POINTER);
  EXPECT_EQ(object->GetDataHere(&format, nullptr), E_POINTER);
}

TEST_F(DataObjectFormats, MultiSelectionListsItsNodeTypes) {
  FORMATETC format{
      static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CCF_OBJECT_TYPES_IN_MULTI_SELECT_A)),
      nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  const GUID users = *FolderNodeType(krftUsers);
  auto object = Make(MMC_MULTI_SELECT_COOKIE, CCT_RESULT);
  object->SetMultiSelDobj(true);
  object->SetMultiSelData({users, NODETYPE_KRResultItem});
  EXPECT_TRUE(object->MultiSelDobj());

  STGMEDIUM medium{};
  ASSERT_EQ(object->GetData(&format, &medium), S_OK);
  EXPECT_EQ(medium.tymed, TYMED_HGLOBAL);
  EXPECT_EQ(medium.pUnkForRelease, nullptr);
  ASSERT_EQ(GlobalSize(medium.hGlobal), 36u);
  std::string bytes(static_cast<const char*>(GlobalLock(medium.hGlobal)), 36);
  GlobalUnlock(medium.hGlobal);
  EXPECT_EQ(bytes,
            std::string("\x02\0\0\0", 4) + GuidBytes(users) + GuidBytes(NODETYPE_KRResultItem));
  ReleaseStgMedium(&medium);

  object->SetMultiSelData({});
  ASSERT_EQ(object->GetData(&format, &medium), S_OK);
  ASSERT_EQ(GlobalSize(medium.hGlobal), 4u);
  EXPECT_EQ(std::memcmp(GlobalLock(medium.hGlobal), "\0\0\0\0", 4), 0);
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);

  EXPECT_EQ(Make(5, CCT_RESULT)->GetData(&format, &medium), E_FAIL);
  format.cfFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CCF_NODETYPE_A));
  EXPECT_EQ(object->GetData(&format, &medium), DV_E_FORMATETC);
}

TEST_F(DataObjectFormats, UnsupportedOperations) {
  auto object = Make(5, CCT_SCOPE);
  auto* dummy = reinterpret_cast<IEnumFORMATETC*>(intptr_t{16});
  IEnumFORMATETC* formats = dummy;
  EXPECT_EQ(object->EnumFormatEtc(DATADIR_GET, &formats), E_NOTIMPL);
  EXPECT_EQ(formats, nullptr);
  IEnumSTATDATA* advises = reinterpret_cast<IEnumSTATDATA*>(intptr_t{16});
  EXPECT_EQ(object->EnumDAdvise(&advises), E_NOTIMPL);
  EXPECT_EQ(advises, nullptr);
  FORMATETC format{};
  EXPECT_EQ(object->QueryGetData(&format), E_NOTIMPL);
  EXPECT_EQ(object->SetData(&format, nullptr, FALSE), E_NOTIMPL);
  EXPECT_EQ(object->DUnadvise(1), E_NOTIMPL);
}

}  // namespace
