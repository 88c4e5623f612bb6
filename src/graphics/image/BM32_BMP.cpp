#include "graphics/image/BM32_BMP.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

void put_le(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(std::uint8_t(value >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(int width, int height, std::span<const std::uint32_t> argb) {
  const auto pixel_bytes = std::uint32_t(width) * std::uint32_t(height) * 4;
  std::vector<std::uint8_t> out;
  out.reserve(kFileHeaderSize + kInfoHeaderSize + pixel_bytes);
  out.push_back('B');
  out.push_back('M');
  put_le(out, kFileHeaderSize + kInfoHeaderSize + pixel_bytes, 4);
  put_le(out, 0, 4);
  put_le(out, kFileHeaderSize + kInfoHeaderSize, 4);
  put_le(out, kInfoHeaderSize, 4);
  put_le(out, std::uint32_t(width), 4);
  put_le(out, std::uint32_t(height), 4);  // positive: rows bottom first
  put_le(out, 1, 2);                      // planes
  put_le(out, 32, 2);                     // bits per pixel
  put_le(out, 0, 4);                      // no compression
  put_le(out, pixel_bytes, 4);
  put_le(out, 2835, 4);  // 72 dots per inch, both ways
  put_le(out, 2835, 4);
  put_le(out, 0, 4);
  put_le(out, 0, 4);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) put_le(out, argb[std::size_t(y) * std::size_t(width) + x], 4);
  }
  return out;
}

}  // namespace kestrel
