#include "snapin/VAZERir_TLB.h"

#include "snapin/KRComponentData.h"

const TTypeLibrary& VAZERirTypeLibrary() {
  static const TTypeLibrary library{
      LIBID_VAZERir,
      1,
      0,
      0x409,
      "VAZERir",
      "Project2 Library",
      {{IID_IKRComponentData, "IKRComponentData", "Dispatch interface for Test1 Object"}},
      {{CLSID_KRComponentData, "TKRComponentData", "Test1 Object"}},
  };
  return library;
}
