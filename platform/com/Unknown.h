#pragma once
// IUnknown, the root of every interface, and ComObject, the implementation of
// IUnknown for objects that offer one or more interfaces.
//
// Every interface names its identifier and, when it extends an interface
// other than IUnknown, its parent, so that ComObject answers QueryInterface
// for the whole chain:
//
//   struct IStream : ISequentialStream {
//     static constexpr const IID& kIID = IID_IStream;
//     using BaseInterface = ISequentialStream;
//     ...
//   };
//
// Interfaces are not deleted through: their destructor is protected. An
// object's lifetime belongs to its reference count.

#include <atomic>
#include <cstdint>

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

inline constexpr IID IID_IUnknown = GuidLiteral("00000000-0000-0000-C000-000000000046");

struct IUnknown {
  static constexpr const IID& kIID = IID_IUnknown;

  // Answers S_OK and an added reference in *object when the object offers the
  // interface `iid`; otherwise E_NOINTERFACE and null (E_POINTER for null).
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  // Both answer the new count; the object deletes itself when it reaches 0.
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

namespace com_detail {

template <class I>
concept HasBaseInterface = requires {
  typename I::BaseInterface;
};

// The interface pointer for `iid` if `iid` is I or one of I's parents.
template <class I>
void* MatchInterface(I* object, const IID& iid) {
  if (iid == I::kIID) return object;
  if constexpr (HasBaseInterface<I>) {
    return MatchInterface<typename I::BaseInterface>(object, iid);
  } else {
    return nullptr;
  }
}

template <class First, class...>
struct FirstOf {
  using type = First;
};

}  // namespace com_detail

// Implements IUnknown for an object offering `Interfaces` (each derived from
// IUnknown). The count starts at 0: the first counted reference (a ComPtr, or
// an out-parameter filled by QueryInterface) owns the object. The count is
// atomic, so references may be taken and dropped on any thread; the object is
// deleted exactly once, when the count reaches 0, and references taken and
// dropped again by its own destructor do not delete it a second time.
template <class... Interfaces>
class ComObject : public Interfaces... {
  static_assert(sizeof...(Interfaces) > 0, "a COM object offers at least one interface");
  using Primary = typename com_detail::FirstOf<Interfaces...>::type;

 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = FindInterface(iid);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  uint32_t AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }

  uint32_t Release() override {
    const uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) {
      // Keeps self-references made during destruction from reaching 0 again.
      refs_.store(kDestroying, std::memory_order_relaxed);
      delete this;
    }
    return left;
  }

  // This object as its primary IUnknown (the one every QueryInterface for
  // IID_IUnknown answers, so identities compare equal).
  IUnknown* UnknownSelf() { return static_cast<Primary*>(this); }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

  // The interface pointer for `iid`, or null. Classes that offer further
  // interfaces override it and fall back to this one.
  virtual void* FindInterface(const IID& iid) {
    if (iid == IID_IUnknown) return UnknownSelf();
    void* found = nullptr;
    ((found = found ? found : com_detail::MatchInterface<Interfaces>(this, iid)), ...);
    return found;
  }

 private:
  static constexpr uint32_t kDestroying = 1u << 30;
  std::atomic<uint32_t> refs_{0};
};
