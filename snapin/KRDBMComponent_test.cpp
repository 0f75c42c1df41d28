#include "snapin/KRDBMComponent.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/mmc/ClipboardFormats.h"
#include "snapin/KRDBMComponent_TestView.h"

namespace {

class ComponentView : public ComponentViewTest {
 protected:
  // A users folder handed to the console, holding two result items.
  TKRFolder& UsersWithTwoItems() {
    TKRFolder& folder = AddFolder(Servers(), "Users", krftUsers, 9);
    AddItem(folder, {"system", "host1"});
    AddItem(folder, {"anna", "host1"});
    return folder;
  }

  std::string Text(RESULTDATAITEM& item) {
    item.mask |= RDI_STR;
    EXPECT_EQ(component_->GetDisplayInfo(&item), S_OK);
    return Utf16ToUtf8(item.str);
  }
};

TEST_F(ComponentView, InitializeTakesTheResultPaneInterfaces) {
  EXPECT_TRUE(component_->Initialized());
  EXPECT_EQ(component_->Console(), static_cast<IConsole*>(console_.Get()));
  EXPECT_EQ(component_->Header(), console_->header.Get());
  EXPECT_EQ(console_->headerSet, console_->header.Get());
  EXPECT_EQ(component_->ResultData(), console_->results.Get());
  EXPECT_EQ(component_->Initialize(nullptr), E_POINTER);

  EXPECT_EQ(component_->Destroy(0), S_OK);
  EXPECT_EQ(component_->Console(), nullptr);
  EXPECT_EQ(component_->Header(), nullptr);
  EXPECT_EQ(component_->ResultData(), nullptr);
}

TEST_F(ComponentView, DataObjectsComeFromTheComponentData) {
  TKRFolder& users = UsersWithTwoItems();
  ComPtr<IDataObject> object;
  ASSERT_EQ(component_->QueryDataObject(users.Cookie(), CCT_SCOPE, object.ReleaseAndGetAddressOf()),
            S_OK);
  const std::unique_ptr<TKRInternal> internal = ExtractInternalFormat(object.Get());
  ASSERT_NE(internal, nullptr);
  EXPECT_EQ(internal->GetCookie(), users.Cookie());
  EXPECT_EQ(internal->GetType(), CCT_SCOPE);
  EXPECT_EQ(component_->CompareObjects(object.Get(), object.Get()), S_FALSE);
  EXPECT_EQ(component_->QueryDataObject(0, CCT_SCOPE, nullptr), E_POINTER);
}

TEST_F(ComponentView, MultiSelectionListsEverySelectedRow) {
  TKRFolder& users = UsersWithTwoItems();
  console_->results->selected = {{false, users.Items()[0]->Cookie()},
                                 {false, users.Items()[1]->Cookie()}};
  ComPtr<IDataObject> object;
  ASSERT_EQ(component_->QueryDataObject(MMC_MULTI_SELECT_COOKIE, CCT_RESULT,
                                        object.ReleaseAndGetAddressOf()),
            S_OK);
  auto* dataObject = static_cast<TKRDataObject*>(object.Get());
  EXPECT_TRUE(dataObject->MultiSelDobj());
  EXPECT_EQ(dataObject->Internal().GetClsid(), CLSID_KRComponentData);

  FORMATETC format{
      static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CCF_OBJECT_TYPES_IN_MULTI_SELECT_A)),
      nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  ASSERT_EQ(object->GetData(&format, &medium), S_OK);
  ASSERT_EQ(GlobalSize(medium.hGlobal), 36u);
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(medium.hGlobal));
  DWORD count = 0;
  std::memcpy(&count, bytes, 4);
  EXPECT_EQ(count, 2u);
  GUID first{}, second{};
  std::memcpy(&first, bytes + 4, 16);
  std::memcpy(&second, bytes + 20, 16);
  EXPECT_EQ(first, *FolderNodeType(krftUsers));
  EXPECT_EQ(second, *FolderNodeType(krftUsers));
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);

  // A scope row counts with its own folder type.
  console_->results->selected = {{true, users.Cookie()}};
  ASSERT_EQ(component_->QueryDataObject(MMC_MULTI_SELECT_COOKIE, CCT_RESULT,
                                        object.ReleaseAndGetAddressOf()),
            S_OK);
}

TEST_F(ComponentView, ARowWithoutAFolderFailsTheMultiSelection) {
  TKRFolder& users = UsersWithTwoItems();
  console_->results->selected = {{false, users.Items()[0]->Cookie()}, {false, 12345}};
  IDataObject* object = reinterpret_cast<IDataObject*>(intptr_t{16});
  EXPECT_EQ(component_->QueryDataObject(MMC_MULTI_SELECT_COOKIE, CCT_RESULT, &object), E_FAIL);
  EXPECT_EQ(object, nullptr);
}

TEST_F(ComponentView, DisplayTextsByColumn) {
  TKRFolder& users = UsersWithTwoItems();
  RESULTDATAITEM row{};
  row.bScopeItem = TRUE;
  row.lParam = users.Cookie();
  row.nCol = 1;
  row.mask = RDI_IMAGE;
  EXPECT_EQ(Text(row), "2");  // the count of items
  EXPECT_EQ(row.nImage, 9);
  row.nCol = 5;
  EXPECT_EQ(Text(row), "");

  RESULTDATAITEM item{};
  item.lParam = users.Items()[1]->Cookie();
  item.mask = RDI_IMAGE;
  EXPECT_EQ(Text(item), "anna");
  EXPECT_EQ(item.nImage, 1);
  item.nCol = 2;
  EXPECT_EQ(Text(item), "");
  item.lParam = 12345;  // no live item
  item.nCol = 0;
  EXPECT_EQ(Text(item), "");
  EXPECT_EQ(component_->GetDisplayInfo(nullptr), E_POINTER);
}

TEST_F(ComponentView, DefaultListViewWithMultipleSelection) {
  LONG options = -1;
  LPOLESTR viewType = nullptr;
  EXPECT_EQ(component_->GetResultViewType(0, &viewType, &options), S_FALSE);
  EXPECT_EQ(options, MMC_VIEW_OPTIONS_MULTISELECT);
  EXPECT_EQ(viewType, nullptr);
}

TEST_F(ComponentView, AViewOutlivingTheComponentDataStillAnswers) {
  TKRFolder& users = UsersWithTwoItems();
  const MMC_COOKIE cookie = users.Cookie();
  data_ = nullptr;
  RESULTDATAITEM row{};
  row.bScopeItem = TRUE;
  row.lParam = cookie;
  EXPECT_EQ(Text(row), "Users");
}

}  // namespace
