#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "platform/com/DataObject.h"
#include "platform/text/Utf.h"
#include "platform/ui/ScriptPresenter.h"
#include "platform/win32/TestSupport.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent_TestConsole.h"
#include "snapin/KRScriptedServer_test.h"

namespace {

constexpr KSHandle kConnection = 7;

// A scripted server OS1 on pc7 with schemas A (1.0, 2.0) and B (1.0), listed
// out of order; schema A 1.0 holds the databases Sales and Archive.
class ServerItems : public ::testing::Test {
 protected:
  ScopedEnv computer_{"VAZERIR_COMPUTERNAME", "PC7"};
  TKRFakeAPI api_;
  ComPtr<TKRComponentData> data_ = MakeComObject<TKRComponentData>();
  ComPtr<FakeConsole> console_ = MakeComObject<FakeConsole>();
  TScriptedMetas metas_ = {{13, {u"B", u"1.0"}}, {12, {u"A", u"2.0"}}, {11, {u"A", u"1.0"}}};
  std::vector<KSHandle> metaHandles_ = {13, 12, 11};
  std::vector<const char16_t*> databases_ = {u"Sales", u"Archive"};
  bool reachable_ = true;

  void SetUp() override {
    ASSERT_EQ(data_->Initialize(console_->UnknownSelf()), S_OK);
    ScriptServerOS1(api_, kConnection, reachable_, metaHandles_, metas_);
    api_.On<TKRAPIFunction::KSGetAvailableDatabases>([this](KSHandle, KSHandle, int32_t* count) {
      *count = static_cast<int32_t>(databases_.size());
      return databases_.data();
    });

    TKRFolder& workstations = *data_->GetRootFolder()->Childs()[0];
    Expand(*data_->GetRootFolder(), 500);
    Expand(workstations, workstations.ScopeItem()->ID);
    TKRFolder& local = *workstations.Childs()[0];
    Expand(local, local.ScopeItem()->ID);
    TKRFolder& servers = *local.Childs()[0];
    auto server = std::make_unique<TKRFolder>();
    server->Init("OS1", 5, 5, krftServer, true);
    server_ = TKRFolder::SetParent(std::move(server), servers);
    Expand(servers, servers.ScopeItem()->ID);
    data_->SetIsDirty(false);
  }

  void Expand(const TKRFolder& folder, HSCOPEITEM handle) {
    ComPtr<IDataObject> object;
    data_->QueryDataObject(folder.Cookie(), CCT_SCOPE, object.ReleaseAndGetAddressOf());
    data_->Notify(object.Get(), MMCN_EXPAND, TRUE, handle);
  }

  static std::vector<std::string> Names(const TKRFolder& folder) {
    std::vector<std::string> names;
    for (const auto& child : folder.Childs()) names.push_back(child->ColumnText(0));
    return names;
  }

  TKRFolder* server_ = nullptr;
  const TKRNodeTypes both_{krntFolder, krntItem};
};

TEST_F(ServerItems, OneFolderPerSchemaVersionInOrder) {
  data_->CreateServerItems(*server_, both_);
  EXPECT_EQ(Names(*server_), (std::vector<std::string>{"A - 1.0", "A - 2.0", "B - 1.0"}));
  for (const auto& schema : server_->Childs()) {
    EXPECT_EQ(schema->FolderType(), krftSchemaName);
    EXPECT_EQ(schema->ScopeItem()->nImage, 6);
    EXPECT_EQ(schema->ScopeItem()->nOpenImage, 6);
    EXPECT_EQ(schema->ScopeItem()->cChildren, 1);
    EXPECT_EQ(schema->ScopeItem()->relativeID, server_->ScopeItem()->ID);
    EXPECT_TRUE(console_->IsLive(schema->ScopeItem()->ID));  // inserted at once
    EXPECT_EQ(schema->ColumnText(2), "-");
  }
  EXPECT_FALSE(server_->Dirty());
  EXPECT_TRUE(data_->GetIsDirty());
  // The connection is given back before the operation returns.
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSDisconnectServer), 1);
}

TEST_F(ServerItems, ARefreshReplacesEveryOldSchemaFolder) {
  data_->CreateServerItems(*server_, both_);
  std::vector<HSCOPEITEM> old;
  for (const auto& schema : server_->Childs()) old.push_back(schema->ScopeItem()->ID);
  metas_[14] = {u"C", u"1.0"};
  metaHandles_.push_back(14);
  console_->deleted.clear();

  data_->CreateServerItems(*server_, both_);
  EXPECT_EQ(console_->deleted, old);
  for (HSCOPEITEM id : old) EXPECT_FALSE(console_->IsLive(id));
  EXPECT_EQ(Names(*server_),
            (std::vector<std::string>{"A - 1.0", "A - 2.0", "B - 1.0", "C - 1.0"}));
}

