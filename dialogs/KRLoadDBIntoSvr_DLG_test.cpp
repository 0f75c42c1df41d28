#include "dialogs/KRLoadDBIntoSvr_DLG.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/KRDialogTestSupport.h"
#include "platform/testing/TestFiles.h"

namespace {

using Texts = std::vector<std::string>;

// A node of the caller's tree, as the form sees it: an object it hands back.
struct Node {
  std::string name;
};

// The servers a test plays: those absent from `servers` cannot be reached.
// Every question is recorded in `calls`; `beforeVersions` runs as the
// versions are asked, while the form is in the middle of its cascade.
struct FakeServers {
  struct Server {
    Texts names;
    std::map<std::string, Texts> versions;
  };
  std::map<std::string, Server> servers;  // by "host/server"
  Texts calls;
  std::function<void()> beforeVersions;
};

class FakeSchemaSource : public IKRServerSchemaSource {
 public:
  explicit FakeSchemaSource(FakeServers& state) : state_(state) {}

  TKRServerAnswer SchemaNames(const std::string& host, const std::string& server) override {
    state_.calls.push_back("names " + host + "/" + server);
    const auto it = state_.servers.find(host + "/" + server);
    if (it == state_.servers.end()) return std::nullopt;
    return it->second.names;
  }
  TKRServerAnswer SchemaVersions(const std::string& host, const std::string& server,
                                 const std::string& schema) override {
    state_.calls.push_back("versions " + host + "/" + server + " " + schema);
    if (state_.beforeVersions) state_.beforeVersions();
    const auto it = state_.servers.find(host + "/" + server);
    if (it == state_.servers.end()) return std::nullopt;
    const auto versions = it->second.versions.find(schema);
    return versions == it->second.versions.end() ? Texts{} : versions->second;
  }

 private:
  FakeServers& state_;
};

Texts ItemsOf(const TComboBox& box) {
  Texts texts;
  for (int i = 0; i < box.Items().Count(); ++i) texts.push_back(box.Items()[i]);
  return texts;
}

// The form over fake servers, with the local computer named "TESTBOX", and
// a tree of three nodes a test can name: the workstations "alpha" and
// "TestBox" (servers "Demo" and "Spare") and "empty" without servers.
class LoadForm : public ::testing::Test {
 protected:
  ScopedEnv computer{"VAZERIR_COMPUTERNAME", "TESTBOX"};

  LoadForm() : form(std::make_unique<FakeSchemaSource>(fake)) {
    fake.servers["testbox/Demo"] = {{"Sales", "Staff"}, {{"Sales", {"1.0", "2.0"}}}};
    tree.Workstations = {Workstation(alpha, {&alphaServer}), Workstation(testBox, {&demo, &spare}),
                         Workstation(empty, {})};
  }

  static TKRWorkstationEntry Workstation(Node& node, const std::vector<Node*>& servers) {
    TKRWorkstationEntry entry;
    entry.Name = node.name;
    entry.Folder = &node;
    for (Node* server : servers) entry.Servers.push_back({server->name, server});
    return entry;
  }
  TComboBox& Box(const char* name) { return ControlOf<TComboBox>(form, name); }
  bool OkEnabled() { return ControlOf<TButton>(form, "OKBtn").Enabled(); }

  Node alpha{"alpha"}, alphaServer{"Solo"}, testBox{"TestBox"}, demo{"Demo"}, spare{"Spare"},
      empty{"empty"};
  TKRWorkstationTree tree;
  FakeServers fake;
  TKRLoadBDIntoSvrDlg form;
};

TEST(LoadFormLayout, ControlsTextsPlacesAndTabOrder) {
  TKRLoadBDIntoSvrDlg form;
  EXPECT_EQ(form.Caption(), "Load database into server...");
  EXPECT_EQ(form.BorderStyle(), bsDialog);
  EXPECT_EQ(form.Position(), poScreenCenter);
  EXPECT_EQ(form.ClientRect(), (TRect{0, 0, 247, 223}));

  const struct {
    const char* label;
    const char* caption;
    const char* box;
    int top;  // of the label; its box sits 16 pixels lower
  } rows[] = {{"ComputerLabel", "Workstation:", "ComputerComboBox", 8},
              {"ServerNameLabel", "Server Name:", "ServerComboBox", 56},
              {"SchemaNameLabel", "Schema Name:", "SchemaNameComboBox", 104},
              {"SchemaVersionLabel", "Schema Version:", "SchemaVersionComboBox", 152}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.box);
    const auto& label = ControlOf<TLabel>(form, row.label);
    EXPECT_EQ(label.ClassName(), "TLabel");
    EXPECT_EQ(label.Caption(), row.caption);
    EXPECT_EQ(label.Left(), 40);
    EXPECT_EQ(label.Top(), row.top);
    const auto& box = ControlOf<TComboBox>(form, row.box);
    EXPECT_EQ(box.BoundsRect(), (TRect{40, row.top + 16, 209, row.top + 37}));
    EXPECT_EQ(box.Style(), csDropDownList);
    EXPECT_EQ(box.ItemIndex(), -1);
    EXPECT_EQ(box.Parent(), &form);
  }
  EXPECT_EQ(ItemsOf(ControlOf<TComboBox>(form, "ServerComboBox")), Texts{"New server..."});
  EXPECT_EQ(ControlOf<TComboBox>(form, "ComputerComboBox").Items().Count(), 0);

