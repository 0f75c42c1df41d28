#pragma once
// ComPtr<T>: one counted reference to an interface (or to an object derived
// from ComObject). Copying adds a reference, destruction and Reset drop it.
// A raw pointer never leaks out implicitly: Get() borrows, Detach() hands the
// reference over, CopyTo() fills an out-parameter with a new reference, and
// ReleaseAndGetAddressOf() drops the current reference before an API fills it.

#include <cstddef>
#include <type_traits>
#include <utility>

#include "platform/com/Unknown.h"

template <class T>
class ComPtr {
 public:
  using InterfaceType = T;

  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  // Takes a new reference to `p`.
  template <class U>
  requires std::is_convertible_v<U*, T*> ComPtr(U* p)
  noexcept : p_(p) { InternalAddRef(); }
  ComPtr(const ComPtr& other) noexcept : p_(other.p_) { InternalAddRef(); }
  template <class U>
  requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other)
  noexcept : p_(other.Get()) { InternalAddRef(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class U>
  requires std::is_convertible_v<U*, T*> ComPtr(ComPtr<U>&& other)
  noexcept : p_(other.Detach()) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(ComPtr other) noexcept {
    Swap(other);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) noexcept {
    Reset();
    return *this;
  }

  T* Get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  // Drops the reference held.
  void Reset() noexcept {
    T* old = std::exchange(p_, nullptr);
    if (old != nullptr) old->Release();
  }
  // Takes over a reference the caller already owns (no AddRef).
  void Attach(T* p) noexcept {
    T* old = std::exchange(p_, p);
    if (old != nullptr) old->Release();
  }
  // Hands the reference to the caller, who must release it.
  [[nodiscard]] T* Detach() noexcept { return std::exchange(p_, nullptr); }
  void Swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

  // For out-parameters: drops the current reference and answers the slot an
  // API fills with a reference it owns.
  T** ReleaseAndGetAddressOf() noexcept {
    Reset();
    return &p_;
  }
  // The same slot typed for QueryInterface-style out-parameters.
  void** ReleaseAndGetVoidAddress() noexcept {
    return reinterpret_cast<void**>(ReleaseAndGetAddressOf());
  }

  // Fills an out-parameter with a new reference (E_POINTER for null `out`).
  template <class U>
  requires std::is_convertible_v<T*, U*> HRESULT CopyTo(U** out)
  const noexcept {
    if (out == nullptr) return E_POINTER;
    *out = p_;
    if (p_ != nullptr) p_->AddRef();
    return S_OK;
  }
  // Answers the interface `iid` of the held object through `out`.
  HRESULT CopyTo(const IID& iid, void** out) const noexcept {
    if (out == nullptr) return E_POINTER;
    if (p_ == nullptr) {
      *out = nullptr;
      return E_POINTER;
    }
    return p_->QueryInterface(iid, out);
  }

  // QueryInterface for U: S_OK and the reference in `out`, or the failure
  // (E_POINTER for an empty ComPtr) and an empty `out`.
  template <class U>
  HRESULT As(ComPtr<U>& out) const noexcept {
    if (p_ == nullptr) {
      out.Reset();
      return E_POINTER;
    }
    return p_->QueryInterface(U::kIID, out.ReleaseAndGetVoidAddress());
  }
  // QueryInterface for U; empty when the object does not offer it.
  template <class U>
  ComPtr<U> As() const noexcept {
    ComPtr<U> out;
    As(out);
    return out;
  }

  friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.p_ == b.p_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }
  friend bool operator==(const ComPtr& a, const T* b) noexcept { return a.p_ == b; }

 private:
  void InternalAddRef() const noexcept {
    if (p_ != nullptr) p_->AddRef();
  }

  T* p_ = nullptr;
};

// Creates a COM object and answers the first counted reference to it.
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

// True when both pointers reach the same object: their IUnknown identities
// are equal (two null pointers are the same object).
inline bool IsSameObject(IUnknown* a, IUnknown* b) {
  if (a == nullptr || b == nullptr) return a == b;
  ComPtr<IUnknown> ua;
  ComPtr<IUnknown> ub;
  a->QueryInterface(IID_IUnknown, ua.ReleaseAndGetVoidAddress());
  b->QueryInterface(IID_IUnknown, ub.ReleaseAndGetVoidAddress());
  return ua == ub;
}
