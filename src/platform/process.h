#pragma once

#include <filesystem>

namespace kestrel::platform {

// The file of the running program; empty when the system does not say.
std::filesystem::path executable_path();

}  // namespace kestrel::platform
