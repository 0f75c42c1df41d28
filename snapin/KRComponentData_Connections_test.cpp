// The connection chain over the scripted Database API: a server OS1 on pc7
// with the schemas A 1.0, A 2.0 and B 1.0, the databases Sales and Archive,
// and the user alice whose password the test may change.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "platform/com/DataObject.h"
#include "platform/testing/TestFiles.h"
#include "platform/text/Utf.h"
#include "platform/ui/ScriptPresenter.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRComponentData_Connections.h"
#include "snapin/KRDBMComponent_TestConsole.h"
#include "snapin/KRScriptedServer_test.h"

namespace {

using Calls = std::vector<std::string>;

class Connections : public TScriptedServerTest {
 protected:
  std::u16string alicePassword_ = u"wonder";
  int sessions_ = 0;

  void SetUp() override {
    TScriptedServerTest::SetUp();
    api_.On<TKRAPIFunction::KSCreateSession>([this](KSHandle, const char16_t* user,
                                                    const char16_t* password, const char16_t*,
                                                    KSHandle, const char16_t*) {
      const bool valid = std::u16string(user) == u"alice" && password == alicePassword_;
      return valid ? KSHandle(100 + sessions_++) : KSHandle(0);
    });
    api_.On<TKRAPIFunction::KSGetLastSessionError>([] { return KSStatus(KS_ERR_LOGON_FAILED); });
    api_.On<TKRAPIFunction::KSGetRootTrn>([](KSHandle session) { return KSHandle(session + 100); });
  }

  ComPtr<IKRSession> Open(std::string& user, std::string& password,
                          const std::string& database = "Sales") {
    return data_->OpenSession("PC7", "OS1", "A", "1.0", database, user, password);
  }

  // A database group folder on `directory` holding one result item `name`.
  static const TKRResultData& GroupItem(TKRFolder& group, const std::string& directory,
                                        const std::string& name) {
    group.Init("Demo", 8, 8, krftDBGroup, true);
    group.GetColumns().push_back(directory);
    auto item = std::make_unique<TKRResultData>();
    item->Columns() = {name, "1024", "-"};
    return *TKRResultData::SetParent(std::move(item), group);
  }
};

TEST_F(Connections, AServerIsOpenedOnTheLowerCasedHostOrNotAtAll) {
  const ComPtr<IKRServer> server = data_->OpenServer("PC7", "OS1");
  ASSERT_TRUE(server);
  EXPECT_TRUE(server->Get_Connected());
  EXPECT_EQ(server->Get_HostName(), u"pc7");
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSConnectServer),
            (Calls{"KSConnectServer(\"pc7\", \"OS1\")"}));

  // The server name is not changed; a server that cannot be reached is none.
  EXPECT_FALSE(data_->OpenServer("PC7", "os1"));
  reachable_ = false;
  EXPECT_FALSE(data_->OpenServer("pc7", "OS1"));
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSConnectServer), 3);
}

TEST_F(Connections, ASchemaIsTheOneNamedOrWithoutAVersionTheServersFirst) {
  ComPtr<IKRSchema> schema = data_->OpenSchema("pc7", "OS1", "B", "1.0");
  ASSERT_TRUE(schema);
  EXPECT_EQ(schema->Get_Handle(), 13);

  // Without a version the name given does not count: the first schema (in
  // the server's sorted listing) and its first version.
  for (const auto& [name, version] :
       std::vector<std::pair<std::string, std::string>>{{"B", ""}, {"", "2.0"}, {"", ""}}) {
    schema = data_->OpenSchema("pc7", "OS1", name, version);
    ASSERT_TRUE(schema) << name << " " << version;
    EXPECT_EQ(schema->Get_Name(), u"A");
    EXPECT_EQ(schema->Get_Version(), u"1.0");
    EXPECT_EQ(schema->Get_Handle(), 11);
  }

  EXPECT_FALSE(data_->OpenSchema("pc7", "OS1", "B", "2.0"));
  // Nothing to take first on a server without schemas; nothing searched.
  metaHandles_.clear();
  api_.ClearCalls();
  EXPECT_FALSE(data_->OpenSchema("pc7", "OS1", "", ""));
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSSearchMeta), 0);
  reachable_ = false;
  EXPECT_FALSE(data_->OpenSchema("pc7", "OS1", "A", "1.0"));
}

