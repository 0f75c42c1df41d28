#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "snapin/KRDBMComponent_TestView.h"
#include "snapin/KRImages.h"
#include "snapin/KRScriptedServer_test.h"

namespace {

constexpr KSHandle kPaneConnection = 7;

// A view over a scripted server OS1 on pc7 with the schemas A 1.0 and
// B 1.0, registered under the local workstation and shown in the console.
class ResultPane : public ComponentViewTest {
 protected:
  TKRFakeAPI api_;
  TScriptedMetas metas_ = {{11, {u"A", u"1.0"}}, {12, {u"B", u"1.0"}}};
  std::vector<KSHandle> metaHandles_ = {11, 12};
  bool reachable_ = true;
  TKRFolder* server_ = nullptr;

  void SetUp() override {
    ComponentViewTest::SetUp();
    ScriptServerOS1(api_, kPaneConnection, reachable_, metaHandles_, metas_);
    ExpandFixedFolders();
    Expand(Servers());
    server_ = &AddFolder(Servers(), "OS1", krftServer, 5);
  }

  int Connects() const { return api_.CountOf(TKRAPIFunction::KSConnectServer); }
};

TEST_F(ResultPane, SelectingAServerBuildsItsHeadersAndListsItsSchemaFolders) {
  SelectNode(*server_);
  EXPECT_EQ(console_->header->columns,
            (std::vector<FakeHeaderCtrl::Column>{{u"Name", LVCFMT_LEFT, 150},
                                                 {u"Number of Users", LVCFMT_RIGHT, 100}}));
  ASSERT_EQ(server_->Childs().size(), 2u);
  for (const auto& schema : server_->Childs()) {
    EXPECT_EQ(schema->ScopeItem()->relativeID, server_->ScopeItem()->ID);
    EXPECT_TRUE(console_->IsLive(schema->ScopeItem()->ID));
  }
  EXPECT_FALSE(server_->Dirty());
  EXPECT_TRUE(console_->results->rows.empty());  // a server lists no items of its own

  // Built once: selecting it again asks the server nothing.
  const int connects = Connects();
  SelectNode(*server_);
  EXPECT_EQ(Connects(), connects);
  EXPECT_EQ(server_->Childs().size(), 2u);
}

TEST_F(ResultPane, AFolderWhoseListingFailedIsListedAgainAtTheNextSelection) {
  reachable_ = false;
  TRecordingPresenter presenter;
  TPresenterScope scope(presenter);
  SelectNode(*server_);
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, "Unable to establish connection with server.");
  EXPECT_TRUE(server_->Dirty());
  EXPECT_TRUE(server_->Childs().empty());

  reachable_ = true;
  SelectNode(*server_);
  EXPECT_EQ(server_->Childs().size(), 2u);
  EXPECT_FALSE(server_->Dirty());
  EXPECT_EQ(presenter.boxes.size(), 1u);
}

TEST_F(ResultPane, ARowLosingTheSelectionListsNothing) {
  const ComPtr<IDataObject> object = DataOf(*server_);
  ASSERT_EQ(component_->Notify(object.Get(), MMCN_SELECT, SelectArg(true, false), 0), S_OK);
  EXPECT_EQ(Connects(), 0);
  EXPECT_TRUE(server_->Dirty());
}

TEST_F(ResultPane, HeadersFollowTheFolderType) {
  TKRFolder& group = AddFolder(DatabaseGroups(), "Demo", krftDBGroup, 8);
  SelectNode(group);
  EXPECT_EQ(console_->header->columns,
            (std::vector<FakeHeaderCtrl::Column>{{u"Name", LVCFMT_LEFT, 175},
                                                 {u"Size", LVCFMT_RIGHT, 75},
                                                 {u"Date Saved", LVCFMT_RIGHT, 175}}));

  // The old columns go first, however many there were.
  TKRFolder& scenarios = AddFolder(*server_, "Scenarios", krftScenarios, 12);
  component_->InitializeHeaders(scenarios.Cookie());
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Name", "Private", "Protected", "Scenario",
                                                "Created by", "Creation date", "Description"}));
  EXPECT_EQ(console_->header->columns[5].width, 175);
  EXPECT_EQ(console_->header->columns[6].format, LVCFMT_LEFT);

  component_->InitializeHeaders(DatabaseGroups().Cookie());
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Name", "Number of Databases", "Location"}));
  EXPECT_EQ(console_->header->columns[2].width, 200);
  component_->InitializeHeaders(Local().Cookie());
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Name", "Number of Items"}));

  // A type that is never made gets no columns; an unknown cookie changes
  // nothing.
  TKRFolder& deltas = AddFolder(*server_, "Deltas", krftDeltas);
  component_->InitializeHeaders(deltas.Cookie());
  EXPECT_TRUE(console_->header->columns.empty());
  component_->InitializeHeaders(Local().Cookie());
  component_->InitializeHeaders(12345);
  EXPECT_EQ(Titles().size(), 2u);
}