TEST_F(ServerItems, AnUnreachableServerIsReportedAndLeftEmpty) {
  data_->CreateServerItems(*server_, both_);
  ASSERT_EQ(server_->Childs().size(), 3u);
  server_->SetDirty(true);
  reachable_ = false;
  TScriptPresenter presenter(
      "expect message containing 'Unable to establish connection with server.'; answer IDOK");
  TPresenterScope scope(presenter);
  data_->CreateServerItems(*server_, both_);
  EXPECT_EQ(presenter.Verify(), "");
  EXPECT_TRUE(server_->Childs().empty());
  EXPECT_TRUE(server_->Dirty());
}

TEST_F(ServerItems, OnlyFolderRequestsOnServerFoldersBuildAnything) {
  data_->CreateServerItems(*server_, TKRNodeTypes{krntItem});
  EXPECT_TRUE(server_->Childs().empty());
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSConnectServer), 0);
  data_->CreateServerItems(*server_->Parent(), both_);  // the "Servers" folder
  EXPECT_EQ(server_->Parent()->Childs().size(), 1u);
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSConnectServer), 0);
}

TEST_F(ServerItems, ASchemaListsItsDatabases) {
  data_->CreateServerItems(*server_, both_);
  TKRFolder& schema = *server_->Childs()[0];  // A - 1.0
  data_->SetIsDirty(false);
  data_->CreateSchemaItems(schema, both_);
  EXPECT_EQ(Names(schema), (std::vector<std::string>{"Archive", "Sales"}));
  EXPECT_EQ(Names(*schema.Childs()[0]), (std::vector<std::string>{"Users", "Scenarios"}));
  EXPECT_FALSE(schema.Dirty());
  EXPECT_TRUE(data_->GetIsDirty());
  EXPECT_EQ(api_.CallsOf(TKRAPIFunction::KSSearchMeta),
            (std::vector<std::string>{"KSSearchMeta(7, \"A\", \"1.0\")"}));

  // A refresh rebuilds them; the old folders leave the console with their
  // "Users" and "Scenarios".
  const HSCOPEITEM users = schema.Childs()[0]->Childs()[0]->ScopeItem()->ID;
  data_->CreateSchemaItems(schema, both_);
  EXPECT_FALSE(console_->IsLive(users));
  EXPECT_EQ(Names(schema), (std::vector<std::string>{"Archive", "Sales"}));
}

TEST_F(ServerItems, ASchemaTheServerNoLongerHasIsReported) {
  data_->CreateServerItems(*server_, both_);
  TKRFolder& schema = *server_->Childs()[2];  // B - 1.0, then gone from the server
  metas_.erase(13);
  metaHandles_.erase(metaHandles_.begin());
  TScriptPresenter presenter(
      "expect message containing 'Unable to establish connection with server.'; answer IDOK");
  TPresenterScope scope(presenter);
  data_->CreateSchemaItems(schema, both_);
  EXPECT_EQ(presenter.Verify(), "");
  EXPECT_TRUE(schema.Childs().empty());
  EXPECT_TRUE(schema.Dirty());
}

TEST_F(ServerItems, AServerWithoutSchemasLeavesTheSchemaFolderEmptyQuietly) {
  data_->CreateServerItems(*server_, both_);
  TKRFolder& schema = *server_->Childs()[0];
  metaHandles_.clear();
  TScriptPresenter presenter("");  // no message expected
  TPresenterScope scope(presenter);
  data_->CreateSchemaItems(schema, both_);
  EXPECT_EQ(presenter.Verify(), "");
  EXPECT_TRUE(schema.Childs().empty());
  EXPECT_EQ(api_.CountOf(TKRAPIFunction::KSSearchMeta), 0);
}

TEST_F(ServerItems, DatabaseFoldersAreBuiltWithThem) {
  data_->CreateServerItems(*server_, both_);
  TKRFolder& schema = *server_->Childs()[0];
  data_->CreateSchemaItems(schema, both_);
  TKRFolder& database = *schema.Childs()[0];
  ASSERT_TRUE(database.Dirty());
  data_->CreateServerDBItems(schema, both_);  // not a database folder
  EXPECT_TRUE(database.Dirty());
  data_->CreateServerDBItems(database, both_);
  EXPECT_FALSE(database.Dirty());
  EXPECT_EQ(database.Childs().size(), 2u);
}

}  // namespace
