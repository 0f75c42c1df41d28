#include "platform/com/GlobalMemory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

namespace {

TEST(GlobalMemory, FixedBlocksAreTheirOwnAddress) {
  HGLOBAL block = GlobalAlloc(GPTR, 16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalLock(block), block);
  EXPECT_EQ(GlobalFlags(block), 0u);  // fixed blocks keep no lock count
  EXPECT_EQ(GlobalUnlock(block), 0);
  const auto* bytes = static_cast<const uint8_t*>(block);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(GlobalSize(block), 16u);
  EXPECT_EQ(GlobalHandle(block), block);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, MoveableBlocksCountLocks) {
  HGLOBAL block = GlobalAlloc(GHND | GMEM_SHARE, 4);
  ASSERT_NE(block, nullptr);
  void* first = GlobalLock(block);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, block);
  EXPECT_EQ(GlobalLock(block), first);
  EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 2u);
  EXPECT_EQ(GlobalHandle(first), block);
  EXPECT_NE(GlobalUnlock(block), 0);  // still locked once
  EXPECT_EQ(GlobalUnlock(block), 0);
  EXPECT_EQ(GlobalUnlock(block), 0);  // not locked: stays at zero
  EXPECT_EQ(GlobalFlags(block), 0u);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, DeadAndForeignHandlesAreRefused) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 1);
  ASSERT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalFree(block), block);  // a second free fails
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
  EXPECT_EQ(GlobalFlags(block), GMEM_INVALID_HANDLE);
  EXPECT_EQ(GlobalReAlloc(block, 8, GMEM_MOVEABLE), nullptr);
  int local = 0;
  EXPECT_EQ(GlobalLock(&local), nullptr);
  EXPECT_EQ(GlobalHandle(&local), nullptr);
  EXPECT_EQ(GlobalAlloc(0x0001, 4), nullptr);  // not a valid flag
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, kGlobalMaxBlockSize + 1), nullptr);
}

TEST(GlobalMemory, ReAllocKeepsBytesAndZeroesGrowth) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 3);
  std::memcpy(GlobalLock(block), "abc", 3);
  // A locked moveable block may move only when the caller allows it.
  EXPECT_EQ(GlobalReAlloc(block, 6, GMEM_ZEROINIT), nullptr);
  EXPECT_EQ(GlobalReAlloc(block, 6, GMEM_MOVEABLE | GMEM_ZEROINIT), block);
  GlobalUnlock(block);
  EXPECT_EQ(GlobalSize(block), 6u);
  EXPECT_EQ(std::memcmp(GlobalLock(block), "abc\0\0\0", 6), 0);
  GlobalUnlock(block);
  EXPECT_EQ(GlobalReAlloc(block, 2, 0), block);
  EXPECT_EQ(GlobalSize(block), 2u);
  GlobalFree(block);

  HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 4);
  std::memcpy(fixed, "wxyz", 4);
  EXPECT_EQ(GlobalReAlloc(fixed, 8, 0), nullptr);  // cannot grow in place
  EXPECT_EQ(GlobalReAlloc(fixed, 2, 0), fixed);    // shrinks in place
  HGLOBAL moved = GlobalReAlloc(fixed, 8, GMEM_MOVEABLE | GMEM_ZEROINIT);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(std::memcmp(moved, "wx\0\0\0\0\0\0", 8), 0);
  EXPECT_EQ(GlobalSize(moved), 8u);
  // GMEM_MODIFY turns the fixed block into a moveable one with a new handle.
  HGLOBAL modified = GlobalReAlloc(moved, 0, GMEM_MODIFY | GMEM_MOVEABLE);
  ASSERT_NE(modified, nullptr);
  EXPECT_EQ(GlobalSize(modified), 8u);
  EXPECT_NE(GlobalLock(modified), modified);
  GlobalUnlock(modified);
  EXPECT_EQ(GlobalFree(modified), nullptr);
}

TEST(GlobalMemory, ZeroSizedBlocksAreDistinct) {
  HGLOBAL a = GlobalAlloc(GMEM_FIXED, 0);
  HGLOBAL b = GlobalAlloc(GMEM_FIXED, 0);
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(GlobalSize(a), 0u);
  GlobalFree(a);
  GlobalFree(b);
}

TEST(GlobalMemory, ThreadsAllocateAndFreeConcurrently) {
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&failures, t] {
      for (int i = 0; i < 500; ++i) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
        auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
        std::memset(bytes, t, 8);
        GlobalUnlock(block);
        if (GlobalSize(block) != 8 || GlobalFree(block) != nullptr) ++failures;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