TEST_F(ResultPane, ListingInsertsEveryItemWithTheImageOfItsFolderType) {
  TKRFolder& users = AddFolder(*server_, "Users", krftUsers, 9);
  TKRResultData& anna = AddItem(users, {"anna", "host1", "Yes"});
  TKRResultData& ben = AddItem(users, {"ben"});
  component_->EnumerateResultPane(users.Cookie());
  ASSERT_EQ(console_->results->rows.size(), 2u);
  const RESULTDATAITEM& first = console_->results->rows[0];
  EXPECT_EQ(first.mask, RDI_STR | RDI_IMAGE | RDI_PARAM);
  EXPECT_EQ(first.str, MMC_CALLBACK);
  EXPECT_EQ(first.nImage, 7);
  EXPECT_EQ(first.lParam, anna.Cookie());
  EXPECT_EQ(console_->results->rows[1].lParam, ben.Cookie());
  EXPECT_EQ(RowText(first, 2), "Yes");

  // The fixed folders list no items of their own, even when they hold some.
  AddItem(Servers(), {"stray"});
  component_->EnumerateResultPane(Servers().Cookie());
  EXPECT_TRUE(console_->results->rows.empty());
  const int clears = console_->results->clears;
  component_->EnumerateResultPane(12345);
  EXPECT_EQ(console_->results->clears, clears);
}

TEST_F(ResultPane, AFolderRowCountsItsChildFoldersAndItems) {
  TKRFolder& schema = AddFolder(*server_, "A - 1.0", krftSchemaName, 6);
  for (const char* name : {"Northwind", "Southwind", "Eastwind"}) {
    AddFolder(schema, name, krftServerDB, 4);
  }
  AddItem(schema, {"one"});
  AddItem(schema, {"two"});
  RESULTDATAITEM row{};
  row.bScopeItem = TRUE;
  row.lParam = schema.Cookie();
  EXPECT_EQ(RowText(row, 1), "5");
  EXPECT_EQ(RowText(row, 0), "A - 1.0");
}

TEST_F(ResultPane, SortingComparesTheColumnsAsText) {
  TKRFolder& group = AddFolder(DatabaseGroups(), "Demo", krftDBGroup, 8);
  TKRResultData& ten = AddItem(group, {"b.dmp", "10", "x"});
  TKRResultData& nine = AddItem(group, {"a.dmp", "9"});
  TKRResultData& upper = AddItem(group, {"A.dmp", "9"});
  auto compare = [&](const TKRResultData& a, const TKRResultData& b, int column, HRESULT answer) {
    int result = column;
    EXPECT_EQ(component_->Compare(0, a.Cookie(), b.Cookie(), &result), answer);
    return result;
  };
  EXPECT_LT(compare(ten, nine, 1, S_OK), 0);  // "10" before "9"
  EXPECT_GT(compare(nine, ten, 1, S_OK), 0);
  EXPECT_EQ(compare(nine, upper, 1, S_OK), 0);
  EXPECT_GT(compare(ten, nine, 0, S_OK), 0);
  EXPECT_LT(compare(nine, upper, 0, S_OK), 0);  // with case: lower case first
  // A pair where one lacks the column is -1 either way round; the sort goes on.
  EXPECT_EQ(compare(ten, nine, 2, S_FALSE), -1);
  EXPECT_EQ(compare(nine, ten, 2, S_FALSE), -1);
  EXPECT_EQ(compare(ten, ten, -1, S_FALSE), -1);
  int result = 0;
  EXPECT_EQ(component_->Compare(0, group.Cookie(), ten.Cookie(), &result), S_FALSE);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(component_->Compare(0, ten.Cookie(), nine.Cookie(), nullptr), E_POINTER);
}

