#pragma once

#include <cstdint>
#include <vector>

namespace kestrel {

// A 32-bit image: rows from the top down, each pixel blue, green, red, alpha.
struct TBitmap32 {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  bool has_pixels() const { return width > 0 && height > 0; }
  std::size_t byte_size() const {
    return has_pixels() ? std::size_t(width) * std::size_t(height) * 4 : 0;
  }

  bool operator==(const TBitmap32&) const = default;
};

}  // namespace kestrel
