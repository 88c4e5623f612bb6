#include "run/resource_images.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>

#include "graphics/image/BM32_Effect.h"
#include "graphics/image/BM32_PNG.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

TBitmap32 to_bitmap(const Capture& capture) {
  TBitmap32 image{capture.width, capture.height,
                  std::vector<std::uint8_t>(capture.argb.size() * 4)};
  std::memcpy(image.pixels.data(), capture.argb.data(), image.pixels.size());
  return image;
}

// The compressed block of a resource file after its marker; failed when the
// file is missing or starts otherwise.
CStream resource_file_block(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  CStream file(Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
  if (!in.good() && !in.eof()) file.fail();
  if (ReadInt(file) != GameDataMarker) {
    CStream failed;
    failed.fail();
    return failed;
  }
  CStream block = ReadCompressedBlock(file);
  if (file.failed()) block.fail();
  return block;
}

}  // namespace

bool has_extension(const std::string& name, std::string_view extension) {
  if (name.size() < extension.size()) return false;
  return std::equal(extension.begin(), extension.end(),
                    name.end() - std::ptrdiff_t(extension.size()), [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

std::optional<TBitmap32> capture_screen(Runner& runner, int x, int y, int width, int height) {
  Capture capture;
  if (!runner.graphics.capture(x, y, width, height, capture)) return std::nullopt;
  // The frame has no alpha of its own.
  for (std::uint32_t& pixel : capture.argb) pixel |= 0xFF000000u;
  return to_bitmap(capture);
}

std::optional<TBitmap32> capture_surface(Runner& runner, int surface, int x, int y, int width,
                                         int height) {
  Capture capture;
  if (!runner.surfaces.read(surface, x, y, width, height, capture)) return std::nullopt;
  return to_bitmap(capture);
}

void save_picture(const TBitmap32& image, const std::string& name) {
  if (!image.has_pixels()) return;
  std::vector<std::uint32_t> argb(std::size_t(image.width) * std::size_t(image.height));
  std::memcpy(argb.data(), image.pixels.data(), image.byte_size());
  WriteImageFile(name, image.width, image.height, argb);
}

bool read_sprite_file(const std::string& name, CSprite& sprite) {
  CStream block = resource_file_block(name);
  if (block.failed() || ReadInt(block) != 800) return false;
  CSprite read;
  read.xorig = ReadInt(block);
  read.yorig = ReadInt(block);
  const int count = ReadInt(block);
  for (int i = 0; i < count && !block.failed(); ++i) {
    TBitmap32& image = read.images.emplace_back();
    if (!LoadImage(image, block)) return false;
    RemoveFringe(image);
  }
  MaskSettings settings;
  settings.shape = static_cast<MaskShape>(std::clamp(ReadInt(block), 0, 3));
  settings.tolerance = ReadInt(block);
  const bool separate = ReadBool(block);
  settings.box_kind = static_cast<MaskBoxKind>(std::clamp(ReadInt(block), 0, 2));
  settings.manual_box.left = ReadInt(block);
  settings.manual_box.right = ReadInt(block);
  settings.manual_box.bottom = ReadInt(block);
  settings.manual_box.top = ReadInt(block);
  if (block.failed()) return false;
  read.MakeMasks(separate, settings);
  sprite = std::move(read);
  return true;
}

bool read_background_file(const std::string& name, CBackground& background) {
  CStream block = resource_file_block(name);
  if (block.failed() || ReadInt(block) != 710) return false;
  ReadBool(block);
  for (int i = 0; i < 6; ++i) ReadInt(block);
  CBackground read;
  if (!LoadImage(read.image, block) || block.failed()) return false;
  RemoveFringe(read.image);
  background = std::move(read);
  return true;
}

}  // namespace kestrel
