// The fixture of the tests that work through the component data and a
// component over the real Database API library and the demo server that
// kestrel-admin seeds in a temporary $KESTREL_HOME: the recording console,
// a scripted user, and the demo server registered under the workstation
// localhost.
#pragma once

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "objectmodel/KRDataSet_CO_DemoServer_test.h"
#include "platform/com/DataObject.h"
#include "platform/ui/ScriptPresenter.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent.h"
#include "snapin/KRDBMComponent_TestConsole.h"

class TDemoConsoleTest : public kr_session_test::TDemoServerTest {
 protected:
  void SetUp() override {
    TDemoServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_EQ(data_->Initialize(console_->UnknownSelf()), S_OK);
    ComPtr<IComponent> created;
    ASSERT_EQ(data_->CreateComponent(created.ReleaseAndGetAddressOf()), S_OK);
    component_ = static_cast<TIComponent*>(created.Get());
    ASSERT_EQ(component_->Initialize(console_.Get()), S_OK);
    Expand(*data_->GetRootFolder());
    Expand(Workstations());
  }

  TKRFolder& Workstations() { return *data_->GetRootFolder()->Childs()[0]; }
  TKRFolder& DatabaseGroups() { return *data_->GetRootFolder()->Childs()[1]; }

  ComPtr<IDataObject> DataOf(MMC_COOKIE cookie, DATA_OBJECT_TYPES type) {
    ComPtr<IDataObject> object;
    EXPECT_EQ(component_->QueryDataObject(cookie, type, object.ReleaseAndGetAddressOf()), S_OK);
    return object;
  }
  void Expand(const TKRFolder& folder) {
    const HSCOPEITEM handle = folder.Cookie() == 0 ? 500 : folder.ScopeItem()->ID;
    ASSERT_EQ(data_->Notify(DataOf(folder.Cookie(), CCT_SCOPE).Get(), MMCN_EXPAND, TRUE, handle),
              S_OK);
  }
  // The user's refresh of a node's listing.
  void Refresh(const TKRFolder& folder) {
    component_->Refresh(DataOf(folder.Cookie(), CCT_SCOPE).Get(), kRefreshAll);
  }
  void Run(TKRMenuCommand command, MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
           const std::string& script) {
    TScriptPresenter presenter(script);
    TPresenterScope scope(presenter);
    EXPECT_EQ(component_->Command(command, DataOf(cookie, type).Get()), S_OK);
    EXPECT_EQ(presenter.Verify(), "") << "command " << command;
  }
  void Run(TKRMenuCommand command, const TKRFolder& node, const std::string& script = "") {
    Run(command, node.Cookie(), CCT_SCOPE, script);
  }

  static TKRFolder& Child(const TKRFolder& folder, const std::string& name) {
    for (const auto& child : folder.Childs()) {
      if (child->ColumnText(0) == name) return *child;
    }
    throw std::runtime_error("no folder " + name + " under " + folder.ColumnText(0));
  }

  // Registers the workstation localhost with the demo server.
  TKRFolder& RegisterDemoServer() {
    Run(krmcAddWorkstation, Workstations(),
        "expect form 'Add Workstation...'; set NameEdit to localhost; press enter");
    TKRFolder& workstation = Child(Workstations(), "localhost");
    Expand(workstation);
    TKRFolder& servers = *workstation.Childs()[0];
    Run(krmcAddServer, servers,
        "expect form 'Add Server...'; set NameEdit to KestrelOS20; press enter");
    TKRFolder& server = Child(servers, "KestrelOS20");
    Refresh(server);
    return server;
  }

  std::string Archive(const std::string& name) const {
    return demo.Home() + "/servers/KestrelOS20/databases/" + name + ".dmp";
  }

  ComPtr<TKRComponentData> data_ = MakeComObject<TKRComponentData>();
  ComPtr<FakeConsole> console_ = MakeComObject<FakeConsole>();
  ComPtr<TIComponent> component_;
};
