#include "snapin/KRComponentData.h"

#include <gtest/gtest.h>

#include "platform/testing/TestFiles.h"
#include "snapin/KRComponentData_Commands.h"
#include "snapin/KRTestSupport.h"

namespace {

class ComponentDataTree : public ::testing::Test {
 protected:
  ScopedEnv computer_{"VAZERIR_COMPUTERNAME", "PC7"};
  ComPtr<TKRComponentData> data_ = MakeComObject<TKRComponentData>();

  TKRFolder& Workstations() { return *data_->GetRootFolder()->Childs().at(0); }
};

}  // namespace

TEST_F(ComponentDataTree, FreshTreeHasTheFixedFolders) {
  TKRFolder* root = data_->GetRootFolder();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(data_->GetRootFolder(), root);  // built once
  EXPECT_EQ(root->FolderType(), krftRootFolder);
  EXPECT_EQ(root->Cookie(), 0);
  EXPECT_EQ(root->ColumnText(0), "RootFolder");
  EXPECT_EQ(root->SearchFolderByCookie(0), root);
  EXPECT_EQ(ChildNames(*root), (std::vector<std::string>{"Workstations", "Database Groups"}));

  const TKRFolder& workstations = *root->Childs()[0];
  EXPECT_EQ(workstations.FolderType(), krftComputers);
  EXPECT_EQ(workstations.ScopeItem()->mask, SDI_STR | SDI_CHILDREN);
  ASSERT_EQ(ChildNames(workstations), (std::vector<std::string>{"pc7"}));
  const TKRFolder& pc7 = *workstations.Childs()[0];
  EXPECT_EQ(pc7.FolderType(), krftComputer);
  EXPECT_EQ(pc7.ScopeItem()->nImage, 1);
  EXPECT_EQ(pc7.ScopeItem()->nOpenImage, 1);
  EXPECT_EQ(data_->ComputerName(), "PC7");  // kept as the platform gave it
  ASSERT_EQ(ChildNames(pc7), (std::vector<std::string>{"Servers"}));
  EXPECT_EQ(pc7.Childs()[0]->FolderType(), krftServers);
  EXPECT_EQ(pc7.Childs()[0]->ScopeItem()->nImage, 2);
  EXPECT_TRUE(pc7.Childs()[0]->Childs().empty());

  const TKRFolder& groups = *root->Childs()[1];
  EXPECT_EQ(groups.FolderType(), krftDBGroups);
  EXPECT_TRUE(groups.Childs().empty());
  EXPECT_FALSE(data_->GetIsDirty());
}

TEST_F(ComponentDataTree, WorkstationsAreReusedWithoutRegardToCase) {
  TKRFolder& workstations = Workstations();
  TKRFolder* pc7 = workstations.Childs()[0].get();
  EXPECT_EQ(data_->CreateComputerFolder("PC7", workstations), pc7);
  EXPECT_EQ(data_->CreateComputerFolder("pC7", workstations), pc7);
  EXPECT_EQ(workstations.Childs().size(), 1u);

  TKRFolder* other = data_->CreateComputerFolder("Build-Host", workstations);
  EXPECT_EQ(other->ColumnText(0), "build-host");
  EXPECT_EQ(ChildNames(*other), (std::vector<std::string>{"Servers"}));
  EXPECT_EQ(workstations.Childs().size(), 2u);
  EXPECT_EQ(other->ScopeItem()->nImage, 1);
  EXPECT_EQ(other->Cookie(), -1);  // not handed to the console

  // Lower-casing and matching go beyond ASCII.
  TKRFolder* accented = data_->CreateComputerFolder("\xC3\x89TAGE", workstations);  // ÉTAGE
  EXPECT_EQ(accented->ColumnText(0), "\xC3\xA9tage");
  EXPECT_EQ(data_->CreateComputerFolder("\xC3\xA9TAGE", workstations), accented);
}

TEST_F(ComponentDataTree, TheLastMatchingWorkstationWins) {
  TKRFolder& workstations = Workstations();
  auto twin = std::make_unique<TKRFolder>();
  twin->Init("PC7", 1, 1, krftComputer, true);
  TKRFolder* second = TKRFolder::SetParent(std::move(twin), workstations);
  EXPECT_EQ(data_->CreateComputerFolder("pc7", workstations), second);
}

