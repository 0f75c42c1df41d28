#pragma once
// TSnapinModule: a snap-in module loaded with LoadLibrary. It makes objects
// through the module's DllGetClassObject and class factory. Its reference to
// the module is dropped on destruction when DllCanUnloadNow agrees, else as
// soon as it agrees at a later owner's destruction (objects of the module may
// live on in another owner's hands), so every load is matched by one
// FreeLibrary once the module is no longer used.
// RegisterModule calls a module's DllRegisterServer or DllUnregisterServer,
// as a registration tool does. Failures raise EConsoleError.

#include <optional>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/mmc/MmcInterfaces.h"
#include "platform/win32/WinTypes.h"

class TSnapinModule {
 public:
  explicit TSnapinModule(const std::string& path);
  ~TSnapinModule();
  TSnapinModule(const TSnapinModule&) = delete;
  TSnapinModule& operator=(const TSnapinModule&) = delete;

  const std::string& Path() const { return path_; }
  ComPtr<IComponentData> CreateComponentData(const CLSID& clsid);
  // DllCanUnloadNow answers S_OK (false when the module has no such entry).
  bool CanUnloadNow() const;
  // Calls an entry without arguments (DllRegisterServer, ...); nullopt when
  // the module has no such entry.
  std::optional<HRESULT> CallEntry(const char* name) const;

 private:
  void* Entry(const char* name) const;

  std::string path_;
  HMODULE module_ = nullptr;
};

// Loads `path` and calls its DllRegisterServer (or DllUnregisterServer),
// holding the registry meanwhile (a registration running in another process
// is waited for). A failure names the registry's problem when there was one
// (a damaged registry file: its path, line and reason).
void RegisterModule(const std::string& path, bool unregister);
