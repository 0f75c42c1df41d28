#include "platform/win32/Library.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>

namespace {

thread_local std::string tLoaderError;

template <class T>
T FailWith(DWORD error, T result) {
  SetLastError(error);
  const char* text = dlerror();
  tLoaderError = text != nullptr ? text : "";
  return result;
}

link_map* MapOf(HMODULE module) { return reinterpret_cast<link_map*>(module); }

link_map* ProgramMap() {
  void* program = dlopen(nullptr, RTLD_LAZY);
  link_map* map = nullptr;
  dlinfo(program, RTLD_DI_LINKMAP, &map);
  dlclose(program);
  return map;
}

// Whether `module` is the loader's handle of a module loaded now, so that a
// stale or foreign handle is rejected instead of reaching the loader.
bool IsLoaded(HMODULE module) {
  if (module == nullptr) return false;
  for (link_map* map = ProgramMap(); map != nullptr; map = map->l_next) {
    if (map == MapOf(module)) return true;
  }
  return false;
}

std::string FullFileName(HMODULE module) {
  const char* name = module == nullptr ? "" : MapOf(module)->l_name;
  if (name[0] == '\0') {
    char program[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    return length > 0 ? std::string(program, static_cast<size_t>(length)) : std::string();
  }
  char resolved[PATH_MAX];
  return realpath(name, resolved) != nullptr ? resolved : name;
}

}  // namespace

HMODULE LoadLibrary(const char* fileName) {
  if (fileName == nullptr || *fileName == '\0') {
    return FailWith<HMODULE>(ERROR_INVALID_PARAMETER, nullptr);
  }
  void* handle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return FailWith<HMODULE>(ERROR_MOD_NOT_FOUND, nullptr);
  return reinterpret_cast<HMODULE>(handle);
}

HMODULE LoadLibraryA(const char* fileName) { return LoadLibrary(fileName); }

BOOL FreeLibrary(HMODULE module) {
  if (!IsLoaded(module) || dlclose(module) != 0) {
    return FailWith<BOOL>(ERROR_INVALID_HANDLE, FALSE);
  }
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
  if (!IsLoaded(module)) return FailWith<FARPROC>(ERROR_INVALID_HANDLE, nullptr);
  if (procName == nullptr) return FailWith<FARPROC>(ERROR_PROC_NOT_FOUND, nullptr);
  dlerror();
  void* address = dlsym(module, procName);
  if (address == nullptr) return FailWith<FARPROC>(ERROR_PROC_NOT_FOUND, nullptr);
  return address;
}

HMODULE GetModuleHandle(const char* moduleName) {
  if (moduleName == nullptr) return reinterpret_cast<HMODULE>(ProgramMap());
  void* handle = dlopen(moduleName, RTLD_LAZY | RTLD_NOLOAD);
  if (handle == nullptr) return FailWith<HMODULE>(ERROR_MOD_NOT_FOUND, nullptr);
  dlclose(handle);  // RTLD_NOLOAD still raised the count
  return reinterpret_cast<HMODULE>(handle);
}

HMODULE GetModuleHandleFromAddress(const void* address) {
  Dl_info info{};
  link_map* map = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
      map == nullptr) {
    return FailWith<HMODULE>(ERROR_MOD_NOT_FOUND, nullptr);
  }
  return reinterpret_cast<HMODULE>(map);
}

DWORD GetModuleFileName(HMODULE module, char* fileName, DWORD size) {
  if (module != nullptr && !IsLoaded(module)) return FailWith<DWORD>(ERROR_INVALID_HANDLE, 0);
  if (fileName == nullptr || size == 0) return FailWith<DWORD>(ERROR_INSUFFICIENT_BUFFER, 0);
  const std::string name = FullFileName(module);
  if (name.size() + 1 > size) {
    std::memcpy(fileName, name.data(), size - 1);
    fileName[size - 1] = '\0';
    return FailWith<DWORD>(ERROR_INSUFFICIENT_BUFFER, size);
  }
  std::memcpy(fileName, name.c_str(), name.size() + 1);
  return static_cast<DWORD>(name.size());
}

DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size) {
  return GetModuleFileName(module, fileName, size);
}

std::string GetModuleFileName(HMODULE module) {
  if (module != nullptr && !IsLoaded(module))
    return FailWith<std::string>(ERROR_INVALID_HANDLE, {});
  return FullFileName(module);
}

std::string LoaderErrorText() { return tLoaderError; }
