#include "snapin/ModuleFinalization.h"

#include "dataset/KRDataSet_CMP_Defaults.h"

HRESULT CanUnloadModule(const TComServer& server) {
  const HRESULT result = server.CanUnloadNow();
  if (result == S_OK) ReleaseDefaultProxies();
  return result;
}
