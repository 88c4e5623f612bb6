#include "png_io.h"

#include <png.h>

#include <fstream>
#include <iterator>

#include "json_file.h"

namespace kestrel::tools {

namespace {

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(path, "cannot read the file");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Decodes into the given pixel format; width and height come back through the image.
std::vector<std::uint8_t> Decode(const std::filesystem::path& path, png_uint_32 format, int& width,
                                 int& height) {
  const auto bytes = ReadFileBytes(path);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
    Fail(path, std::string("not a readable PNG image: ") + image.message);
  image.format = format;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
    Fail(path, std::string("not a readable PNG image: ") + image.message);
  width = int(image.width);
  height = int(image.height);
  return pixels;
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
  TBitmap32 image;
  image.pixels = Decode(path, PNG_FORMAT_BGRA, image.width, image.height);
  return image;
}

GrayImage ReadGrayPng(const std::filesystem::path& path) {
  GrayImage image;
  image.pixels = Decode(path, PNG_FORMAT_GRAY, image.width, image.height);
  return image;
}

std::vector<std::uint8_t> EncodePng(const TBitmap32& image) {
  return Encode(image.width, image.height, PNG_FORMAT_BGRA, image.pixels.data());
}

std::vector<std::uint8_t> EncodeGrayPng(const GrayImage& image) {
  return Encode(image.width, image.height, PNG_FORMAT_GRAY, image.pixels.data());
}

}  // namespace kestrel::tools
