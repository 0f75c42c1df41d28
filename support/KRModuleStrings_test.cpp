#include "support/KRModuleStrings.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/testing/TestFiles.h"

namespace {

int gTableCalls = 0;

StringTable FirstTable() {
  ++gTableCalls;
  return {{1, "one"}, {2, "two"}};
}

StringTable SecondTable() { return {{1, "uno"}}; }

TEST(ModuleStringsTest, EachTableHasItsOwnHandleAndIsRegisteredOnce) {
  ScopedEnv noTranslation("VAZERIR_STRINGS", std::nullopt);
  gTableCalls = 0;
  TKRModuleStrings first(FirstTable);
  TKRModuleStrings second(SecondTable);
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i) readers.emplace_back([&] { EXPECT_EQ(first.Text(2), "two"); });
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(gTableCalls, 1);
  EXPECT_EQ(first.Text(1), "one");
  EXPECT_EQ(second.Text(1), "uno");
  EXPECT_NE(first.Instance(), second.Instance());
  EXPECT_EQ(first.Text(3), "");
  EXPECT_EQ(second.Text(2), "");
  UnregisterModuleResources(first.Instance());
  UnregisterModuleResources(second.Instance());
}

TEST(ModuleStringsTest, TranslationFileReplacesTheNamedTextsOnly) {
  TempDir dir;
  WriteFile(dir.File("de.txt"), "# German\n1=eins\nnot a line\n");
  ScopedEnv translation("VAZERIR_STRINGS", dir.File("de.txt"));
  TKRModuleStrings strings(FirstTable);
  EXPECT_EQ(strings.Text(1), "eins");
  EXPECT_EQ(strings.Text(2), "two");
  UnregisterModuleResources(strings.Instance());
}

TEST(ModuleStringsTest, UnreadableTranslationLeavesTheEnglishTexts) {
  TempDir dir;
  ScopedEnv translation("VAZERIR_STRINGS", dir.File("missing.txt"));
  TKRModuleStrings strings(FirstTable);
  EXPECT_EQ(strings.Text(1), "one");
  UnregisterModuleResources(strings.Instance());
}

}  // namespace
