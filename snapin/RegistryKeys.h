#pragma once
// The registry writes and deletions of self-registration. Writing raises
// EOleRegistrationError when a key cannot be created or a value not set.
// Deleting removes one key without its subkeys: a missing key, or one that
// another party still keeps subkeys under, is left as it is without failure;
// a registry that cannot be changed at all raises EOleRegistrationError, so
// that an unregistration that did nothing is not reported as done.

#include <optional>
#include <string>
#include <vector>

#include "platform/com/OleErrors.h"
#include "platform/win32/Registry.h"

KR_DECLARE_EXCEPTION(EOleRegistrationError, EOleError);

// One key, and the text value to write into it when `Value` is given
// (`ValueName` empty: the key's default value).
struct TRegistryEntry {
  std::string Key;
  std::string ValueName;
  std::optional<std::string> Value;
};

// Creates or opens `key` under `rootKey` (access KEY_READ | KEY_WRITE) and,
// with a value, sets it as REG_SZ with its terminating NUL; answers the
// registry's result code.
LONG WriteRegistryEntry(HKEY rootKey, const TRegistryEntry& entry);

void CreateRegKey(const std::string& key, const std::string& valueName, const std::string& value,
                  HKEY rootKey = HKEY_CLASSES_ROOT);
void DeleteRegKey(const std::string& key, HKEY rootKey = HKEY_CLASSES_ROOT);

// Writes the entries in order.
void CreateRegKeys(const std::vector<TRegistryEntry>& entries, HKEY rootKey = HKEY_CLASSES_ROOT);
// Deletes the entries' keys, deeper keys before the keys they hang under.
void DeleteRegKeys(const std::vector<TRegistryEntry>& entries, HKEY rootKey = HKEY_CLASSES_ROOT);
