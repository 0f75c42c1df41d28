// The snap-in's context menus: the items each node offers, as the console
// receives them, and which commands run where.
#include <gtest/gtest.h>

#include "platform/text/Utf.h"
#include "platform/ui/ScriptPresenter.h"
#include "snapin/KRDBMComponent_TestView.h"

namespace {

// Keeps what the console reads of each item when it is added, and the
// pointers it was handed, to read them again later.
class RecordingMenu : public ComObject<IContextMenuCallback> {
 public:
  struct Item {
    std::string name, status;
    LONG command, insertionPoint, flags, specialFlags;
    const char16_t* namePointer;
    const char16_t* statusPointer;
  };
  std::vector<Item> items;

  HRESULT AddItem(CONTEXTMENUITEM* item) override {
    items.push_back({Utf16ToUtf8(item->strName), Utf16ToUtf8(item->strStatusBarText),
                     item->lCommandID, item->lInsertionPointID, item->fFlags, item->fSpecialFlags,
                     item->strName, item->strStatusBarText});
    return S_OK;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Item& item : items) names.push_back(item.name);
    return names;
  }
};

using Names = std::vector<std::string>;

class ContextMenus : public ComponentViewTest {
 protected:
  void SetUp() override {
    ComponentViewTest::SetUp();
    ExpandFixedFolders();
    server_ = &AddFolder(Servers(), "OS1", krftServer, 5);
    schema_ = &AddFolder(*server_, "A - 1.0", krftSchemaName, 3);
    database_ = data_->CreateServerDatabaseFolder("Sales", *schema_);
    group_ = &AddFolder(DatabaseGroups(), "Dumps", krftDBGroup, 8);
  }

  // The items offered on the node of `object`, asked through the view as
  // the console asks for a right-click in either pane.
  ComPtr<RecordingMenu> MenuOf(const ComPtr<IDataObject>& object,
                               LONG allowed = CCM_INSERTIONALLOWED_TOP) {
    ComPtr<RecordingMenu> menu = MakeComObject<RecordingMenu>();
    EXPECT_EQ(component_->AddMenuItems(object.Get(), menu.Get(), &allowed), S_OK);
    return menu;
  }
  Names NamesOf(const ComPtr<IDataObject>& object) { return MenuOf(object)->Names(); }

  TKRFolder* server_ = nullptr;
  TKRFolder* schema_ = nullptr;
  TKRFolder* database_ = nullptr;
  TKRFolder* group_ = nullptr;
};

TEST_F(ContextMenus, EachScopeNodeOffersItsCommandsInMenuOrder) {
  EXPECT_EQ(NamesOf(DataOf(DatabaseGroups())), Names{"Add Database Group..."});
  EXPECT_EQ(NamesOf(DataOf(Workstations())), Names{"Add Workstation..."});
  EXPECT_EQ(NamesOf(DataOf(Servers())), Names{"Add Server..."});
  EXPECT_EQ(NamesOf(DataOf(*server_)), Names{"Close"});
  EXPECT_EQ(NamesOf(DataOf(*schema_)), Names{"Create Empty Database..."});
  const auto onDatabase = MenuOf(DataOf(*database_));
  EXPECT_EQ(onDatabase->Names(), (Names{"Save Database", "Save and Close Database",
                                        "Close database", "Check Integrity"}));
  std::vector<LONG> commands;
  for (const auto& item : onDatabase->items) commands.push_back(item.command);
  EXPECT_EQ(commands, (std::vector<LONG>{6, 4, 5, 9}));

  const auto onScenarios = MenuOf(DataOf(*database_->Childs()[1]));
  ASSERT_EQ(onScenarios->Names(), Names{"Create Scenario..."});
  EXPECT_EQ(onScenarios->items[0].status, "Create a scenario into the selected database.");
  EXPECT_EQ(onScenarios->items[0].command, 10);

  // The static node, a workstation, a group and users offer none.
  for (const TKRFolder* plain : {&Root(), &Local(), group_, database_->Childs()[0].get()}) {
    EXPECT_EQ(NamesOf(DataOf(*plain)), Names{}) << plain->ColumnText(0);
  }
}

