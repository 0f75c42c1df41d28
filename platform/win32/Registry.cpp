#include "platform/win32/Registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/win32/AtomicSave.h"
#include "platform/win32/RegistryFile.h"
#include "platform/win32/RegistryLock.h"
#include "platform/win32/RegularFile.h"
#include "platform/win32/TimeZone.h"

namespace {

thread_local std::string tErrorText;

LONG Fail(LONG code, std::string text) {
  NoteRegistryFailure(text);
  tErrorText = std::move(text);
  return code;
}

// What a handle names: a hive, a path below it and the rights it was opened with.
struct OpenKey {
  size_t Root = 0;
  std::vector<std::string> Path;
  REGSAM Access = KEY_ALL_ACCESS;
};

std::mutex gHandlesMutex;
std::map<uintptr_t, OpenKey> gHandles;
uintptr_t gNextHandle = 0x10000;

// Index into RegistryTree::Roots of a predefined handle, in the order written.
std::optional<size_t> RootIndex(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return 0;
  if (key == HKEY_CURRENT_USER) return 1;
  if (key == HKEY_LOCAL_MACHINE) return 2;
  return std::nullopt;
}

LONG Resolve(HKEY key, OpenKey& open) {
  if (std::optional<size_t> root = RootIndex(key)) {
    open = OpenKey{*root, {}, KEY_ALL_ACCESS};
    return ERROR_SUCCESS;
  }
  std::lock_guard lock(gHandlesMutex);
  auto it = gHandles.find(reinterpret_cast<uintptr_t>(key));
  if (it == gHandles.end()) return ERROR_INVALID_HANDLE;
  open = it->second;
  return ERROR_SUCCESS;
}

HKEY NewHandle(OpenKey open) {
  std::lock_guard lock(gHandlesMutex);
  const uintptr_t handle = gNextHandle;
  gNextHandle += 4;
  gHandles.emplace(handle, std::move(open));
  return reinterpret_cast<HKEY>(handle);
}

// Splits a subkey path into its names. A trailing '\' is allowed; an empty
// name elsewhere or a control character is not.
LONG SplitPath(const char* subKey, std::vector<std::string>& parts) {
  if (subKey == nullptr) return ERROR_SUCCESS;
  std::string_view path = subKey;
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.empty()) return ERROR_SUCCESS;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    std::string_view part = path.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty()) return ERROR_INVALID_PARAMETER;
    for (char c : part) {
      if (static_cast<unsigned char>(c) < 0x20) return ERROR_INVALID_PARAMETER;
    }
    parts.emplace_back(part);
    if (end == std::string_view::npos) return ERROR_SUCCESS;
    start = end + 1;
  }
}

// The key a handle names, or null when it was deleted.
RegistryKey* FindKey(RegistryTree& tree, const OpenKey& open) {
  RegistryKey* key = &tree.Roots[open.Root];
  for (size_t i = 0; i < open.Path.size() && key != nullptr; ++i) {
    key = key->FindSubkey(open.Path[i]);
  }
  return key;
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr) return entry->pw_dir;
  return ".";
}

// The registry file's content, parsed, and the time of its last change. A
// missing file is an empty registry; anything but a regular file at the path
// is refused without waiting on it.
LONG LoadTree(const std::string& path, RegistryTree& tree, FILETIME* changed) {
  std::string text;
  struct stat info {};
  if (TFileFailure failure = ReadRegularFile(path, text, &info)) {
    if (failure.error == ENOENT) return ERROR_SUCCESS;
    return Fail(ERROR_READ_FAULT, path + ": " + failure.reason);
  }
  if (changed != nullptr) *changed = UnixTimeToFileTime(info.st_mtim);
  if (std::optional<RegistryParseError> error = ParseRegistry(text, tree)) {
    return Fail(ERROR_BADDB, path + ":" + std::to_string(error->Line) + ": " + error->Problem);
  }
  return ERROR_SUCCESS;
}

LONG SaveTree(const std::string& path, const RegistryTree& tree) {
  if (TFileFailure failure = SaveFileAtomically(path, FormatRegistry(tree))) {
    return Fail(ERROR_WRITE_FAULT, path + ": " + failure.reason);
  }
  return ERROR_SUCCESS;
}

// Runs `read(tree, changed)` on the current content. Readers take no lock:
// the file is only ever replaced by a rename, so it is always complete.
template <class Read>
LONG ReadRegistry(Read read) {
  RegistryTree tree;
  FILETIME changed{};
  if (LONG result = LoadTree(RegistryFilePath(), tree, &changed); result != ERROR_SUCCESS) {
    return result;
  }
  return read(tree, changed);
}

// Runs `change(tree, modified)` under the exclusive lock on the current
// content and writes the tree back when the change says it modified it.
template <class Change>
LONG ChangeRegistry(Change change) {
  const std::string path = RegistryFilePath();
  // A TRegistryLock of this thread already holds the lock.
  int lockFd = -1;
  if (!ThisThreadHoldsRegistry(path)) {
    std::string problem;
    lockFd = AcquireRegistryLock(path, kRegistryLockWait, problem);
    if (lockFd < 0) return Fail(ERROR_WRITE_FAULT, problem);
  }
  RegistryTree tree;
  LONG result = LoadTree(path, tree, nullptr);
  if (result == ERROR_SUCCESS) {
    bool modified = false;
    result = change(tree, modified);
    if (result == ERROR_SUCCESS && modified) result = SaveTree(path, tree);
  }
  if (lockFd >= 0) close(lockFd);  // releases the lock
  return result;
}

bool Allows(const OpenKey& open, REGSAM right) { return (open.Access & right) == right; }

// Resolves the handle and checks that it carries `right`.
LONG ResolveWithRight(HKEY key, REGSAM right, OpenKey& open) {
  if (LONG result = Resolve(key, open); result != ERROR_SUCCESS) return result;
  return Allows(open, right) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Copies `bytes` to the caller's buffer with the registry's size protocol.
LONG AnswerData(std::string_view bytes, BYTE* data, DWORD* size) {
  const auto needed = static_cast<DWORD>(bytes.size());
  if (data != nullptr) {
    if (size == nullptr) return ERROR_INVALID_PARAMETER;
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, bytes.data(), bytes.size());
  }
  if (size != nullptr) *size = needed;
  return ERROR_SUCCESS;
}

std::string ValueBytes(const RegistryValue& value) {
  if (value.Type == REG_DWORD) {
    std::string bytes(sizeof(DWORD), '\0');
    std::memcpy(bytes.data(), &value.Number, sizeof(DWORD));
    return bytes;
  }
  return value.Text + '\0';
}

// Copies a name to the caller's buffer with the enumeration size protocol.
LONG AnswerName(const std::string& text, char* name, DWORD* nameLength) {
  if (name == nullptr || nameLength == nullptr) return ERROR_INVALID_PARAMETER;
  if (text.size() + 1 > *nameLength) return ERROR_MORE_DATA;
  std::memcpy(name, text.c_str(), text.size() + 1);
  *nameLength = static_cast<DWORD>(text.size());
  return ERROR_SUCCESS;
}

// Runs `read(key, changed)` on the key a handle names, after checking `right`.
template <class Read>
LONG ReadKey(HKEY key, REGSAM right, Read read) {
  OpenKey open;
  if (LONG r = ResolveWithRight(key, right, open); r != ERROR_SUCCESS) return r;
  return ReadRegistry([&](RegistryTree& tree, const FILETIME& changed) {
    RegistryKey* target = FindKey(tree, open);
    return target == nullptr ? ERROR_KEY_DELETED : read(*target, changed);
  });
}

// Runs `change(key, modified)` under the lock on the key a handle names.
template <class Change>
LONG ChangeKey(HKEY key, REGSAM right, Change change) {
  OpenKey open;
  if (LONG r = ResolveWithRight(key, right, open); r != ERROR_SUCCESS) return r;
  return ChangeRegistry([&](RegistryTree& tree, bool& modified) {
    RegistryKey* target = FindKey(tree, open);
    return target == nullptr ? ERROR_KEY_DELETED : change(*target, modified);
  });
}

}  // namespace

std::string RegistryFilePath() {
  if (const char* path = std::getenv("VAZERIR_REGISTRY"); path != nullptr && *path != '\0') {
    return path;
  }
  return HomeDirectory() + "/.config/vazerir/registry.reg";
}

