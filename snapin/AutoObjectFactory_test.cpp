#include "snapin/AutoObjectFactory.h"

#include <gtest/gtest.h>

#include "platform/win32/Library.h"
#include "snapin/FactoryTestSupport.h"
#include "snapin/RegistryKeys.h"
#include "snapin/RegistryTestSupport.h"

namespace {

class AutoObjectFactory : public ::testing::Test {
 protected:
  TComServer server_{TestLibrary()};
  TAutoObjectFactory factory_{server_, AutoClassOf<TTestThing>(), CLSID_TestThing, ciMultiInstance};
};

// A factory whose registration always fails.
class TUnregistrableFactory : public TAutoObjectFactory {
 public:
  using TAutoObjectFactory::TAutoObjectFactory;
  void UpdateRegistry(bool) override { throw EOleRegistrationError("no"); }
};

}  // namespace

TEST_F(AutoObjectFactory, TakesTheClassFromTheTypeLibrary) {
  EXPECT_EQ(factory_.ClassName(), "TTestThing");
  EXPECT_EQ(factory_.Description(), "Test Thing Object");
  EXPECT_EQ(factory_.ProgID(), "TestLib.TTestThing");
  EXPECT_EQ(server_.FindFactory(CLSID_TestThing), &factory_);
  EXPECT_THROW(TAutoObjectFactory(server_, AutoClassOf<TTestThing>(), LIBID_TestLib, ciInternal),
               EOleError);
  EXPECT_EQ(server_.FindFactory(LIBID_TestLib), nullptr);
}

TEST_F(AutoObjectFactory, EveryRequestMakesANewObjectThatTheServerCounts) {
  ComPtr<ITestThing> first;
  ComPtr<ITestThing> second;
  ASSERT_EQ(factory_.CreateInstance(nullptr, IID_ITestThing, first.ReleaseAndGetVoidAddress()),
            S_OK);
  ASSERT_EQ(factory_.CreateInstance(nullptr, IID_IUnknown, second.ReleaseAndGetVoidAddress()),
            S_OK);
  EXPECT_NE(first.Get(), second.Get());
  EXPECT_EQ(first->Answer(), 42);
  EXPECT_EQ(server_.ObjectCount(), 2);
  EXPECT_EQ(server_.CanUnloadNow(), S_FALSE);
  first.Reset();
  EXPECT_EQ(server_.CanUnloadNow(), S_FALSE);
  second.Reset();
  EXPECT_EQ(server_.ObjectCount(), 0);
  EXPECT_EQ(server_.CanUnloadNow(), S_OK);
}

