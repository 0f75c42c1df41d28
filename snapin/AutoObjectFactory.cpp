#include "snapin/AutoObjectFactory.h"

#include <new>

#include "snapin/RegistryKeys.h"

namespace {

const TTypeLibraryClass& DeclaredClass(const TComServer& server, const CLSID& classID) {
  const TTypeLibraryClass* declared = server.TypeLib().FindClass(classID);
  if (declared == nullptr) {
    throw EOleError("The type library " + server.ServerName() + " declares no class " +
                    GuidToString(classID));
  }
  return *declared;
}

std::string ClassVersion(const TTypeLibrary& library) {
  return std::to_string(library.MajorVersion) + "." + std::to_string(library.MinorVersion);
}

}  // namespace

TAutoObjectFactory::TAutoObjectFactory(TComServer& comServer, TAutoClass autoClass,
                                       const CLSID& classID, TClassInstancing instancing)
    : FComServer(comServer),
      FAutoClass(autoClass),
      FClassID(classID),
      FInstancing(instancing),
      FClassName(DeclaredClass(comServer, classID).Name),
      FDescription(DeclaredClass(comServer, classID).HelpText) {
  FComServer.AddObjectFactory(*this);
}

TAutoObjectFactory::~TAutoObjectFactory() { FComServer.RemoveObjectFactory(*this); }

HRESULT TAutoObjectFactory::QueryInterface(const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

uint32_t TAutoObjectFactory::AddRef() { return FRefCount.fetch_add(1) + 1; }

uint32_t TAutoObjectFactory::Release() { return FRefCount.fetch_sub(1) - 1; }

HRESULT TAutoObjectFactory::CreateInstance(IUnknown* outer, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  try {
    const ComPtr<IUnknown> instance = FAutoClass.Create(FComServer);
    return instance->QueryInterface(iid, object);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT TAutoObjectFactory::LockServer(BOOL lock) { return FComServer.LockServer(lock != FALSE); }

std::string TAutoObjectFactory::ClassKey() const { return "CLSID\\" + GuidToString(FClassID); }

void TAutoObjectFactory::UpdateRegistry(bool doRegister) {
  if (FInstancing == ciInternal) return;
  const std::string classKey = ClassKey();
  const std::string progID = ProgID();
  const std::vector<TRegistryEntry> entries = {
      {classKey, "", FDescription},
      {classKey + "\\InprocServer32", "", FComServer.ServerFileName()},
      {classKey + "\\ProgID", "", progID},
      {classKey + "\\Version", "", ClassVersion(FComServer.TypeLib())},
      {classKey + "\\TypeLib", "", GuidToString(FComServer.TypeLib().LibId)},
      {progID, "", FDescription},
      {progID + "\\Clsid", "", GuidToString(FClassID)},
  };
  if (doRegister) {
    CreateRegKeys(entries);
  } else {
    DeleteRegKeys(entries);
  }
}
