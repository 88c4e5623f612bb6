#include "png_io.h"

#include <png.h>

#include <fstream>
#include <iterator>

#include "graphics/image/BM32_Bitmap.h"
#include "json_file.h"

namespace kestrel::tools {

namespace {

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(path, "cannot read the file");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Decodes through the picture reader the running game uses, so that a project
// and a game read the same file alike.
TBitmap32 Decode(const std::filesystem::path& path) {
  const auto bytes = ReadFileBytes(path);
  std::vector<TBitmap32> images;
  std::string error;
  if (!DecodePicture(bytes, false, images, error) || images.empty())
    Fail(path, "not a readable PNG image: " + error);
  return std::move(images.front());
}

std::vector<std::uint8_t> Encode(int width, int height, png_uint_32 format, const void* pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = format;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr);
  std::vector<std::uint8_t> out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr);
  out.resize(size);
  return out;
}

}  // namespace

TBitmap32 ReadPng(const std::filesystem::path& path) {
  return Decode(path);
}

GrayImage ReadGrayPng(const std::filesystem::path& path) {
  const TBitmap32 colour = Decode(path);
  GrayImage image{colour.width, colour.height, {}};
  image.pixels.reserve(std::size_t(colour.width) * std::size_t(colour.height));
  // Grey pictures come back with equal red, green and blue.
  for (std::size_t i = 0; i < colour.pixels.size(); i += 4)
    image.pixels.push_back(colour.pixels[i]);
  return image;
}

std::vector<std::uint8_t> EncodePng(const TBitmap32& image) {
  return Encode(image.width, image.height, PNG_FORMAT_BGRA, image.pixels.data());
}

std::vector<std::uint8_t> EncodeGrayPng(const GrayImage& image) {
  return Encode(image.width, image.height, PNG_FORMAT_GRAY, image.pixels.data());
}

}  // namespace kestrel::tools