TEST_F(AutoObjectFactory, FailedRequestsKeepNothingAlive) {
  void* object = &factory_;
  EXPECT_EQ(factory_.CreateInstance(&factory_, IID_ITestThing, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  object = &factory_;
  EXPECT_EQ(factory_.CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory_.CreateInstance(nullptr, IID_ITestThing, nullptr), E_POINTER);

  TAutoObjectFactory failing(server_, AutoClassOf<TFailingThing>(), CLSID_FailingThing,
                             ciMultiInstance);
  object = &factory_;
  EXPECT_EQ(failing.CreateInstance(nullptr, IID_ITestThing, &object), E_UNEXPECTED);
  EXPECT_EQ(object, nullptr);
  TAutoObjectFactory huge(server_, AutoClassOf<THugeThing>(), CLSID_HugeThing, ciMultiInstance);
  EXPECT_EQ(huge.CreateInstance(nullptr, IID_ITestThing, &object), E_OUTOFMEMORY);

  EXPECT_EQ(server_.ObjectCount(), 0);
  EXPECT_EQ(server_.CanUnloadNow(), S_OK);
}

TEST_F(AutoObjectFactory, TheServerAnswersTheFactoryOfAClass) {
  ComPtr<IClassFactory> held;
  ASSERT_EQ(
      server_.GetClassObject(CLSID_TestThing, IID_IClassFactory, held.ReleaseAndGetVoidAddress()),
      S_OK);
  EXPECT_EQ(held.Get(), &factory_);
  EXPECT_EQ(factory_.RefCount(), 1u);
  EXPECT_EQ(server_.CanUnloadNow(), S_FALSE);  // a held factory keeps the module
  held.Reset();
  EXPECT_EQ(server_.CanUnloadNow(), S_OK);

  void* object = &factory_;
  EXPECT_EQ(server_.GetClassObject(CLSID_FailingThing, IID_IClassFactory, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  object = &factory_;
  EXPECT_EQ(server_.GetClassObject(CLSID_TestThing, IID_ITestThing, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(server_.GetClassObject(CLSID_TestThing, IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(factory_.RefCount(), 0u);
}

TEST_F(AutoObjectFactory, LocksKeepTheModuleAndNeverGoBelowNone) {
  EXPECT_EQ(factory_.LockServer(TRUE), S_OK);
  EXPECT_EQ(factory_.LockServer(TRUE), S_OK);
  EXPECT_EQ(factory_.LockServer(FALSE), S_OK);
  EXPECT_EQ(server_.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory_.LockServer(FALSE), S_OK);
  EXPECT_EQ(server_.CanUnloadNow(), S_OK);
  EXPECT_EQ(factory_.LockServer(FALSE), E_UNEXPECTED);
  EXPECT_EQ(server_.LockCount(), 0);
  EXPECT_EQ(factory_.LockServer(TRUE), S_OK);
  EXPECT_EQ(server_.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory_.LockServer(FALSE), S_OK);
}

TEST_F(AutoObjectFactory, RegistersAndRemovesTheClassKeys) {
  TestRegistry registry;
  factory_.UpdateRegistry(true);
  const auto value = [](const std::string& key) { return ValueText(HKEY_CLASSES_ROOT, key); };
  EXPECT_EQ(value(kTestClassKey), "Test Thing Object");
  EXPECT_EQ(value(kTestClassKey + "\\InprocServer32"), GetModuleFileName(nullptr));
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, kTestClassKey + "\\InprocServer32", "ThreadingModel"),
            std::nullopt);
  EXPECT_EQ(value(kTestClassKey + "\\ProgID"), "TestLib.TTestThing");
  EXPECT_EQ(value(kTestClassKey + "\\Version"), "1.10");
  EXPECT_EQ(value(kTestClassKey + "\\TypeLib"), "{2D7F1A64-8C3E-4B5A-A1D2-3E4F5A6B7C80}");
  EXPECT_EQ(value("TestLib.TTestThing"), "Test Thing Object");
  EXPECT_EQ(value("TestLib.TTestThing\\Clsid"), "{2D7F1A61-8C3E-4B5A-A1D2-3E4F5A6B7C80}");

  // Keys that others hang under the class key stay, with the class key.
  CreateRegKey(kTestClassKey + "\\Implemented Categories", "", "");
  factory_.UpdateRegistry(false);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "TestLib.TTestThing"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTestClassKey + "\\InprocServer32"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTestClassKey + "\\TypeLib"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kTestClassKey + "\\Implemented Categories"));
}

TEST_F(AutoObjectFactory, AnInternalClassIsNeverRegistered) {
  TestRegistry registry;
  TAutoObjectFactory internal(server_, AutoClassOf<TTestThing>(), CLSID_FailingThing, ciInternal);
  internal.UpdateRegistry(true);
  EXPECT_EQ(registry.Text(), "");
}

TEST_F(AutoObjectFactory, ServerRegistrationNamesWhatFailed) {
  TestRegistry registry;
  EXPECT_EQ(server_.UpdateRegistry(true), S_OK);
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, "TypeLib\\{2D7F1A64-8C3E-4B5A-A1D2-3E4F5A6B7C80}\\1.a"),
            "Test Library");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kTestClassKey));
  {
    TUnregistrableFactory broken(server_, AutoClassOf<TTestThing>(), CLSID_FailingThing,
                                 ciMultiInstance);
    EXPECT_EQ(server_.UpdateRegistry(true), SELFREG_E_CLASS);
    EXPECT_EQ(server_.UpdateRegistry(false), SELFREG_E_CLASS);
  }
  EXPECT_EQ(server_.UpdateRegistry(false), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTestClassKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "TypeLib\\{2D7F1A64-8C3E-4B5A-A1D2-3E4F5A6B7C80}"));

  registry.MakeUnwritable();
  EXPECT_EQ(server_.UpdateRegistry(true), SELFREG_E_TYPELIB);
  EXPECT_EQ(server_.UpdateRegistry(false), SELFREG_E_CLASS);
}
