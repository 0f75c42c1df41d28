#include "snapin/TypeLibrary.h"

#include <gtest/gtest.h>

#include "snapin/RegistryTestSupport.h"

namespace {

constexpr GUID kLibId = GuidLiteral("{5B0E3C41-2F7A-4D1B-9C55-0A1B2C3D4E5F}");
constexpr IID kDual = GuidLiteral("{5B0E3C42-2F7A-4D1B-9C55-0A1B2C3D4E5F}");
const std::string kLibKey = "TypeLib\\{5B0E3C41-2F7A-4D1B-9C55-0A1B2C3D4E5F}";
const std::string kInterfaceKey = "Interface\\{5B0E3C42-2F7A-4D1B-9C55-0A1B2C3D4E5F}";

TTypeLibrary Library(uint16_t major, uint16_t minor, std::string helpText) {
  return {kLibId,
          major,
          minor,
          0x409,
          "Sample",
          std::move(helpText),
          {{kDual, "ISample", "Sample interface"}},
          {}};
}

class TypeLibraryRegistration : public ::testing::Test {
 protected:
  TestRegistry registry_;
};

}  // namespace

TEST_F(TypeLibraryRegistration, WritesTheLibraryAndItsInterfaces) {
  ASSERT_EQ(RegisterTypeLib(Library(1, 10, "Sample Library"), "/opt/my dir/lib.so", "/opt/my dir"),
            S_OK);
  // Version and locale in hexadecimal; paths as they are.
  const std::string version = kLibKey + "\\1.a";
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, version), "Sample Library");
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, version + "\\FLAGS"), "0");
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, version + "\\HELPDIR"), "/opt/my dir");
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, version + "\\409\\win64"), "/opt/my dir/lib.so");
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, kInterfaceKey), "ISample");
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, kInterfaceKey + "\\ProxyStubClsid32"),
            "{00020424-0000-0000-C000-000000000046}");
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, kInterfaceKey + "\\ProxyStubClsid"),
            "{00020424-0000-0000-C000-000000000046}");
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, kInterfaceKey + "\\TypeLib"),
            "{5B0E3C41-2F7A-4D1B-9C55-0A1B2C3D4E5F}");
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, kInterfaceKey + "\\TypeLib", "Version"), "1.a");
}

TEST_F(TypeLibraryRegistration, ALibraryWithoutHelpTextIsDescribedByItsName) {
  ASSERT_EQ(RegisterTypeLib(Library(1, 0, ""), "/lib.so", "/"), S_OK);
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, kLibKey + "\\1.0"), "Sample");
}

TEST_F(TypeLibraryRegistration, UnregisteringOneVersionKeepsTheOthers) {
  ASSERT_EQ(RegisterTypeLib(Library(1, 0, "one"), "/one.so", "/"), S_OK);
  ASSERT_EQ(RegisterTypeLib(Library(2, 0, "two"), "/two.so", "/"), S_OK);

  EXPECT_EQ(UnRegisterTypeLib(Library(1, 0, "one")), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kLibKey + "\\1.0"));
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, kLibKey + "\\2.0\\409\\win64"), "/two.so");

  EXPECT_EQ(UnRegisterTypeLib(Library(2, 0, "two")), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kLibKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kInterfaceKey));
  // A library that is not registered unregisters without failure.
  EXPECT_EQ(UnRegisterTypeLib(Library(2, 0, "two")), S_OK);
}

TEST_F(TypeLibraryRegistration, ARegistryThatCannotBeWrittenIsReported) {
  ASSERT_EQ(RegisterTypeLib(Library(1, 0, "one"), "/one.so", "/"), S_OK);
  const std::string before = registry_.Text();
  registry_.MakeUnwritable();
  EXPECT_EQ(RegisterTypeLib(Library(2, 0, "two"), "/two.so", "/"), TYPE_E_REGISTRYACCESS);
  EXPECT_EQ(UnRegisterTypeLib(Library(1, 0, "one")), TYPE_E_REGISTRYACCESS);
  EXPECT_EQ(registry_.Text(), before);
}