TEST_F(Connections, ADatabaseNeedsItsSchema) {
  const ComPtr<IKRDatabase> database = data_->OpenDatabase("pc7", "OS1", "A", "1.0", "Archive");
  ASSERT_TRUE(database);
  EXPECT_EQ(database->Get_Name(), u"Archive");
  EXPECT_EQ(database->Get_Handle(), 11);
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCreateEmptyDB), 0);  // it is listed

  api_.ClearCalls();
  EXPECT_FALSE(data_->OpenDatabase("pc7", "OS1", "C", "1.0", "Archive"));
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSGetAvailableDatabases), 0);
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCreateEmptyDB), 0);
}

TEST_F(Connections, ARememberedPasswordThatWorksAsksNothing) {
  TScriptPresenter presenter("");
  TPresenterScope scope(presenter);
  std::string user = "alice", password = "wonder";
  const ComPtr<IKRSession> session = Open(user, password);
  EXPECT_EQ(presenter.Verify(), "");
  ASSERT_TRUE(session);
  EXPECT_EQ(session->Get_Handle(), 100);
  EXPECT_EQ(user, "alice");
  EXPECT_EQ(password, "wonder");
}

TEST_F(Connections, AStalePasswordAsksOnceWithTheUserNameFilledIn) {
  alicePassword_ = u"new one";
  TScriptPresenter presenter(R"(
    expect form 'Enter Logon information...'
    expect UserNameEdit text alice
    expect PasswordEdit text ''
    set PasswordEdit to 'new one'
    press enter)");
  TPresenterScope scope(presenter);
  std::string user = "alice", password = "wonder";
  const ComPtr<IKRSession> session = Open(user, password);
  EXPECT_EQ(presenter.Verify(), "");
  ASSERT_TRUE(session);
  EXPECT_TRUE(session->Get_Connected());
  // The texts that connected come back.
  EXPECT_EQ(user, "alice");
  EXPECT_EQ(password, "new one");
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCreateSession), 2);
}

TEST_F(Connections, ALogonThatFailsAgainAnswersNoneWithoutASecondForm) {
  TScriptPresenter presenter(R"(
    expect form 'Enter Logon information...'
    set UserNameEdit to bob; set PasswordEdit to guess; click OkButton)");
  TPresenterScope scope(presenter);
  std::string user, password;
  EXPECT_FALSE(Open(user, password));
  EXPECT_EQ(presenter.Verify(), "");
  // Nothing connected, so the caller's texts are as they were.
  EXPECT_EQ(user, "");
  EXPECT_EQ(password, "");
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSCreateSession).back(),
            "KSCreateSession(7, \"bob\", \"guess\", \"Sales\", 11, \"\")");
}

TEST_F(Connections, ACancelledLogonRaisesTheCancelException) {
  for (const char* cancel : {"click CancelButton", "close"}) {
    TScriptPresenter presenter(std::string("expect form 'Enter Logon information...'; ") + cancel);
    TPresenterScope scope(presenter);
    std::string user = "alice", password = "stale";
    try {
      Open(user, password);
      ADD_FAILURE() << "no exception after " << cancel;
    } catch (const KRLogonCancelException& e) {
      EXPECT_EQ(e.Message(), "");
      EXPECT_TRUE(e.InheritsFrom("Exception"));
    }
    EXPECT_EQ(presenter.Verify(), "");
    EXPECT_EQ(password, "stale");
  }
}

TEST_F(Connections, NoLogonFormWhenTheDatabaseCannotBeReached) {
  TScriptPresenter presenter("");
  TPresenterScope scope(presenter);
  std::string user = "alice", password = "wonder";
  EXPECT_FALSE(data_->OpenSession("pc7", "OS1", "C", "9.9", "Sales", user, password));
  reachable_ = false;
  EXPECT_FALSE(Open(user, password));
  EXPECT_EQ(presenter.Verify(), "");
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCreateSession), 0);
}

TEST_F(Connections, DatabaseFoldersDifferingOnlyInCaseShareOnePassword) {
  TKRFolder& server = ShownServerFolder();
  data_->CreateServerItems(server, {krntFolder, krntItem});
  TKRFolder& schema = *server.Childs()[0];
  TKRFolder& sales = *data_->CreateServerDatabaseFolder("Sales", schema);
  TKRFolder& shouting = *data_->CreateServerDatabaseFolder("SALES", schema);
  ASSERT_NE(sales.GetUniqueCode(), shouting.GetUniqueCode());

  TKRPasswordContainer& passwords = data_->PasswordContainer();
  EXPECT_EQ(&passwords, &data_->PasswordContainer());  // made once
  std::string user = "alice", password = "wonder";
  ASSERT_TRUE(Open(user, password));
  passwords.AddEntry(user, password, sales.GetUniqueCode());
  std::string foundUser, foundPassword;
  ASSERT_TRUE(passwords.FindUserPassword(foundUser, foundPassword, shouting.GetUniqueCode()));
  EXPECT_EQ(foundUser, "alice");
  EXPECT_EQ(foundPassword, "wonder");
  EXPECT_EQ(passwords.Count(), 1u);
}