std::string RegistryErrorText() { return tErrorText; }

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM desired, const void*,
                     HKEY* result, DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  if (LONG r = Resolve(key, open); r != ERROR_SUCCESS) return r;
  std::vector<std::string> parts;
  if (LONG r = SplitPath(subKey, parts); r != ERROR_SUCCESS) return r;
  bool anyCreated = false;
  const LONG r = ChangeRegistry([&](RegistryTree& tree, bool& modified) {
    RegistryKey* current = FindKey(tree, open);
    if (current == nullptr) return ERROR_KEY_DELETED;
    for (const std::string& part : parts) {
      if (RegistryKey* existing = current->FindSubkey(part)) {
        current = existing;
        continue;
      }
      if (!Allows(open, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
      current = &current->AddSubkey(part);
      anyCreated = true;
    }
    modified = anyCreated;
    return ERROR_SUCCESS;
  });
  if (r != ERROR_SUCCESS) return r;
  open.Path.insert(open.Path.end(), parts.begin(), parts.end());
  open.Access = desired;
  *result = NewHandle(std::move(open));
  if (disposition != nullptr)
    *disposition = anyCreated ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                    REGSAM desired, const void* security, HKEY* result, DWORD* disposition) {
  return RegCreateKeyExA(key, subKey, reserved, keyClass, options, desired, security, result,
                         disposition);
}

LONG RegCreateKeyEx(HKEY key, const std::string& subKey, HKEY* result, DWORD* disposition) {
  return RegCreateKeyExA(key, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                         nullptr, result, disposition);
}

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD, REGSAM desired, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  if (LONG r = Resolve(key, open); r != ERROR_SUCCESS) return r;
  std::vector<std::string> parts;
  if (LONG r = SplitPath(subKey, parts); r != ERROR_SUCCESS) return r;
  const LONG r = ReadRegistry([&](RegistryTree& tree, const FILETIME&) {
    RegistryKey* current = FindKey(tree, open);
    if (current == nullptr) return ERROR_KEY_DELETED;
    for (const std::string& part : parts) {
      current = current->FindSubkey(part);
      if (current == nullptr) return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
  });
  if (r != ERROR_SUCCESS) return r;
  open.Path.insert(open.Path.end(), parts.begin(), parts.end());
  open.Access = desired;
  *result = NewHandle(std::move(open));
  return ERROR_SUCCESS;
}

LONG RegOpenKeyEx(HKEY key, const std::string& subKey, REGSAM desired, HKEY* result) {
  return RegOpenKeyEx(key, subKey.c_str(), 0, desired, result);
}

LONG RegCloseKey(HKEY key) {
  if (RootIndex(key)) return ERROR_SUCCESS;
  std::lock_guard lock(gHandlesMutex);
  return gHandles.erase(reinterpret_cast<uintptr_t>(key)) > 0 ? ERROR_SUCCESS
                                                              : ERROR_INVALID_HANDLE;
}

LONG RegSetValueEx(HKEY key, const char* name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  RegistryValue value;
  value.Name = name == nullptr ? "" : name;
  value.Type = type;
  if (data == nullptr && size > 0) return ERROR_INVALID_PARAMETER;
  if (type == REG_SZ) {
    const auto* text = reinterpret_cast<const char*>(data);
    value.Text.assign(text, size == 0 ? text : std::find(text, text + size, '\0'));
  } else if (type == REG_DWORD && size == sizeof(DWORD)) {
    std::memcpy(&value.Number, data, sizeof(DWORD));
  } else {
    return ERROR_INVALID_PARAMETER;
  }
  return ChangeKey(key, KEY_SET_VALUE, [&](RegistryKey& target, bool& modified) {
    modified = target.SetValue(std::move(value));
    return ERROR_SUCCESS;
  });
}

LONG RegSetValueEx(HKEY key, const std::string& name, const std::string& text) {
  return RegSetValueEx(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
}

LONG RegSetValueEx(HKEY key, const std::string& name, DWORD number) {
  return RegSetValueEx(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                       sizeof number);
}

LONG RegQueryValueEx(HKEY key, const char* name, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
  return ReadKey(key, KEY_QUERY_VALUE, [&](RegistryKey& target, const FILETIME&) {
    const RegistryValue* value = target.FindValue(name == nullptr ? "" : name);
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    if (type != nullptr) *type = value->Type;
    return AnswerData(ValueBytes(*value), data, size);
  });
}

namespace {

// Reads a whole value of the wanted type in one look at the registry.
LONG QueryTyped(HKEY key, const std::string& name, DWORD wantedType, RegistryValue& result) {
  return ReadKey(key, KEY_QUERY_VALUE, [&](RegistryKey& target, const FILETIME&) {
    const RegistryValue* value = target.FindValue(name);
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    if (value->Type != wantedType) return ERROR_UNSUPPORTED_TYPE;
    result = *value;
    return ERROR_SUCCESS;
  });
}

}  // namespace

LONG RegQueryValueEx(HKEY key, const std::string& name, std::string& text) {
  RegistryValue value;
  const LONG r = QueryTyped(key, name, REG_SZ, value);
  if (r == ERROR_SUCCESS) text = std::move(value.Text);
  return r;
}

LONG RegQueryValueEx(HKEY key, const std::string& name, DWORD& number) {
  RegistryValue value;
  const LONG r = QueryTyped(key, name, REG_DWORD, value);
  if (r == ERROR_SUCCESS) number = value.Number;
  return r;
}

namespace {

// Deletes `subKey` below `key`; `withSubkeys` decides whether subkeys may go
// too. Without a subkey (only with `withSubkeys`) the key's content goes.
LONG DeleteKey(HKEY key, const char* subKey, bool withSubkeys) {
  std::vector<std::string> parts;
  if (LONG r = SplitPath(subKey, parts); r != ERROR_SUCCESS) return r;
  if (parts.empty() && !withSubkeys) return ERROR_INVALID_PARAMETER;
  return ChangeKey(key, 0, [&](RegistryKey& base, bool& modified) {
    if (parts.empty()) {
      modified = !base.Subkeys().empty() || !base.Values().empty();
      base.Clear();
      return ERROR_SUCCESS;
    }
    RegistryKey* parent = &base;
    for (size_t i = 0; i + 1 < parts.size() && parent != nullptr; ++i) {
      parent = parent->FindSubkey(parts[i]);
    }
    RegistryKey* target = parent == nullptr ? nullptr : parent->FindSubkey(parts.back());
    if (target == nullptr) return ERROR_FILE_NOT_FOUND;
    if (!withSubkeys && !target->Subkeys().empty()) return ERROR_ACCESS_DENIED;
    parent->RemoveSubkey(parts.back());
    modified = true;
    return ERROR_SUCCESS;
  });
}

}  // namespace

LONG RegDeleteKey(HKEY key, const char* subKey) { return DeleteKey(key, subKey, false); }

LONG RegDeleteTree(HKEY key, const char* subKey) { return DeleteKey(key, subKey, true); }

LONG RegDeleteValue(HKEY key, const char* name) {
  return ChangeKey(key, KEY_SET_VALUE, [&](RegistryKey& target, bool& modified) {
    modified = target.RemoveValue(name == nullptr ? "" : name);
    return modified ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD*, char* keyClass,
                  DWORD* classLength, FILETIME* lastWriteTime) {
  return ReadKey(key, KEY_ENUMERATE_SUB_KEYS, [&](RegistryKey& target, const FILETIME& changed) {
    const RegistryKey* subkey = target.SubkeyAt(index);
    if (subkey == nullptr) return ERROR_NO_MORE_ITEMS;
    if (LONG r = AnswerName(subkey->Name(), name, nameLength); r != ERROR_SUCCESS) return r;
    if (keyClass != nullptr && classLength != nullptr && *classLength > 0) *keyClass = '\0';
    if (classLength != nullptr) *classLength = 0;
    if (lastWriteTime != nullptr) *lastWriteTime = changed;
    return ERROR_SUCCESS;
  });
}

LONG RegEnumKeyEx(HKEY key, DWORD index, std::string& name) {
  return ReadKey(key, KEY_ENUMERATE_SUB_KEYS, [&](RegistryKey& target, const FILETIME&) {
    const RegistryKey* subkey = target.SubkeyAt(index);
    if (subkey == nullptr) return ERROR_NO_MORE_ITEMS;
    name = subkey->Name();
    return ERROR_SUCCESS;
  });
}

LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD*, DWORD* type,
                  BYTE* data, DWORD* dataSize) {
  return ReadKey(key, KEY_QUERY_VALUE, [&](RegistryKey& target, const FILETIME&) {
    if (index >= target.Values().size()) return ERROR_NO_MORE_ITEMS;
    const RegistryValue& value = target.Values()[index];
    if (LONG r = AnswerName(value.Name, name, nameLength); r != ERROR_SUCCESS) return r;
    if (type != nullptr) *type = value.Type;
    return AnswerData(ValueBytes(value), data, dataSize);
  });
}

LONG RegEnumValue(HKEY key, DWORD index, std::string& name, DWORD* type) {
  return ReadKey(key, KEY_QUERY_VALUE, [&](RegistryKey& target, const FILETIME&) {
    if (index >= target.Values().size()) return ERROR_NO_MORE_ITEMS;
    name = target.Values()[index].Name;
    if (type != nullptr) *type = target.Values()[index].Type;
    return ERROR_SUCCESS;
  });
}
