#include "platform/vcl/MainThread.h"

#include <gtest/gtest.h>

#include <thread>

TEST(MainThreadTest, TheThreadRunningTheTestsIsTheMainThreadAndAnotherOneIsNot) {
  EXPECT_TRUE(IsMainThread());
  EXPECT_EQ(MainThreadID(), std::this_thread::get_id());
  bool otherIsMain = true;
  std::thread other([&] { otherIsMain = IsMainThread(); });
  other.join();
  EXPECT_FALSE(otherIsMain);
}
