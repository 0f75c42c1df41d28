#include "kestrel/api/HandleTable.h"

#include <gtest/gtest.h>

namespace kestrel::api {
namespace {

TEST(HandleTableTest, ReleasedStaleAndForeignHandlesFindNothing) {
  HandleTable<int> ints(1), others(2);
  const KSHandle a = ints.Add(std::make_unique<int>(7));
  ASSERT_NE(a, 0u);
  EXPECT_EQ(*ints.Get(a), 7);
  EXPECT_EQ(others.Get(a), nullptr) << "a handle of another kind";
  EXPECT_EQ(ints.Get(0), nullptr);
  EXPECT_NE(ints.Remove(a), nullptr);
  EXPECT_EQ(ints.Get(a), nullptr);
  EXPECT_EQ(ints.Remove(a), nullptr);
  const KSHandle b = ints.Add(std::make_unique<int>(8));
  EXPECT_NE(b, a) << "the reused slot has a new generation";
  EXPECT_EQ(ints.Get(a), nullptr);
  EXPECT_EQ(*ints.Get(b), 8);
  EXPECT_EQ(ints.Get(b + 1), nullptr) << "a slot beyond the table";
  EXPECT_EQ(ints.Handles(), std::vector<KSHandle>{b});
}

TEST(HandleTableTest, GenerationsWrapWithoutEverGivingTheSameHandleTwiceInARow) {
  HandleTable<int> ints(3);
  KSHandle previous = ints.Add(std::make_unique<int>(0));
  for (int i = 0; i < 5000; ++i) {
    ints.Remove(previous);
    const KSHandle next = ints.Add(std::make_unique<int>(i));
    ASSERT_NE(next, previous);
    ASSERT_NE(next, 0u);
    ASSERT_EQ(ints.Get(previous), nullptr);
    previous = next;
  }
}

}  // namespace
}  // namespace kestrel::api
