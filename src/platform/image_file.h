#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::platform {

// Reads a PNG, JPEG, GIF or BMP file into 0xAARRGGBB pixels, rows from the
// top; false with the reason in `error` when it cannot.
bool read_image_file(const std::string& path, std::vector<std::uint32_t>& argb, int& width,
                     int& height, std::string& error);

}  // namespace kestrel::platform
