#include "platform/clock.h"

#include <cerrno>
#include <ctime>

namespace kestrel::platform {
namespace {

std::int64_t monotonic_ns() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

}  // namespace

Clock::Clock() : origin_ns_(monotonic_ns()) {}

std::int64_t Clock::microseconds() const {
  return (monotonic_ns() - origin_ns_) / 1000;
}

void Clock::sleep(std::int64_t us) {
  if (us <= 0) return;
  // An absolute deadline keeps signals that interrupt the sleep from shortening it.
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  std::int64_t ns = deadline.tv_nsec + us * 1000;
  deadline.tv_sec += ns / 1'000'000'000;
  deadline.tv_nsec = ns % 1'000'000'000;
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

}  // namespace kestrel::platform
