#include "snapin/RegistryKeys.h"

#include <gtest/gtest.h>

#include "snapin/RegistryTestSupport.h"

namespace {

class RegistryKeys : public ::testing::Test {
 protected:
  TestRegistry registry_;
};

}  // namespace

TEST_F(RegistryKeys, EntriesWriteTextValuesAndKeysWithoutValues) {
  CreateRegKeys({{"A\\B", "", "default"}, {"A\\B", "Named", ""}, {"A\\C", "", std::nullopt}});
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, "A\\B"), "default");
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, "A\\B", "Named"), "");
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "A\\C"));
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, "A\\C"), std::nullopt);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "A"));

  CreateRegKey("A\\B", "", "changed");
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, "A\\B"), "changed");
}

TEST_F(RegistryKeys, DeletionTakesDeeperKeysFirstWhateverTheOrder) {
  const std::vector<TRegistryEntry> entries = {
      {"A\\B\\C", "", "c"}, {"A", "", "a"}, {"A\\B", "", "b"}, {"A\\B", "x", "b"}};
  CreateRegKeys(entries);
  DeleteRegKeys(entries);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "A"));
  // Nothing left to delete is no failure.
  EXPECT_NO_THROW(DeleteRegKeys(entries));
}

TEST_F(RegistryKeys, DeletionLeavesKeysThatOthersKeepSubkeysUnder) {
  const std::vector<TRegistryEntry> ours = {{"A", "", "a"}, {"A\\Ours", "", "o"}};
  CreateRegKeys(ours);
  CreateRegKey("A\\Theirs", "", "t");
  EXPECT_NO_THROW(DeleteRegKeys(ours));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "A\\Ours"));
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, "A\\Theirs"), "t");
}

TEST_F(RegistryKeys, ARegistryThatCannotBeChangedRaises) {
  CreateRegKey("A", "", "a");
  registry_.MakeUnwritable();
  EXPECT_THROW(CreateRegKey("B", "", "b"), EOleRegistrationError);
  EXPECT_THROW(DeleteRegKey("A"), EOleRegistrationError);
  EXPECT_THROW(DeleteRegKey("Missing"), EOleRegistrationError);
  EXPECT_EQ(ValueText(HKEY_CLASSES_ROOT, "A"), "a");
}