  auto& ok = ControlOf<TButton>(form, "OKBtn");
  auto& cancel = ControlOf<TButton>(form, "CancelBtn");
  EXPECT_EQ(ok.Caption(), "OK");
  EXPECT_EQ(cancel.Caption(), "Cancel");
  EXPECT_EQ(ok.BoundsRect(), (TRect{90, 196, 165, 221}));
  EXPECT_EQ(cancel.BoundsRect(), (TRect{170, 196, 245, 221}));
  EXPECT_EQ(ok.Anchors(), akRight | akBottom);
  EXPECT_EQ(cancel.Anchors(), akRight | akBottom);
  EXPECT_FALSE(ok.Enabled());
  EXPECT_EQ(form.DefaultButton(), &ok);
  EXPECT_EQ(form.CancelButton(), &cancel);
  EXPECT_EQ(ok.ModalResult(), mrOk);
  EXPECT_EQ(cancel.ModalResult(), mrCancel);

  Texts tabOrder;
  for (const TWinControl* control : form.TabList()) tabOrder.push_back(control->Name());
  EXPECT_EQ(tabOrder, (Texts{"OKBtn", "CancelBtn", "ServerComboBox", "SchemaNameComboBox",
                             "SchemaVersionComboBox", "ComputerComboBox"}));

  EXPECT_TRUE(form.ComputerSelected().Empty());
  EXPECT_TRUE(form.ServerSelected().Empty());
  EXPECT_EQ(form.SchemaName(), "");
  EXPECT_EQ(form.SchemaVersion(), "");
}

// The local workstation, registered as "TestBox" for the computer TESTBOX,
// is preselected; both its servers are listed and the first one is asked at
// once for its schemas and the first schema's versions.
TEST_F(LoadForm, PreselectsTheLocalWorkstationAndCascadesThroughItsFirstServer) {
  form.SetRootFolder(&tree);
  EXPECT_EQ(ItemsOf(Box("ComputerComboBox")), (Texts{"alpha", "TestBox", "empty"}));
  EXPECT_EQ(Box("ComputerComboBox").Items().Objects(0), TItemObject(&alpha));
  EXPECT_EQ(Box("ComputerComboBox").ItemIndex(), 1);
  EXPECT_EQ(ItemsOf(Box("ServerComboBox")), (Texts{"Demo", "Spare"}));
  EXPECT_EQ(Box("ServerComboBox").Items().Objects(1), TItemObject(&spare));
  EXPECT_EQ(Box("ServerComboBox").ItemIndex(), 0);
  EXPECT_EQ(fake.calls, (Texts{"names testbox/Demo", "versions testbox/Demo Sales"}));
  EXPECT_EQ(ItemsOf(Box("SchemaNameComboBox")), (Texts{"Sales", "Staff"}));
  EXPECT_EQ(ItemsOf(Box("SchemaVersionComboBox")), (Texts{"1.0", "2.0"}));
  EXPECT_TRUE(OkEnabled());

  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Load database into server...'
    expect OKBtn focused
    expect SchemaNameComboBox text Sales
    select SchemaVersionComboBox '2.0'
    press enter)"),
            mrOk);
  EXPECT_EQ(form.ComputerSelected().As<Node>(), &testBox);
  EXPECT_EQ(form.ServerSelected().As<Node>(), &demo);
  EXPECT_EQ(form.SchemaName(), "Sales");
  EXPECT_EQ(form.SchemaVersion(), "2.0");
}

