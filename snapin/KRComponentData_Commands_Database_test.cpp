// The commands that reach a server, over the scripted Database API: a
// server OS1 on pc7 with the schemas A 1.0 (databases Archive and Sales),
// A 2.0 and B 1.0 (database Ledger).
#include <gtest/gtest.h>

#include <map>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "platform/testing/TestFiles.h"
#include "platform/ui/MessageBoxCodes.h"
#include "platform/ui/ScriptPresenter.h"
#include "snapin/KRComponentData_Commands.h"
#include "snapin/KRDBMComponent_TestView.h"
#include "snapin/KRScriptedServer_test.h"

namespace {

using Calls = std::vector<std::string>;
using Names = std::vector<std::string>;

constexpr KSHandle kConnection = 7;

class DatabaseCommands : public ComponentViewTest {
 protected:
  TKRFakeAPI api_;
  TScriptedMetas metas_ = {{13, {u"B", u"1.0"}}, {12, {u"A", u"2.0"}}, {11, {u"A", u"1.0"}}};
  std::vector<KSHandle> metaHandles_ = {13, 12, 11};
  std::map<KSHandle, std::vector<const char16_t*>> databases_ = {
      {11, {u"Archive", u"Sales"}}, {12, {}}, {13, {u"Ledger"}}};
  bool reachable_ = true;
  std::u16string report_;

  void SetUp() override {
    ComponentViewTest::SetUp();
    ScriptServerOS1(api_, kConnection, reachable_, metaHandles_, metas_);
    api_.On<TKRAPIFunction::KSGetAvailableDatabases>(
        [this](KSHandle, KSHandle meta, int32_t* count) {
          const std::vector<const char16_t*>& names = databases_.at(meta);
          *count = static_cast<int32_t>(names.size());
          return names.data();
        });
    api_.On<TKRAPIFunction::KSCheckDatabaseIntegrity>(
        [this](KSHandle, const char16_t*, int32_t) { return report_.c_str(); });

    ExpandFixedFolders();
    server_ = &AddFolder(Servers(), "OS1", krftServer, 5);
    data_->CreateServerItems(*server_, {krntFolder});
    schemaA_ = server_->Childs()[0].get();
    data_->CreateSchemaItems(*schemaA_, {krntFolder});
    schemaB_ = server_->Childs()[2].get();
    data_->CreateSchemaItems(*schemaB_, {krntFolder});
    data_->SetIsDirty(false);
    api_.ClearCalls();
  }

  TKRFolder& Database(const TKRFolder& schema, size_t index) { return *schema.Childs()[index]; }
  TKRFolder& Sales() { return Database(*schemaA_, 1); }

  void Run(TKRMenuCommand command, const ComPtr<IDataObject>& node, const std::string& script) {
    TScriptPresenter presenter(script);
    TPresenterScope scope(presenter);
    EXPECT_EQ(data_->Command(command, node.Get()), S_OK);
    EXPECT_EQ(presenter.Verify(), "");
  }
  void Run(TKRMenuCommand command, const TKRFolder& node, const std::string& script = "") {
    Run(command, DataOf(node), script);
  }

  // The console IDs of a folder and its subtree.
  static std::vector<HSCOPEITEM> IdsOf(const TKRFolder& folder) {
    std::vector<HSCOPEITEM> ids{folder.ScopeItem()->ID};
    for (const auto& child : folder.Childs()) ids.push_back(child->ScopeItem()->ID);
    return ids;
  }

