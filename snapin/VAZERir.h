#pragma once
// The entry points of the module libVAZERir.so, an in-process COM server:
// the only symbols it exports, with C linkage.
//
// - DllGetClassObject answers the class factory of TKRComponentData (a new
//   object per CreateInstance), CLASS_E_CLASSNOTAVAILABLE for other classes.
// - DllCanUnloadNow answers S_OK when no object the module made is alive,
//   no LockServer lock is held and no reference to its factory is held
//   (finalizing the module first: see ModuleFinalization.h); S_FALSE
//   otherwise.
// - DllRegisterServer writes the type library's, the class's and the
//   console's keys (registering again rewrites the same keys and values);
//   DllUnregisterServer removes them, keys already missing being no failure.
//   Both answer S_OK, SELFREG_E_TYPELIB or SELFREG_E_CLASS.

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

#define VAZERIR_EXPORT extern "C" __attribute__((visibility("default")))

VAZERIR_EXPORT HRESULT DllGetClassObject(const CLSID& classID, const IID& iid, void** object);
VAZERIR_EXPORT HRESULT DllCanUnloadNow();
VAZERIR_EXPORT HRESULT DllRegisterServer();
VAZERIR_EXPORT HRESULT DllUnregisterServer();

// The entry points' types, for callers that look them up in a loaded module.
using DllGetClassObjectProc = HRESULT (*)(const CLSID&, const IID&, void**);
using DllCanUnloadNowProc = HRESULT (*)();
using DllRegisterServerProc = HRESULT (*)();
using DllUnregisterServerProc = HRESULT (*)();
