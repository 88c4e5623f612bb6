#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kestrel {

// A PNG file of 32-bit ARGB pixels, top row first. Without alpha the picture
// is stored opaque, as screenshots want it.
std::vector<std::uint8_t> EncodePng(int width, int height, std::span<const std::uint32_t> argb,
                                    bool with_alpha);

}  // namespace kestrel
