// The connection chain over the real Database API library and the demo
// server and database group that kestrel-admin seeds in a temporary
// $KESTREL_HOME.
#include <gtest/gtest.h>

#include <cstdlib>

#include "objectmodel/KRDataSet_CO_DemoServer_test.h"
#include "platform/ui/ScriptPresenter.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRComponentData_Connections.h"

using namespace kr_session_test;

namespace {

class ConnectionsDemo : public TDemoServerTest {
 protected:
  // A server folder of that name under the local workstation.
  TKRFolder& ServerFolder(const std::string& name) {
    TKRFolder* servers = data->GetRootFolder()->SearchFolderByType(krftServers);
    auto server = std::make_unique<TKRFolder>();
    server->Init(name, 5, 5, krftServer, true);
    return *TKRFolder::SetParent(std::move(server), *servers);
  }

  // The demo database group with its dumps listed.
  TKRFolder& DemoGroup() {
    TKRFolder* groups = data->GetRootFolder()->SearchFolderByType(krftDBGroups);
    auto group = std::make_unique<TKRFolder>();
    group->Init("Demo", 8, 8, krftDBGroup, true);
    group->GetColumns().push_back(demo.Home() + "/groups/Demo");
    TKRFolder& folder = *TKRFolder::SetParent(std::move(group), *groups);
    data->CreateDBItemsIntoGroup(folder, {krntFolder, krntItem});
    return folder;
  }

  static const TKRResultData& Item(const TKRFolder& group, const std::string& name) {
    for (const auto& item : group.Items()) {
      if (item->Columns()[0] == name) return *item;
    }
    throw std::runtime_error("no dump " + name);
  }

  std::vector<std::u16string> Databases(const std::string& schema, const std::string& version) {
    const ComPtr<IKRSchema> proxy = data->OpenSchema("TestBox", "KestrelOS20", schema, version);
    if (!proxy) return {};
    return Texts(proxy->Get_DatabaseNames().Get());
  }

