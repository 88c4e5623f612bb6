#include <SDL.h>
#include <gtest/gtest.h>

#include "graphics/image/BM32_BMP.h"

namespace kestrel {
namespace {

// The file must read back, through a reader of its own, as the picture given:
// rows in their order and every channel in its place.
TEST(Bitmap, ReadsBackAsTheSamePicture) {
  const std::vector<std::uint32_t> argb = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                                           0xFF102030, 0xFFFFFFFF, 0xFF000000};
  const std::vector<std::uint8_t> file = EncodeBmp(3, 2, argb);
  SDL_Surface* loaded =
      SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
  ASSERT_NE(loaded, nullptr) << SDL_GetError();
  SDL_Surface* pixels = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  ASSERT_NE(pixels, nullptr);
  ASSERT_EQ(pixels->w, 3);
  ASSERT_EQ(pixels->h, 2);
  for (int y = 0; y < 2; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        static_cast<const std::uint8_t*>(pixels->pixels) + y * pixels->pitch);
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(row[x] & 0xFFFFFF, argb[y * 3 + x] & 0xFFFFFF) << x << ", " << y;
    }
  }
  SDL_FreeSurface(pixels);
}

}  // namespace
}  // namespace kestrel
