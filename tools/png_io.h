#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "data/bitmap32.h"

namespace kestrel::tools {

// One byte per pixel, row by row: mask bits and glyph alpha.
struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// Both throw ProjectError naming the file when it is not a readable PNG.
TBitmap32 ReadPng(const std::filesystem::path& path);
GrayImage ReadGrayPng(const std::filesystem::path& path);

// PNG bytes without time stamps, so the same pixels give the same file.
std::vector<std::uint8_t> EncodePng(const TBitmap32& image);
std::vector<std::uint8_t> EncodeGrayPng(const GrayImage& image);

}  // namespace kestrel::tools
