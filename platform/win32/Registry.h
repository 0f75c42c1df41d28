#pragma once
// The registry: three hives (HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE,
// HKEY_CURRENT_USER) kept in one REGEDIT4 text file, at $VAZERIR_REGISTRY or
// else ~/.config/vazerir/registry.reg (its directory is created on the first
// write). Functions answer the Win32 result codes of WinTypes.h.
//
// - Key paths use '\'. Key and value names compare without regard to case and
//   keep the case they were first created with. The empty value name is the
//   key's default value (written `@=` in the file).
// - Values are REG_SZ (text, UTF-8) or REG_DWORD. A REG_SZ is stored up to its
//   first NUL; reading it back gives the text with one terminating NUL.
// - Every change takes an exclusive lock (flock on "<file>.lock"), reads the
//   file again, applies the change and writes a temporary file that is
//   renamed over the old one, so concurrent writers in several processes never
//   lose each other's changes and readers always see a complete file. A
//   writer waits for another one's lock up to kRegistryLockWait, then fails
//   with ERROR_WRITE_FAULT. A sequence of changes that must not interleave
//   with another process's holds the lock throughout (TRegistryLock).
// - The file is saved through a symbolic link to the file it leads to; a
//   path where something other than a regular file stands, or a read-only
//   file, is refused (ERROR_READ_FAULT or ERROR_WRITE_FAULT) and left alone.
// - A file that cannot be parsed is left untouched: every call answers
//   ERROR_BADDB, and RegistryErrorText() tells the file, line and problem.
// - An open key handle names a path; when another caller deletes that key the
//   handle answers ERROR_KEY_DELETED. Handles are never reused.
// - RegDeleteKey refuses a key that still has subkeys (ERROR_ACCESS_DENIED);
//   RegDeleteTree removes a key with everything below it.
// - The access mask given when a key is opened is honoured: queries and
//   enumeration need KEY_QUERY_VALUE/KEY_ENUMERATE_SUB_KEYS, changes of values
//   KEY_SET_VALUE, creating a subkey KEY_CREATE_SUB_KEY (ERROR_ACCESS_DENIED
//   otherwise). The predefined root handles have every right.

#include <chrono>
#include <string>

#include "platform/win32/WinTypes.h"

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<intptr_t>(INT32_MIN));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<intptr_t>(INT32_MIN + 1));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<intptr_t>(INT32_MIN + 2));

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x1;
inline constexpr REGSAM KEY_SET_VALUE = 0x2;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x4;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x8;
inline constexpr REGSAM KEY_NOTIFY = 0x10;
inline constexpr REGSAM KEY_CREATE_LINK = 0x20;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_EXECUTE = KEY_READ;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_OPTION_VOLATILE = 1;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Creates `subKey` (and any missing keys on its path) under `key`, or opens
// it when it exists; `disposition` (optional) tells which. `keyClass`,
// `options` and `security` are accepted and ignored.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                     REGSAM desired, const void* security, HKEY* result, DWORD* disposition);
LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                    REGSAM desired, const void* security, HKEY* result, DWORD* disposition);
LONG RegCreateKeyEx(HKEY key, const std::string& subKey, HKEY* result,
                    DWORD* disposition = nullptr);

// Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist. A null
// or empty `subKey` opens a new handle to `key` itself.
LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM desired, HKEY* result);
LONG RegOpenKeyEx(HKEY key, const std::string& subKey, REGSAM desired, HKEY* result);

LONG RegCloseKey(HKEY key);

// Sets a REG_SZ (data is text, its size may include the terminating NUL) or
// a REG_DWORD (size must be 4); other types answer ERROR_INVALID_PARAMETER.
LONG RegSetValueEx(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD size);
LONG RegSetValueEx(HKEY key, const std::string& name, const std::string& text);
LONG RegSetValueEx(HKEY key, const std::string& name, DWORD number);

// Reads a value. `type` and `size` are optional; with `data` null only the
// type and the size in bytes are answered. A buffer smaller than the value
// answers ERROR_MORE_DATA with the needed size in `*size`. A missing value
// answers ERROR_FILE_NOT_FOUND.
LONG RegQueryValueEx(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* size);
// Convenience forms: ERROR_UNSUPPORTED_TYPE when the value has the other type.
LONG RegQueryValueEx(HKEY key, const std::string& name, std::string& text);
LONG RegQueryValueEx(HKEY key, const std::string& name, DWORD& number);

// Deletes a key without subkeys. A missing key answers ERROR_FILE_NOT_FOUND;
// a null or empty `subKey` answers ERROR_INVALID_PARAMETER.
LONG RegDeleteKey(HKEY key, const char* subKey);
// Deletes `subKey` with all its subkeys and values; a null `subKey` deletes
// the subkeys and values of `key` itself and keeps the key.
LONG RegDeleteTree(HKEY key, const char* subKey);
LONG RegDeleteValue(HKEY key, const char* name);

// Enumerates the subkeys (sorted by name without regard to case) and the
// values (in the order they were created). `nameLength` holds the buffer's
// size in characters on entry and the name's length without the NUL on
// success; a buffer too small answers ERROR_MORE_DATA. An index past the end
// answers ERROR_NO_MORE_ITEMS. The class outputs answer an empty class; the
// write time is the registry file's last change.
LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved,
                  char* keyClass, DWORD* classLength, FILETIME* lastWriteTime);
LONG RegEnumKeyEx(HKEY key, DWORD index, std::string& name);
LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved,
                  DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegEnumValue(HKEY key, DWORD index, std::string& name, DWORD* type = nullptr);

// The registry file in use ($VAZERIR_REGISTRY or the default), read from the
// environment at each call.
std::string RegistryFilePath();
// The description of this thread's last ERROR_BADDB, ERROR_READ_FAULT or
// ERROR_WRITE_FAULT ("path:line: problem" for a file that cannot be parsed).
std::string RegistryErrorText();

// How long a writer waits for another one's lock.
inline constexpr std::chrono::milliseconds kRegistryLockWait{30000};

// Holds the registry for a sequence of changes of the calling thread that
// must not interleave with others (a module's registration, while another
// process unregisters it): while it lives, that thread's changes go ahead,
// and those of other threads and processes wait for it. Making one waits up
// to `wait` for another holder. Problem() is why it was not obtained, or else
// the first failure of a change of the holding thread since (empty: none).
// Made again on a thread that holds the registry, it holds nothing more.
class TRegistryLock {
 public:
  explicit TRegistryLock(std::chrono::milliseconds wait = kRegistryLockWait);
  ~TRegistryLock();
  TRegistryLock(const TRegistryLock&) = delete;
  TRegistryLock& operator=(const TRegistryLock&) = delete;

  bool Held() const { return held_; }
  const std::string& Problem() const { return problem_; }

 private:
  int fd_ = -1;  // the lock, when this object took it
  bool held_ = false;
  std::string problem_;
};
