#include "platform/testing/Scaling.h"

#include <time.h>

#include <algorithm>
#include <limits>

namespace {

double ProcessSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

}  // namespace

double GrowthPerUnit(int small, int large, const std::function<void(int)>& run, int rounds) {
  const auto secondsFor = [&run](int n) {
    const double start = ProcessSeconds();
    run(n);
    return ProcessSeconds() - start;
  };
  double fastestSmall = std::numeric_limits<double>::max();
  double fastestLarge = std::numeric_limits<double>::max();
  for (int round = 0; round < rounds; ++round) {
    fastestSmall = std::min(fastestSmall, secondsFor(small));
    fastestLarge = std::min(fastestLarge, secondsFor(large));
  }
  return (fastestLarge / large) / (fastestSmall / small);
}