TEST_F(ContextMenus, OnlyResultEntriesOfADatabaseGroupOfferLoading) {
  const TKRResultData& dump = AddItem(*group_, {"Westwind.dmp", "10", "-"});
  const auto menu = MenuOf(DataOf(dump));
  ASSERT_EQ(menu->Names(), Names{"Load Into Server..."});
  EXPECT_EQ(menu->items[0].status, "Loads selected database into specified server.");
  EXPECT_EQ(menu->items[0].command, 1);

  for (TKRFolder* listing : {server_, schema_, database_->Childs()[0].get()}) {
    const TKRResultData& entry = AddItem(*listing, {"entry"});
    EXPECT_EQ(NamesOf(DataOf(entry)), Names{}) << listing->ColumnText(0);
  }
  // The item's cookie named as a scope node designates no folder.
  EXPECT_EQ(NamesOf(DataOf(dump.Cookie(), CCT_SCOPE)), Names{});
}

TEST_F(ContextMenus, ItemsGoToTheTopOnlyWhereTheConsoleAllowsIt) {
  const auto top = MenuOf(DataOf(*database_), CCM_INSERTIONALLOWED_TOP | CCM_INSERTIONALLOWED_NEW);
  ASSERT_EQ(top->items.size(), 4u);
  for (const auto& item : top->items) {
    EXPECT_EQ(item.insertionPoint, CCM_INSERTIONPOINTID_PRIMARY_TOP);
    EXPECT_EQ(item.flags, 0);
    EXPECT_EQ(item.specialFlags, 0);
  }
  EXPECT_EQ(top->items[3].status, "Check selected database integrity.");
  // The texts handed over are still readable after the last item.
  EXPECT_EQ(Utf16ToUtf8(top->items[0].namePointer), "Save Database");
  EXPECT_EQ(Utf16ToUtf8(top->items[0].statusPointer), "Saves selected database.");

  const auto elsewhere =
      MenuOf(DataOf(Servers()), CCM_INSERTIONALLOWED_NEW | CCM_INSERTIONALLOWED_TASK);
  ASSERT_EQ(elsewhere->items.size(), 1u);
  EXPECT_EQ(elsewhere->items[0].insertionPoint, 0);
  EXPECT_EQ(elsewhere->items[0].status, "Creates a new server entry.");
}

TEST_F(ContextMenus, NoItemsWithoutTheSnapinsRecordOrACallback) {
  ComPtr<RecordingMenu> menu = MakeComObject<RecordingMenu>();
  LONG allowed = CCM_INSERTIONALLOWED_TOP;
  EXPECT_EQ(data_->AddMenuItems(nullptr, menu.Get(), &allowed), S_OK);
  EXPECT_EQ(data_->AddMenuItems(DataOf(MMC_COOKIE(-3)).Get(), menu.Get(), &allowed), S_OK);
  EXPECT_TRUE(menu->items.empty());
  EXPECT_EQ(data_->AddMenuItems(DataOf(Servers()).Get(), nullptr, &allowed), E_POINTER);
  EXPECT_EQ(data_->AddMenuItems(DataOf(Servers()).Get(), menu.Get(), nullptr), S_OK);
  ASSERT_EQ(menu->items.size(), 1u);
  EXPECT_EQ(menu->items[0].insertionPoint, 0);
}

// A command asked for on a node that does not offer it, or an unknown one,
// shows nothing and changes nothing.
TEST_F(ContextMenus, CommandsRunOnlyOnTheNodesThatOfferThem) {
  TScriptPresenter presenter("");
  TPresenterScope scope(presenter);
  const TKRResultData& dump = AddItem(*group_, {"Westwind.dmp", "10", "-"});
  const size_t inserted = console_->inserted.size();
  for (const LONG command : {0, 1, 2, 3, 7, 10, 11, 12, -1}) {
    EXPECT_EQ(component_->Command(command, DataOf(*database_).Get()), S_OK) << command;
  }
  EXPECT_EQ(component_->Command(krmcAddWorkstation, DataOf(Servers()).Get()), S_OK);
  EXPECT_EQ(component_->Command(krmcLoadIntoServer, DataOf(dump.Cookie(), CCT_SCOPE).Get()), S_OK);
  EXPECT_EQ(component_->Command(krmcAddServer, DataOf(dump).Get()), S_OK);
  EXPECT_EQ(component_->Command(krmcAddServer, nullptr), S_OK);
  EXPECT_EQ(presenter.Verify(), "");
  EXPECT_EQ(console_->inserted.size(), inserted);
  EXPECT_EQ(schema_->Childs().size(), 1u);
}

}  // namespace