  TKRFolder* server_ = nullptr;
  TKRFolder* schemaA_ = nullptr;
  TKRFolder* schemaB_ = nullptr;
};

TEST_F(DatabaseCommands, SaveKeepsTheNodeWhileSaveAndCloseAndCloseRemoveIt) {
  Run(krmcSaveDatabase, Sales());
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSSaveDB), Calls{"KSSaveDB(7, \"Sales\")"});
  ASSERT_EQ(ChildNames(*schemaA_), (Names{"Archive", "Sales"}));
  EXPECT_EQ(Sales().Childs().size(), 2u);
  for (const HSCOPEITEM id : IdsOf(Sales())) EXPECT_TRUE(console_->IsLive(id));

  const std::vector<HSCOPEITEM> sales = IdsOf(Sales());
  Run(krmcSaveAndCloseDatabase, Sales());
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSShutdownDB), Calls{"KSShutdownDB(7, \"Sales\")"});
  EXPECT_EQ(ChildNames(*schemaA_), Names{"Archive"});
  EXPECT_EQ(console_->deleted.back(), sales[0]);
  for (const HSCOPEITEM id : sales) EXPECT_FALSE(console_->IsLive(id));

  const std::vector<HSCOPEITEM> archive = IdsOf(Database(*schemaA_, 0));
  Run(krmcCloseDatabase, Database(*schemaA_, 0));
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSDestroyDB), Calls{"KSDestroyDB(7, \"Archive\")"});
  EXPECT_TRUE(schemaA_->Childs().empty());
  for (const HSCOPEITEM id : archive) EXPECT_FALSE(console_->IsLive(id));
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSSaveDB), 1);
  // The status line says what each command did, where.
  EXPECT_EQ(console_->statusTexts,
            (Names{"Saved Sales on OS1, A 1.0", "Saved and closed Sales on OS1, A 1.0",
                   "Closed Archive on OS1, A 1.0 without saving it"}));
}

TEST_F(DatabaseCommands, ADatabaseThatCannotBeReachedIsLeftAloneSilently) {
  reachable_ = false;
  for (const TKRMenuCommand command :
       {krmcSaveDatabase, krmcSaveAndCloseDatabase, krmcCloseDatabase}) {
    Run(command, Database(*schemaA_, 0));
  }
  EXPECT_EQ(ChildNames(*schemaA_), (Names{"Archive", "Sales"}));
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSSaveDB) + api_.CountOf(TKRAPIFunction::KSShutdownDB) +
                api_.CountOf(TKRAPIFunction::KSDestroyDB),
            0);
  EXPECT_TRUE(console_->statusTexts.empty());
}

TEST_F(DatabaseCommands, TheIntegrityCheckAsksWhetherToFix) {
  const std::string ask = "expect message containing 'Do you want to automatically fix errors?';";
  Run(krmcCheckIntegrity, Database(*schemaA_, 0), ask + "answer mrCancel");
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCheckDatabaseIntegrity), 0);

  Run(krmcCheckIntegrity, Sales(),
      ask + "answer mrNo; expect message containing 'No errors found.'; answer IDOK");
  report_ = u"Index Name rebuilt";
  Run(krmcCheckIntegrity, Database(*schemaA_, 0),
      ask + "answer mrYes; expect message containing 'Result: Index Name rebuilt'; answer IDOK");
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSCheckDatabaseIntegrity),
            (Calls{"KSCheckDatabaseIntegrity(7, \"Sales\", 0)",
                   "KSCheckDatabaseIntegrity(7, \"Archive\", -1)"}));
}

// A database is checked where it is listed: the server's first schema does
// not list it, and opening it there would create an empty one.
TEST_F(DatabaseCommands, ADatabaseIsCheckedInItsOwnSchema) {
  std::string result;
  EXPECT_TRUE(data_->CheckDatabaseIntegrity(Database(*schemaB_, 0), false, result));
  EXPECT_EQ(result, "");
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSSearchMeta), Calls{"KSSearchMeta(7, \"B\", \"1.0\")"});
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSCheckDatabaseIntegrity),
            Calls{"KSCheckDatabaseIntegrity(7, \"Ledger\", 0)"});
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCreateEmptyDB), 0);

  report_ = u"stale";
  EXPECT_FALSE(data_->CheckDatabaseIntegrity(*schemaB_, true, result));
  EXPECT_EQ(result, "");
}

