#pragma once
// The proxy interfaces of the object model: IKRProxy (every proxy),
// IKRProxyList (a list of dependents) and IKRProxyEventHandler (what proxies
// send their events to).
//
// Methods keep their documented order. Results are return values; interface
// results are counted references. Every implementation reports a failure as
// EOleSysError (EOleException), never as another exception, and sends event
// kKREventInterfaceFailure to the proxy's handlers first.
// A UniqueID is the object's own address, pointer-sized.

#include <cstdint>
#include <thread>

#include "kestrel/include/KestrelAPI.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

struct IKRProxy;
struct IKRProxyList;

inline constexpr IID IID_IKRProxy = GuidLiteral("008920B2-9336-11D1-B850-00805F49559B");
inline constexpr IID IID_IKRProxyList = GuidLiteral("BF88C441-935B-11D1-B850-00805F49559B");
inline constexpr IID IID_IKRProxyEventHandler = GuidLiteral("83262B91-CB31-11D2-8FD0-0008C70A56B5");

// Codes of the events proxies send to their handlers.
enum TKRProxyEvent : int32_t {
  kKREventAPIEvent = 0,
  kKREventBeforeRefresh = 1,
  kKREventAfterRefresh = 2,
  kKREventSignalRaised = 3,
  kKREventSignalChanged = 4,
  kKREventDataChange = 5,
  kKREventErrorCountChange = 6,
  kKREventBeforeCommit = 7,
  kKREventAfterCommit = 8,
  kKREventBeforeRollback = 9,
  kKREventAfterRollback = 10,
  kKREventReadOnlyObtained = 12,
  kKREventCommitProgress = 13,
  kKREventSessionMessage = 14,
  kKREventDatabaseOffline = 15,
  // Data: [0] exception class name, [1] message, [2] exception address,
  // [3] the proxy's class name, [4] whether the exception is silent.
  kKREventInterfaceFailure = 16,
  kKREventTrace = 17,
  kKREventErrorLog = 18,
  kKREventUpdatesAvailable = 19,
};

// Receives a proxy's events. `data` is passed by reference so that a handler
// can write an answer back into it.
struct IKRProxyEventHandler : IUnknown {
  static constexpr const IID& kIID = IID_IKRProxyEventHandler;
  virtual void ProxyEvent(IKRProxy* sender, int32_t event, OleVariant& data) = 0;
};

// A proxy: owns at most one API handle (0 when disconnected), knows its
// parent, is registered in its parent's list of dependents, connects on
// demand and disconnects its dependents before itself.
struct IKRProxy : IUnknown {
  static constexpr const IID& kIID = IID_IKRProxy;

  virtual bool Get_Connected() = 0;
  // Connects first when disconnected; the handle may still be 0.
  virtual KSHandle Get_Handle() = 0;
  virtual void Set_Handle(KSHandle handle) = 0;
  virtual void Connect() = 0;
  virtual void Disconnect() = 0;
  // Connects when disconnected; answers whether the proxy is connected.
  virtual bool CheckConnected() = 0;
  virtual ComPtr<IKRProxy> Get_Parent() = 0;
  virtual void Set_Parent(IKRProxy* parent) = 0;
  virtual ComPtr<IKRProxyList> Get_ParentProxyList() = 0;
  virtual void Set_ParentProxyList(IKRProxyList* list) = 0;
  virtual void Reconnect() = 0;
  // The code of the last failed open, 0 when none failed.
  virtual int32_t Get_LastError() = 0;
  virtual void RegisterEventHandler(IKRProxyEventHandler* handler) = 0;
  virtual void UnregisterEventHandler(IKRProxyEventHandler* handler) = 0;
  virtual void Assign_(IKRProxy* source) = 0;
  virtual void HandleAPIEvent(OleVariant& data) = 0;
  virtual bool Get_HasDependents() = 0;
  virtual intptr_t Get_UniqueID() = 0;
  // False as soon as this proxy or one of its ancestors may not release.
  virtual bool Get_HandleCanBeReleased() = 0;
  virtual void Set_HandleCanBeReleased(bool flag) = 0;
};

// The dependents of a proxy, in insertion order, keyed by UniqueID.
struct IKRProxyList : IUnknown {
  static constexpr const IID& kIID = IID_IKRProxyList;

  virtual void Disconnect() = 0;
  // A proxy added from a thread other than the list's own is held by a
  // counted reference; one added on the list's thread is not counted.
  virtual void AddProxy(IKRProxy* proxy, intptr_t uniqueID, std::thread::id threadID) = 0;
  virtual void RemoveProxy(intptr_t uniqueID) = 0;
  virtual int32_t Get_Count() = 0;
  // None when index is not below Count.
  virtual ComPtr<IKRProxy> Get_Proxies(int32_t index) = 0;
  virtual bool Get_HasDependents() = 0;
  virtual bool IsProxyInList(IKRProxy* proxy) = 0;
  virtual bool IsProxyInListByID(intptr_t uniqueID) = 0;
  virtual ComPtr<IKRProxy> Get_ProxiesByID(intptr_t uniqueID) = 0;
  // Null for an empty list, else an array 0..Count-1 of the UniqueIDs.
  virtual OleVariant Get_UniqueIDs() = 0;
  virtual intptr_t Get_UniqueID() = 0;
};
