// Surfaces at the load a busy game gives them: 100 surfaces of 256 x 256,
// each drawn into and drawn every step; and sprite_add's work on a 2,048 x
// 2,048 picture: decoding, preparing and the precise mask, with the mask
// alone beside it so that its share shows. Needs a GL device: run it with
// SDL_VIDEODRIVER=offscreen where there is no display.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "data/Sprite_Class.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/image/BM32_Bitmap.h"
#include "graphics/image/BM32_Effect.h"
#include "graphics/image/BM32_PNG.h"
#include "platform/window.h"

namespace kestrel {
namespace {

constexpr int kSurfaces = 100;
constexpr int kSurfaceSize = 256;
constexpr int kPictureSize = 2048;

void BM_HundredSurfacesPerStep(benchmark::State& state) {
  std::string error;
  const auto window = platform::open_sdl_window({"bench", 640, 480, false, true}, error);
  if (window == nullptr) {
    state.SkipWithError(error.c_str());
    return;
  }
  Graphics graphics;
  graphics.attach(&window->device(), 640, 480);
  SurfaceTable surfaces(graphics);
  for (int i = 0; i < kSurfaces; ++i) surfaces.create(kSurfaceSize, kSurfaceSize);
  const std::uint32_t colours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
  int step = 0;
  for (auto _ : state) {
    for (int i = 0; i < kSurfaces; ++i) {
      surfaces.set_target(i);
      draw_clear(graphics, i * 2500, 1);
      const double at = (step + i) % 200;
      draw_rectangle(graphics, at, at, at + 40, at + 40, colours, false);
    }
    surfaces.reset_target();
    draw_clear(graphics, 0, 1);
    for (int i = 0; i < kSurfaces; ++i) {
      draw_texture_ext(graphics, surfaces.find(i)->texture, (i % 10) * 60, (i / 10) * 44, 0, 0, 0.5,
                       0.5, 0, 0xFFFFFF, 0.8);
    }
    // Waits for the drawing, as presenting the frame would.
    benchmark::DoNotOptimize(graphics.pixel(1, 1));
    ++step;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["steps_per_second"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HundredSurfacesPerStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// A picture with soft shapes and noise, so that neither the mask nor the
// PNG compression has an easy time.
TBitmap32 large_picture() {
  TBitmap32 image{kPictureSize, kPictureSize,
                  std::vector<std::uint8_t>(std::size_t(kPictureSize) * kPictureSize * 4)};
  std::mt19937 random(7);
  for (int y = 0; y < kPictureSize; ++y) {
    for (int x = 0; x < kPictureSize; ++x) {
      std::uint8_t* p = &image.pixels[(std::size_t(y) * kPictureSize + x) * 4];
      const int dx = x - kPictureSize / 2, dy = y - kPictureSize / 2;
      p[0] = std::uint8_t(x);
      p[1] = std::uint8_t(y);
      p[2] = std::uint8_t(random());
      p[3] = dx * dx + dy * dy < 900 * 900 ? 255 : std::uint8_t(random() % 2 ? 0 : 255);
    }
  }
  return image;
}

const std::filesystem::path& picture_file() {
  static const std::filesystem::path file = [] {
    const auto path = std::filesystem::temp_directory_path() / "kestrel_bench_picture.png";
    const TBitmap32 image = large_picture();
    std::vector<std::uint32_t> argb(image.pixels.size() / 4);
    std::memcpy(argb.data(), image.pixels.data(), image.pixels.size());
    WriteImageFile(path.string(), image.width, image.height, argb);
    return path;
  }();
  return file;
}

// sprite_add of the picture as one subimage with the default precise mask.
void BM_SpriteAddLargePng(benchmark::State& state) {
  const auto& file = picture_file();
  for (auto _ : state) {
    std::vector<TBitmap32> images;
    std::string error;
    LoadPictureFile(file, images, error);
    CSprite sprite;
    sprite.images = std::move(images);
    for (TBitmap32& image : sprite.images) PreparePicture(image, false, false);
    sprite.MakeMasks(false, MaskSettings{});
    benchmark::DoNotOptimize(sprite.box);
  }
}
BENCHMARK(BM_SpriteAddLargePng)->Unit(benchmark::kMillisecond);

void BM_DecodeLargePng(benchmark::State& state) {
  const auto& file = picture_file();
  for (auto _ : state) {
    std::vector<TBitmap32> images;
    std::string error;
    LoadPictureFile(file, images, error);
    benchmark::DoNotOptimize(images);
  }
}
BENCHMARK(BM_DecodeLargePng)->Unit(benchmark::kMillisecond);

void BM_PreciseMaskOfLargePicture(benchmark::State& state) {
  CSprite sprite;
  sprite.images.push_back(large_picture());
  for (auto _ : state) {
    sprite.MakeMasks(false, MaskSettings{});
    benchmark::DoNotOptimize(sprite.box);
  }
}
BENCHMARK(BM_PreciseMaskOfLargePicture)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel
