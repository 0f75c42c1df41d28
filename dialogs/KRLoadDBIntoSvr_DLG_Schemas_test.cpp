// The load form's schema source over the real Database API library and the
// demo server that kestrel-admin seeds in a temporary $KESTREL_HOME.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "dialogs/KRDialogTestSupport.h"
#include "dialogs/KRLoadDBIntoSvr_DLG.h"
#include "dialogs/KRLoadDBIntoSvr_DLG_Schemas.h"
#include "objectmodel/KRDataSet_CO_DemoServer_test.h"

using namespace kr_session_test;

namespace {

using Texts = std::vector<std::string>;

class DemoServer : public TDemoServerTest {};

TEST_F(DemoServer, TheProxySourceAnswersTheServerAndNothingForWhatItCannotReach) {
  TKRServerProxySchemaSource source;
  EXPECT_EQ(source.SchemaNames("testbox", "KestrelOS20"), (Texts{"Sales", "Staff"}));
  EXPECT_EQ(source.SchemaVersions("testbox", "KestrelOS20", "Sales"), (Texts{"1.0", "2.0"}));
  EXPECT_EQ(source.SchemaVersions("localhost", "KestrelOS20", "Nothing"), Texts{});
  EXPECT_EQ(source.SchemaNames("testbox", "NoSuchServer"), std::nullopt);
  EXPECT_EQ(source.SchemaVersions("testbox", "NoSuchServer", "Sales"), std::nullopt);
  EXPECT_EQ(source.SchemaNames("elsewhere", "KestrelOS20"), std::nullopt);
}

TEST_F(DemoServer, TheFormChoosesASchemaVersionOfTheDemoServer) {
  int workstation = 0, demo = 0, gone = 0;  // stand-ins for the tree's nodes
  TKRWorkstationTree tree;
  TKRWorkstationEntry entry;
  entry.Name = "TestBox";
  entry.Folder = &workstation;
  entry.Servers = {{"Gone", &gone}, {"KestrelOS20", &demo}};
  tree.Workstations.push_back(entry);

  TKRLoadBDIntoSvrDlg form;
  form.SetRootFolder(&tree);
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Load database into server...'
    expect ServerComboBox text Gone
    expect SchemaNameComboBox items 0
    expect OKBtn disabled
    select ServerComboBox KestrelOS20
    expect SchemaNameComboBox text Sales
    expect SchemaVersionComboBox text '1.0'
    select SchemaVersionComboBox '2.0'
    expect OKBtn enabled
    press enter)"),
            mrOk);
  EXPECT_EQ(form.ComputerSelected().As<int>(), &workstation);
  EXPECT_EQ(form.ServerSelected().As<int>(), &demo);
  EXPECT_EQ(form.SchemaName(), "Sales");
  EXPECT_EQ(form.SchemaVersion(), "2.0");
}

}  // namespace
