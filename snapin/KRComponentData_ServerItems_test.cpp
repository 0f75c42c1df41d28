#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "platform/com/DataObject.h"
#include "platform/testing/TestFiles.h"
#include "platform/text/Utf.h"
#include "platform/ui/ScriptPresenter.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent_TestConsole.h"
#include "snapin/KRScriptedServer_test.h"

namespace {

// The server folder OS1 shown, the document clean.
class ServerItems : public TScriptedServerTest {
 protected:
  void SetUp() override {
    TScriptedServerTest::SetUp();
    server_ = &ShownServerFolder();
    data_->SetIsDirty(false);
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
