// The commands that add folders: database groups, servers and
// workstations, attached to the tree and the recording console.
#include <gtest/gtest.h>

#include "platform/testing/TestFiles.h"
#include "platform/ui/ScriptPresenter.h"
#include "snapin/KRDBMComponent_TestView.h"

namespace {

using Names = std::vector<std::string>;

// The scripted user, who also notes where each folder browser starts.
class BrowsingPresenter : public TScriptPresenter {
 public:
  using TScriptPresenter::TScriptPresenter;
  std::vector<std::string> roots;

  std::optional<std::string> BrowseForFolder(const std::string& caption,
                                             const std::string& root) override {
    roots.push_back(root);
    return TScriptPresenter::BrowseForFolder(caption, root);
  }
};

class TreeCommands : public ComponentViewTest {
 protected:
  void SetUp() override {
    ComponentViewTest::SetUp();
    ExpandFixedFolders();
  }

  // Runs a command on a node as the console does, with `script` as the user.
  void Run(TKRMenuCommand command, const TKRFolder& node, const std::string& script) {
    BrowsingPresenter presenter(script);
    TPresenterScope scope(presenter);
    EXPECT_EQ(data_->Command(command, DataOf(node).Get()), S_OK);
    EXPECT_EQ(presenter.Verify(), "");
    roots_.insert(roots_.end(), presenter.roots.begin(), presenter.roots.end());
  }
  void AddGroupFor(const std::string& directory) {
    Run(krmcAddDatabaseGroup, DatabaseGroups(),
        "expect folder with caption 'Select directory'; choose '" + directory + "'");
  }

  // A folder shown by the console right under `parent`, marked changed.
  void ExpectAttached(const TKRFolder& folder, const TKRFolder& parent) {
    const SCOPEDATAITEM* item = folder.ScopeItem();
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(console_->IsLive(item->ID)) << folder.ColumnText(0);
    EXPECT_EQ(console_->Item(item->ID)->relativeID, parent.ScopeItem()->ID);
    EXPECT_NE(item->mask & SDI_PARAM, 0u);
    EXPECT_EQ(item->lParam, folder.Identity());
    EXPECT_EQ(folder.Cookie(), folder.Identity());
    EXPECT_EQ(folder.Parent(), &parent);
    EXPECT_TRUE(data_->GetIsDirty());
  }

  std::vector<std::string> roots_;
};

TEST_F(TreeCommands, AGroupIsNamedAfterTheDirectoryAndListsItsDumps) {
  TempDir directory;
  WriteFile(directory.File("Westwind.dmp"), "dump");
  const std::string path = directory.Path().string();
  AddGroupFor(path);
  EXPECT_EQ(roots_, Names{"/"});
  ASSERT_EQ(DatabaseGroups().Childs().size(), 1u);
  const TKRFolder& group = *DatabaseGroups().Childs()[0];
  EXPECT_EQ(group.ColumnText(0), directory.Path().filename().string());
  EXPECT_EQ(group.ColumnText(2), path);
  EXPECT_EQ(group.FolderType(), krftDBGroup);
  EXPECT_EQ(group.ScopeItem()->nImage, 8);
  ASSERT_EQ(group.Items().size(), 1u);
  EXPECT_EQ(group.Items()[0]->Columns()[0], "Westwind.dmp");
  ExpectAttached(group, DatabaseGroups());
}

// The counter only grows, and every candidate is checked against all
// groups again; the comparison is exact.
TEST_F(TreeCommands, ATakenGroupNameGetsTheFirstFreeCounter) {
  for (const char* taken : {"dumps1", "Dumps", "dumps"}) {
    AddFolder(DatabaseGroups(), taken, krftDBGroup, 8);
  }
  AddGroupFor("/srv/dumps");
  AddGroupFor("/srv/other/dumps");
  AddGroupFor("/srv/DUMPS");
  Names names;
  for (const auto& group : DatabaseGroups().Childs()) names.push_back(group->ColumnText(0));
  EXPECT_EQ(names, (Names{"dumps1", "Dumps", "dumps", "dumps2", "dumps3", "DUMPS"}));
  EXPECT_EQ(DatabaseGroups().Childs()[4]->ColumnText(2), "/srv/other/dumps");
}

TEST_F(TreeCommands, APathEndingInASlashGivesAnEmptyGroupName) {
  AddGroupFor("/");
  AddGroupFor("/srv/dumps/");
  ASSERT_EQ(DatabaseGroups().Childs().size(), 2u);
  EXPECT_EQ(DatabaseGroups().Childs()[0]->ColumnText(0), "");
  EXPECT_EQ(DatabaseGroups().Childs()[0]->ColumnText(2), "/");
  // The second empty name clashes with the first.
  EXPECT_EQ(DatabaseGroups().Childs()[1]->ColumnText(0), "1");
  ExpectAttached(*DatabaseGroups().Childs()[1], DatabaseGroups());
}

TEST_F(TreeCommands, ACancelledOrEmptyAnswerAddsNoGroup) {
  const size_t inserted = console_->inserted.size();
  Run(krmcAddDatabaseGroup, DatabaseGroups(), "expect folder; cancel");
  Run(krmcAddDatabaseGroup, DatabaseGroups(), "expect folder; choose ''");
  EXPECT_TRUE(DatabaseGroups().Childs().empty());
  EXPECT_EQ(console_->inserted.size(), inserted);
  EXPECT_FALSE(data_->GetIsDirty());
}

TEST_F(TreeCommands, AServerNameAlreadyUnderTheWorkstationCannotBeAdded) {
  AddFolder(Servers(), "OS1", krftServer, 5);
  Run(krmcAddServer, Servers(), R"(
    expect form 'Add Server...'
    set NameEdit to os1
    expect OKBtn disabled
    set NameEdit to OS2
    expect OKBtn enabled
    press enter)");
  ASSERT_EQ(Servers().Childs().size(), 2u);
  const TKRFolder& server = *Servers().Childs()[1];
  EXPECT_EQ(server.FolderType(), krftServer);
  EXPECT_EQ(server.ScopeItem()->nImage, 5);
  // No user name or password was asked for.
  EXPECT_EQ(server.ColumnText(0), "OS2");
  EXPECT_EQ(server.ColumnText(2), "");
  EXPECT_EQ(server.ColumnText(3), "");
  EXPECT_EQ(const_cast<TKRFolder&>(server).GetColumns().size(), 4u);
  ExpectAttached(server, Servers());
  EXPECT_TRUE(server.Childs().empty());

  Run(krmcAddServer, Servers(), "expect form 'Add Server...'; set NameEdit to OS3; press escape");
  EXPECT_EQ(Servers().Childs().size(), 2u);
}

TEST_F(TreeCommands, AWorkstationComesWithItsServersFolder) {
  Run(krmcAddWorkstation, Workstations(), R"(
    expect form 'Add Workstation...'
    set NameEdit to PC7
    expect OKBtn disabled
    set NameEdit to Lab
    press enter)");
  ASSERT_EQ(Workstations().Childs().size(), 2u);
  TKRFolder& lab = *Workstations().Childs()[1];
  EXPECT_EQ(lab.ColumnText(0), "lab");
  EXPECT_EQ(lab.FolderType(), krftComputer);
  ExpectAttached(lab, Workstations());
  ASSERT_EQ(lab.Childs().size(), 1u);
  EXPECT_EQ(lab.Childs()[0]->FolderType(), krftServers);

  // Its servers folder is shown when the workstation is expanded.
  Expand(lab);
  EXPECT_TRUE(console_->IsLive(lab.Childs()[0]->ScopeItem()->ID));
}

}  // namespace
