#include "platform/testing/Scaling.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// n units of work whose cost per unit is constant, or grows with n.
void Spin(int64_t steps) {
  volatile int64_t sink = 0;
  for (int64_t i = 0; i < steps; ++i) sink = sink + i;
}

TEST(GrowthPerUnit, TellsLinearWorkFromQuadraticWork) {
  EXPECT_LT(GrowthPerUnit(20000, 160000, [](int n) { Spin(int64_t(n) * 200); }), 2.0);
  EXPECT_GT(GrowthPerUnit(500, 4000, [](int n) { Spin(int64_t(n) * n); }), 4.0);
}

}  // namespace
