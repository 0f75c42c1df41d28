#include "snapin/ThreadedFactory.h"

#include <gtest/gtest.h>

#include "snapin/FactoryTestSupport.h"
#include "snapin/RegistryTestSupport.h"

namespace {

class ThreadedFactory : public ::testing::Test {
 protected:
  TestRegistry registry_;
  TComServer server_{TestLibrary()};

  std::optional<std::string> RegisteredModel(TClassInstancing instancing, TThreadingModel model) {
    TThreadedAutoObjectFactory factory(server_, AutoClassOf<TTestThing>(), CLSID_TestThing,
                                       instancing, model);
    factory.UpdateRegistry(true);
    std::optional<std::string> text =
        ValueText(HKEY_CLASSES_ROOT, kTestClassKey + "\\InprocServer32", "ThreadingModel");
    factory.UpdateRegistry(false);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTestClassKey));
    return text;
  }
};

}  // namespace

TEST_F(ThreadedFactory, WritesTheThreadingModelBesideTheModule) {
  EXPECT_EQ(RegisteredModel(ciMultiInstance, tmApartment), "Apartment");
  EXPECT_EQ(RegisteredModel(ciSingleInstance, tmBoth), "Both");
  EXPECT_EQ(RegisteredModel(ciMultiInstance, tmFree), "Free");
  EXPECT_EQ(RegisteredModel(ciMultiInstance, tmSingle), std::nullopt);
  EXPECT_EQ(RegisteredModel(ciMultiInstance, static_cast<TThreadingModel>(4)), std::nullopt);
  EXPECT_EQ(RegisteredModel(ciInternal, tmFree), std::nullopt);
}

TEST_F(ThreadedFactory, RegistersTheModelSetLast) {
  TThreadedAutoObjectFactory factory(server_, AutoClassOf<TTestThing>(), CLSID_TestThing,
                                     ciMultiInstance, tmApartment);
  factory.UpdateRegistry(true);
  factory.SetThreadingModel(tmFree);
  factory.UpdateRegistry(true);
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, kTestClassKey + "\\InprocServer32", "ThreadingModel"),
            "Free");
}
