#include "platform/win32/RegistryFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <iterator>

#include "platform/text/Locale.h"

namespace {

constexpr std::string_view kHeader = "REGEDIT4";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()))) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  out += '"';
}

// Reads a quoted text at the start of `s` and removes it from `s`.
std::optional<std::string> TakeQuoted(std::string_view& s) {
  if (s.empty() || s.front() != '"') return std::nullopt;
  std::string text;
  for (size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      s.remove_prefix(i + 1);
      return text;
    }
    if (c == '\\') {
      if (++i == s.size()) return std::nullopt;
      switch (s[i]) {
        case '"':
          text += '"';
          break;
        case '\\':
          text += '\\';
          break;
        case 'n':
          text += '\n';
          break;
        case 'r':
          text += '\r';
          break;
        default:
          return std::nullopt;
      }
    } else {
      text += c;
    }
  }
  return std::nullopt;
}

std::optional<DWORD> ParseHex(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  DWORD value = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * 16 + static_cast<DWORD>(digit);
  }
  return value;
}

// The key a section line names, creating it and its path; null when the
// path does not start with a hive name or has an empty part.
RegistryKey* SectionKey(std::string_view path, RegistryTree& tree) {
  RegistryKey* key = nullptr;
  size_t start = 0;
  while (true) {
    size_t end = path.find('\\', start);
    std::string_view part = path.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty()) return nullptr;
    if (key == nullptr) {
      const std::string wanted = RegistryNameKey(part);
      for (RegistryKey& root : tree.Roots) {
        if (RegistryNameKey(root.Name()) == wanted) key = &root;
      }
      if (key == nullptr) return nullptr;
    } else {
      key = &key->AddSubkey(part);
    }
    if (end == std::string_view::npos) return key;
    start = end + 1;
  }
}

// Parses one value line into `value`; answers the problem, or empty.
std::string ParseValueLine(std::string_view line, RegistryValue& value) {
  if (line.front() == '@') {
    line.remove_prefix(1);
  } else {
    std::optional<std::string> name = TakeQuoted(line);
    if (!name) return "bad value name";
    value.Name = std::move(*name);
  }
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '=') return "'=' expected after the value name";
  line = TrimBlanks(line.substr(1));
  constexpr std::string_view kDword = "dword:";
  if (line.substr(0, kDword.size()) == kDword) {
    std::optional<DWORD> number = ParseHex(line.substr(kDword.size()));
    if (!number) return "bad dword value";
    value.Type = REG_DWORD;
    value.Number = *number;
    return {};
  }
  std::optional<std::string> text = TakeQuoted(line);
  if (!text) return "bad text value";
  if (!TrimBlanks(line).empty()) return "unexpected text after the value";
  value.Type = REG_SZ;
  value.Text = std::move(*text);
  return {};
}

void FormatKey(const RegistryKey& key, const std::string& path, bool isRoot, std::string& out) {
  if (!isRoot || !key.Values().empty()) {
    out += '[' + path + "]\n";
    for (const RegistryValue& value : key.Values()) {
      if (value.Name.empty()) {
        out += '@';
      } else {
        AppendQuoted(out, value.Name);
      }
      out += '=';
      if (value.Type == REG_DWORD) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x", value.Number);
        out += digits;
      } else {
        AppendQuoted(out, value.Text);
      }
      out += '\n';
    }
    out += '\n';
  }
  for (const auto& [upper, subkey] : key.Subkeys()) {
    FormatKey(*subkey, path + '\\' + subkey->Name(), false, out);
  }
}

}  // namespace

std::string RegistryNameKey(std::string_view name) {
  // Plain ASCII, by far the common case, needs no trip through ICU.
  if (std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; })) {
    std::string upper(name);
    for (char& c : upper) {
      if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return upper;
  }
  return AnsiUpperCase(name);
}

const RegistryKey* RegistryKey::SubkeyAt(size_t index) const {
  if (index >= subkeys_.size()) return nullptr;
  return std::next(subkeys_.begin(), static_cast<std::ptrdiff_t>(index))->second.get();
}

RegistryKey* RegistryKey::FindSubkey(std::string_view name) const {
  const auto it = subkeys_.find(RegistryNameKey(name));
  return it != subkeys_.end() ? it->second.get() : nullptr;
}

RegistryKey& RegistryKey::AddSubkey(std::string_view name, bool* created) {
  auto [it, isNew] = subkeys_.try_emplace(RegistryNameKey(name));
  if (isNew) it->second = std::make_unique<RegistryKey>(std::string(name));
  if (created != nullptr) *created = isNew;
  return *it->second;
}

bool RegistryKey::RemoveSubkey(std::string_view name) {
  return subkeys_.erase(RegistryNameKey(name)) > 0;
}

void RegistryKey::Clear() {
  subkeys_.clear();
  values_.clear();
  valueIndex_.clear();
}

const RegistryValue* RegistryKey::FindValue(std::string_view name) const {
  const auto it = valueIndex_.find(RegistryNameKey(name));
  return it != valueIndex_.end() ? &values_[it->second] : nullptr;
}

bool RegistryKey::SetValue(RegistryValue value) {
  const auto [it, isNew] = valueIndex_.try_emplace(RegistryNameKey(value.Name), values_.size());
  if (isNew) {
    values_.push_back(std::move(value));
    return true;
  }
  RegistryValue& existing = values_[it->second];
  value.Name = existing.Name;  // the first spelling stays
  if (existing == value) return false;
  existing = std::move(value);
  return true;
}

bool RegistryKey::RemoveValue(std::string_view name) {
  const auto it = valueIndex_.find(RegistryNameKey(name));
  if (it == valueIndex_.end()) return false;
  const size_t at = it->second;
  valueIndex_.erase(it);
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(at));
  for (size_t i = at; i < values_.size(); ++i) valueIndex_[RegistryNameKey(values_[i].Name)] = i;
  return true;
}

std::optional<RegistryParseError> ParseRegistry(std::string_view text, RegistryTree& tree) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  bool headerSeen = false;
  RegistryKey* key = nullptr;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    std::string_view line = TrimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (!headerSeen) {
      if (line != kHeader) return RegistryParseError{lineNumber, "\"REGEDIT4\" expected"};
      headerSeen = true;
      continue;
    }
    if (line.front() == '[') {
      if (line.size() < 2 || line.back() != ']') {
        return RegistryParseError{lineNumber, "']' expected at the end of the key line"};
      }
      key = SectionKey(line.substr(1, line.size() - 2), tree);
      if (key == nullptr) return RegistryParseError{lineNumber, "bad key path"};
      continue;
    }
    if (line.front() != '@' && line.front() != '"') {
      return RegistryParseError{lineNumber, "key line or value line expected"};
    }
    if (key == nullptr) return RegistryParseError{lineNumber, "value line before any key line"};
    RegistryValue value;
    if (std::string problem = ParseValueLine(line, value); !problem.empty()) {
      return RegistryParseError{lineNumber, problem};
    }
    key->SetValue(std::move(value));
  }
  return std::nullopt;
}

std::string FormatRegistry(const RegistryTree& tree) {
  std::string out(kHeader);
  out += "\n\n";
  for (const RegistryKey& root : tree.Roots) FormatKey(root, root.Name(), true, out);
  return out;
}
