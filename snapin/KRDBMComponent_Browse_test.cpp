// The browse path of a console user over the real Database API library and
// the demo data that kestrel-admin seeds in a temporary $KESTREL_HOME.
#include <gtest/gtest.h>

#include <filesystem>

#include "objectmodel/KRDataSet_CO_DemoServer_test.h"
#include "platform/text/DateTime.h"
#include "platform/text/DateTimeText.h"
#include "snapin/KRDBMComponent_TestView.h"

namespace {

class DemoBrowse : public kr_session_test::TDemoServerTest, public TComponentView {
 protected:
  void SetUp() override {
    TDemoServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    StartView();
  }

  // Selects and expands a node the way a user opening it does.
  void Open(const TKRFolder& folder) {
    SelectNode(folder);
    Expand(folder);
  }
  static std::vector<std::string> Names(const TKRFolder& folder) {
    std::vector<std::string> names;
    for (const auto& child : folder.Childs()) names.push_back(child->ColumnText(0));
    return names;
  }
  // Every folder of the subtree is in the console.
  void ExpectInserted(const TKRFolder& folder) {
    for (const auto& child : folder.Childs()) {
      ASSERT_NE(child->ScopeItem(), nullptr);
      EXPECT_TRUE(console_->IsLive(child->ScopeItem()->ID)) << child->ColumnText(0);
      ExpectInserted(*child);
    }
  }
};

TEST_F(DemoBrowse, FromTheStaticNodeToTheDatabasesAndTheDumpsOfAGroup) {
  Open(Root());
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Name", "Number of Items"}));
  EXPECT_EQ(Names(Root()), (std::vector<std::string>{"Workstations", "Database Groups"}));
  Open(Workstations());
  Open(Local());
  EXPECT_EQ(Local().ColumnText(0), "testbox");
  Open(Servers());
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Name", "Number of Databases"}));

  // A registered server, as the add-server command leaves it.
  TKRFolder& server = AddFolder(Servers(), "KestrelOS20", krftServer, 5);
  Open(server);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Name", "Number of Users"}));
  EXPECT_EQ(Names(server), (std::vector<std::string>{"Sales - 1.0", "Sales - 2.0", "Staff - 1.0"}));
  EXPECT_FALSE(server.Dirty());

  TKRFolder& sales = *server.Childs()[0];
  Open(sales);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Name", "Number of Items"}));
  ASSERT_EQ(Names(sales), (std::vector<std::string>{"Northwind", "Southwind"}));
  for (const auto& database : sales.Childs()) {
    EXPECT_EQ(Names(*database), (std::vector<std::string>{"Users", "Scenarios"}));
  }
  TKRFolder& northwind = *sales.Childs()[0];
  Open(northwind);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Name"}));
  EXPECT_FALSE(northwind.Dirty());
  ExpectInserted(Root());

  // The schema's row in the server's listing counts its databases.
  RESULTDATAITEM row{};
  row.bScopeItem = TRUE;
  row.lParam = sales.Cookie();
  EXPECT_EQ(RowText(row, 1), "2");

  // A database group of the demo directory lists its dumps with sizes and
  // dates.
  Open(DatabaseGroups());
  TKRFolder& group = AddFolder(DatabaseGroups(), "Demo", krftDBGroup, 8);
  const std::string groupDirectory = demo.Home() + "/groups/Demo";
  group.GetColumns()[2] = groupDirectory;
  SelectNode(group);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Name", "Size", "Date Saved"}));
  EXPECT_EQ(ListedNames(),
            (std::vector<std::string>{"Archive2025.dmp", "Westwind.dmp", "Spring/"}));
  const std::vector<std::string> files = {"Archive2025.dmp", "Westwind.dmp", "Spring/db.dmp"};
  const std::string today = DateToStr(Date());
  for (size_t i = 0; i < files.size(); ++i) {
    const RESULTDATAITEM& dump = console_->results->rows[i];
    EXPECT_EQ(dump.nImage, 4);
    EXPECT_EQ(RowText(dump, 1),
              std::to_string(std::filesystem::file_size(groupDirectory + "/" + files[i])));
    EXPECT_EQ(RowText(dump, 2).substr(0, today.size()), today) << files[i];
  }
}

}  // namespace
