#include "snapin/ComServer.h"

#include <algorithm>
#include <filesystem>

#include "platform/win32/Library.h"
#include "snapin/AutoObjectFactory.h"

namespace {

// An address inside the module that holds the server.
const char kModuleAnchor = 0;

}  // namespace

TComServer::TComServer(TTypeLibrary typeLibrary) : FTypeLib(std::move(typeLibrary)) {}

std::string TComServer::ServerFileName() const {
  return GetModuleFileName(GetModuleHandleFromAddress(&kModuleAnchor));
}

void TComServer::AddObjectFactory(TAutoObjectFactory& factory) { FFactories.push_back(&factory); }

void TComServer::RemoveObjectFactory(TAutoObjectFactory& factory) {
  std::erase(FFactories, &factory);
}

TAutoObjectFactory* TComServer::FindFactory(const CLSID& classID) const {
  const auto found = std::find_if(FFactories.begin(), FFactories.end(), [&](const auto* factory) {
    return factory->ClassID() == classID;
  });
  return found != FFactories.end() ? *found : nullptr;
}

HRESULT TComServer::GetClassObject(const CLSID& classID, const IID& iid, void** object) const {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  TAutoObjectFactory* factory = FindFactory(classID);
  if (factory == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(iid, object);
}

HRESULT TComServer::CanUnloadNow() const {
  const bool factoryHeld = std::any_of(FFactories.begin(), FFactories.end(),
                                       [](const auto* factory) { return factory->RefCount() > 0; });
  return FObjectCount.load() == 0 && FLockCount.load() == 0 && !factoryHeld ? S_OK : S_FALSE;
}

HRESULT TComServer::UpdateRegistry(bool doRegister) {
  const auto typeLibrary = [&] {
    if (!doRegister) return UnRegisterTypeLib(FTypeLib);
    const std::string fileName = ServerFileName();
    return RegisterTypeLib(FTypeLib, fileName,
                           std::filesystem::path(fileName).parent_path().string());
  };
  if (doRegister && FAILED(typeLibrary())) return SELFREG_E_TYPELIB;
  try {
    for (TAutoObjectFactory* factory : FFactories) factory->UpdateRegistry(doRegister);
  } catch (...) {
    return SELFREG_E_CLASS;
  }
  if (!doRegister && FAILED(typeLibrary())) return SELFREG_E_TYPELIB;
  return S_OK;
}

void TComServer::CountObject(bool created) { FObjectCount += created ? 1 : -1; }

HRESULT TComServer::LockServer(bool lock) {
  if (lock) {
    ++FLockCount;
    return S_OK;
  }
  int held = FLockCount.load();
  do {
    if (held == 0) return E_UNEXPECTED;
  } while (!FLockCount.compare_exchange_weak(held, held - 1));
  return S_OK;
}
