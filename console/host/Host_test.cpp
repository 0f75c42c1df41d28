#include "console/host/Host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "console/host/ConsoleError.h"
#include "console/host/testing/FakeSnapin.h"
#include "console/host/testing/HostTestSupport.h"
#include "platform/com/ClassFactory.h"
#include "platform/ui/ScriptPresenter.h"
#include "platform/win32/Library.h"
#include "platform/win32/Registry.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;

namespace {

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.New();
    ClearJournal();
  }

  TConsole& Console() { return host_.Console(); }
  HSCOPEITEM Child(HSCOPEITEM parent, const std::string& name) {
    Console().ExpandNode(parent);
    for (HSCOPEITEM child : Console().Tree().Find(parent)->children) {
      if (Console().NodeName(child) == name) return child;
    }
    ADD_FAILURE() << "no child " << name;
    return 0;
  }
  HSCOPEITEM Alpha() { return Child(Console().StaticNode(), "Alpha"); }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < Console().RowCount(); ++row) {
      cells.push_back(Console().CellText(row, column));
    }
    return cells;
  }
  int RowOf(const std::string& text) {
    const std::vector<std::string> names = Column(0);
    return int(std::find(names.begin(), names.end(), text) - names.begin());
  }

  TTestRegistry registry_;
  THost host_;
};

TEST(SnapinRegistryTest, ListsOnlyStandAloneSnapinsWithTheirModules) {
  TTestRegistry registry;
  HKEY key = nullptr;
  RegCreateKeyEx(HKEY_LOCAL_MACHINE,
                 "SOFTWARE\\Microsoft\\MMC\\Snapins\\{11111111-2222-3333-4444-555555555555}", &key);
  RegSetValueEx(key, "NameString", std::string("Extension only"));
  RegCloseKey(key);
  const std::vector<TSnapinEntry> found = FindStandAloneSnapins();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].clsid, CLSID_FakeSnapin);
  EXPECT_EQ(found[0].name, "Fake Snap-in");
  EXPECT_EQ(found[0].module, FakeSnapinPath());
  EXPECT_EQ(ChooseSnapin("fake snap-in").clsid, CLSID_FakeSnapin);
  EXPECT_EQ(ChooseSnapin(GuidToString(CLSID_FakeSnapin)).clsid, CLSID_FakeSnapin);
  try {
    ChooseSnapin("Other");
    ADD_FAILURE();
  } catch (const EConsoleError& e) {
    EXPECT_THAT(e.Message(), HasSubstr("Fake Snap-in"));
  }
  RegisterModule(FakeSnapinPath(), true);
  EXPECT_TRUE(FindStandAloneSnapins().empty());
  EXPECT_THROW(ChooseSnapin(""), EConsoleError);
}

TEST(SnapinModuleTest, RefusesWhatIsNoSnapinModule) {
  TTestRegistry registry(false);
  EXPECT_THROW(TSnapinModule(registry.File("none.so")), EConsoleError);
  EXPECT_THROW(RegisterModule(registry.File("none.so"), false), EConsoleError);
  THost host;
  EXPECT_THROW(host.New(), EConsoleError);
  EXPECT_FALSE(host.IsOpen());
}

TEST_F(HostTest, StartsTheSnapinAndNamesTheStaticNodeFromItsDataObject) {
  THost other;
  ClearJournal();
  other.New();
  EXPECT_THAT(Journal(), ElementsAre("cd initialize", "cd create component", "c initialize"));
  EXPECT_EQ(other.Console().NodeName(other.Console().StaticNode()), "Fake Root");
  EXPECT_EQ(other.SnapinName(), "Fake Snap-in");
}

