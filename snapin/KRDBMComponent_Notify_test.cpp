#include <gtest/gtest.h>

#include "platform/com/DataObject.h"
#include "snapin/KRDBMComponent_TestView.h"
#include "snapin/KRImages.h"

namespace {

// A data object of another snap-in: it answers no format.
class ForeignNotifyDataObject : public ComObject<IDataObject> {
 public:
  HRESULT GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
  HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

using Notifications = ComponentViewTest;

TEST_F(Notifications, AnswersWithoutARecord) {
  const ComPtr<ForeignNotifyDataObject> foreign = MakeComObject<ForeignNotifyDataObject>();
  // The console's special objects are ignored, a refresh included.
  for (MMC_NOTIFY_TYPE event : {MMCN_SELECT, MMCN_REFRESH, MMCN_PASTE}) {
    EXPECT_EQ(component_->Notify(DOBJ_CUSTOMOCX, event, 0, 0), S_OK) << event;
    EXPECT_EQ(component_->Notify(nullptr, event, 0, 0), S_OK) << event;
    EXPECT_EQ(component_->Notify(foreign.Get(), event, 0, 0), S_OK) << event;
  }
  for (MMC_NOTIFY_TYPE event : {MMCN_COLUMN_CLICK, MMCN_DESELECT_ALL, MMCN_SNAPINHELP,
                                MMCN_PROPERTY_CHANGE, MMCN_VIEW_CHANGE}) {
    EXPECT_EQ(component_->Notify(foreign.Get(), event, 1, 0), S_OK) << event;
  }
  EXPECT_TRUE(console_->verb->states.empty());
}

TEST_F(Notifications, EventsOnANode) {
  const ComPtr<IDataObject> object = DataOf(Local());
  for (MMC_NOTIFY_TYPE event : {MMCN_ACTIVATE, MMCN_INITOCX, MMCN_CLICK, MMCN_MINIMIZED}) {
    EXPECT_EQ(component_->Notify(object.Get(), event, 1, 0), S_OK) << event;
  }
  for (MMC_NOTIFY_TYPE event : {MMCN_PASTE, MMCN_DELETE, MMCN_RENAME, MMCN_EXPAND, MMCN_PRINT}) {
    EXPECT_EQ(component_->Notify(object.Get(), event, 0, 0), E_UNEXPECTED) << event;
  }
  // Hiding a node leaves the pane alone.
  EXPECT_EQ(component_->Notify(object.Get(), MMCN_SHOW, FALSE, 0), S_OK);
  EXPECT_TRUE(console_->header->columns.empty());
  EXPECT_EQ(console_->results->clears, 0);
}

TEST_F(Notifications, ImagesGoToTheResultImageList) {
  const ComPtr<IDataObject> object = DataOf(Local());
  EXPECT_EQ(component_->Notify(object.Get(), MMCN_ADD_IMAGES, 0, 0), E_INVALIDARG);
  EXPECT_FALSE(console_->resultImages->strips.has_value());
  const LPARAM list = reinterpret_cast<LPARAM>(console_->resultImages.Get());
  EXPECT_EQ(component_->Notify(object.Get(), MMCN_ADD_IMAGES, list, 0), S_OK);
  ASSERT_TRUE(console_->resultImages->strips.has_value());
  EXPECT_EQ(console_->resultImages->strips->start, 0);
  EXPECT_EQ(console_->resultImages->strips->mask, kImageMaskColor);
  // The bitmaps were ours again after the call and are freed.
  EXPECT_EQ(GetBitmapResource(console_->resultImages->strips->smallHandle), nullptr);
}

TEST_F(Notifications, ADoubleClickOpensANodeAndLeavesARowToTheDefaultVerb) {
  ExpandFixedFolders();
  EXPECT_EQ(component_->Notify(DataOf(Servers()).Get(), MMCN_DBLCLICK, 0, 0), S_OK);
  EXPECT_EQ(console_->scopeItemsSelected, (std::vector<HSCOPEITEM>{Servers().ScopeItem()->ID}));

  TKRFolder& group = AddFolder(DatabaseGroups(), "Demo", krftDBGroup, 8);
  TKRResultData& dump = AddItem(group, {"a.dmp"});
  EXPECT_EQ(component_->Notify(DataOf(dump).Get(), MMCN_DBLCLICK, 0, 0), S_FALSE);
  EXPECT_EQ(component_->Notify(DataOf(12345).Get(), MMCN_DBLCLICK, 0, 0), S_OK);
  EXPECT_EQ(console_->scopeItemsSelected.size(), 1u);
}

TEST_F(Notifications, ContextHelpNamesTheItem) {
  TKRFolder& group = AddFolder(DatabaseGroups(), "Demo", krftDBGroup, 8);
  TKRResultData& dump = AddItem(group, {"Westwind.dmp"});
  TRecordingPresenter presenter;
  TPresenterScope scope(presenter);
  for (const ComPtr<IDataObject>& object : {DataOf(group), DataOf(dump), DataOf(0)}) {
    EXPECT_EQ(component_->Notify(object.Get(), MMCN_CONTEXTHELP, 0, 0), S_OK);
  }
  ASSERT_EQ(presenter.boxes.size(), 3u);
  EXPECT_EQ(presenter.boxes[0].text, "Context help required for item: Demo");
  EXPECT_EQ(presenter.boxes[1].text, "Context help required for item: Westwind.dmp");
  EXPECT_EQ(presenter.boxes[2].text, "Context help required for item: Static Folder");
  EXPECT_EQ(presenter.boxes[0].caption, "");
  EXPECT_EQ(presenter.boxes[0].flags, MB_OK | MB_ICONINFORMATION);
}

TEST_F(Notifications, ItemNamesAreCutAt128Units) {
  TKRFolder& group = AddFolder(DatabaseGroups(), std::string(200, 'g'), krftDBGroup, 8);
  EXPECT_EQ(component_->GetItemName(DataOf(group).Get()), std::u16string(128, u'g'));
  // A character outside the basic plane is never cut in half.
  TKRResultData& dump = AddItem(group, {std::string(127, 'd') + "\xF0\x9F\x98\x80"});
  EXPECT_EQ(component_->GetItemName(DataOf(dump).Get()), std::u16string(127, u'd'));
  TKRResultData& unnamed = AddItem(group, {});
  EXPECT_EQ(component_->GetItemName(DataOf(unnamed).Get()), u"");
  EXPECT_EQ(component_->GetItemName(DataOf(12345).Get()), u"");
}

TEST_F(Notifications, TheViewOffersTheConsolesInterfaces) {
  EXPECT_TRUE(component_.As<IComponent>());
  EXPECT_TRUE(component_.As<IExtendContextMenu>());
  EXPECT_TRUE(component_.As<IResultDataCompare>());
  EXPECT_TRUE(component_.As<IResultOwnerData>());
  EXPECT_TRUE(component_.As<IPersistStream>());
  EXPECT_TRUE(component_.As<IPersist>());
}

}  // namespace
