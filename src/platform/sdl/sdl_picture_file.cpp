#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/picture_file.h"

namespace kestrel::platform {
namespace {

// Copies a surface of any format into a picture; false when SDL cannot convert it.
bool to_picture(SDL_Surface* surface, Picture& picture, std::string& error) {
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
  if (converted == nullptr) {
    error = SDL_GetError();
    return false;
  }
  picture.width = converted->w;
  picture.height = converted->h;
  picture.argb.resize(std::size_t(converted->w) * std::size_t(converted->h));
  SDL_LockSurface(converted);
  for (int y = 0; y < converted->h; ++y) {
    std::memcpy(
        picture.argb.data() + std::size_t(y) * std::size_t(converted->w),
        static_cast<const std::uint8_t*>(converted->pixels) + std::size_t(y) * converted->pitch,
        std::size_t(converted->w) * 4);
  }
  SDL_UnlockSurface(converted);
  SDL_FreeSurface(converted);
  return true;
}

SDL_RWops* open_bytes(std::span<const std::uint8_t> bytes) {
  return SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
}

std::uint32_t big_endian(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
std::uint32_t little_endian16(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}

// The pixels of a GIF file's frames (each at least the size of its logical
// screen), found by walking its blocks; only the first frame unless `frames`.
std::int64_t gif_pixels(std::span<const std::uint8_t> b, bool frames) {
  const std::int64_t screen = std::int64_t(little_endian16(&b[6])) * little_endian16(&b[8]);
  std::size_t at = 13;
  if (b[10] & 0x80) at += 3 * (std::size_t(2) << (b[10] & 7));
  std::int64_t total = 0;
  const auto skip_sub_blocks = [&] {
    while (at < b.size() && b[at] != 0) at += std::size_t(b[at]) + 1;
    ++at;
  };
  while (at < b.size() && b[at] != 0x3B) {
    if (b[at] == 0x21) {
      at += 2;
      skip_sub_blocks();
    } else if (b[at] == 0x2C && at + 10 <= b.size()) {
      const std::int64_t frame =
          std::int64_t(little_endian16(&b[at + 5])) * little_endian16(&b[at + 7]);
      total += std::max(screen, frame);
      if (!frames) break;
      const std::uint8_t flags = b[at + 9];
      at += 10;
      if (flags & 0x80) at += 3 * (std::size_t(2) << (flags & 7));
      ++at;  // the code size
      skip_sub_blocks();
    } else {
      ++at;  // a byte that starts no block is passed over, as the decoder does
    }
  }
  return std::max(total, screen);
}

// What a file's header says: its format, as SDL2_image names it, and the
// pixels it will decode to, read before anything is decoded. Only the
// formats games use are read: others (such as SVG, drawn at whatever size
// the file asks) are refused.
struct Announced {
  const char* type = nullptr;
  std::int64_t pixels = 0;
};

Announced announced(std::span<const std::uint8_t> b, bool frames) {
  const auto starts = [&](const char* magic, std::size_t n) {
    return b.size() >= n && std::memcmp(b.data(), magic, n) == 0;
  };
  if (starts("\x89PNG\r\n\x1a\n", 8) && b.size() >= 24) {
    return {"PNG", std::int64_t(big_endian(&b[16])) * big_endian(&b[20])};
  }
  if (starts("GIF", 3) && b.size() >= 13) return {"GIF", gif_pixels(b, frames)};
  if (starts("BM", 2) && b.size() >= 26) {
    const auto field = [&](std::size_t at) {
      return std::int32_t(std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 |
                          std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 3]) << 24);
    };
    return {"BMP", std::abs(std::int64_t(field(18))) * std::abs(std::int64_t(field(22)))};
  }
  if (starts("\xff\xd8", 2)) {
    // The first frame header after the markers before it.
    for (std::size_t at = 2; at + 9 <= b.size() && b[at] == 0xFF;) {
      const std::uint8_t marker = b[at + 1];
      if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
        return {"JPG", std::int64_t(b[at + 5] << 8 | b[at + 6]) * (b[at + 7] << 8 | b[at + 8])};
      }
      at += 2 + (std::size_t(b[at + 2]) << 8 | b[at + 3]);
    }
  }
  return {};
}

bool too_large(std::int64_t pixels, std::string& error) {
  if (pixels <= kMostPicturePixels) return false;
  error = "the picture is too large";
  return true;
}

}  // namespace

bool decode_picture(std::span<const std::uint8_t> bytes, bool frames, std::vector<Picture>& out,
                    std::string& error) {
  out.clear();
  if (bytes.empty() || bytes.size() > std::size_t(INT32_MAX)) {
    error = "the file is empty or too large";
    return false;
  }
  const Announced header = announced(bytes, frames);
  if (header.type == nullptr) {
    error = "not a PNG, GIF, JPEG or BMP picture";
    return false;
  }
  if (too_large(header.pixels, error)) return false;
  if (frames) {
    IMG_Animation* animation = IMG_LoadAnimationTyped_RW(open_bytes(bytes), 1, header.type);
    if (animation != nullptr) {
      const std::int64_t pixels =
          std::int64_t(animation->w) * animation->h * std::int64_t(animation->count);
      bool ok = !too_large(pixels, error) && animation->count > 0;
      for (int i = 0; ok && i < animation->count; ++i) {
        ok = to_picture(animation->frames[i], out.emplace_back(), error);
      }
      IMG_FreeAnimation(animation);
      if (ok) return true;
      out.clear();
      if (!error.empty()) return false;
    }
  }
  SDL_Surface* surface = IMG_LoadTyped_RW(open_bytes(bytes), 1, header.type);
  if (surface == nullptr) {
    error = IMG_GetError();
    return false;
  }
  const bool ok = !too_large(std::int64_t(surface->w) * surface->h, error) &&
                  to_picture(surface, out.emplace_back(), error);
  SDL_FreeSurface(surface);
  if (!ok) out.clear();
  return ok;
}

}  // namespace kestrel::platform
