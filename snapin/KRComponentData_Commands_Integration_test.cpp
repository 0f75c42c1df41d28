// The commands end to end over the real Database API library and the demo
// server that kestrel-admin seeds in a temporary $KESTREL_HOME: an
// administrator registers the server, loads a dump into it and works with
// the databases, through the recording console and a scripted user.
#include <gtest/gtest.h>

#include <filesystem>

#include "objectmodel/KRDataSet_CO_DemoServer_test.h"
#include "platform/com/DataObject.h"
#include "platform/testing/TestFiles.h"
#include "platform/ui/ScriptPresenter.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRComponentData_Commands.h"
#include "snapin/KRDBMComponent.h"
#include "snapin/KRDBMComponent_TestConsole.h"

using namespace kr_session_test;

namespace {

using Names = std::vector<std::string>;

class CommandsDemo : public TDemoServerTest {
 protected:
  void SetUp() override {
    TDemoServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_EQ(data_->Initialize(console_->UnknownSelf()), S_OK);
    ComPtr<IComponent> created;
    ASSERT_EQ(data_->CreateComponent(created.ReleaseAndGetAddressOf()), S_OK);
    component_ = static_cast<TIComponent*>(created.Get());
    ASSERT_EQ(component_->Initialize(console_.Get()), S_OK);
    Expand(*data_->GetRootFolder());
    Expand(Workstations());
  }

  TKRFolder& Workstations() { return *data_->GetRootFolder()->Childs()[0]; }
  TKRFolder& DatabaseGroups() { return *data_->GetRootFolder()->Childs()[1]; }

  ComPtr<IDataObject> DataOf(MMC_COOKIE cookie, DATA_OBJECT_TYPES type) {
    ComPtr<IDataObject> object;
    EXPECT_EQ(component_->QueryDataObject(cookie, type, object.ReleaseAndGetAddressOf()), S_OK);
    return object;
  }
  void Expand(const TKRFolder& folder) {
    const HSCOPEITEM handle = folder.Cookie() == 0 ? 500 : folder.ScopeItem()->ID;
    ASSERT_EQ(data_->Notify(DataOf(folder.Cookie(), CCT_SCOPE).Get(), MMCN_EXPAND, TRUE, handle),
              S_OK);
  }
  // The user's refresh of a node's listing.
  void Refresh(const TKRFolder& folder) {
    component_->Refresh(DataOf(folder.Cookie(), CCT_SCOPE).Get(), kRefreshAll);
  }
  void Run(TKRMenuCommand command, MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
           const std::string& script) {
    TScriptPresenter presenter(script);
    TPresenterScope scope(presenter);
    EXPECT_EQ(component_->Command(command, DataOf(cookie, type).Get()), S_OK);
    EXPECT_EQ(presenter.Verify(), "") << "command " << command;
  }
  void Run(TKRMenuCommand command, const TKRFolder& node, const std::string& script = "") {
    Run(command, node.Cookie(), CCT_SCOPE, script);
  }

  static TKRFolder& Child(const TKRFolder& folder, const std::string& name) {
    for (const auto& child : folder.Childs()) {
      if (child->ColumnText(0) == name) return *child;
    }
    throw std::runtime_error("no folder " + name + " under " + folder.ColumnText(0));
  }

  // Registers the workstation localhost with the demo server.
  TKRFolder& RegisterDemoServer() {
    Run(krmcAddWorkstation, Workstations(),
        "expect form 'Add Workstation...'; set NameEdit to localhost; press enter");
    TKRFolder& workstation = Child(Workstations(), "localhost");
    Expand(workstation);
    TKRFolder& servers = *workstation.Childs()[0];
    Run(krmcAddServer, servers,
        "expect form 'Add Server...'; set NameEdit to KestrelOS20; press enter");
    TKRFolder& server = Child(servers, "KestrelOS20");
    Refresh(server);
    return server;
  }

  std::string Archive(const std::string& name) const {
    return demo.Home() + "/servers/KestrelOS20/databases/" + name + ".dmp";
  }

