#pragma once

#include <cstdint>
#include <filesystem>

namespace kestrel::platform {

// The file of the running program; empty when the system does not say.
std::filesystem::path executable_path();

// Milliseconds since the machine started, counting time spent asleep.
std::int64_t uptime_milliseconds();

}  // namespace kestrel::platform
