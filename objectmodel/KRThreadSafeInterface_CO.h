#pragma once
// TKRThreadSafeInterface: keeps one interface of a proxy for a component of
// the data-set layer (a table's cursor, a component's proxy) and hands it to
// whichever thread asks for it.
//
// - Created with an interface, the wrapper registers it in the process's
//   global interface table under the given IID. When the registration fails
//   the wrapper keeps the interface itself (its own counted reference) and
//   stays unregistered. Either way the wrapper holds a counted reference to
//   the interface for as long as it lives.
// - GetThreadSafeInterface on the creating thread answers the stored
//   interface and never goes through the table. On another thread a
//   registered interface comes from the table (EOleSysError when the table
//   refuses); an unregistered one raises EKRThreadSafeInterfaceError
//   "accessing an interface which failed to be registered in the GIT, IID: "
//   and the braced IID. A wrapper created without an interface answers none
//   on every thread.
// - The destructor revokes the registration and drops the interface. A
//   revocation the table refuses (the cookie was revoked behind the
//   wrapper's back) cannot be raised from a destructor and is dropped.
//
// Threads: this platform has no apartments, so the table hands other threads
// the very object the creating thread uses. The proxies are not made safe for
// concurrent calls: they are used on the console's thread only, and another
// thread may hold what this wrapper gives it but must not call it while the
// console's thread may. The wrapper keeps no per-thread cache.

#include <cstdint>
#include <thread>

#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"
#include "platform/text/Exception.h"

KR_DECLARE_EXCEPTION(EKRThreadSafeInterfaceError, Exception);

class TKRThreadSafeInterface {
 public:
  // The cookie of a wrapper that is not registered.
  static constexpr DWORD kNotRegistered = DWORD(-1);

  // `object` is the interface `iid` of its object (as QueryInterface(iid)
  // answers it), or null.
  TKRThreadSafeInterface(IUnknown* object, const IID& iid);
  template <class T>
  explicit TKRThreadSafeInterface(const ComPtr<T>& object)
      : TKRThreadSafeInterface(object.Get(), T::kIID) {}
  ~TKRThreadSafeInterface();
  TKRThreadSafeInterface(const TKRThreadSafeInterface&) = delete;
  TKRThreadSafeInterface& operator=(const TKRThreadSafeInterface&) = delete;

  // The interface for the calling thread (see above); none when the wrapper
  // holds none. The pointer is the interface InterfaceID() names.
  ComPtr<IUnknown> GetThreadSafeInterface() const;
  // The same, typed: T must be the interface the wrapper was created for
  // (EKRThreadSafeInterfaceError otherwise).
  template <class T>
  ComPtr<T> GetThreadSafeInterface() const {
    CheckInterfaceID(T::kIID);
    return ComPtr<T>(static_cast<T*>(GetThreadSafeInterface().Get()));
  }

  const IID& InterfaceID() const { return FIID; }
  // The registration's cookie in the table, kNotRegistered without one.
  DWORD Cookie() const { return FCookie; }
  bool IsRegistered() const { return FCookie != kNotRegistered; }

 private:
  void CheckInterfaceID(const IID& iid) const;

  DWORD FCookie = kNotRegistered;
  IID FIID;
  std::thread::id FThreadID;
  ComPtr<IUnknown> FInterface;
};
