// Tests of the built module libVAZERir.so, loaded as the console loads it.
#include "snapin/VAZERir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/mmc/PersistStream.h"
#include "platform/win32/Library.h"
#include "snapin/RegistryKeys.h"
#include "snapin/RegistryTestSupport.h"

namespace {

constexpr CLSID kSnapinClass = GuidLiteral("{096D8D3A-B78A-11D2-BD6B-00805F536E80}");
const std::string kClassKey = "CLSID\\{096D8D3A-B78A-11D2-BD6B-00805F536E80}";
const std::string kModuleSnapinKey =
    "SOFTWARE\\Microsoft\\MMC\\Snapins\\{096D8D3A-B78A-11D2-BD6B-00805F536E80}";
const std::string kTypeLibKey = "TypeLib\\{096D8D37-B78A-11D2-BD6B-00805F536E80}";
const std::string kModuleInterfaceKey = "Interface\\{096D8D38-B78A-11D2-BD6B-00805F536E80}";

// The module loaded through the platform's loader, with its entry points.
class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path) : handle_(LoadLibrary(path.c_str())) {
    if (handle_ == nullptr) ADD_FAILURE() << "cannot load " << path << ": " << LoaderErrorText();
  }
  ~LoadedModule() {
    if (handle_ != nullptr) FreeLibrary(handle_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  HRESULT GetClassObject(const CLSID& classID, const IID& iid, void** object) const {
    return Proc<DllGetClassObjectProc>("DllGetClassObject")(classID, iid, object);
  }
  HRESULT CanUnloadNow() const { return Proc<DllCanUnloadNowProc>("DllCanUnloadNow")(); }
  HRESULT Register() const { return Proc<DllRegisterServerProc>("DllRegisterServer")(); }
  HRESULT Unregister() const { return Proc<DllUnregisterServerProc>("DllUnregisterServer")(); }

  ComPtr<IClassFactory> Factory() const {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(GetClassObject(kSnapinClass, IID_IClassFactory, factory.ReleaseAndGetVoidAddress()),
              S_OK);
    return factory;
  }

 private:
  template <class P>
  P Proc(const char* name) const {
    FARPROC address = handle_ != nullptr ? GetProcAddress(handle_, name) : nullptr;
    if (address == nullptr) throw std::runtime_error(std::string("no entry point ") + name);
    return reinterpret_cast<P>(address);
  }

  HMODULE handle_;
};

// The names of the symbols a shared object defines for others.
std::set<std::string> ExportedSymbols(const std::string& path) {
  std::set<std::string> names;
  FILE* nm = popen(("nm -D --defined-only '" + path + "'").c_str(), "r");
  if (nm == nullptr) return names;
  char line[1024];
  while (std::fgets(line, sizeof line, nm) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    names.insert(text.substr(text.rfind(' ') + 1));
  }
  EXPECT_EQ(pclose(nm), 0);
  return names;
}

std::string ModulePath() { return std::filesystem::canonical(KR_VAZERIR_MODULE).string(); }

class VAZERirModule : public ::testing::Test {
 protected:
  TestRegistry registry_;
  LoadedModule module_{KR_VAZERIR_MODULE};

  std::optional<std::string> Classes(const std::string& key, const std::string& name = "") {
    return ValueText(HKEY_CLASSES_ROOT, key, name);
  }
  std::optional<std::string> Machine(const std::string& key, const std::string& name = "") {
    return ValueText(HKEY_LOCAL_MACHINE, key, name);
  }
};

}  // namespace

TEST(VAZERirExports, OnlyTheFourEntryPointsLeaveTheModule) {
  EXPECT_EQ(ExportedSymbols(KR_VAZERIR_MODULE),
            (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                   "DllUnregisterServer"}));
}

