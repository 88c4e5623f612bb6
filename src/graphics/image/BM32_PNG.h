#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

// A PNG file of 32-bit ARGB pixels, top row first. Without alpha the picture
// is stored opaque, as screenshots want it.
std::vector<std::uint8_t> EncodePng(int width, int height, std::span<const std::uint32_t> argb,
                                    bool with_alpha);

// Writes pixels to an image file: PNG when the name ends in ".png" (any
// case), a Windows BMP otherwise. A picture without any alpha counts as
// opaque. The file appears whole or not at all; false when it cannot be written.
bool WriteImageFile(const std::string& name, int width, int height,
                    std::span<const std::uint32_t> argb);

}  // namespace kestrel
