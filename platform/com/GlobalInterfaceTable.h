#pragma once
// The global interface table: a process-wide registry that keeps a counted
// reference to an interface under a cookie, so that another thread can get
// the interface back by cookie. Register takes a reference to the object (as
// QueryInterface for `iid` gives it: E_NOINTERFACE when it has none) and
// answers a nonzero cookie never handed out before; Get answers a new
// reference for the asked interface; Revoke drops the table's reference.
// Unknown cookies answer E_INVALIDARG. All methods are thread-safe, and no
// object's own code runs while the table is locked.

#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_IGlobalInterfaceTable =
    GuidLiteral("00000146-0000-0000-C000-000000000046");
inline constexpr CLSID CLSID_StdGlobalInterfaceTable =
    GuidLiteral("00000323-0000-0000-C000-000000000046");

struct IGlobalInterfaceTable : IUnknown {
  static constexpr const IID& kIID = IID_IGlobalInterfaceTable;

  virtual HRESULT RegisterInterfaceInGlobal(IUnknown* object, const IID& iid, DWORD* cookie) = 0;
  virtual HRESULT RevokeInterfaceFromGlobal(DWORD cookie) = 0;
  virtual HRESULT GetInterfaceFromGlobal(DWORD cookie, const IID& iid, void** object) = 0;

 protected:
  ~IGlobalInterfaceTable() = default;
};

// The process's table. It lives as long as the process; counting references
// to it is allowed and has no effect on its lifetime.
ComPtr<IGlobalInterfaceTable> GetGlobalInterfaceTable();