TEST_F(VAZERirModule, RegistrationWritesTheClassTheTypeLibraryAndTheSnapin) {
  ASSERT_EQ(module_.Register(), S_OK);
  const std::string path = ModulePath();

  EXPECT_EQ(Classes(kClassKey), "Test1 Object");
  EXPECT_EQ(Classes(kClassKey + "\\InprocServer32"), path);
  EXPECT_EQ(Classes(kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(Classes(kClassKey + "\\ProgID"), "VAZERir.TKRComponentData");
  EXPECT_EQ(Classes(kClassKey + "\\Version"), "1.0");
  EXPECT_EQ(Classes(kClassKey + "\\TypeLib"), "{096D8D37-B78A-11D2-BD6B-00805F536E80}");
  EXPECT_EQ(Classes("VAZERir.TKRComponentData"), "Test1 Object");
  EXPECT_EQ(Classes("VAZERir.TKRComponentData\\Clsid"), "{096D8D3A-B78A-11D2-BD6B-00805F536E80}");

  EXPECT_EQ(Classes(kTypeLibKey + "\\1.0"), "Project2 Library");
  EXPECT_EQ(Classes(kTypeLibKey + "\\1.0\\409\\win64"), path);
  EXPECT_EQ(Classes(kTypeLibKey + "\\1.0\\HELPDIR"),
            std::filesystem::path(path).parent_path().string());
  EXPECT_EQ(Classes(kModuleInterfaceKey), "IKRComponentData");
  EXPECT_EQ(Classes(kModuleInterfaceKey + "\\TypeLib"), "{096D8D37-B78A-11D2-BD6B-00805F536E80}");

  EXPECT_EQ(Machine(kModuleSnapinKey), "NorvikSCS Vuzivu Zezera");
  EXPECT_EQ(Machine(kModuleSnapinKey, "Provider"), "Norvik");
  EXPECT_EQ(Machine(kModuleSnapinKey, "NameString"), "NorvikSCS Vuzivu Zezera");
  EXPECT_EQ(Machine(kModuleSnapinKey + "\\StandAlone"), "");

  // Registering again leaves exactly the same keys and values.
  const std::string once = registry_.Text();
  ASSERT_EQ(module_.Register(), S_OK);
  EXPECT_EQ(registry_.Text(), once);
}

TEST_F(VAZERirModule, UnregistrationRemovesEveryKeyAndToleratesMissingOnes) {
  CreateRegKey("SOFTWARE\\Microsoft\\MMC\\Snapins\\{Other}", "NameString", "Other",
               HKEY_LOCAL_MACHINE);
  ASSERT_EQ(module_.Register(), S_OK);
  ASSERT_EQ(module_.Unregister(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kModuleSnapinKey + "\\StandAlone"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kModuleSnapinKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "VAZERir.TKRComponentData"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTypeLibKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kModuleInterfaceKey));
  // Other snap-ins are not touched.
  EXPECT_EQ(Machine("SOFTWARE\\Microsoft\\MMC\\Snapins\\{Other}", "NameString"), "Other");

  EXPECT_EQ(module_.Unregister(), S_OK);
}

TEST_F(VAZERirModule, TheFactoryMakesANewComponentDataPerRequest) {
  ComPtr<IClassFactory> factory = module_.Factory();
  ASSERT_TRUE(factory);
  ComPtr<IPersistStream> first;
  ComPtr<IUnknown> second;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPersistStream, first.ReleaseAndGetVoidAddress()),
            S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, second.ReleaseAndGetVoidAddress()),
            S_OK);
  EXPECT_FALSE(IsSameObject(first.Get(), second.Get()));
  CLSID classID{};
  first->GetClassID(&classID);
  EXPECT_EQ(classID, kSnapinClass);

  factory.Reset();
  EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);  // two objects alive
  first.Reset();
  EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
  second.Reset();
  EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(VAZERirModule, LocksAndHeldFactoriesKeepTheModuleLoaded) {
  EXPECT_EQ(module_.CanUnloadNow(), S_OK);
  ComPtr<IClassFactory> factory = module_.Factory();
  ASSERT_TRUE(factory);
  EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
  factory = module_.Factory();
  ASSERT_EQ(factory->LockServer(FALSE), S_OK);
  factory.Reset();
  EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(VAZERirModule, RequestsTheModuleCannotServe) {
  void* object = &module_;
  EXPECT_EQ(module_.GetClassObject(IID_IClassFactory, IID_IClassFactory, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  object = &module_;
  EXPECT_EQ(module_.GetClassObject(kSnapinClass, IID_IPersistStream, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(module_.GetClassObject(kSnapinClass, IID_IClassFactory, nullptr), E_POINTER);

  ComPtr<IClassFactory> factory = module_.Factory();
  ASSERT_TRUE(factory);
  ComPtr<IUnknown> outer = module_.Factory();
  object = &module_;
  EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  object = &module_;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  factory.Reset();
  outer.Reset();
  EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(VAZERirModule, ARegistryThatCannotBeWrittenFailsRegistration) {
  ASSERT_EQ(module_.Register(), S_OK);
  const std::string registered = registry_.Text();
  registry_.MakeUnwritable();
  EXPECT_TRUE(FAILED(module_.Register()));
  EXPECT_TRUE(FAILED(module_.Unregister()));
  EXPECT_EQ(registry_.Text(), registered);
}

TEST_F(VAZERirModule, ARegistryThatCannotBeReadIsLeftAlone) {
  const std::string corrupt = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\nbroken\n";
  WriteFile(registry_.FilePath(), corrupt);
  EXPECT_TRUE(FAILED(module_.Register()));
  EXPECT_EQ(registry_.Text(), corrupt);
}

TEST_F(VAZERirModule, EachLoadedCopyRegistersItsOwnPathBlanksIncluded) {
  const std::filesystem::path copyDir = registry_.Dir().Path() / "my modules";
  std::filesystem::create_directory(copyDir);
  const std::string copy = (copyDir / "libVAZERir.so").string();
  std::filesystem::copy_file(KR_VAZERIR_MODULE, copy);
  LoadedModule second(copy);

  ASSERT_EQ(second.Register(), S_OK);
  EXPECT_EQ(Classes(kClassKey + "\\InprocServer32"), std::filesystem::canonical(copy).string());
  EXPECT_EQ(Classes(kTypeLibKey + "\\1.0\\HELPDIR"), std::filesystem::canonical(copyDir).string());

  // The copies share nothing: each keeps its own objects and registration.
  ComPtr<IClassFactory> factory = second.Factory();
  EXPECT_EQ(second.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(module_.CanUnloadNow(), S_OK);
  factory.Reset();
  ASSERT_EQ(module_.Register(), S_OK);
  EXPECT_EQ(Classes(kClassKey + "\\InprocServer32"), ModulePath());
}
