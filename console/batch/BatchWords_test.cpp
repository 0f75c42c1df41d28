#include "console/batch/BatchWords.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

TEST(BatchWordsTest, SplitsWordsQuotesAndComments) {
  EXPECT_THAT(SplitBatchLine("  run \"Add Server...\"  Workstations/PC # a comment"),
              ElementsAre("run", "Add Server...", "Workstations/PC"));
  EXPECT_THAT(SplitBatchLine("echo \"a # b\" \"say \\\"hi\\\"\" \"\""),
              ElementsAre("echo", "a # b", "say \"hi\"", ""));
  EXPECT_THAT(SplitBatchLine("select a\\/b\\\\c\t\r"), ElementsAre("select", "a\\/b\\\\c"));
  EXPECT_THAT(SplitBatchLine("   # only a comment"), IsEmpty());
  EXPECT_THAT(SplitBatchLine(""), IsEmpty());
  EXPECT_THROW(SplitBatchLine("echo \"open"), EBatchError);
  EXPECT_THROW(SplitBatchLine("echo \"ends in \\\""), EBatchError);
}

TEST(BatchWordsTest, SplitsNodePathsWithEscapedSlashes) {
  EXPECT_THAT(SplitNodePath("Workstations/PC/Servers"),
              ElementsAre("Workstations", "PC", "Servers"));
  EXPECT_THAT(SplitNodePath("Beta\\/Gamma/x"), ElementsAre("Beta/Gamma", "x"));
  EXPECT_THAT(SplitNodePath("back\\\\/slash"), ElementsAre("back\\", "slash"));
  EXPECT_THAT(SplitNodePath("keep\\n"), ElementsAre("keep\\n"));
  EXPECT_THAT(SplitNodePath(""), IsEmpty());
  EXPECT_THAT(SplitNodePath("/"), IsEmpty());
  EXPECT_THROW(SplitNodePath("a//b"), EBatchError);
  EXPECT_THROW(SplitNodePath("a/"), EBatchError);
  EXPECT_THROW(SplitNodePath("/a"), EBatchError);
}

}  // namespace
