#include "snapin/TypeLibrary.h"

#include <cstdio>

#include "snapin/RegistryKeys.h"

namespace {

std::string Hex(uint32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", number);
  return text;
}

std::string LibraryKey(const TTypeLibrary& library) {
  return "TypeLib\\" + GuidToString(library.LibId);
}

std::string VersionText(const TTypeLibrary& library) {
  return Hex(library.MajorVersion) + "." + Hex(library.MinorVersion);
}

// Every key and value of the library; with `fullPath` and `helpDir` empty the
// list still names every key, for the removal.
std::vector<TRegistryEntry> LibraryEntries(const TTypeLibrary& library, const std::string& fullPath,
                                           const std::string& helpDir) {
  const std::string versionKey = LibraryKey(library) + "\\" + VersionText(library);
  const std::string localeKey = versionKey + "\\" + Hex(library.Locale);
  std::vector<TRegistryEntry> entries = {
      {LibraryKey(library), "", std::nullopt},
      {versionKey, "", library.HelpText.empty() ? library.Name : library.HelpText},
      {versionKey + "\\FLAGS", "", "0"},
      {versionKey + "\\HELPDIR", "", helpDir},
      {localeKey, "", std::nullopt},
      {localeKey + "\\win64", "", fullPath},
  };
  const std::string marshaller = GuidToString(CLSID_PSOAInterface);
  for (const TTypeLibraryInterface& item : library.Interfaces) {
    const std::string key = "Interface\\" + GuidToString(item.Iid);
    entries.push_back({key, "", item.Name});
    entries.push_back({key + "\\ProxyStubClsid", "", marshaller});
    entries.push_back({key + "\\ProxyStubClsid32", "", marshaller});
    entries.push_back({key + "\\TypeLib", "", GuidToString(library.LibId)});
    entries.push_back({key + "\\TypeLib", "Version", VersionText(library)});
  }
  return entries;
}

}  // namespace

const TTypeLibraryClass* TTypeLibrary::FindClass(const CLSID& clsid) const {
  for (const TTypeLibraryClass& item : Classes) {
    if (item.Clsid == clsid) return &item;
  }
  return nullptr;
}

HRESULT RegisterTypeLib(const TTypeLibrary& library, const std::string& fullPath,
                        const std::string& helpDir) {
  try {
    CreateRegKeys(LibraryEntries(library, fullPath, helpDir));
    return S_OK;
  } catch (const EOleRegistrationError&) {
    return TYPE_E_REGISTRYACCESS;
  }
}

HRESULT UnRegisterTypeLib(const TTypeLibrary& library) {
  try {
    DeleteRegKeys(LibraryEntries(library, {}, {}));
    return S_OK;
  } catch (const EOleRegistrationError&) {
    return TYPE_E_REGISTRYACCESS;
  }
}
