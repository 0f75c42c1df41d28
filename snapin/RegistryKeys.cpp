#include "snapin/RegistryKeys.h"

#include <algorithm>

namespace {

std::string Described(const std::string& message, const std::string& key) {
  const std::string reason = RegistryErrorText();
  return message + " " + key + (reason.empty() ? "" : " (" + reason + ")");
}

void CreateEntry(const TRegistryEntry& entry, HKEY rootKey) {
  if (WriteRegistryEntry(rootKey, entry) != ERROR_SUCCESS) {
    throw EOleRegistrationError(Described("Error creating system registry entry", entry.Key));
  }
}

size_t Depth(const std::string& key) { return std::count(key.begin(), key.end(), '\\'); }

}  // namespace

LONG WriteRegistryEntry(HKEY rootKey, const TRegistryEntry& entry) {
  char emptyClass[] = "";
  HKEY handle = nullptr;
  LONG result = RegCreateKeyEx(rootKey, entry.Key.c_str(), 0, emptyClass, REG_OPTION_NON_VOLATILE,
                               KEY_READ | KEY_WRITE, nullptr, &handle, nullptr);
  if (result != ERROR_SUCCESS) return result;
  if (entry.Value) {
    result = RegSetValueEx(handle, entry.ValueName.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(entry.Value->c_str()),
                           static_cast<DWORD>(entry.Value->size() + 1));
  }
  RegCloseKey(handle);
  return result;
}

void CreateRegKey(const std::string& key, const std::string& valueName, const std::string& value,
                  HKEY rootKey) {
  CreateEntry({key, valueName, value}, rootKey);
}

void DeleteRegKey(const std::string& key, HKEY rootKey) {
  const LONG result = RegDeleteKey(rootKey, key.c_str());
  // ERROR_ACCESS_DENIED: the key still has subkeys that are not ours.
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND && result != ERROR_ACCESS_DENIED) {
    throw EOleRegistrationError(Described("Error removing system registry entry", key));
  }
}

void CreateRegKeys(const std::vector<TRegistryEntry>& entries, HKEY rootKey) {
  for (const TRegistryEntry& entry : entries) CreateEntry(entry, rootKey);
}

void DeleteRegKeys(const std::vector<TRegistryEntry>& entries, HKEY rootKey) {
  std::vector<std::string> keys;
  for (const TRegistryEntry& entry : entries) {
    if (std::find(keys.begin(), keys.end(), entry.Key) == keys.end()) keys.push_back(entry.Key);
  }
  std::stable_sort(keys.begin(), keys.end(),
                   [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
  for (const std::string& key : keys) DeleteRegKey(key, rootKey);
}
