#pragma once
// IPersist and IPersistStream: an object that saves itself into a stream and
// loads itself from one. IsDirty answers S_OK when the object changed since
// it was last saved and S_FALSE otherwise.

#include "platform/com/Stream.h"
#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

extern const IID IID_IPersist;
extern const IID IID_IPersistStream;

struct IPersist : IUnknown {
  static constexpr const IID& kIID = IID_IPersist;

  virtual HRESULT GetClassID(CLSID* classID) = 0;

 protected:
  ~IPersist() = default;
};

struct IPersistStream : IPersist {
  static constexpr const IID& kIID = IID_IPersistStream;
  using BaseInterface = IPersist;

  virtual HRESULT IsDirty() = 0;
  virtual HRESULT Load(IStream* stream) = 0;
  virtual HRESULT Save(IStream* stream, BOOL clearDirty) = 0;
  virtual HRESULT GetSizeMax(ULARGE_INTEGER* size) = 0;

 protected:
  ~IPersistStream() = default;
};