TEST_F(LoadForm, WithoutTheLocalWorkstationTheFirstIsTakenAndNothingWithoutAny) {
  ScopedEnv elsewhere("VAZERIR_COMPUTERNAME", "ELSEWHERE");
  fake.servers["alpha/Solo"] = {{"Staff"}, {{"Staff", {"3"}}}};
  form.SetRootFolder(&tree);
  EXPECT_EQ(Box("ComputerComboBox").ItemIndex(), 0);
  EXPECT_EQ(ItemsOf(Box("ServerComboBox")), Texts{"Solo"});
  EXPECT_EQ(form.SchemaVersion(), "3");
  EXPECT_TRUE(OkEnabled());

  TKRLoadBDIntoSvrDlg absent(std::make_unique<FakeSchemaSource>(fake));
  absent.SetRootFolder(nullptr);
  const TKRWorkstationTree none;
  TKRLoadBDIntoSvrDlg bare(std::make_unique<FakeSchemaSource>(fake));
  bare.SetRootFolder(&none);
  for (TKRLoadBDIntoSvrDlg* untouched : {&absent, &bare}) {
    EXPECT_EQ(ItemsOf(ControlOf<TComboBox>(*untouched, "ServerComboBox")), Texts{"New server..."});
    EXPECT_EQ(ControlOf<TComboBox>(*untouched, "ComputerComboBox").ItemIndex(), -1);
    EXPECT_FALSE(ControlOf<TButton>(*untouched, "OKBtn").Enabled());
  }
  EXPECT_EQ(fake.calls.size(), 2u);  // those of the first form only
}

// The initial entry has no server behind it: choosing it asks no server and
// leaves nothing to accept.
TEST_F(LoadForm, TheInitialServerEntryAsksNoServer) {
  const TKRWorkstationTree none;
  form.SetRootFolder(&none);
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Load database into server...'
    select ServerComboBox 'New server...'
    expect OKBtn disabled
    click CancelBtn)"),
            mrCancel);
  EXPECT_TRUE(fake.calls.empty());
  EXPECT_TRUE(form.ServerSelected().Empty());
}

TEST_F(LoadForm, AWorkstationWithoutServersEmptiesTheServerBox) {
  form.SetRootFolder(&tree);
  fake.calls.clear();
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Load database into server...'
    select ComputerComboBox empty
    expect ServerComboBox items 0
    expect OKBtn disabled
    select ComputerComboBox TestBox
    expect ServerComboBox items 2
    expect OKBtn enabled
    press escape)"),
            mrCancel);
  EXPECT_EQ(fake.calls, (Texts{"names testbox/Demo", "versions testbox/Demo Sales"}));
  EXPECT_EQ(form.ComputerSelected().As<Node>(), &testBox);
}

// An unreachable server keeps the schema and version boxes' old entries with
// nothing selected, shows no message, and leaves OK disabled; going back to
// a reachable one asks it again.
TEST_F(LoadForm, AnUnreachableServerListsNothingNewAndSelectsNothing) {
  form.SetRootFolder(&tree);
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Load database into server...'
    select ServerComboBox Spare
    expect OKBtn disabled
    expect SchemaNameComboBox items 2
    expect SchemaNameComboBox text ''
    expect SchemaVersionComboBox items 2
    expect SchemaVersionComboBox text ''
    select SchemaNameComboBox Staff
    expect OKBtn disabled
    select ServerComboBox Demo
    expect OKBtn enabled
    click OKBtn)"),
            mrOk);
  EXPECT_EQ(fake.calls, (Texts{"names testbox/Demo", "versions testbox/Demo Sales",
                               "names testbox/Spare", "versions testbox/Spare Staff",
                               "names testbox/Demo", "versions testbox/Demo Sales"}));
  EXPECT_EQ(form.ServerSelected().As<Node>(), &demo);
  EXPECT_EQ(form.SchemaName(), "Sales");
  EXPECT_EQ(form.SchemaVersion(), "1.0");
}

// Another schema name clears the chosen version before its versions are
// asked; a schema without versions leaves an empty version box and OK
// disabled, and picking a name again re-asks the server.
TEST_F(LoadForm, AnotherSchemaNameClearsTheVersionFirst) {
  form.SetRootFolder(&tree);
  std::vector<int> versionIndexWhenAsked;
  fake.beforeVersions = [&] {
    versionIndexWhenAsked.push_back(Box("SchemaVersionComboBox").ItemIndex());
  };
  EXPECT_EQ(ShowWithScript(form, R"(
    expect form 'Load database into server...'
    select SchemaVersionComboBox 1
    select SchemaNameComboBox Staff
    expect SchemaVersionComboBox items 0
    expect OKBtn disabled
    select SchemaNameComboBox Sales
    expect SchemaVersionComboBox text '1.0'
    select SchemaNameComboBox Sales
    click OKBtn)"),
            mrOk);
  EXPECT_EQ(versionIndexWhenAsked, (std::vector<int>{-1, -1, -1}));
  EXPECT_EQ(form.SchemaVersion(), "1.0");
}

TEST_F(LoadForm, TheFormListsOneTree) {
  form.SetRootFolder(&tree);
  EXPECT_THROW(form.SetRootFolder(&tree), EInvalidOperation);
  form.SetRootFolder(nullptr);
  EXPECT_EQ(Box("ComputerComboBox").Items().Count(), 3);
}

}  // namespace