TEST_F(Connections, ClosingAServerEmptiesItsFolderAndLeavesItDirty) {
  TKRFolder& server = ShownServerFolder();
  data_->CreateServerItems(server, {krntFolder, krntItem});
  ASSERT_EQ(server.Childs().size(), 3u);
  std::vector<HSCOPEITEM> shown;
  for (const auto& schema : server.Childs()) shown.push_back(schema->ScopeItem()->ID);
  TKRResultData::SetParent(std::make_unique<TKRResultData>(), server);
  ASSERT_FALSE(server.Dirty());
  console_->deleted.clear();
  api_.ClearCalls();

  data_->CloseServer(server);
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSCloseServer), (Calls{"KSCloseServer(7)"}));
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSDisconnectServer), 1);
  EXPECT_TRUE(server.Childs().empty());
  EXPECT_TRUE(server.Items().empty());
  EXPECT_EQ(console_->deleted, shown);
  for (HSCOPEITEM id : shown) EXPECT_FALSE(console_->IsLive(id));
  EXPECT_TRUE(server.Dirty());

  // The next build brings the schemas back.
  data_->CreateServerItems(server, {krntFolder, krntItem});
  EXPECT_EQ(server.Childs().size(), 3u);
}

TEST_F(Connections, AServerThatCannotBeReachedIsStillEmptied) {
  TKRFolder& server = ShownServerFolder();
  data_->CreateServerItems(server, {krntFolder, krntItem});
  reachable_ = false;
  data_->CloseServer(server);
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSCloseServer), 0);
  EXPECT_TRUE(server.Childs().empty());
  EXPECT_TRUE(server.Dirty());

  // Only server folders are closed.
  TKRFolder& servers = *server.Parent();
  data_->CloseServer(servers);
  EXPECT_EQ(servers.Childs().size(), 1u);
}

TEST_F(Connections, ADumpIsLoadedByTheGroupsDirectoryAndTheItemsName) {
  TKRFolder& server = ShownServerFolder();
  for (const auto& [name, path] : std::vector<std::pair<std::string, std::string>>{
           {"Westwind.dmp", "/data/groups/Demo/Westwind.dmp"},
           {"Spring/", "/data/groups/Demo/Spring/"}}) {
    TKRFolder group;
    const TKRResultData& item = GroupItem(group, "/data/groups/Demo", name);
    api_.ClearCalls();
    data_->LoadDBIntoServer(server, "A", "2.0", item);
    EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSRestoreDBFromArchive),
              (Calls{"KSRestoreDBFromArchive(7, 12, \"" + path + "\")"}));
    // Every proxy is given back before the operation returns.
    EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSDisconnectServer), 1);
  }
}

TEST_F(Connections, ALoadIsRefusedLoudlyForTheServerAndQuietlyForTheSchema) {
  TKRFolder& server = ShownServerFolder();
  TKRFolder group;
  const TKRResultData& item = GroupItem(group, "/data", "Westwind.dmp");
  {
    TScriptPresenter presenter("");  // an unknown schema shows nothing
    TPresenterScope scope(presenter);
    data_->LoadDBIntoServer(server, "A", "3.0", item);
    data_->LoadDBIntoServer(server, "", "", item);
    EXPECT_EQ(presenter.Verify(), "");
  }
  reachable_ = false;
  TScriptPresenter presenter(
      "expect message containing 'Unable to establish connection with server.'; answer IDOK");
  TPresenterScope scope(presenter);
  data_->LoadDBIntoServer(server, "A", "1.0", item);
  EXPECT_EQ(presenter.Verify(), "");
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSRestoreDBFromArchive), 0);
}

TEST(ConnectionsUserText, SplitsIntoUserAndHost) {
  struct Case {
    const char* text;
    const char* user;
    const char* host;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"alice", "alice", ""},
           {"alice ( pc7 )", "alice", "pc7"},
           {"alice (pc7", "alice", "pc7"},
           {" alice ", " alice ", ""},  // without a host nothing is trimmed
           {"alice (pc7))", "alice", "pc7)"},
           {"alice (pc (7))", "alice", "pc (7)"},
           {"(pc7)", "", "pc7"},
           {"alice ()", "alice", ""},
           {"", "", ""},
       }) {
    std::string host = "stale", user = "stale";
    GetUserAndHost(c.text, host, user);
    EXPECT_EQ(user, c.user) << c.text;
    EXPECT_EQ(host, c.host) << c.text;
  }
}

}  // namespace
