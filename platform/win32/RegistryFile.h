#pragma once
// The registry's content in memory and its REGEDIT4 text form.
//
// The text starts with the line "REGEDIT4". A section line "[ROOT\a\b]"
// names a key (and so every key on its path); the value lines below it are
// `@="text"` for the default value, `"Name"="text"` and `"Name"=dword:0000002a`.
// In quoted text `\"`, `\\`, `\n` and `\r` stand for a quote, a backslash, a
// line feed and a carriage return. Blank lines and lines starting with ';'
// are skipped. Writing gives one section per key, parents before children.

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/win32/Registry.h"

struct RegistryValue {
  std::string Name;     // empty: the default value
  DWORD Type = REG_SZ;  // or REG_DWORD
  std::string Text;
  DWORD Number = 0;
  bool operator==(const RegistryValue&) const = default;
};

// One key: names compare without regard to case; subkeys are kept sorted
// that way, values in the order they were created. Both are found by name
// without a walk, so a registry of n keys and values is parsed in
// O(n log n) whatever the order of its lines.
class RegistryKey {
 public:
  // Subkeys by their upper-case name (RegistryNameKey).
  using SubkeyMap = std::map<std::string, std::unique_ptr<RegistryKey>>;

  explicit RegistryKey(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  const SubkeyMap& Subkeys() const { return subkeys_; }
  // The subkey at `index` in name order (O(index)), or null past the end.
  const RegistryKey* SubkeyAt(size_t index) const;
  const std::vector<RegistryValue>& Values() const { return values_; }

  RegistryKey* FindSubkey(std::string_view name) const;
  // Finds the subkey or creates it with this spelling.
  RegistryKey& AddSubkey(std::string_view name, bool* created = nullptr);
  bool RemoveSubkey(std::string_view name);
  void Clear();

  const RegistryValue* FindValue(std::string_view name) const;
  // Answers false when an equal value was already there.
  bool SetValue(RegistryValue value);
  bool RemoveValue(std::string_view name);

 private:
  std::string name_;
  SubkeyMap subkeys_;
  std::vector<RegistryValue> values_;
  std::unordered_map<std::string, size_t> valueIndex_;  // upper-case name -> index in values_
};

// The three hives, in the order they are written.
struct RegistryTree {
  std::array<RegistryKey, 3> Roots{RegistryKey("HKEY_CLASSES_ROOT"),
                                   RegistryKey("HKEY_CURRENT_USER"),
                                   RegistryKey("HKEY_LOCAL_MACHINE")};
};

struct RegistryParseError {
  int Line;
  std::string Problem;
};

// Upper-case form of a name, under which names compare (the same for every
// user locale).
std::string RegistryNameKey(std::string_view name);

// Fills an empty tree from the text; an empty text is an empty registry.
std::optional<RegistryParseError> ParseRegistry(std::string_view text, RegistryTree& tree);
std::string FormatRegistry(const RegistryTree& tree);
