#include "platform/mmc/MmcInterfaces.h"

#include <gtest/gtest.h>

#include <unordered_set>

#include "platform/com/ComPtr.h"
#include "platform/mmc/PersistStream.h"

namespace {

// The least implementation of an extended interface, to see that its whole
// chain is reachable through QueryInterface.
class NameSpace2 : public ComObject<IConsoleNameSpace2> {
 public:
  HRESULT InsertItem(SCOPEDATAITEM*) override { return S_OK; }
  HRESULT DeleteItem(HSCOPEITEM, LONG) override { return S_OK; }
  HRESULT SetItem(SCOPEDATAITEM*) override { return S_OK; }
  HRESULT GetItem(SCOPEDATAITEM*) override { return S_OK; }
  HRESULT GetChildItem(HSCOPEITEM, HSCOPEITEM*, MMC_COOKIE*) override { return S_OK; }
  HRESULT GetNextItem(HSCOPEITEM, HSCOPEITEM*, MMC_COOKIE*) override { return S_OK; }
  HRESULT GetParentItem(HSCOPEITEM, HSCOPEITEM*, MMC_COOKIE*) override { return S_OK; }
  HRESULT Expand(HSCOPEITEM) override { return S_OK; }
  HRESULT AddExtension(HSCOPEITEM, CLSID*) override { return S_OK; }
};

}  // namespace

TEST(MmcInterfaces, IdentifiersAreDistinct) {
  const IID* all[] = {&IID_IComponentData,
                      &IID_IComponent,
                      &IID_IConsole,
                      &IID_IConsole2,
                      &IID_IConsoleNameSpace,
                      &IID_IConsoleNameSpace2,
                      &IID_IConsoleVerb,
                      &IID_IHeaderCtrl,
                      &IID_IHeaderCtrl2,
                      &IID_IResultData,
                      &IID_IImageList,
                      &IID_IContextMenuCallback,
                      &IID_IContextMenuProvider,
                      &IID_IExtendContextMenu,
                      &IID_IResultDataCompare,
                      &IID_IResultOwnerData,
                      &IID_IPersist,
                      &IID_IPersistStream,
                      &IID_IUnknown};
  std::unordered_set<GUID> seen;
  for (const IID* iid : all) EXPECT_TRUE(seen.insert(*iid).second) << GuidToString(*iid);
  EXPECT_EQ(GuidToString(IID_IConsoleNameSpace), "{BEDEB620-F24D-11CF-8AFC-00AA003CA9F6}");
}

TEST(MmcInterfaces, ExtendedInterfacesAnswerForTheirBase) {
  ComPtr<NameSpace2> object = MakeComObject<NameSpace2>();
  EXPECT_TRUE(object.As<IConsoleNameSpace>());
  EXPECT_TRUE(object.As<IConsoleNameSpace2>());
  EXPECT_FALSE(object.As<IConsole>());
}

TEST(MmcTypes, SpecialCookiesAndDataObjects) {
  EXPECT_FALSE(IS_SPECIAL_COOKIE(0));
  EXPECT_TRUE(IS_SPECIAL_COOKIE(-1));
  EXPECT_TRUE(IS_SPECIAL_COOKIE(MMC_MULTI_SELECT_COOKIE));
  EXPECT_TRUE(IS_SPECIAL_COOKIE(-10));
  EXPECT_FALSE(IS_SPECIAL_COOKIE(-11));
  EXPECT_TRUE(IS_SPECIAL_DATAOBJECT(DOBJ_NULL));
  EXPECT_TRUE(IS_SPECIAL_DATAOBJECT(DOBJ_CUSTOMOCX));
  EXPECT_TRUE(IS_SPECIAL_DATAOBJECT(reinterpret_cast<IDataObject*>(intptr_t{-10})));
  EXPECT_FALSE(IS_SPECIAL_DATAOBJECT(reinterpret_cast<IDataObject*>(intptr_t{-11})));
  EXPECT_FALSE(IS_SPECIAL_DATAOBJECT(reinterpret_cast<IDataObject*>(intptr_t{16})));
  static_assert(sizeof(MMC_COOKIE) == sizeof(void*) && sizeof(HSCOPEITEM) == sizeof(void*));
}
