#pragma once
// Proxies for the tests of the proxy base: a three-level tree (server, meta,
// session) over the scripted Database API, and an event handler that
// records what it receives.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "objectmodel/KRAPI_UNT_Fake.h"
#include "objectmodel/KRAPI_UNT_Strings.h"
#include "objectmodel/KRDataSet_CO.h"
#include "objectmodel/KRDataSet_CO_RecordingHandler_test.h"

namespace kr_test {

enum class TTestLevel { Server, Meta, Session };

// A proxy whose handle comes from KSConnectServer, KSSearchMeta or
// KSCreateSession by level, with a dependents list of its own. `failure`,
// when set, runs at the start of AssignHandle (to raise in it).
class TTestProxy : public TKRProxyInterface<IKRProxy> {
 public:
  TTestProxy(TTestLevel level, std::u16string name)
      : FLevel(level), FName(std::move(name)), FDependents(MakeComObject<TKRProxyList>()) {
    ++LiveCount();
  }
  ~TTestProxy() override { --LiveCount(); }

  static int& LiveCount() {
    static int count = 0;
    return count;
  }

  // Sets the parent and registers in the parent's dependents list.
  void SetOwner(TTestProxy* parent) {
    Set_Parent(parent);
    if (parent != nullptr) Set_ParentProxyList(parent->Dependents());
  }
  IKRProxyList* Dependents() const { return FDependents.Get(); }
  KSHandle RawHandle() const { return FHandle; }
  bool Get_HasDependents() override {
    return Guard([&] { return !IsProxyListEmpty(FDependents.Get()); });
  }

  std::function<void()> failure;

 protected:
  void AssignHandle() override {
    if (failure) failure();
    const TKRAPITable& api = KRAPI();
    const TKRAPIString name = ConvertWideStringToAPIString(FName);
    switch (FLevel) {
      case TTestLevel::Server:
        FHandle = api.KSConnectServer(ConvertWideStringToAPIString(u"host"), name);
        if (FHandle == 0) FLastError = api.KSGetLastConnectError();
        break;
      case TTestLevel::Meta:
        if (FParent && FParent->CheckConnected()) {
          FHandle =
              api.KSSearchMeta(FParent->Get_Handle(), name, ConvertWideStringToAPIString(u"1"));
        }
        break;
      case TTestLevel::Session:
        if (FParent && FParent->CheckConnected()) {
          const ComPtr<IKRProxy> server = FParent->Get_Parent();
          FHandle = api.KSCreateSession(server->Get_Handle(), name, nullptr, nullptr,
                                        FParent->Get_Handle(), nullptr);
          if (FHandle == 0) FLastError = api.KSGetLastSessionError();
        }
        break;
    }
  }
  void ReleaseHandle() override {
    const TKRAPITable& api = KRAPI();
    switch (FLevel) {
      case TTestLevel::Server:
        api.KSDisconnectServer(FHandle);
        break;
      case TTestLevel::Meta:
        api.KSReleaseMeta(FHandle);
        break;
      case TTestLevel::Session:
        api.KSReleaseSession(FHandle);
        break;
    }
  }
  void DisconnectDependents() override {
    if (FDependents) FDependents->Disconnect();
  }
  void ReleaseDependents() override { FDependents.Reset(); }

 private:
  TTestLevel FLevel;
  std::u16string FName;
  ComPtr<IKRProxyList> FDependents;
};

// The scripted API with handles: servers 1, metas 10, 11, ..., sessions
// 100, 101, ...
class TTestAPI : public TKRFakeAPI {
 public:
  TTestAPI() {
    On<TKRAPIFunction::KSConnectServer>([](TKRAPIString, TKRAPIString) { return KSHandle(1); });
    On<TKRAPIFunction::KSSearchMeta>(
        [this](KSHandle, TKRAPIString, TKRAPIString) { return KSHandle(10 + metas++); });
    On<TKRAPIFunction::KSCreateSession>(
        [this](KSHandle, TKRAPIString, TKRAPIString, TKRAPIString, KSHandle, TKRAPIString) {
          return KSHandle(100 + sessions++);
        });
    ClearCalls();
  }
  int metas = 0;
  int sessions = 0;
};

// A server, a meta under it and a session under the meta.
struct TTestTree {
  TTestTree()
      : server(MakeComObject<TTestProxy>(TTestLevel::Server, u"srv")),
        meta(MakeComObject<TTestProxy>(TTestLevel::Meta, u"m")),
        session(MakeComObject<TTestProxy>(TTestLevel::Session, u"user")) {
    meta->SetOwner(server.Get());
    session->SetOwner(meta.Get());
  }
  ComPtr<TTestProxy> server;
  ComPtr<TTestProxy> meta;
  ComPtr<TTestProxy> session;
};

}  // namespace kr_test