TEST_F(HostTest, SelectionSendsTheConsolesNotificationsInOrder) {
  const HSCOPEITEM alpha = Alpha();
  ClearJournal();
  Console().SelectNode(alpha);
  EXPECT_THAT(Journal(),
              ElementsAre(
                  "cd notify 0x800b cookie 1 arg 0x1",
                  "c notify 0x8002 cookie 1 arg " +
                      [&] {
                        char text[32];
                        std::snprintf(text, sizeof text, "0x%lx",
                                      static_cast<unsigned long>(
                                          reinterpret_cast<uintptr_t>(&Console().ResultImages())));
                        return std::string(text);
                      }(),
                  "c notify 0x8016 cookie 1 arg 0x1", "c notify 0x8015 cookie 1 arg 0x10001"));
  ClearJournal();
  Console().SelectNode(Child(Console().StaticNode(), "Beta/Gamma"));
  const std::vector<std::string> journal = Journal();
  ASSERT_GE(journal.size(), 4u);
  EXPECT_EQ(journal[0], "c notify 0x8015 cookie 1 arg 0x1");
  EXPECT_EQ(journal[1], "c notify 0x8016 cookie 1 arg 0x0");
  EXPECT_EQ(journal[2], "cd notify 0x800b cookie 2 arg 0x1");
  EXPECT_EQ(journal.back(), "c notify 0x8015 cookie 2 arg 0x10001");
  ClearJournal();
  Console().ExpandNode(alpha);  // expanded once already
  Console().CollapseNode(alpha);
  EXPECT_THAT(Journal(), ElementsAre("cd notify 0x800b cookie 1 arg 0x0"));
}

TEST_F(HostTest, ResultPaneListsChildScopeItemsFirstThenResultItems) {
  Console().SelectNode(Alpha());
  EXPECT_THAT(Column(0), ElementsAre("One", "Two", "r1", "r2", "r10"));
  EXPECT_THAT(Column(1), ElementsAre("scope 3", "scope 4", "10", "9", ""));
  ASSERT_EQ(Console().VisibleColumns(), (std::vector<int>{0, 1}));
  EXPECT_EQ(Console().ColumnTitle(1), "Size");
  EXPECT_TRUE(Console().Verbs().Available(MMC_VERB_OPEN));
  EXPECT_EQ(Console().Verbs().DefaultVerb(), MMC_VERB_OPEN);
  EXPECT_FALSE(Console().Verbs().Available(MMC_VERB_DELETE));
  EXPECT_THROW(Console().RunVerb(MMC_VERB_DELETE), EConsoleError);
}

TEST_F(HostTest, PickingRowsSelectsThemAndGivesTheSelectionBack) {
  Console().SelectNode(Alpha());
  ClearJournal();
  Console().PickRows({RowOf("r1"), RowOf("r2")});
  EXPECT_THAT(Journal(), ElementsAre("c notify 0x8015 cookie -2 arg 0x10000 rows 2"));
  EXPECT_TRUE(Console().Verbs().Available(MMC_VERB_DELETE));
  ClearJournal();
  Console().PickRows({RowOf("One")});
  EXPECT_THAT(Journal(), ElementsAre("c notify 0x8015 cookie -2 arg 0x0 rows 2",
                                     "c notify 0x8015 cookie 3 arg 0x10001"));
  ClearJournal();
  Console().PickRows({});
  EXPECT_THAT(Journal(), ElementsAre("c notify 0x8015 cookie 3 arg 0x1",
                                     "c notify 0x8015 cookie 1 arg 0x10001"));
  EXPECT_TRUE(Console().PickedRows().empty());
  EXPECT_THROW(Console().PickRows({99}), EConsoleError);
}

TEST_F(HostTest, SortsResultItemsThroughTheSnapinsComparison) {
  Console().SelectNode(Alpha());
  Console().SortByColumn(0, true);
  EXPECT_THAT(Column(0), ElementsAre("One", "Two", "r2", "r10", "r1"));
  Console().SortByColumn(0, false);
  EXPECT_THAT(Column(0), ElementsAre("One", "Two", "r1", "r10", "r2"));
  // The rows without a size compare below everything from either side: no
  // order, yet every row stays and the scope rows keep their place.
  Console().SortByColumn(1, false);
  EXPECT_THAT(Column(0), testing::UnorderedElementsAre("One", "Two", "r1", "r2", "r10"));
  EXPECT_EQ(Console().CellText(0, 0), "One");
  EXPECT_THAT(JournalFrom("c notify 0x8005"),
              testing::Contains("c notify 0x8005 cookie -1 arg 0x1"));
  EXPECT_THROW(Console().SortByColumn(7, false), EConsoleError);
}