  ComPtr<TKRComponentData> data = MakeComObject<TKRComponentData>();
};

TEST_F(ConnectionsDemo, WithoutAVersionTheFirstSchemaAndVersionAreTaken) {
  const ComPtr<IKRSchema> schema = data->OpenSchema("TESTBOX", "KestrelOS20", "Staff", "");
  ASSERT_TRUE(schema);
  EXPECT_EQ(schema->Get_Name(), u"Sales");
  EXPECT_EQ(schema->Get_Version(), u"1.0");
  EXPECT_EQ(Texts(schema->Get_DatabaseNames().Get()),
            (std::vector<std::u16string>{u"Northwind", u"Southwind"}));
  EXPECT_EQ(Databases("Staff", "1.0"), (std::vector<std::u16string>{u"Personnel"}));
  EXPECT_FALSE(data->OpenSchema("testbox", "KestrelOS20", "Staff", "2.0"));
  EXPECT_FALSE(data->OpenServer("testbox", "NoSuchServer"));
  EXPECT_FALSE(data->OpenServer("elsewhere", "KestrelOS20"));
}

TEST_F(ConnectionsDemo, AStalePasswordIsAskedForOnceAndThenRemembered) {
  TScriptPresenter presenter(R"(
    expect form 'Enter Logon information...'
    expect UserNameEdit text anna
    set PasswordEdit to anna
    press enter)");
  TPresenterScope scope(presenter);
  std::string user = "anna", password = "stale";
  ComPtr<IKRSession> session =
      data->OpenSession("testbox", "KestrelOS20", "Sales", "1.0", "Northwind", user, password);
  EXPECT_EQ(presenter.Verify(), "");
  ASSERT_TRUE(session);
  EXPECT_NE(session->Get_Handle(), 0);
  EXPECT_EQ(password, "anna");
  session->Disconnect();
  session.Reset();

  // What connected opens the next session without a form.
  data->PasswordContainer().AddEntry(user, password, "NorthwindSales - 1.0KestrelOS20testbox");
  std::string nextUser, nextPassword;
  ASSERT_TRUE(data->PasswordContainer().FindUserPassword(nextUser, nextPassword,
                                                         "NORTHWINDSales - 1.0KestrelOS20testbox"));
  session = data->OpenSession("testbox", "KestrelOS20", "Sales", "1.0", "Northwind", nextUser,
                              nextPassword);
  EXPECT_EQ(presenter.Verify(), "");  // no second form
  ASSERT_TRUE(session);
  session->Disconnect();
}

TEST_F(ConnectionsDemo, ACancelledLogonRaisesTheCancelException) {
  TScriptPresenter presenter("expect form 'Enter Logon information...'; click CancelButton");
  TPresenterScope scope(presenter);
  std::string user = "ben", password = "wrong";
  EXPECT_THROW(
      data->OpenSession("testbox", "KestrelOS20", "Sales", "1.0", "Southwind", user, password),
      KRLogonCancelException);
  EXPECT_EQ(presenter.Verify(), "");
}

TEST_F(ConnectionsDemo, DumpsOfTheDemoGroupAreLoadedIntoTheDemoServer) {
  TKRFolder& server = ServerFolder("KestrelOS20");
  const TKRFolder& group = DemoGroup();
  TScriptPresenter presenter("");  // nothing is shown
  TPresenterScope scope(presenter);
  data->LoadDBIntoServer(server, "Sales", "1.0", Item(group, "Westwind.dmp"));
  data->LoadDBIntoServer(server, "Staff", "1.0", Item(group, "Spring/"));
  // A schema that is not there loads nothing.
  data->LoadDBIntoServer(server, "Sales", "9.0", Item(group, "Archive2025.dmp"));
  EXPECT_EQ(presenter.Verify(), "");
  EXPECT_EQ(Databases("Sales", "1.0"),
            (std::vector<std::u16string>{u"Northwind", u"Southwind", u"Westwind"}));
  EXPECT_EQ(Databases("Staff", "1.0"), (std::vector<std::u16string>{u"Personnel", u"Spring"}));
  EXPECT_EQ(Databases("Sales", "2.0"), (std::vector<std::u16string>{u"Eastwind"}));

  // The loaded database takes a logon of its own users.
  std::string user = "system", password;
  EXPECT_TRUE(
      data->OpenSession("testbox", "KestrelOS20", "Sales", "1.0", "Westwind", user, password));
}

TEST_F(ConnectionsDemo, AServerThatCannotBeReachedIsReported) {
  TKRFolder& server = ServerFolder("Nowhere");
  const TKRFolder& group = DemoGroup();
  TScriptPresenter presenter(
      "expect message containing 'Unable to establish connection with server.'; answer IDOK");
  TPresenterScope scope(presenter);
  data->LoadDBIntoServer(server, "Sales", "1.0", Item(group, "Westwind.dmp"));
  EXPECT_EQ(presenter.Verify(), "");
}

TEST_F(ConnectionsDemo, ClosingTheDemoServerStopsItAndEmptiesItsFolder) {
  TKRFolder& server = ServerFolder("KestrelOS20");
  data->CreateServerItems(server, {krntFolder, krntItem});
  ASSERT_EQ(server.Childs().size(), 3u);
  // A connection held elsewhere hears of the shutdown.
  const TKRAPITable& api = KRAPI();
  const KSHandle watcher = api.KSConnectServer(u"localhost", u"KestrelOS20");
  ASSERT_NE(watcher, 0);

  data->CloseServer(server);
  EXPECT_TRUE(server.Childs().empty());
  EXPECT_TRUE(server.Dirty());
  int32_t count = -1;
  api.KSGetAvailableMetas(watcher, &count);
  EXPECT_EQ(count, 0);  // its server is no longer running
  api.KSDisconnectServer(watcher);
}

}  // namespace
