#include "snapin/ThreadedFactory.h"

#include "snapin/RegistryKeys.h"

std::string ThreadingModelText(TThreadingModel model) {
  switch (model) {
    case tmApartment:
      return "Apartment";
    case tmFree:
      return "Free";
    case tmBoth:
      return "Both";
    case tmSingle:
      break;
  }
  return {};
}

TThreadedAutoObjectFactory::TThreadedAutoObjectFactory(TComServer& comServer, TAutoClass autoClass,
                                                       const CLSID& classID,
                                                       TClassInstancing instancing,
                                                       TThreadingModel threadingModel)
    : TAutoObjectFactory(comServer, autoClass, classID, instancing),
      fThreadingModel(threadingModel) {}

void TThreadedAutoObjectFactory::UpdateRegistry(bool doRegister) {
  TAutoObjectFactory::UpdateRegistry(doRegister);
  if (!doRegister || Instancing() == ciInternal) return;
  const std::string text = ThreadingModelText(fThreadingModel);
  if (!text.empty()) CreateRegKey(ClassKey() + "\\InprocServer32", "ThreadingModel", text);
}
