#pragma once
// TAutoObjectFactory: the class factory of one automation class of a
// TComServer. It takes the class's name and description from the server's
// type library, adds itself to the server for its whole life, makes a new
// object on every request, and writes or removes the class's keys under
// HKEY_CLASSES_ROOT:
//
//   CLSID\{clsid} @ = description   ...\InprocServer32 @ = the module's file name
//   ...\ProgID @ = ProgID   ...\Version @ = type library <major>.<minor>
//   ...\TypeLib @ = {libid}   <ProgID> @ = description   <ProgID>\Clsid @ = {clsid}
//
// The ProgID is the server's name, ".", the class's name. An internal class
// (ciInternal) is made on request but never registered; for an in-process
// server single and multiple instancing both make one object per request.
//
// The module owns the factory: AddRef and Release only count the references
// handed out, which keep the module loaded. CreateInstance answers
// CLASS_E_NOAGGREGATION for an outer object, E_NOINTERFACE (keeping nothing)
// for an interface the object lacks, and E_OUTOFMEMORY or E_UNEXPECTED when
// making the object fails; the out-parameter is null on every failure.

#include <atomic>
#include <string>

#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "snapin/ComServer.h"

enum TClassInstancing { ciInternal, ciSingleInstance, ciMultiInstance };

// How a factory makes a new object of its class.
struct TAutoClass {
  ComPtr<IUnknown> (*Create)(TComServer& server);
};

// The class T (a ComObject with a default constructor), its objects counted
// by the server that makes them.
template <class T>
TAutoClass AutoClassOf() {
  return {[](TComServer& server) {
    return ComPtr<IUnknown>((new TServerObject<T>(server))->UnknownSelf());
  }};
}

class TAutoObjectFactory : public IClassFactory {
 public:
  // Raises EOleError when the type library does not declare the class.
  TAutoObjectFactory(TComServer& comServer, TAutoClass autoClass, const CLSID& classID,
                     TClassInstancing instancing);
  virtual ~TAutoObjectFactory();
  TAutoObjectFactory(const TAutoObjectFactory&) = delete;
  TAutoObjectFactory& operator=(const TAutoObjectFactory&) = delete;

  HRESULT QueryInterface(const IID& iid, void** object) override;
  uint32_t AddRef() override;
  uint32_t Release() override;
  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override;
  HRESULT LockServer(BOOL lock) override;

  // Writes (true) or removes (false) the class's keys; raises
  // EOleRegistrationError when the registry cannot be changed.
  virtual void UpdateRegistry(bool doRegister);

  TComServer& ComServer() const { return FComServer; }
  const CLSID& ClassID() const { return FClassID; }
  const std::string& ClassName() const { return FClassName; }
  const std::string& Description() const { return FDescription; }
  std::string ProgID() const { return FComServer.ServerName() + "." + FClassName; }
  TClassInstancing Instancing() const { return FInstancing; }
  // The references that clients hold.
  uint32_t RefCount() const { return FRefCount.load(); }

 protected:
  // "CLSID\{clsid}", the class's key under HKEY_CLASSES_ROOT.
  std::string ClassKey() const;

 private:
  TComServer& FComServer;
  TAutoClass FAutoClass;
  CLSID FClassID;
  TClassInstancing FInstancing;
  std::string FClassName;
  std::string FDescription;
  std::atomic<uint32_t> FRefCount{0};
};
