#pragma once
// TComServer: the in-process COM server that a module is. It holds the
// module's type library description and its class factories (registered
// by the factories themselves, uncounted: the module owns them), answers
// class-object requests, counts what keeps the module loaded, and writes or
// removes the registry keys of the type library and of every class.
//
// The module stays loaded while an object it made is alive, a LockServer
// lock is held, or a client holds a reference to one of its factories.
// Factories are added and removed only while the module loads and unloads;
// the counts may change on any thread.

#include <atomic>
#include <string>
#include <vector>

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "snapin/TypeLibrary.h"

class TAutoObjectFactory;

class TComServer {
 public:
  explicit TComServer(TTypeLibrary typeLibrary);
  TComServer(const TComServer&) = delete;
  TComServer& operator=(const TComServer&) = delete;

  const TTypeLibrary& TypeLib() const { return FTypeLib; }
  // The type library's name, the first part of every class's ProgID.
  const std::string& ServerName() const { return FTypeLib.Name; }
  // The full file name of the module that holds the server, as it is.
  std::string ServerFileName() const;

  void AddObjectFactory(TAutoObjectFactory& factory);
  void RemoveObjectFactory(TAutoObjectFactory& factory);
  // The factory of a class, or null.
  TAutoObjectFactory* FindFactory(const CLSID& classID) const;

  // DllGetClassObject: the factory's interface `iid`, CLASS_E_CLASSNOTAVAILABLE
  // for a class the server has no factory for (out-parameter null).
  HRESULT GetClassObject(const CLSID& classID, const IID& iid, void** object) const;
  // DllCanUnloadNow: S_OK when nothing keeps the module loaded, else S_FALSE.
  HRESULT CanUnloadNow() const;
  // DllRegisterServer (true) and DllUnregisterServer (false): the type
  // library first and then every class, or every class first and then the
  // type library. Answers S_OK, SELFREG_E_TYPELIB when the type library's
  // keys failed or SELFREG_E_CLASS when a class's keys failed; raises nothing.
  HRESULT UpdateRegistry(bool doRegister);

  // An object made by the server was created (true) or destroyed (false).
  void CountObject(bool created);
  int ObjectCount() const { return FObjectCount.load(); }
  // Takes (true) or drops (false) a lock; dropping a lock that is not held
  // answers E_UNEXPECTED and changes nothing.
  HRESULT LockServer(bool lock);
  int LockCount() const { return FLockCount.load(); }

 private:
  TTypeLibrary FTypeLib;
  std::vector<TAutoObjectFactory*> FFactories;
  std::atomic<int> FObjectCount{0};
  std::atomic<int> FLockCount{0};
};

// Counts one live object of the server for as long as it exists.
class TServerObjectCount {
 public:
  explicit TServerObjectCount(TComServer& server) : FServer(server) { FServer.CountObject(true); }
  ~TServerObjectCount() { FServer.CountObject(false); }
  TServerObjectCount(const TServerObjectCount&) = delete;
  TServerObjectCount& operator=(const TServerObjectCount&) = delete;

 private:
  TComServer& FServer;
};

// An object of class T (a ComObject) that its server counts: the count is
// taken before T is constructed and dropped after T is destroyed.
template <class T>
class TServerObject final : private TServerObjectCount, public T {
 public:
  explicit TServerObject(TComServer& server) : TServerObjectCount(server) {}
};
