#include "graphics/image/BM32_PNG.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "data/Support_File.h"
#include "graphics/image/BM32_BMP.h"

namespace kestrel {
namespace {

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(value >> shift));
}

// A chunk: its length, type, data and the CRC of type and data.
void put_chunk(std::vector<std::uint8_t>& out, std::string_view type,
               const std::vector<std::uint8_t>& data) {
  put_u32(out, std::uint32_t(data.size()));
  const std::size_t type_at = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0, out.data() + type_at, uInt(out.size() - type_at));
  put_u32(out, std::uint32_t(crc));
}

}  // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, std::span<const std::uint32_t> argb,
                                    bool with_alpha) {
  const int channels = with_alpha ? 4 : 3;
  // Every row starts with its filter byte, 0: the bytes as they are.
  std::vector<std::uint8_t> raw;
  raw.reserve(std::size_t(height) * (std::size_t(width) * channels + 1));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = argb[std::size_t(y) * std::size_t(width) + std::size_t(x)];
      raw.push_back(std::uint8_t(pixel >> 16));
      raw.push_back(std::uint8_t(pixel >> 8));
      raw.push_back(std::uint8_t(pixel));
      if (with_alpha) raw.push_back(std::uint8_t(pixel >> 24));
    }
  }
  uLongf packed_size = compressBound(uLong(raw.size()));
  std::vector<std::uint8_t> packed(packed_size);
  compress2(packed.data(), &packed_size, raw.data(), uLong(raw.size()), Z_DEFAULT_COMPRESSION);
  packed.resize(packed_size);

  std::vector<std::uint8_t> header;
  put_u32(header, std::uint32_t(width));
  put_u32(header, std::uint32_t(height));
  // 8 bits per channel, RGB or RGBA, deflate, adaptive filtering, no interlace.
  header.insert(header.end(), {8, std::uint8_t(with_alpha ? 6 : 2), 0, 0, 0});

  static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                             '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> png(kSignature.begin(), kSignature.end());
  put_chunk(png, "IHDR", header);
  put_chunk(png, "IDAT", packed);
  put_chunk(png, "IEND", {});
  return png;
}

bool WriteImageFile(const std::string& name, int width, int height,
                    std::span<const std::uint32_t> argb) {
  std::vector<std::uint32_t> pixels(argb.begin(), argb.end());
  if (std::none_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p >> 24 != 0; })) {
    for (std::uint32_t& pixel : pixels) pixel |= 0xFF000000u;
  }
  std::string extension = name.size() >= 4 ? name.substr(name.size() - 4) : std::string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::vector<std::uint8_t> bytes = extension == ".png"
                                              ? EncodePng(width, height, pixels, true)
                                              : EncodeBmp(width, height, pixels);
  std::string error;
  return WriteFileAtomically(name, {reinterpret_cast<const char*>(bytes.data()), bytes.size()},
                             error);
}

}  // namespace kestrel