TEST_F(HostTest, CollectsMenusFromBothObjectsAndRunsTheirCommands) {
  Console().SelectNode(Alpha());
  ClearJournal();
  std::vector<std::string> texts;
  for (const TMenuItem& item : Console().ContextMenu()) texts.push_back(item.text);
  EXPECT_THAT(texts, ElementsAre("Add Node", "Ask", "Greyed", "Warn", "Browse", "New > New Thing",
                                 "All Tasks > Post"));
  EXPECT_THAT(Journal(),
              IsSupersetOf({"cd menu allowed 0x7", "c menu allowed 0x8", "menu refused Viewed"}));
  const std::vector<TMenuItem> items = Console().ContextMenu();
  EXPECT_THROW(Console().RunMenuItem(items[2]), EConsoleError);  // greyed
  EXPECT_FALSE(host_.IsDirty());
  Console().RunMenuItem(items[0]);
  EXPECT_TRUE(host_.IsDirty());
  EXPECT_THAT(Column(0), ElementsAre("One", "Two", "Node 1", "r1", "r2", "r10"));

  Console().PickRows({RowOf("r2")});
  const std::vector<TMenuItem> rowItems = Console().ContextMenu();
  ASSERT_EQ(rowItems.size(), 1u);
  EXPECT_EQ(rowItems[0].text, "Item Command");
  ClearJournal();
  Console().RunMenuItem(rowItems[0]);
  EXPECT_THAT(Journal(), ElementsAre("c command 5 cookie 1002"));
}

TEST_F(HostTest, DeletingTheSelectedNodeSelectsWhatRemains) {
  const HSCOPEITEM beta = Child(Console().StaticNode(), "Beta/Gamma");
  Console().SelectNode(beta);
  ClearJournal();
  Console().RunVerb(MMC_VERB_DELETE);
  EXPECT_EQ(Console().Tree().Find(beta), nullptr);
  EXPECT_EQ(Console().SelectedNode(), Console().StaticNode());
  const std::vector<std::string> journal = Journal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal[0], "cd notify 0x8009 cookie 2 arg 0x0");
  EXPECT_THAT(journal, testing::Not(testing::Contains("c notify 0x8016 cookie 2 arg 0x0")));
  EXPECT_EQ(journal.back(), "c notify 0x8015 cookie 0 arg 0x10001");
}

TEST_F(HostTest, RenamesThroughTheComponentDataAndHonoursARefusal) {
  const HSCOPEITEM alpha = Alpha();
  Console().SelectNode(alpha);
  Console().RunVerb(MMC_VERB_RENAME, "Alpha Prime");
  EXPECT_EQ(Console().NodeName(alpha), "Alpha Prime");
  EXPECT_TRUE(host_.IsDirty());
  EXPECT_THROW(Console().RunVerb(MMC_VERB_RENAME, ""), EConsoleError);
  EXPECT_EQ(Console().NodeName(alpha), "Alpha Prime");
  Console().PickRows({RowOf("r1")});
  ClearJournal();
  Console().RunVerb(MMC_VERB_DELETE);
  EXPECT_THAT(Journal(), ElementsAre("c notify 0x8009 cookie 1001 arg 0x0"));
  EXPECT_EQ(RowOf("r1"), Console().RowCount());
}

TEST_F(HostTest, ActivatingAScopeRowOpensItAndHelpShowsAMessage) {
  Console().SelectNode(Alpha());
  Console().PickRows({RowOf("Two")});
  Console().Activate();
  EXPECT_EQ(Console().NodeName(Console().SelectedNode()), "Two");
  TScriptPresenter presenter("expect message containing 'help for the item'\nanswer IDOK");
  TPresenterScope scope(presenter);
  Console().ContextHelp();
  EXPECT_EQ(presenter.Verify(), "");
}

TEST_F(HostTest, SavesAndReopensTheSnapinsState) {
  Console().SelectNode(Alpha());
  Console().RunMenuItem(Console().ContextMenu()[0]);
  const std::string path = registry_.File("console.vzc");
  host_.Save(path);
  EXPECT_FALSE(host_.IsDirty());
  EXPECT_EQ(host_.DocumentPath(), path);

  THost reopened;
  ClearJournal();
  reopened.Open(path);
  EXPECT_THAT(Journal(), IsSupersetOf({"cd load 1", "c load 7"}));
  TConsole& console = reopened.Console();
  const HSCOPEITEM root = console.StaticNode();
  console.ExpandNode(root);
  const HSCOPEITEM alpha = console.Tree().Find(root)->children.front();
  console.ExpandNode(alpha);
  std::vector<std::string> names;
  for (HSCOPEITEM child : console.Tree().Find(alpha)->children)
    names.push_back(console.NodeName(child));
  EXPECT_THAT(names, ElementsAre("One", "Two", "Node 1"));
  EXPECT_FALSE(reopened.IsDirty());
}

