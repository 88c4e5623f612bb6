// Draws N lit, textured blocks in perspective off screen, frame after frame,
// three ways: each block re-sent as an immediate shape, one block model drawn
// N times, and one model holding all N blocks drawn once. Prints frames per
// second and the draw calls of a frame for N = 1,000 and 10,000.
// usage: bench_3d [FRAMES]   (run with SDL_VIDEODRIVER=offscreen)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_3D_Model.h"
#include "graphics/Graphics_Device.h"
#include "platform/window.h"

namespace {

using namespace kestrel;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// Blocks 4 units wide on a square grid, a field seen from above at an angle.
ShapeBox block_at(int i, int n) {
  const int side = static_cast<int>(std::ceil(std::sqrt(n)));
  const double x = (i % side) * 8.0 - side * 4.0, y = (i / side) * 8.0;
  return {x, y, 0, x + 4, y + 4, 4, 1, 1};
}

struct Result {
  double frames_per_second;
  double draw_calls_per_frame;
  // The part of a frame spent handing the blocks to the device, before GL
  // draws them (mostly making and copying corners).
  double issue_milliseconds;
};

Result measure(Graphics& graphics, int frames, const std::function<void()>& draw_frame) {
  platform::RenderDevice& device = *graphics.device();
  std::uint32_t pixel = 0;
  for (int i = 0; i < 3; ++i) draw_frame();
  device.read_pixels(0, 0, 1, 1, &pixel);
  const std::uint64_t calls_before = device.draw_calls();
  using Clock = std::chrono::steady_clock;
  Clock::duration issuing{};
  const auto start = Clock::now();
  for (int i = 0; i < frames; ++i) {
    device.clear(0xFF203040);
    const auto issue_start = Clock::now();
    draw_frame();
    issuing += Clock::now() - issue_start;
    // Reading a pixel waits for the frame to be drawn.
    device.read_pixels(0, 0, 1, 1, &pixel);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return {frames / seconds, static_cast<double>(device.draw_calls() - calls_before) / frames,
          std::chrono::duration<double, std::milli>(issuing).count() / frames};
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 30;
  std::string error;
  auto window = platform::open_sdl_window({"bench", kWidth, kHeight, false}, error);
  if (window == nullptr) {
    std::fprintf(stderr, "bench_3d: %s\n", error.c_str());
    return 1;
  }
  Graphics graphics;
  graphics.attach(&window->device(), kWidth, kHeight);
  graphics.set_mode_3d(true);
  graphics.set_culling(true);
  graphics.set_lighting(true);
  platform::Light sun;
  sun.direction = {0.3f, 0.5f, -1.0f};
  graphics.define_light(0, sun);
  graphics.enable_light(0, true);
  std::vector<std::uint32_t> texels(16 * 16);
  for (std::size_t i = 0; i < texels.size(); ++i)
    texels[i] = (i / 16 + i) % 2 ? 0xFFC06030 : 0xFFE0D0B0;
  const int texture = graphics.textures().create_from_pixels(16, 16, texels.data());

  std::printf("| N | way | frames/s | draw calls/frame | ms to issue a frame |\n");
  std::printf("|---|---|---|---|---|\n");
  for (int n : {1000, 10000}) {
    const int side = static_cast<int>(std::ceil(std::sqrt(n)));
    graphics.set_view_and_projection(
        look_at_matrix({0, -side * 3.0, side * 5.0}, {0, side * 4.0, 0}, {0, 0, 1}),
        perspective_fov_matrix(60, double(kWidth) / kHeight, 1, side * 20.0));
    Primitive3D primitive(graphics, texture, 0xFFFFFFFF);
    C3D_Model one_block;
    const double unit[] = {0, 0, 0, 4, 4, 4, 1, 1};
    one_block.add(ModelCommand::Block, unit);
    C3D_Model all_blocks;
    for (int i = 0; i < n; ++i) {
      const ShapeBox b = block_at(i, n);
      const double fields[] = {b.x1, b.y1, b.z1, b.x2, b.y2, b.z2, 1, 1};
      all_blocks.add(ModelCommand::Block, fields);
    }
    const struct {
      const char* way;
      std::function<void()> draw;
    } ways[] = {
        {"shapes, re-sent",
         [&] {
           for (int i = 0; i < n; ++i) shape_block(primitive, block_at(i, n));
         }},
        {"one block model, drawn N times",
         [&] {
           for (int i = 0; i < n; ++i) {
             const ShapeBox b = block_at(i, n);
             one_block.draw(graphics, b.x1, b.y1, 0, texture, 0xFFFFFFFF);
           }
         }},
        {"one model of N blocks", [&] { all_blocks.draw(graphics, 0, 0, 0, texture, 0xFFFFFFFF); }},
    };
    for (const auto& way : ways) {
      const Result result = measure(graphics, frames, way.draw);
      std::printf("| %d | %s | %.1f | %.0f | %.2f |\n", n, way.way, result.frames_per_second,
                  result.draw_calls_per_frame, result.issue_milliseconds);
      std::fflush(stdout);
    }
  }
  return 0;
}
