#include "console/host/ContextMenu.h"

#include <gtest/gtest.h>

#include "platform/com/ComPtr.h"

namespace {

HRESULT Add(TContextMenu& menu, const char16_t* name, LONG id, LONG point, LONG flags = 0,
            LONG special = 0) {
  std::u16string text = name;
  std::u16string status = u"about " + text;
  CONTEXTMENUITEM item{text.data(), status.data(), id, point, flags, special};
  return menu.AddItem(&item);
}

std::vector<std::string> Texts(const TContextMenu& menu) {
  std::vector<std::string> texts;
  for (const TMenuItem& item : menu.Commands()) texts.push_back(item.text);
  return texts;
}

TEST(ContextMenuTest, AcceptsOnlyTheInsertionPointsTheAdderMayUse) {
  ComPtr<TContextMenu> menu = MakeComObject<TContextMenu>();
  menu->BeginAdder(0, CCM_INSERTIONALLOWED_TOP | CCM_INSERTIONALLOWED_NEW);
  EXPECT_EQ(Add(*menu, u"Top", 1, CCM_INSERTIONPOINTID_PRIMARY_TOP), S_OK);
  EXPECT_EQ(Add(*menu, u"Viewed", 2, CCM_INSERTIONPOINTID_PRIMARY_VIEW), E_INVALIDARG);
  EXPECT_EQ(Add(*menu, u"Nowhere", 3, 0), E_INVALIDARG);
  EXPECT_EQ(Add(*menu, u"Reserved", 0x10004, CCM_INSERTIONPOINTID_PRIMARY_TOP), E_INVALIDARG);
  EXPECT_EQ(Add(*menu, u"", 5, CCM_INSERTIONPOINTID_PRIMARY_TOP), E_INVALIDARG);
  EXPECT_EQ(Add(*menu, u"Tested", 6, CCM_INSERTIONPOINTID_PRIMARY_TOP, 0, CCM_SPECIAL_TESTONLY),
            S_OK);
  EXPECT_EQ(menu->AddItem(nullptr), E_POINTER);
  menu->BeginAdder(1, CCM_INSERTIONALLOWED_VIEW);
  EXPECT_EQ(Add(*menu, u"Viewed", 2, CCM_INSERTIONPOINTID_PRIMARY_VIEW), S_OK);
  EXPECT_EQ(Add(*menu, u"Top", 7, CCM_INSERTIONPOINTID_PRIMARY_TOP), E_INVALIDARG);
  EXPECT_EQ(Texts(*menu), (std::vector<std::string>{"Top", "View > Viewed"}));
  EXPECT_EQ(menu->Commands()[1].owner, 1);
  EXPECT_EQ(menu->Commands()[0].statusText, "about Top");
}

TEST(ContextMenuTest, OrdersGroupsAndNamesSubmenuItemsByTheirPath) {
  ComPtr<TContextMenu> menu = MakeComObject<TContextMenu>();
  menu->BeginAdder(0,
                   CCM_INSERTIONALLOWED_TOP | CCM_INSERTIONALLOWED_NEW | CCM_INSERTIONALLOWED_TASK);
  Add(*menu, u"Task", 1, CCM_INSERTIONPOINTID_PRIMARY_TASK);
  Add(*menu, u"Server", 2, CCM_INSERTIONPOINTID_PRIMARY_NEW);
  Add(*menu, u"More", 50, CCM_INSERTIONPOINTID_PRIMARY_TOP, MF_POPUP, CCM_SPECIAL_SUBMENU);
  Add(*menu, u"Deep", 3, 50);
  Add(*menu, u"", 0, CCM_INSERTIONPOINTID_PRIMARY_TOP, 0, CCM_SPECIAL_SEPARATOR);
  Add(*menu, u"First", 4, CCM_INSERTIONPOINTID_PRIMARY_TOP, MF_GRAYED);
  EXPECT_EQ(Texts(*menu),
            (std::vector<std::string>{"More > Deep", "First", "New > Server", "All Tasks > Task"}));
  EXPECT_FALSE(menu->Commands()[1].Enabled());
  menu->BeginAdder(1, CCM_INSERTIONALLOWED_VIEW);
  EXPECT_EQ(Add(*menu, u"Foreign", 5, 50), E_INVALIDARG);  // another adder's submenu
}

}  // namespace
