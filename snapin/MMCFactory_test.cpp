#include "snapin/MMCFactory.h"

#include <gtest/gtest.h>

#include "snapin/FactoryTestSupport.h"
#include "snapin/RegistryKeys.h"
#include "snapin/RegistryTestSupport.h"

namespace {

const std::string kMMC = "SOFTWARE\\Microsoft\\MMC";
const std::string kSnapinKey = kMMC + "\\Snapins\\{2D7F1A61-8C3E-4B5A-A1D2-3E4F5A6B7C80}";

class MMCKeys : public ::testing::Test {
 protected:
  TestRegistry registry_;
};

std::optional<std::string> Machine(const std::string& key, const std::string& name = "") {
  return ValueText(HKEY_LOCAL_MACHINE, key, name);
}

}  // namespace

TEST_F(MMCKeys, KeysGoUnderTheConsolesKeyWithOrWithoutALeadingBackslash) {
  CreateMMCKey("Snapins\\A", "", "a");
  CreateMMCKey("\\Snapins\\B", "Name", "b");
  CreateMMCKey("", "Top", "t");
  EXPECT_EQ(Machine(kMMC + "\\Snapins\\A"), "a");
  EXPECT_EQ(Machine(kMMC + "\\Snapins\\B", "Name"), "b");
  EXPECT_EQ(Machine(kMMC, "Top"), "t");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kMMC));
}

TEST_F(MMCKeys, AnEmptyValueStillWritesItsTerminator) {
  CreateMMCKey("Snapins\\A\\StandAlone", "", "");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kMMC + "\\Snapins\\A\\StandAlone", KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD type = REG_NONE;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 1u);
}

TEST_F(MMCKeys, AKeyThatCannotBeWrittenRaises) {
  registry_.MakeUnwritable();
  try {
    CreateMMCKey("Snapins\\A", "", "a");
    FAIL() << "no error raised";
  } catch (const EOleRegistrationError& error) {
    EXPECT_EQ(error.Message(), "Unable to create snapin key");
  }
}

TEST_F(MMCKeys, DeletionIgnoresFailures) {
  CreateMMCKey("Snapins\\A\\StandAlone", "", "");
  EXPECT_NO_THROW(DeleteMMCKey("Snapins\\A"));  // still has a subkey
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMMC + "\\Snapins\\A\\StandAlone"));
  DeleteMMCKey("\\Snapins\\A\\StandAlone");
  DeleteMMCKey("Snapins\\A");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMMC + "\\Snapins\\A"));
  EXPECT_NO_THROW(DeleteMMCKey("Snapins\\A"));
  registry_.MakeUnwritable();
  EXPECT_NO_THROW(DeleteMMCKey("Snapins\\B"));
}

TEST_F(MMCKeys, TheFactoryRegistersAStandAloneSnapin) {
  TComServer server(TestLibrary());
  TMMCObjectFactory factory("My Snap-in", server, AutoClassOf<TTestThing>(), CLSID_TestThing,
                            ciMultiInstance);
  EXPECT_EQ(factory.SnapinName(), "My Snap-in");
  EXPECT_EQ(factory.ThreadingModel(), tmApartment);

  factory.UpdateRegistry(true);
  EXPECT_EQ(Machine(kSnapinKey), "My Snap-in");
  EXPECT_EQ(Machine(kSnapinKey, "Provider"), "Norvik");
  EXPECT_EQ(Machine(kSnapinKey, "NameString"), "My Snap-in");
  EXPECT_EQ(Machine(kSnapinKey + "\\StandAlone"), "");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSnapinKey + "\\NodeTypes"));
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, kTestClassKey + "\\InprocServer32", "ThreadingModel"),
            "Apartment");

  factory.UpdateRegistry(false);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSnapinKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTestClassKey));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMMC + "\\Snapins"));
}

TEST_F(MMCKeys, UnregisteringAnUnwritableRegistryStillFails) {
  TComServer server(TestLibrary());
  TMMCObjectFactory factory("My Snap-in", server, AutoClassOf<TTestThing>(), CLSID_TestThing,
                            ciMultiInstance);
  factory.UpdateRegistry(true);
  registry_.MakeUnwritable();
  // The console's keys are deleted without looking; the class keys are not.
  EXPECT_THROW(factory.UpdateRegistry(false), EOleRegistrationError);
  EXPECT_EQ(Machine(kSnapinKey), "My Snap-in");
}
