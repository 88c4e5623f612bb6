#pragma once

#include <cstdint>

namespace kestrel::platform {

// Monotonic time in microseconds since the clock was made; the driver paces
// its steps with it.
class Clock {
 public:
  Clock();

  std::int64_t microseconds() const;

  // Blocks the thread for at least `us` microseconds; nothing for us <= 0.
  static void sleep(std::int64_t us);

 private:
  std::int64_t origin_ns_;
};

}  // namespace kestrel::platform
