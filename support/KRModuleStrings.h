#pragma once
// TKRModuleStrings: a string table of the module, registered under a handle
// of its own the first time it is used (from any thread), with the
// translation file named by $VAZERIR_STRINGS applied, so that one file
// translates every table of the module. Problems in that file leave the
// English texts. Each part of the module that owns a table keeps one as a
// constinit object at namespace scope (its construction runs no code).

#include <mutex>
#include <string>

#include "platform/win32/Resources.h"
#include "platform/win32/WinTypes.h"

class TKRModuleStrings {
 public:
  // `englishTable` answers the built-in texts; it is called once, at the
  // registration.
  constexpr explicit TKRModuleStrings(StringTable (*englishTable)())
      : FEnglishTable(englishTable) {}
  TKRModuleStrings(const TKRModuleStrings&) = delete;
  TKRModuleStrings& operator=(const TKRModuleStrings&) = delete;

  // The handle the texts are registered under (registering them first).
  HINSTANCE Instance();
  // The text of string `id` (empty for an unknown number).
  std::string Text(UINT id) { return LoadString(Instance(), id); }

 private:
  StringTable (*FEnglishTable)();
  std::once_flag FRegistered;
};
