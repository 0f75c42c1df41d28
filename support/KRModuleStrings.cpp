#include "support/KRModuleStrings.h"

HINSTANCE TKRModuleStrings::Instance() {
  // The object's own address is the handle: unique for as long as the table
  // may be asked for.
  const HINSTANCE handle = reinterpret_cast<HINSTANCE>(this);
  std::call_once(FRegistered,
                 [&] { RegisterModuleStrings(handle, FEnglishTable(), "VAZERIR_STRINGS"); });
  return handle;
}