TEST_F(ResultPane, RefreshingAFixedFolderChangesNothing) {
  Expand(DatabaseGroups());
  for (TKRFolder* folder : {&Root(), &Workstations(), &Servers(), &DatabaseGroups()}) {
    AddItem(*folder, {"kept"});
    const size_t childs = folder->Childs().size();
    const int clears = console_->results->clears;
    ASSERT_EQ(component_->Notify(DataOf(*folder).Get(), MMCN_REFRESH, 0, 0), S_OK);
    EXPECT_EQ(folder->Items().size(), 1u) << folder->ColumnText(0);
    EXPECT_EQ(folder->Childs().size(), childs);
    EXPECT_EQ(console_->results->clears, clears);
  }
  EXPECT_EQ(Connects(), 0);
}

TEST_F(ResultPane, RefreshingAServerRebuildsItsFoldersAndItems) {
  SelectNode(*server_);
  AddItem(*server_, {"old"});
  metas_[13] = {u"C", u"2.0"};
  metaHandles_.push_back(13);
  ASSERT_EQ(component_->Notify(DataOf(*server_).Get(), MMCN_REFRESH, 0, 0), S_OK);
  EXPECT_TRUE(server_->Items().empty());
  ASSERT_EQ(server_->Childs().size(), 3u);
  EXPECT_EQ(server_->Childs()[2]->ColumnText(0), "C - 2.0");
}

TEST_F(ResultPane, RefreshingAUsersOrScenariosFolderListsItAgain) {
  TKRFolder& database = AddFolder(*server_, "Sales", krftServerDB, 4);
  for (const TKRFolderType type : {krftUsers, krftScenarios}) {
    TKRFolder& folder = AddFolder(database, "Listed", type, 9);
    AddItem(folder, {"anna"});
    component_->EnumerateResultPane(folder.Cookie());
    ASSERT_EQ(console_->results->rows.size(), 1u);
    TRecordingPresenter presenter;
    TPresenterScope scope(presenter);
    ASSERT_EQ(component_->Notify(DataOf(folder).Get(), MMCN_REFRESH, 0, 0), S_OK);
    EXPECT_TRUE(folder.Items().empty());
    EXPECT_TRUE(console_->results->rows.empty());
    // The listing asked for the database, which the server does not have.
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].text, "Unable to connect to database: Sales'");
    EXPECT_TRUE(folder.Dirty());
  }
}

TEST_F(ResultPane, RefreshingAResultItemShowsItsName) {
  TKRFolder& group = AddFolder(DatabaseGroups(), "Demo", krftDBGroup, 8);
  TKRResultData& dump = AddItem(group, {"Westwind.dmp", "1024"});
  TKRResultData& unnamed = AddItem(group, {});
  TRecordingPresenter presenter;
  TPresenterScope scope(presenter);
  ASSERT_EQ(component_->Notify(DataOf(dump).Get(), MMCN_REFRESH, 0, 0), S_OK);
  ASSERT_EQ(component_->Notify(DataOf(unnamed).Get(), MMCN_REFRESH, 0, 0), S_OK);
  ASSERT_EQ(presenter.boxes.size(), 2u);
  EXPECT_EQ(presenter.boxes[0].text, "Westwind.dmp");
  EXPECT_EQ(presenter.boxes[0].caption, "");
  EXPECT_EQ(presenter.boxes[0].flags, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(presenter.boxes[1].text, "");
  EXPECT_EQ(group.Items().size(), 2u);
}

TEST_F(ResultPane, ADatabaseGroupListsItsDumpsAtItsFirstSelection) {
  TempDir directory;
  WriteFile(directory.File("Westwind.dmp"), std::string(1234, 'x'));
  TKRFolder& group = AddFolder(DatabaseGroups(), "Demo", krftDBGroup, 8);
  group.GetColumns()[2] = directory.Path().string();
  SelectNode(group);
  EXPECT_FALSE(group.Dirty());
  ASSERT_EQ(console_->results->rows.size(), 1u);
  EXPECT_EQ(console_->results->rows[0].nImage, 4);
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"Westwind.dmp"}));
  EXPECT_EQ(RowText(console_->results->rows[0], 1), "1234");
}

}  // namespace
