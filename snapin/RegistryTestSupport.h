#pragma once
// Helpers of the registration tests: a registry file of its own for each
// test, and reading keys and values back.

#include <filesystem>
#include <optional>
#include <string>

#include "platform/testing/TestFiles.h"
#include "platform/win32/Registry.h"

// A test's own registry ($VAZERIR_REGISTRY) in a temporary directory.
class TestRegistry {
 public:
  std::string FilePath() const { return dir_.File("registry.reg"); }
  std::string Text() const { return ReadFile(FilePath()); }
  // From now on every change of the registry fails (its lock file cannot be
  // opened); reading still works.
  void MakeUnwritable() const {
    std::filesystem::remove(FilePath() + ".lock");
    std::filesystem::create_directory(FilePath() + ".lock");
  }

  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
  ScopedEnv env_{"VAZERIR_REGISTRY", dir_.File("registry.reg")};
};

inline bool KeyExists(HKEY root, const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyEx(root, key, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

// The REG_SZ value, or nothing when the key or the value is missing.
inline std::optional<std::string> ValueText(HKEY root, const std::string& key,
                                            const std::string& name = "") {
  HKEY handle = nullptr;
  if (RegOpenKeyEx(root, key, KEY_READ, &handle) != ERROR_SUCCESS) return std::nullopt;
  std::string text;
  const LONG result = RegQueryValueEx(handle, name, text);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return text;
}
