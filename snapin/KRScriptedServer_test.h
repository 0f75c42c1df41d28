// The scripted server OS1 on host pc7 that the snap-in's unit tests browse,
// and the fixture of the tests that browse it through the component data.
//
// ScriptServerOS1:
// it connects (as `connection`) while `reachable` holds, answers "no such
// server" otherwise, lists the schemas of `metas` in the order of
// `handles`, and finds a schema of `metas` by name and version. The arguments are the fixture's own
// members and must outlive the fake API's use of them.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "platform/testing/TestFiles.h"
#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent_TestConsole.h"

using TScriptedMetas = std::map<KSHandle, std::pair<std::u16string, std::u16string>>;

inline void ScriptServerOS1(TKRFakeAPI& api, KSHandle connection, const bool& reachable,
                            const std::vector<KSHandle>& handles, const TScriptedMetas& metas) {
  api.On<TKRAPIFunction::KSConnectServer>(
      [connection, &reachable](const char16_t* host, const char16_t* server) {
        const bool known =
            reachable && std::u16string(host) == u"pc7" && std::u16string(server) == u"OS1";
        return known ? connection : KSHandle(0);
      });
  api.On<TKRAPIFunction::KSGetLastConnectError>([] { return KSStatus(KS_ERR_NO_SUCH_SERVER); });
  api.On<TKRAPIFunction::KSGetAvailableMetas>([&handles](KSHandle, int32_t* count) {
    *count = static_cast<int32_t>(handles.size());
    return handles.data();
  });
  api.On<TKRAPIFunction::KSGetMetaName>(
      [&metas](KSHandle meta) { return metas.at(meta).first.c_str(); });
  api.On<TKRAPIFunction::KSGetMetaVersion>(
      [&metas](KSHandle meta) { return metas.at(meta).second.c_str(); });
  api.On<TKRAPIFunction::KSSearchMeta>(
      [&metas](KSHandle, const char16_t* name, const char16_t* version) {
        for (const auto& [handle, meta] : metas) {
          if (meta.first == name && meta.second == version) return handle;
        }
        return KSHandle(0);
      });
}

// The fixture of the tests that browse OS1 through the component data: a
// component data on a recording console, on the local computer PC7; OS1
// lists the schemas B 1.0, A 2.0 and A 1.0 in that order, and every schema
// the databases Sales and Archive. A test may change what the server
// answers through the members before it asks.
class TScriptedServerTest : public ::testing::Test {
 protected:
  static constexpr KSHandle kConnection = 7;

  void SetUp() override {
    ASSERT_EQ(data_->Initialize(console_->UnknownSelf()), S_OK);
    ScriptServerOS1(api_, kConnection, reachable_, metaHandles_, metas_);
    api_.On<TKRAPIFunction::KSGetAvailableDatabases>([this](KSHandle, KSHandle, int32_t* count) {
      *count = static_cast<int32_t>(databases_.size());
      return databases_.data();
    });
  }

  // The console's first expansion of `folder`, which has the scope item
  // `handle`.
  void Expand(const TKRFolder& folder, HSCOPEITEM handle) {
    ComPtr<IDataObject> object;
    data_->QueryDataObject(folder.Cookie(), CCT_SCOPE, object.ReleaseAndGetAddressOf());
    data_->Notify(object.Get(), MMCN_EXPAND, TRUE, handle);
  }

  // A server folder OS1 under the local workstation's "Servers", with the
  // folders above it expanded and shown in the console.
  TKRFolder& ShownServerFolder() {
    TKRFolder& workstations = *data_->GetRootFolder()->Childs()[0];
    Expand(*data_->GetRootFolder(), 500);
    Expand(workstations, workstations.ScopeItem()->ID);
    TKRFolder& local = *workstations.Childs()[0];
    Expand(local, local.ScopeItem()->ID);
    TKRFolder& servers = *local.Childs()[0];
    auto server = std::make_unique<TKRFolder>();
    server->Init("OS1", 5, 5, krftServer, true);
    TKRFolder* folder = TKRFolder::SetParent(std::move(server), servers);
    Expand(servers, servers.ScopeItem()->ID);
    return *folder;
  }

  // The first column of each child folder.
  static std::vector<std::string> Names(const TKRFolder& folder) {
    std::vector<std::string> names;
    for (const auto& child : folder.Childs()) names.push_back(child->ColumnText(0));
    return names;
  }

  ScopedEnv computer_{"VAZERIR_COMPUTERNAME", "PC7"};
  TKRFakeAPI api_;
  ComPtr<TKRComponentData> data_ = MakeComObject<TKRComponentData>();
  ComPtr<FakeConsole> console_ = MakeComObject<FakeConsole>();
  TScriptedMetas metas_ = {{13, {u"B", u"1.0"}}, {12, {u"A", u"2.0"}}, {11, {u"A", u"1.0"}}};
  std::vector<KSHandle> metaHandles_ = {13, 12, 11};
  std::vector<const char16_t*> databases_ = {u"Sales", u"Archive"};
  bool reachable_ = true;
};
