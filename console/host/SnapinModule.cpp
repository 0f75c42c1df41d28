#include "console/host/SnapinModule.h"

#include <filesystem>
#include <vector>

#include "console/host/ConsoleError.h"
#include "platform/com/ClassFactory.h"
#include "platform/win32/Library.h"
#include "platform/win32/Registry.h"

namespace {

using GetClassObjectEntry = HRESULT (*)(const CLSID&, const IID&, void**);
using PlainEntry = HRESULT (*)();

// A path the loader takes as it stands: relative paths are made absolute so
// that a bare file name is not looked up in the library path.
std::string LoadablePath(const std::string& path) {
  if (path.find('/') == std::string::npos && !std::filesystem::exists(path)) return path;
  return std::filesystem::absolute(path).string();
}

}  // namespace

TSnapinModule::TSnapinModule(const std::string& path) : path_(path) {
  module_ = LoadLibrary(LoadablePath(path).c_str());
  if (module_ == nullptr) {
    throw EConsoleError("cannot load the snap-in module " + path + ": " + LoaderErrorText());
  }
}

namespace {

// References of modules whose objects outlived the module's owner (another
// owner of the same module, or an object the module keeps): each is dropped
// as soon as its module says it can be unloaded.
std::vector<HMODULE>& Lingering() {
  static std::vector<HMODULE> modules;
  return modules;
}

bool ModuleCanUnload(HMODULE module) {
  auto canUnload = reinterpret_cast<PlainEntry>(GetProcAddress(module, "DllCanUnloadNow"));
  return canUnload != nullptr && canUnload() == S_OK;
}

}  // namespace

TSnapinModule::~TSnapinModule() {
  std::vector<HMODULE>& lingering = Lingering();
  lingering.push_back(module_);
  std::erase_if(lingering,
                [](HMODULE module) { return ModuleCanUnload(module) && FreeLibrary(module); });
}

void* TSnapinModule::Entry(const char* name) const { return GetProcAddress(module_, name); }

std::optional<HRESULT> TSnapinModule::CallEntry(const char* name) const {
  auto entry = reinterpret_cast<PlainEntry>(Entry(name));
  if (entry == nullptr) return std::nullopt;
  return entry();
}

bool TSnapinModule::CanUnloadNow() const { return ModuleCanUnload(module_); }

ComPtr<IComponentData> TSnapinModule::CreateComponentData(const CLSID& clsid) {
  auto getClassObject = reinterpret_cast<GetClassObjectEntry>(Entry("DllGetClassObject"));
  if (getClassObject == nullptr)
    throw EConsoleError(path_ + " is not a snap-in module (no DllGetClassObject)");
  ComPtr<IClassFactory> factory;
  HRESULT hr = getClassObject(clsid, IID_IClassFactory, factory.ReleaseAndGetVoidAddress());
  if (FAILED(hr) || !factory) {
    throw EConsoleError(FailureText(path_ + " has no class " + GuidToString(clsid), hr));
  }
  ComPtr<IComponentData> data;
  hr = factory->CreateInstance(nullptr, IID_IComponentData, data.ReleaseAndGetVoidAddress());
  if (FAILED(hr) || !data) throw EConsoleError(FailureText("the snap-in could not be created", hr));
  return data;
}

void RegisterModule(const std::string& path, bool unregister) {
  const char* name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  // A registration and an unregistration at the same moment would undo each
  // other's keys half-way: the second one waits for the first to end.
  const TRegistryLock registry;
  if (!registry.Held()) {
    throw EConsoleError(std::string(name) + " of " + path +
                        " did not run: the registry is busy: " + registry.Problem());
  }
  TSnapinModule module(path);
  const std::optional<HRESULT> hr = module.CallEntry(name);
  if (!hr) throw EConsoleError(path + " has no " + name);
  if (FAILED(*hr)) {
    const std::string failed = FailureText(std::string(name) + " of " + path + " failed", *hr);
    // The module shares the console's registry, whose failure says more than
    // the module's result code: the file, the line and the problem.
    throw EConsoleError(registry.Problem().empty() ? failed : failed + ": " + registry.Problem());
  }
}
