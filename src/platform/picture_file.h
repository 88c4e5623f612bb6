#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kestrel::platform {

// One decoded picture: rows from the top, each pixel alpha in the top byte
// then red, green, blue.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

// The most pixels one file may decode to, all frames together, so that a
// damaged or hostile file cannot take all the memory.
inline constexpr std::int64_t kMostPicturePixels = std::int64_t(1) << 24;

// Decodes the bytes of a picture file (PNG, GIF, JPEG, BMP and the other
// formats the platform reads). With `frames` an animated file gives each of
// its frames as shown (earlier frames left in place as the file says), every
// other file one picture. False with a reason when the bytes are no picture.
bool decode_picture(std::span<const std::uint8_t> bytes, bool frames, std::vector<Picture>& out,
                    std::string& error);

}  // namespace kestrel::platform
