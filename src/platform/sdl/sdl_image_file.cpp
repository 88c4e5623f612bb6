#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

#include "platform/image_file.h"

namespace kestrel::platform {

bool read_image_file(const std::string& path, std::vector<std::uint32_t>& argb, int& width,
                     int& height, std::string& error) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) {
    error = IMG_GetError();
    return false;
  }
  SDL_Surface* pixels = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  if (pixels == nullptr) {
    error = SDL_GetError();
    return false;
  }
  width = pixels->w;
  height = pixels->h;
  argb.resize(static_cast<std::size_t>(width) * height);
  SDL_LockSurface(pixels);
  for (int y = 0; y < height; ++y) {
    std::memcpy(argb.data() + static_cast<std::size_t>(y) * width,
                static_cast<const std::uint8_t*>(pixels->pixels) + std::size_t(y) * pixels->pitch,
                static_cast<std::size_t>(width) * 4);
  }
  SDL_UnlockSurface(pixels);
  SDL_FreeSurface(pixels);
  return true;
}

}  // namespace kestrel::platform