// "No errors found." would claim a check that never ran.
TEST_F(DatabaseCommands, ADatabaseThatCannotBeCheckedIsReportedAsUnreachable) {
  reachable_ = false;
  Run(krmcCheckIntegrity, Database(*schemaA_, 0),
      "expect message containing 'fix errors'; answer mrNo;"
      "expect message containing 'Unable to establish connection with server.'; answer IDOK");
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCheckDatabaseIntegrity), 0);
}

TEST_F(DatabaseCommands, ClosingAServerShutsItDownAndEmptiesItsFolder) {
  const std::vector<HSCOPEITEM> schemas = IdsOf(*server_);
  Run(krmcCloseServer, *server_);
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSCloseServer), Calls{"KSCloseServer(7)"});
  EXPECT_TRUE(server_->Childs().empty());
  for (size_t i = 1; i < schemas.size(); ++i) EXPECT_FALSE(console_->IsLive(schemas[i]));
  EXPECT_TRUE(console_->IsLive(schemas[0]));
  EXPECT_EQ(console_->statusTexts, Names{"Shut down OS1 on pc7"});

  // A server that cannot be reached is emptied, and nothing claims it shut down.
  reachable_ = false;
  Run(krmcCloseServer, *server_);
  EXPECT_EQ(console_->statusTexts.size(), 1u);
}

TEST_F(DatabaseCommands, AnEmptyDatabaseIsCreatedUnderTheSchemaWithItsFolders) {
  Run(krmcCreateEmptyDatabase, *schemaA_, R"(
    expect form 'Create Empty Database...'
    set NameEdit to SALES
    expect OKBtn disabled
    set NameEdit to Budget
    press enter)");
  const Calls created = api_.CallsOf(TKRAPIFunction::KSCreateEmptyDB);
  ASSERT_EQ(created.size(), 1u);
  EXPECT_TRUE(created[0].starts_with("KSCreateEmptyDB(7, 11, \"Budget\", ")) << created[0];
  ASSERT_EQ(ChildNames(*schemaA_), (Names{"Archive", "Sales", "Budget"}));
  const TKRFolder& budget = Database(*schemaA_, 2);
  EXPECT_EQ(budget.FolderType(), krftServerDB);
  EXPECT_EQ(ChildNames(budget), (Names{"Users", "Scenarios"}));
  for (const HSCOPEITEM id : IdsOf(budget)) EXPECT_TRUE(console_->IsLive(id));
  EXPECT_TRUE(data_->GetIsDirty());
  EXPECT_EQ(console_->statusTexts, Names{"Created Budget on OS1, A 1.0"});

  // The node is added even where the server could not be asked, but the
  // status line does not claim the database was created.
  reachable_ = false;
  Run(krmcCreateEmptyDatabase, *schemaB_,
      "expect form 'Create Empty Database...'; set NameEdit to Draft; press enter");
  EXPECT_EQ(ChildNames(*schemaB_), (Names{"Ledger", "Draft"}));
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCreateEmptyDB), 1);
  EXPECT_EQ(console_->statusTexts.size(), 1u);
}

TEST_F(DatabaseCommands, TheLoadFormOffersTheRegisteredServersAndLoadsIntoTheChosenOne) {
  AddFolder(Servers(), "OS2", krftServer, 5);
  TKRFolder& group = AddFolder(DatabaseGroups(), "Dumps", krftDBGroup, 8);
  group.GetColumns()[2] = "/srv/dumps";
  const TKRResultData& dump = AddItem(group, {"Westwind.dmp", "10", "-"});

  // The local computer PC7 is registered as pc7; both servers are listed and
  // the first is asked for its schemas at once.
  Run(krmcLoadIntoServer, DataOf(dump), R"(
    expect form 'Load database into server...'
    expect ComputerComboBox text pc7
    expect ServerComboBox items 2
    expect ServerComboBox text OS1
    expect SchemaNameComboBox text A
    expect SchemaVersionComboBox items 2
    select SchemaNameComboBox 'B'
    expect SchemaVersionComboBox items 1
    expect SchemaVersionComboBox text '1.0'
    press enter)");
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSRestoreDBFromArchive),
            Calls{"KSRestoreDBFromArchive(7, 13, \"/srv/dumps/Westwind.dmp\")"});

  Run(krmcLoadIntoServer, DataOf(dump), "expect form 'Load database into server...'; close");
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSRestoreDBFromArchive), 1);
}

