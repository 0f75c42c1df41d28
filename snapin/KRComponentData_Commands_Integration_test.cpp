// The commands end to end over the real Database API library and the demo
// server that kestrel-admin seeds in a temporary $KESTREL_HOME: an
// administrator registers the server, loads a dump into it and works with
// the databases, through the recording console and a scripted user.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/testing/TestFiles.h"
#include "snapin/KRComponentData_Commands.h"
#include "snapin/KRComponentData_DemoConsole_test.h"

namespace {

using Names = std::vector<std::string>;

class CommandsDemo : public TDemoConsoleTest {};

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