  ComPtr<TKRComponentData> data_ = MakeComObject<TKRComponentData>();
  ComPtr<FakeConsole> console_ = MakeComObject<FakeConsole>();
  ComPtr<TIComponent> component_;
};

TEST_F(CommandsDemo, ADumpIsLoadedSavedCheckedAndClosed) {
  TKRFolder& server = RegisterDemoServer();
  EXPECT_EQ(ChildNames(server), (Names{"Sales - 1.0", "Sales - 2.0", "Staff - 1.0"}));
  TKRFolder& sales = Child(server, "Sales - 1.0");

  TempDir dumps;
  std::filesystem::copy_file(demo.Home() + "/groups/Demo/Westwind.dmp", dumps.File("Harbour.dmp"));
  Run(krmcAddDatabaseGroup, DatabaseGroups(),
      "expect folder; choose '" + dumps.Path().string() + "'");
  const TKRFolder& group = Child(DatabaseGroups(), dumps.Path().filename().string());
  ASSERT_EQ(group.Items().size(), 1u);

  Run(krmcLoadIntoServer, group.Items()[0]->Cookie(), CCT_RESULT, R"(
    expect form 'Load database into server...'
    expect ComputerComboBox text testbox
    select ComputerComboBox 'localhost'
    expect ServerComboBox text KestrelOS20
    expect SchemaNameComboBox text Sales
    expect SchemaVersionComboBox text '1.0'
    press enter)");
  EXPECT_EQ(ChildNames(sales), Names{});  // listed at the next refresh
  Refresh(sales);
  ASSERT_EQ(ChildNames(sales), (Names{"Harbour", "Northwind", "Southwind"}));

  Run(krmcSaveDatabase, Child(sales, "Harbour"));
  Run(krmcCheckIntegrity, Child(sales, "Harbour"),
      "expect message containing 'fix errors'; answer mrNo;"
      "expect message containing 'No errors found.'; answer IDOK");
  const HSCOPEITEM harbour = Child(sales, "Harbour").ScopeItem()->ID;
  Run(krmcSaveAndCloseDatabase, Child(sales, "Harbour"));
  EXPECT_EQ(ChildNames(sales), (Names{"Northwind", "Southwind"}));
  EXPECT_FALSE(console_->IsLive(harbour));
  Refresh(sales);
  EXPECT_EQ(ChildNames(sales), (Names{"Northwind", "Southwind"}));
  // Its archive is the dump it came from.
  EXPECT_TRUE(std::filesystem::exists(dumps.File("Harbour.dmp")));
}

TEST_F(CommandsDemo, AnEmptyDatabaseIsCreatedButNeverOverASavedOne) {
  TKRFolder& server = RegisterDemoServer();
  TKRFolder& staff = Child(server, "Staff - 1.0");
  Refresh(staff);
  Run(krmcCreateEmptyDatabase, staff,
      "expect form 'Create Empty Database...'; set NameEdit to Budget; press enter");
  TKRFolder& budget = Child(staff, "Budget");
  EXPECT_EQ(ChildNames(budget), (Names{"Users", "Scenarios"}));
  EXPECT_TRUE(console_->IsLive(budget.ScopeItem()->ID));
  Refresh(staff);
  EXPECT_EQ(ChildNames(staff), (Names{"Budget", "Personnel"}));
  EXPECT_TRUE(std::filesystem::exists(Archive("Budget")));

  // Personnel, saved and closed, keeps its archive when a new database is
  // asked for under its name.
  Run(krmcSaveAndCloseDatabase, Child(staff, "Personnel"));
  const std::string saved = ReadFile(Archive("Personnel"));
  ASSERT_FALSE(saved.empty());
  Run(krmcCreateEmptyDatabase, staff,
      "expect form 'Create Empty Database...'; set NameEdit to Personnel; press enter");
  EXPECT_EQ(ReadFile(Archive("Personnel")), saved);
  Refresh(staff);
  EXPECT_EQ(ChildNames(staff), Names{"Budget"});
}

}  // namespace
