#pragma once
// IClassFactory: creates instances of one class for a module's clients.
// CreateInstance answers CLASS_E_NOAGGREGATION when `outer` is not null and
// the class cannot be aggregated; LockServer(TRUE/FALSE) keeps the module
// loaded while a client holds the lock.

#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_IClassFactory = GuidLiteral("00000001-0000-0000-C000-000000000046");

struct IClassFactory : IUnknown {
  static constexpr const IID& kIID = IID_IClassFactory;

  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};
