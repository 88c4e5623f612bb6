#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kestrel {

// An uncompressed 32-bit Windows bitmap of ARGB pixels given top row first.
std::vector<std::uint8_t> EncodeBmp(int width, int height, std::span<const std::uint32_t> argb);

}  // namespace kestrel
