#include "platform/clock.h"

#include <gtest/gtest.h>

namespace kestrel::platform {
namespace {

TEST(Clock, SleepWaitsAtLeastTheAskedTime) {
  Clock clock;
  const std::int64_t before = clock.microseconds();
  Clock::sleep(20'000);
  EXPECT_GE(clock.microseconds() - before, 20'000);
}

TEST(Clock, NonPositiveSleepReturnsAtOnce) {
  Clock clock;
  Clock::sleep(0);
  Clock::sleep(-5'000'000);
  EXPECT_LT(clock.microseconds(), 1'000'000);
}

}  // namespace
}  // namespace kestrel::platform
