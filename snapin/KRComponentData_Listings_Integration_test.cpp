// The users and scenarios listings over the real Database API library and
// the demo server: its Sales databases hold the versions "Budget 2027" and
// "Optimistic" and the draft "Draft"; anna (password anna) is an
// administrator, ben (password ben) is not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objectmodel/KRAPI_UNT.h"
#include "snapin/KRComponentData_Connections.h"
#include "snapin/KRComponentData_DemoConsole_test.h"
#include "snapin/KRTestSupport.h"

namespace {

using Names = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kLogonAsAnna =
    "expect form 'Enter Logon information...'; set UserNameEdit to anna; "
    "set PasswordEdit to anna; press enter";

class ListingsDemo : public TDemoConsoleTest {
 protected:
  void SetUp() override {
    TDemoConsoleTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    server_ = &RegisterDemoServer();
  }

  // The folder of database `name` of the schema "name - version".
  TKRFolder& Database(const std::string& schema, const std::string& name) {
    TKRFolder& schemaFolder = Child(*server_, schema);
    if (schemaFolder.Childs().empty()) Refresh(schemaFolder);
    return Child(schemaFolder, name);
  }
  TKRFolder& Users(const std::string& schema, const std::string& name) {
    return Child(Database(schema, name), "Users");
  }
  TKRFolder& Scenarios(const std::string& schema, const std::string& name) {
    return Child(Database(schema, name), "Scenarios");
  }

  // The user's refresh of a listing, with what the user sees and does.
  void List(const TKRFolder& folder, const std::string& script) {
    TScriptPresenter presenter(script);
    TPresenterScope scope(presenter);
    Refresh(folder);
    EXPECT_EQ(presenter.Verify(), "") << "listing " << folder.ColumnText(0);
  }

  static Rows Items(const TKRFolder& folder) {
    Rows rows;
    for (const auto& item : folder.Items()) rows.push_back(item->Columns());
    return rows;
  }
  static Names ItemNames(const TKRFolder& folder) {
    Names names;
    for (const auto& item : folder.Items()) names.push_back(item->Columns().at(0));
    return names;
  }

  // What the password container remembers for the database of `folder`.
  std::pair<std::string, std::string> Remembered(TKRFolder& folder) {
    std::string user, password;
    data_->PasswordContainer().FindUserPassword(user, password,
                                                folder.Parent()->GetUniqueCode());
    return {user, password};
  }
  void Remember(TKRFolder& folder, const std::string& user, const std::string& password) {
    data_->PasswordContainer().AddEntry(user, password, folder.Parent()->GetUniqueCode());
  }

  // A session of its own on Northwind.
  ComPtr<IKRSession> LogOn(std::string user, std::string password) {
    return data_->OpenSession("localhost", "KestrelOS20", "Sales", "1.0", "Northwind", user,
                              password);
  }

