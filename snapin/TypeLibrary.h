#pragma once
// TTypeLibrary: the description of a module's type library (its identity,
// names, and the interfaces and classes it declares), and the platform's
// calls that make it known to clients through keys under HKEY_CLASSES_ROOT:
//
//   TypeLib\{libid}\<major>.<minor>          @ = help text (the name without one)
//     ...\FLAGS @ = "0"   ...\HELPDIR @ = help directory
//     ...\<locale>\win64 @ = the module's full file name
//   Interface\{iid}                          @ = interface name
//     ...\ProxyStubClsid, ...\ProxyStubClsid32 @ = the automation marshaller
//     ...\TypeLib @ = {libid}, "Version" = <major>.<minor>
//
// Version numbers and the locale are written in hexadecimal, as the platform
// does. Paths are written as they are: this platform has no short names.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/com/Types.h"

using LCID = DWORD;

// The result of a type-library call that could not change the registry.
inline constexpr HRESULT TYPE_E_REGISTRYACCESS = HResultOf(0x8002801C);

// The marshaller of dual automation interfaces.
inline constexpr CLSID CLSID_PSOAInterface = GuidLiteral("{00020424-0000-0000-C000-000000000046}");

struct TTypeLibraryInterface {
  IID Iid;
  std::string Name;
  std::string HelpText;
};

struct TTypeLibraryClass {
  CLSID Clsid;
  std::string Name;
  std::string HelpText;
};

struct TTypeLibrary {
  GUID LibId;
  uint16_t MajorVersion = 1;
  uint16_t MinorVersion = 0;
  LCID Locale = 0;
  std::string Name;
  std::string HelpText;
  std::vector<TTypeLibraryInterface> Interfaces;
  std::vector<TTypeLibraryClass> Classes;

  // The class with that identifier, or null.
  const TTypeLibraryClass* FindClass(const CLSID& clsid) const;
};

// Writes the library's keys; S_OK or TYPE_E_REGISTRYACCESS.
HRESULT RegisterTypeLib(const TTypeLibrary& library, const std::string& fullPath,
                        const std::string& helpDir);
// Removes the keys of this version of the library (the library's own key
// too when no other version is left) and of its interfaces. Keys already
// missing are no failure; S_OK or TYPE_E_REGISTRYACCESS.
HRESULT UnRegisterTypeLib(const TTypeLibrary& library);
