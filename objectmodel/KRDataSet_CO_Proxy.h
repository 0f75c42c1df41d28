#pragma once
// TKRProxyInterface<I>: the machinery every proxy shares, implementing the
// IKRProxy part of its interface I (IKRProxy or an interface extending it).
// A concrete proxy supplies AssignHandle and ReleaseHandle, the hooks it
// needs, and its own interface methods, each run through Guard.
//
// Life cycle. The handle is 0 (disconnected) after construction and after
// every disconnect. Connecting calls AssignHandle, which asks the parent's
// CheckConnected first, so the missing ancestors connect from the top down.
// Disconnecting disconnects the dependents first (DisconnectDependents), so
// the deepest proxies go first; the handle is released through the library
// only when this proxy and every ancestor may release (HandleCanBeReleased),
// otherwise it is dropped. A proxy holds a counted reference to its parent
// and to the list it is registered in; the list refers to it uncounted.
// When the last reference goes the proxy frees its handler list, then
// disconnects, releases its dependents, leaves its parent and its list, with
// its full class behaviour still in place.
//
// Event handlers are not counted; a handler unregisters before it goes.
//
// A proxy class whose descendants extend its interface is itself a template
// over the interface, as this one is: TKRXInterface<I = IKRX> derives from
// TKRProxyInterface<I>, so that one object implements the whole chain.

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <type_traits>
#include <vector>

#include "objectmodel/KRDataSet_CO_Boundary.h"
#include "objectmodel/KRDataSet_CO_Functions.h"
#include "objectmodel/KRDataSet_CO_Interfaces.h"

template <class I>
class TKRProxyInterface : public TKRAutoIntfObject<I>, private TKRFailureReporter {
  static_assert(std::is_base_of_v<IKRProxy, I>, "a proxy's interface extends IKRProxy");

 public:
  bool Get_Connected() override {
    return Guard([&] { return FHandle != 0; });
  }
  KSHandle Get_Handle() override {
    return Guard([&] {
      if (!Get_Connected()) Connect();
      return FHandle;
    });
  }
  void Set_Handle(KSHandle handle) override {
    Guard([&] { FHandle = handle; });
  }
  void Connect() override {
    Guard([&] {
      if (Get_Connected()) return;
      AssignHandle();
      if (Get_Connected()) FHandleCanBeReleased = true;
    });
  }
  void Disconnect() override {
    Guard([&] {
      if (!Get_Connected()) return;
      BeforeDisconnect();
      InternalDisconnect();
      AfterDisconnect();
    });
  }
  bool CheckConnected() override {
    return Guard([&] {
      if (!Get_Connected()) Connect();
      return Get_Connected();
    });
  }
  ComPtr<IKRProxy> Get_Parent() override {
    return Guard([&] { return FParent; });
  }
  void Set_Parent(IKRProxy* parent) override {
    Guard([&] {
      if (AreProxiesEqual(FParent.Get(), parent)) return;
      if (FParent) {
        Set_ParentProxyList(nullptr);
        Disconnect();
        FParent.Reset();
      }
      FParent = parent;
    });
  }
  ComPtr<IKRProxyList> Get_ParentProxyList() override {
    return Guard([&] { return FParentProxyList; });
  }
  void Set_ParentProxyList(IKRProxyList* list) override {
    Guard([&] {
      if (AreProxyListsEqual(FParentProxyList.Get(), list)) return;
      if (FParentProxyList) FParentProxyList->RemoveProxy(Get_UniqueID());
      FParentProxyList = list;
      if (FParentProxyList) {
        FParentProxyList->AddProxy(this, Get_UniqueID(), std::this_thread::get_id());
      }
    });
  }
  void Reconnect() override {
    Guard([&] {
      Disconnect();
      Connect();
    });
  }
  int32_t Get_LastError() override {
    return Guard([&] { return FLastError; });
  }
  void RegisterEventHandler(IKRProxyEventHandler* handler) override {
    Guard([&] {
      if (!FEventHandlers) FEventHandlers = std::make_unique<std::vector<IKRProxyEventHandler*>>();
      if (!IsRegistered(handler)) FEventHandlers->push_back(handler);
    });
  }
  void UnregisterEventHandler(IKRProxyEventHandler* handler) override {
    Guard([&] {
      if (!FEventHandlers) return;
      std::erase(*FEventHandlers, handler);
      if (FEventHandlers->empty()) FEventHandlers.reset();
    });
  }
  void Assign_(IKRProxy*) override {
    Guard([] {});
  }
  void HandleAPIEvent(OleVariant&) override {
    Guard([] {});
  }
  bool Get_HasDependents() override {
    return Guard([] { return false; });
  }
  intptr_t Get_UniqueID() override {
    return Guard([&] { return reinterpret_cast<intptr_t>(static_cast<IKRProxy*>(this)); });
  }
  // Walks the parents as Get_Parent answers them, so that a proxy whose
  // parent is not its FParent (a session's root transaction) still follows
  // its ancestors' loss of the right to release.
  bool Get_HandleCanBeReleased() override {
    return Guard([&] {
      if (!FHandleCanBeReleased) return false;
      const ComPtr<IKRProxy> parent = Get_Parent();
      return !parent || parent->Get_HandleCanBeReleased();
    });
  }
  void Set_HandleCanBeReleased(bool flag) override {
    Guard([&] { FHandleCanBeReleased = flag; });
  }