  TKRFolder* server_ = nullptr;
};

TEST_F(ListingsDemo, EverySessionIsOneUserItemWithTheFlagsOfTheUsersRow) {
  const ComPtr<IKRSession> ben = LogOn("ben", "ben");
  const ComPtr<IKRSession> anna = LogOn("anna", "anna");
  ASSERT_TRUE(ben && anna);
  TKRFolder& users = Users("Sales - 1.0", "Northwind");
  List(users, kLogonAsAnna);
  // The listing's own session is the last to log on.
  ASSERT_EQ(ItemNames(users), (Names{"ben", "anna", "anna"}));
  for (const auto& item : users.Items()) {
    const std::vector<std::string>& texts = item->Columns();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_FALSE(texts[1].empty());  // the host the session came from
    EXPECT_EQ(texts[2], texts[0] == "anna" ? "Yes" : "No");
    EXPECT_NE(texts[3], "-");  // each has logged on
    EXPECT_FALSE(texts[3].empty());
  }
  EXPECT_FALSE(users.Dirty());
  EXPECT_EQ(users.GetColumns()[1], "3");
  EXPECT_EQ(Remembered(users), std::make_pair(std::string("anna"), std::string("anna")));

  // The listing let go of its session: listed again (without asking), the
  // same three sessions are there.
  List(users, "");
  EXPECT_EQ(ItemNames(users), (Names{"ben", "anna", "anna"}));
  ben->Disconnect();
  anna->Disconnect();
}

// The connected users as a server that spells them differently from their
// rows would report them.
const char16_t* const* ConnectedInOtherCase(KSHandle, KSBool, KSBool, int32_t* count) {
  static const char16_t* const texts[] = {u"ANNA (pc7)", u"Ben", u"carl ( pc9 )", u"nn?"};
  *count = 4;
  return texts;
}

TEST_F(ListingsDemo, AUserIsFoundInTheUsersTableWithoutRegardToCase) {
  TKRFolder& users = Users("Sales - 1.0", "Northwind");
  Remember(users, "anna", "anna");
  TKRAPITable api = KRAPI();
  api.KSGetConnectedUsers = ConnectedInOtherCase;
  const TKRAPITable* library = InstallAPITable(&api);
  List(users, "");
  InstallAPITable(library);
  const Rows rows = Items(users);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ((Names{rows[0][0], rows[0][1], rows[0][2]}), (Names{"ANNA", "pc7", "Yes"}));
  EXPECT_NE(rows[0][3], "-");
  EXPECT_EQ((Names{rows[1][0], rows[1][1], rows[1][2]}), (Names{"Ben", "", "No"}));
  // Users without a row are listed all the same; a name is not a pattern
  // that finds a row of a longer name.
  EXPECT_EQ(rows[2], (Names{"carl", "pc9", "-", "-"}));
  EXPECT_EQ(rows[3], (Names{"nn?", "", "-", "-"}));
}

TEST_F(ListingsDemo, AStaleLogonIsAskedForOnceAndWhatConnectedIsRemembered) {
  TKRFolder& users = Users("Sales - 1.0", "Northwind");
  Remember(users, "anna", "stale");
  List(users, R"(
    expect form 'Enter Logon information...'
    expect UserNameEdit text anna
    set UserNameEdit to ben; set PasswordEdit to ben; press enter)");
  EXPECT_EQ(ItemNames(users), Names{"ben"});
  EXPECT_EQ(Remembered(users), std::make_pair(std::string("ben"), std::string("ben")));

  // The scenarios of the same database log on with it without asking.
  List(Scenarios("Sales - 1.0", "Northwind"), "");
}

TEST_F(ListingsDemo, ACancelledLogonLeavesTheFolderToBeListedAgain) {
  for (const char* name : {"Users", "Scenarios"}) {
    TKRFolder& folder = Child(Database("Sales - 1.0", "Southwind"), name);
    Remember(folder, "anna", "stale");
    List(folder, R"(
      expect form 'Enter Logon information...'
      expect UserNameEdit text anna
      click CancelButton
      expect message "Unable to connect to database: Southwind'"; answer IDOK)");
    EXPECT_TRUE(folder.Items().empty());
    EXPECT_TRUE(folder.Dirty()) << name;
    EXPECT_EQ(Remembered(folder), std::make_pair(std::string("anna"), std::string("stale")));
  }
}

TEST_F(ListingsDemo, TheSalesDatabasesListTheirVersionsButNotTheirDraft) {
  for (const char* database : {"Northwind", "Southwind"}) {
    TKRFolder& scenarios = Scenarios("Sales - 1.0", database);
    List(scenarios, kLogonAsAnna);
    const Rows rows = Items(scenarios);
    ASSERT_EQ(ItemNames(scenarios), (Names{"Budget 2027", "Optimistic"})) << database;
    EXPECT_EQ((Names{rows[0][0], rows[0][1], rows[0][2], rows[0][3], rows[0][4], rows[0][6]}),
              (Names{"Budget 2027", "False", "False", "True", "anna",
                     "Sales plan for the coming year"}));
    EXPECT_FALSE(rows[0][5].empty());  // the start date
    EXPECT_EQ(rows[1][6], "Higher volumes in the north");
    EXPECT_FALSE(scenarios.Dirty());
  }
}

TEST_F(ListingsDemo, DatabasesOfEverySchemaListTheirVersions) {
  TKRFolder& personnel = Scenarios("Staff - 1.0", "Personnel");
  List(personnel, kLogonAsAnna);
  EXPECT_EQ(ItemNames(personnel), Names{"Reorganisation"});
  TKRFolder& eastwind = Scenarios("Sales - 2.0", "Eastwind");
  List(eastwind, kLogonAsAnna);
  EXPECT_EQ(ItemNames(eastwind), (Names{"Budget 2027", "Optimistic"}));
}

TEST_F(ListingsDemo, ADatabaseWithoutVersionsShowsAnEmptyScenariosFolder) {
  TKRFolder& sales = Child(*server_, "Sales - 1.0");
  Refresh(sales);
  Run(krmcCreateEmptyDatabase, sales,
      "expect form 'Create Empty Database...'; set NameEdit to Blank; press enter");
  TKRFolder& scenarios = Scenarios("Sales - 1.0", "Blank");
  List(scenarios,
       "expect form 'Enter Logon information...'; set UserNameEdit to system; press enter");
  EXPECT_TRUE(scenarios.Items().empty());
  EXPECT_EQ(scenarios.GetColumns()[1], "0");
  EXPECT_FALSE(scenarios.Dirty());
}

TEST_F(ListingsDemo, ACreatedScenarioIsListedAfterARefreshWithItsVisibility) {
  TKRFolder& scenarios = Scenarios("Sales - 1.0", "Northwind");
  List(scenarios, kLogonAsAnna);
  Run(krmcCreateScenario, scenarios,
      "expect form 'Create Scenario'; select ParentScenarioComboBox 'Budget 2027'; "
      "set NameEdit to Q3; check PrivateRadioButton; click OKBtn");
  Run(krmcCreateScenario, scenarios,
      "expect form 'Create Scenario'; select ParentScenarioComboBox 'Root'; "
      "set NameEdit to Spare; check RestrictedRadioButton; click OKBtn");
  EXPECT_TRUE(scenarios.Dirty());
  List(scenarios, "");
  const Rows rows = Items(scenarios);
  ASSERT_EQ(ItemNames(scenarios), (Names{"Budget 2027", "Optimistic", "Q3", "Spare"}));
  EXPECT_EQ((Names{rows[2][1], rows[2][2], rows[2][4]}), (Names{"True", "False", "anna"}));
  EXPECT_EQ((Names{rows[3][1], rows[3][2]}), (Names{"False", "True"}));
}

TEST_F(ListingsDemo, TheConsoleDocumentKeepsNoLogon) {
  TKRFolder& users = Users("Sales - 1.0", "Northwind");
  List(users, kLogonAsAnna);
  ASSERT_FALSE(users.Items().empty());
  const ComPtr<IStream> stream = StreamOf("");
  ASSERT_EQ(data_->Save(stream.Get(), TRUE), S_OK);
  const std::string document = StreamBytes(stream.Get());
  EXPECT_NE(document.find("KestrelOS20"), std::string::npos);
  EXPECT_EQ(document.find("anna"), std::string::npos);
}

}  // namespace
