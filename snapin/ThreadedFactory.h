#pragma once
// TThreadedAutoObjectFactory: an automation-object factory that also
// registers the class's threading model, as the value "ThreadingModel" of
// CLSID\{clsid}\InprocServer32. It alone writes that value: the base
// registration writes none. tmSingle writes no value.

#include <cstdint>
#include <string>

#include "snapin/AutoObjectFactory.h"

enum TThreadingModel : uint8_t { tmSingle = 0, tmApartment = 1, tmFree = 2, tmBoth = 3 };

// "Apartment", "Free" or "Both"; empty for tmSingle and unknown values.
std::string ThreadingModelText(TThreadingModel model);

class TThreadedAutoObjectFactory : public TAutoObjectFactory {
 public:
  TThreadedAutoObjectFactory(TComServer& comServer, TAutoClass autoClass, const CLSID& classID,
                             TClassInstancing instancing, TThreadingModel threadingModel);

  TThreadingModel ThreadingModel() const { return fThreadingModel; }
  void SetThreadingModel(TThreadingModel model) { fThreadingModel = model; }

  // The base registration, then the threading model (when it has a text);
  // removal is the base removal, which takes the value with its key.
  void UpdateRegistry(bool doRegister) override;

 private:
  TThreadingModel fThreadingModel;
};
