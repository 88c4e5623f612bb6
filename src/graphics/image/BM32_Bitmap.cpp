#include "graphics/image/BM32_Bitmap.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/picture_file.h"

namespace kestrel {
namespace {

// The colour 32832 (hexadecimal 008040) that animated frames are shown on.
constexpr std::uint32_t kFrameCanvas = 0xFF408000;

TBitmap32 to_bitmap(const platform::Picture& picture, bool on_canvas) {
  TBitmap32 image{picture.width, picture.height,
                  std::vector<std::uint8_t>(picture.argb.size() * 4)};
  if (!on_canvas) {
    std::memcpy(image.pixels.data(), picture.argb.data(), image.pixels.size());
    return image;
  }
  for (std::size_t i = 0; i < picture.argb.size(); ++i) {
    const std::uint32_t argb =
        picture.argb[i] >> 24 == 0 ? kFrameCanvas : picture.argb[i] | 0xFF000000;
    std::memcpy(&image.pixels[i * 4], &argb, 4);
  }
  return image;
}

std::string lower_extension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return extension;
}

}  // namespace

bool DecodePicture(std::span<const std::uint8_t> bytes, bool gif_frames,
                   std::vector<TBitmap32>& images, std::string& error) {
  images.clear();
  std::vector<platform::Picture> pictures;
  if (!platform::decode_picture(bytes, gif_frames, pictures, error)) return false;
  for (const platform::Picture& picture : pictures) {
    images.push_back(to_bitmap(picture, gif_frames));
  }
  return true;
}

bool LoadPictureFile(const std::filesystem::path& path, std::vector<TBitmap32>& images,
                     std::string& error) {
  images.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "the file does not exist";
    return false;
  }
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  return DecodePicture(bytes, lower_extension(path) == ".gif", images, error);
}

}  // namespace kestrel