TEST_F(ComponentDataTree, DatabaseFoldersAreInsertedUnderTheirDisplayedParent) {
  ComPtr<RecordingNameSpace> console = MakeComObject<RecordingNameSpace>();
  data_->SetConsoleNameSpace(console);
  TKRFolder* servers = Workstations().Childs()[0]->Childs()[0].get();
  auto schemaFolder = std::make_unique<TKRFolder>();
  schemaFolder->Init("Demo - 1.0", 6, 6, krftSchemaName, true);
  TKRFolder* schema = TKRFolder::SetParent(std::move(schemaFolder), *servers);
  schema->ScopeItem()->ID = 500;  // as the console gave it

  TKRFolder* database = data_->CreateServerDatabaseFolder("Sales", *schema);
  ASSERT_EQ(console->inserted.size(), 3u);
  EXPECT_EQ(ChildNames(*schema), (std::vector<std::string>{"Sales"}));
  ASSERT_EQ(ChildNames(*database), (std::vector<std::string>{"Users", "Scenarios"}));
  TKRFolder* users = database->Childs()[0].get();
  TKRFolder* scenarios = database->Childs()[1].get();

  const SCOPEDATAITEM& dbRecord = console->inserted[0];
  EXPECT_EQ(dbRecord.lParam, database->Identity());
  EXPECT_EQ(dbRecord.relativeID, 500);
  EXPECT_EQ(dbRecord.nImage, 4);
  EXPECT_EQ(dbRecord.mask, SDI_STR | SDI_IMAGE | SDI_OPENIMAGE | SDI_CHILDREN | SDI_PARAM);
  EXPECT_EQ(database->ScopeItem()->ID, dbRecord.ID);
  EXPECT_EQ(database->Cookie(), database->Identity());

  EXPECT_EQ(console->inserted[1].lParam, users->Identity());
  EXPECT_EQ(console->inserted[1].relativeID, dbRecord.ID);
  EXPECT_EQ(console->inserted[1].nImage, 9);
  EXPECT_EQ(console->inserted[2].lParam, scenarios->Identity());
  EXPECT_EQ(console->inserted[2].relativeID, dbRecord.ID);
  EXPECT_EQ(console->inserted[2].nImage, 12);
  EXPECT_EQ(console->inserted[2].mask & SDI_CHILDREN, 0u);
  EXPECT_EQ(console->inserted[2].cChildren, 0);

  for (TKRFolder* f : {users, scenarios}) {
    EXPECT_EQ(f->ColumnText(1), "-");
    EXPECT_EQ(f->ColumnText(2), "-");
    EXPECT_EQ(f->GetColumns().size(), 3u);
    EXPECT_EQ(f->ColumnText(1), "0");  // a reader sees the real count
  }
  EXPECT_EQ(database->ColumnText(1), "2");  // attaching its children counted them
  EXPECT_EQ(database->ColumnText(2), "-");
  EXPECT_EQ(data_->GetRootFolder()->SearchFolderByCookie(users->Cookie()), users);
  EXPECT_TRUE(data_->GetIsDirty());
  EXPECT_FALSE(schema->Dirty());
  EXPECT_TRUE(database->Dirty());
}

TEST_F(ComponentDataTree, DatabaseFoldersAreBuiltWithoutAConsole) {
  TKRFolder* servers = Workstations().Childs()[0]->Childs()[0].get();
  TKRFolder* database = data_->CreateServerDatabaseFolder("Sales", *servers);
  EXPECT_EQ(database->ScopeItem()->relativeID, 0);  // the parent was never displayed
  EXPECT_EQ(database->Childs().size(), 2u);
}

TEST_F(ComponentDataTree, OffersPersistStreamThroughQueryInterface) {
  for (const IID* iid : {&IID_IPersistStream, &IID_IPersist, &IID_IUnknown}) {
    ComPtr<IUnknown> found;
    EXPECT_EQ(data_->QueryInterface(*iid, found.ReleaseAndGetVoidAddress()), S_OK);
    EXPECT_TRUE(IsSameObject(found.Get(), data_->UnknownSelf()));
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(data_->QueryInterface(IID_IStream, none.ReleaseAndGetVoidAddress()), E_NOINTERFACE);
}
