// The module's entry: its COM server and the snap-in's one class factory,
// both made when the module loads and destroyed when it unloads.
#include "snapin/VAZERir.h"

#include "snapin/KRComponentData.h"
#include "snapin/KRStrings.h"
#include "snapin/MMCFactory.h"
#include "snapin/ModuleFinalization.h"
#include "snapin/VAZERir_TLB.h"

namespace {

TComServer& ComServer() {
  static TComServer server(VAZERirTypeLibrary());
  return server;
}

TMMCObjectFactory gFactory(SnapinString(krsSnapinName), ComServer(),
                           AutoClassOf<TKRComponentData>(), CLSID_KRComponentData, ciMultiInstance);

}  // namespace

HRESULT DllGetClassObject(const CLSID& classID, const IID& iid, void** object) {
  return ComServer().GetClassObject(classID, iid, object);
}

HRESULT DllCanUnloadNow() { return CanUnloadModule(ComServer()); }

HRESULT DllRegisterServer() { return ComServer().UpdateRegistry(true); }

HRESULT DllUnregisterServer() { return ComServer().UpdateRegistry(false); }