TEST_F(HostTest, ARefusedDocumentChangesNothing) {
  const std::string good = registry_.File("good.vzc");
  host_.Save(good);
  const HSCOPEITEM before = Console().StaticNode();
  const std::string bytes = ReadFile(good);
  const std::string bad = registry_.File("bad.vzc");
  WriteFile(bad, bytes.substr(0, bytes.size() - 3));
  EXPECT_THROW(host_.Open(bad), EConsoleError);
  WriteFile(bad, "not a document");
  EXPECT_THROW(host_.Open(bad), EConsoleError);

  TConsoleDocument foreign = ReadConsoleDocument(good);
  foreign.snapin = GuidLiteral("{99999999-2222-3333-4444-555555555555}");
  WriteConsoleDocument(bad, foreign);
  try {
    host_.Open(bad);
    ADD_FAILURE();
  } catch (const EConsoleError& e) {
    EXPECT_THAT(e.Message(), HasSubstr("not registered"));
  }
  TConsoleDocument unreadable = ReadConsoleDocument(good);
  unreadable.componentBytes = "junk";  // the view refuses it
  WriteConsoleDocument(bad, unreadable);
  EXPECT_THROW(host_.Open(bad), EConsoleError);

  ASSERT_TRUE(host_.IsOpen());
  EXPECT_EQ(Console().StaticNode(), before);
  EXPECT_EQ(host_.DocumentPath(), good);
}

TEST(ConsoleTest, NamesTheStaticNodeByTheRegistrationWithoutADisplayName) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(
      DllGetClassObject(CLSID_FakeSnapin, IID_IClassFactory, factory.ReleaseAndGetVoidAddress()),
      S_OK);
  ComPtr<IComponentData> data;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IComponentData, data.ReleaseAndGetVoidAddress()),
            S_OK);
  ComPtr<TConsole> console = MakeComObject<TConsole>();
  console->Start(data, nullptr, nullptr, "Registered Name");
  EXPECT_EQ(console->NodeName(console->StaticNode()), "Fake Root");
  console->Close();
  {
    ScopedEnv noName("FAKE_SNAPIN_NO_DISPLAY_NAME", "1");
    console = MakeComObject<TConsole>();
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IComponentData, data.ReleaseAndGetVoidAddress()),
              S_OK);
    console->Start(data, nullptr, nullptr, "Registered Name");
  }
  EXPECT_EQ(console->NodeName(console->StaticNode()), "Registered Name");
  console->Close();
}

TEST(HostLifetimeTest, ClosingDestroysTheSnapinAndUnloadsItsModule) {
  TTestRegistry registry;
  HMODULE keep = LoadLibrary(FakeSnapinPath().c_str());
  {
    THost host;
    host.New();
    ClearJournal();
    host.Close();
    EXPECT_THAT(Journal(), ElementsAre("c destroy", "cd destroy"));
    auto canUnload = reinterpret_cast<HRESULT (*)()>(
        GetProcAddress(GetModuleHandle(FakeSnapinPath().c_str()), "DllCanUnloadNow"));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_OK);
    EXPECT_FALSE(host.IsOpen());
    EXPECT_THROW(host.Console(), EConsoleError);
  }
  FreeLibrary(keep);
  EXPECT_FALSE(FakeSnapinLoaded());
  {
    THost first, second;
    first.New();
    second.New();
    first.Close();  // the second document still uses the module
    EXPECT_TRUE(FakeSnapinLoaded());
  }
  EXPECT_FALSE(FakeSnapinLoaded());
}

// The front ends show a status text each time the snap-in sets one, also
// when it is the same text as before (the same command done twice).
TEST_F(HostTest, EverySettingOfTheStatusTextCounts) {
  const int before = Console().StatusSerial();
  std::u16string text = u"Saved Northwind";
  EXPECT_EQ(Console().SetStatusText(text.data()), S_OK);
  EXPECT_EQ(Console().SetStatusText(text.data()), S_OK);
  EXPECT_EQ(Console().StatusText(), "Saved Northwind");
  EXPECT_EQ(Console().StatusSerial(), before + 2);
  EXPECT_EQ(Console().SetStatusText(nullptr), S_OK);
  EXPECT_EQ(Console().StatusText(), "");
}

}  // namespace