  // Calls each registered handler, in registration order, with this proxy,
  // the event code and the data. A handler may unregister itself or another
  // one while it runs; a handler unregistered before its turn is not called.
  void SendEvent(int32_t event, OleVariant& data) {
    if (!FEventHandlers) return;
    const std::vector<IKRProxyEventHandler*> handlers = *FEventHandlers;
    for (IKRProxyEventHandler* handler : handlers) {
      if (IsRegistered(handler)) handler->ProxyEvent(this, event, data);
    }
  }

  // The count is mirrored here so that the destruction steps run while the
  // object is still whole (ComObject deletes it when its own count ends).
  uint32_t AddRef() override {
    FReferences.fetch_add(1, std::memory_order_relaxed);
    return TKRAutoIntfObject<I>::AddRef();
  }
  uint32_t Release() override {
    if (FReferences.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      FReferences.store(kDestroying, std::memory_order_relaxed);
      BeforeDestruction();
    }
    return TKRAutoIntfObject<I>::Release();
  }

 protected:
  TKRProxyInterface() = default;

  // Obtains the handle (or leaves it 0, setting FLastError as the proxy's
  // open rules say); asks the parent's CheckConnected first.
  virtual void AssignHandle() = 0;
  // Releases FHandle through the library.
  virtual void ReleaseHandle() = 0;
  // Drops the references to the dependents lists (at destruction).
  virtual void ReleaseDependents() {}
  // Disconnects every dependent.
  virtual void DisconnectDependents() {}
  virtual void BeforeDisconnect() {}
  virtual void AfterDisconnect() {}

  using TKRAutoIntfObject<I>::Guard;

  // The typed parent setters: makes `parent` this proxy's parent and
  // registers this proxy in the parent's dependents list that `list` names
  // (nothing when `parent` is already the parent; no list when it is null).
  template <class P, class Owner>
  void SetParentAndJoin(P* parent, ComPtr<IKRProxyList> (Owner::*list)()) {
    Guard([&] {
      if (AreProxiesEqual(FParent.Get(), parent)) return;
      Set_Parent(parent);
      if (parent != nullptr) Set_ParentProxyList((parent->*list)().Get());
    });
  }

  KSHandle FHandle = 0;
  ComPtr<IKRProxy> FParent;
  ComPtr<IKRProxyList> FParentProxyList;
  int32_t FLastError = 0;
  std::unique_ptr<std::vector<IKRProxyEventHandler*>> FEventHandlers;
  bool FHandleCanBeReleased = false;

 private:
  static constexpr uint32_t kDestroying = 1u << 30;

  // Failures caught at the interface go to the handlers as event 16.
  TKRFailureReporter* FailureReporter() override { return this; }
  void ReportInterfaceFailure(OleVariant& data) override {
    SendEvent(kKREventInterfaceFailure, data);
  }

  bool IsRegistered(IKRProxyEventHandler* handler) const {
    return FEventHandlers && std::find(FEventHandlers->begin(), FEventHandlers->end(), handler) !=
                                 FEventHandlers->end();
  }

  void InternalDisconnect() {
    DisconnectDependents();
    const bool mayRelease = Get_HandleCanBeReleased();
    struct DropHandle {
      TKRProxyInterface& proxy;
      ~DropHandle() {
        proxy.FHandle = 0;
        proxy.FHandleCanBeReleased = false;
      }
    } dropHandle{*this};
    if (mayRelease) ReleaseHandle();
  }

  // The destruction steps; a failure of one does not keep the others from
  // running, and none leaves the release.
  void BeforeDestruction() {
    FEventHandlers.reset();
    auto step = [](auto&& action) {
      try {
        action();
      } catch (...) {
      }
    };
    step([&] { Disconnect(); });
    step([&] { ReleaseDependents(); });
    step([&] { Set_Parent(nullptr); });
    // A proxy registered in a list without having a parent leaves it too, so
    // that the list never refers to a destroyed proxy.
    step([&] { Set_ParentProxyList(nullptr); });
  }

  std::atomic<uint32_t> FReferences{0};
};