// After a load the schema's folder lists again at its next selection, so the
// new database appears; a dump the server refused changes nothing and says so.
TEST_F(DatabaseCommands, ALoadMarksTheSchemaForListingAndSaysWhatItLoaded) {
  TKRFolder& group = AddFolder(DatabaseGroups(), "Dumps", krftDBGroup, 8);
  group.GetColumns()[2] = "/srv/dumps";
  const TKRResultData& dump = AddItem(group, {"Westwind.dmp", "10", "-"});
  api_.On<TKRAPIFunction::KSRestoreDBFromArchive>(
      [this](KSHandle, KSHandle meta, const char16_t*) {
        databases_.at(meta).push_back(u"Westwind");
        return KSStatus(KS_OK);
      });
  const std::string loadIntoB =
      "expect form 'Load database into server...'; select SchemaNameComboBox 'B'; press enter";
  ASSERT_FALSE(schemaB_->Dirty());
  ASSERT_FALSE(schemaA_->Dirty());
  Run(krmcLoadIntoServer, DataOf(dump), loadIntoB);
  EXPECT_TRUE(schemaB_->Dirty());
  EXPECT_FALSE(schemaA_->Dirty());
  EXPECT_EQ(console_->statusTexts, Names{"Loaded Westwind into OS1, B 1.0"});

  schemaB_->SetDirty(false);
  api_.On<TKRAPIFunction::KSRestoreDBFromArchive>(
      [](KSHandle, KSHandle, const char16_t*) { return KSStatus(KS_ERR_DUMP_SCHEMA); });
  Run(krmcLoadIntoServer, DataOf(dump), loadIntoB);
  EXPECT_FALSE(schemaB_->Dirty());
  EXPECT_EQ(console_->statusTexts.back(), "Nothing was loaded from Westwind.dmp into OS1, B 1.0");
}

// A failure the object model raises inside a command is shown with its
// message and leaves the tree and the console as they were.
TEST_F(DatabaseCommands, AFailureInsideACommandIsShownAndChangesNothing) {
  api_.On<TKRAPIFunction::KSShutdownDB>(
      [](KSHandle, const char16_t*) -> KSStatus { throw Exception("disk full"); });
  api_.On<TKRAPIFunction::KSCreateEmptyDB>(
      [](KSHandle, KSHandle, const char16_t*, const char16_t*) -> KSStatus {
        throw Exception("no room for Budget");
      });
  TRecordingPresenter boxes;
  {
    TPresenterScope scope(boxes);
    EXPECT_EQ(data_->Command(krmcSaveAndCloseDatabase, DataOf(Sales()).Get()), S_OK);
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("disk full"), std::string::npos) << boxes.boxes[0].text;
  EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, MB_ICONERROR);
  EXPECT_EQ(ChildNames(*schemaA_), (Names{"Archive", "Sales"}));
  for (const HSCOPEITEM id : IdsOf(Sales())) EXPECT_TRUE(console_->IsLive(id));

  const size_t inserted = console_->inserted.size();
  Run(krmcCreateEmptyDatabase, *schemaA_,
      "expect form 'Create Empty Database...'; set NameEdit to Budget; press enter;"
      "expect message containing 'no room for Budget'; answer IDOK");
  EXPECT_EQ(ChildNames(*schemaA_), (Names{"Archive", "Sales"}));
  EXPECT_EQ(console_->inserted.size(), inserted);
  EXPECT_FALSE(data_->GetIsDirty());
}

TEST_F(DatabaseCommands, AnAbortEndsACommandSilently) {
  api_.On<TKRAPIFunction::KSSaveDB>(
      [](KSHandle, const char16_t*) -> KSStatus { throw EAbort(""); });
  Run(krmcSaveDatabase, Database(*schemaA_, 0));
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSSaveDB), 1);
}

}  // namespace
