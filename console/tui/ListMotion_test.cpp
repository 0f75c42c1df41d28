#include "console/tui/ListMotion.h"

#include <gtest/gtest.h>

namespace {

TEST(ListMotionTest, KeysMoveWithinTheList) {
  auto move = [](TKeyCode code, int index, int count) {
    return MoveInList(TKey::Named(code), index, count, 5);
  };
  EXPECT_EQ(move(TKeyCode::Down, 2, 10), 3);
  EXPECT_EQ(move(TKeyCode::Down, 9, 10), 9);
  EXPECT_EQ(move(TKeyCode::Up, 0, 10), 0);
  EXPECT_EQ(move(TKeyCode::PageDown, 7, 10), 9);
  EXPECT_EQ(move(TKeyCode::PageUp, 7, 10), 2);
  EXPECT_EQ(move(TKeyCode::End, 0, 10), 9);
  EXPECT_EQ(move(TKeyCode::Home, 6, 10), 0);
  EXPECT_EQ(move(TKeyCode::Down, 0, 0), -1);
  EXPECT_EQ(move(TKeyCode::Enter, 3, 10), std::nullopt);
}

TEST(ListMotionTest, PrefixSearchWrapsAroundAndIgnoresCase) {
  const std::vector<std::string> items{"alpha", "Beta", "bravo", "charlie"};
  EXPECT_EQ(FindByPrefix(items, 0, "b"), 1);
  EXPECT_EQ(FindByPrefix(items, 1, "B"), 2);
  EXPECT_EQ(FindByPrefix(items, 2, "b"), 1);  // wraps
  EXPECT_EQ(FindByPrefix(items, -1, "a"), 0);
  EXPECT_EQ(FindByPrefix(items, 0, "z"), -1);
  EXPECT_EQ(FindByPrefix({}, 0, "a"), -1);
}

TEST(ListMotionTest, ScrollingKeepsTheHighlightInView) {
  EXPECT_EQ(FirstShown(0, 3, 5), 0);   // already visible
  EXPECT_EQ(FirstShown(0, 5, 5), 1);   // one below the last row
  EXPECT_EQ(FirstShown(4, 2, 5), 2);   // above the first row
  EXPECT_EQ(FirstShown(3, 12, 5), 8);  // far below
  EXPECT_EQ(FirstShown(0, 4, 0), 4);   // no rows: the highlight alone
}

}  // namespace
