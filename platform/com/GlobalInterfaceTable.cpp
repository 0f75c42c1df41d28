#include "platform/com/GlobalInterfaceTable.h"

#include <mutex>
#include <unordered_map>

namespace {

class Table final : public IGlobalInterfaceTable {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IGlobalInterfaceTable) {
      *object = static_cast<IGlobalInterfaceTable*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return 2; }
  uint32_t Release() override { return 1; }

  HRESULT RegisterInterfaceInGlobal(IUnknown* object, const IID& iid, DWORD* cookie) override {
    if (cookie == nullptr) return E_INVALIDARG;
    *cookie = 0;
    if (object == nullptr) return E_INVALIDARG;
    ComPtr<IUnknown> held;
    const HRESULT hr = object->QueryInterface(iid, held.ReleaseAndGetVoidAddress());
    if (FAILED(hr)) return hr;
    std::lock_guard lock(mutex_);
    do {
      ++last_;
    } while (last_ == 0 || entries_.contains(last_));
    entries_.emplace(last_, std::move(held));
    *cookie = last_;
    return S_OK;
  }

  HRESULT RevokeInterfaceFromGlobal(DWORD cookie) override {
    ComPtr<IUnknown> dropped;  // released after the lock is left
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(cookie);
    if (it == entries_.end()) return E_INVALIDARG;
    dropped = std::move(it->second);
    entries_.erase(it);
    return S_OK;
  }

  HRESULT GetInterfaceFromGlobal(DWORD cookie, const IID& iid, void** object) override {
    if (object == nullptr) return E_INVALIDARG;
    *object = nullptr;
    ComPtr<IUnknown> held;
    {
      std::lock_guard lock(mutex_);
      const auto it = entries_.find(cookie);
      if (it == entries_.end()) return E_INVALIDARG;
      held = it->second;
    }
    return held->QueryInterface(iid, object);
  }

 private:
  std::mutex mutex_;
  DWORD last_ = 0;
  std::unordered_map<DWORD, ComPtr<IUnknown>> entries_;
};

}  // namespace

ComPtr<IGlobalInterfaceTable> GetGlobalInterfaceTable() {
  // Never destroyed: objects still registered at exit are not released while
  // the rest of the program is being torn down.
  static Table* const table = new Table;
  return ComPtr<IGlobalInterfaceTable>(table);
}
