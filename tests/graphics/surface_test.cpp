#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Support.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Texture.h"
#include "graphics/Graphics_Transition.h"
#include "graphics/image/BM32_Bitmap.h"
#include "graphics/image/BM32_PNG.h"
#include "platform/window.h"

namespace kestrel {
namespace {

constexpr std::uint32_t kRedArgb = 0xFFFF0000;
constexpr std::int64_t kRed = 0x0000FF, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

class SurfaceTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 64, kHeight = 48;

  void SetUp() override {
    std::string error;
    window_ = platform::open_sdl_window({"test", kWidth, kHeight, false}, error);
    ASSERT_NE(window_, nullptr) << error;
    graphics_.attach(&window_->device(), kWidth, kHeight);
    draw_clear(graphics_, 0, 1);
  }

  std::int64_t pixel_of(int surface, int x, int y) {
    Capture one;
    return surfaces_.read(surface, x, y, 1, 1, one) ? game_colour(one.argb[0]) : 0;
  }
  // A surface of one colour.
  int filled(int width, int height, std::int64_t colour) {
    const int id = surfaces_.create(width, height);
    EXPECT_TRUE(surfaces_.set_target(id));
    draw_clear(graphics_, colour, 1);
    surfaces_.reset_target();
    return id;
  }

  std::unique_ptr<platform::Window> window_;
  Graphics graphics_;
  SurfaceTable surfaces_{graphics_};
};

TEST_F(SurfaceTest, IdsAreReusedLowestFirstAndRefusedSizesGiveMinusOne) {
  EXPECT_EQ(surfaces_.create(16, 16), 0);
  EXPECT_EQ(surfaces_.create(16, 16), 1);
  EXPECT_EQ(surfaces_.create(16, 16), 2);
  surfaces_.free(1);
  surfaces_.free(0);
  EXPECT_FALSE(surfaces_.exists(1));
  EXPECT_EQ(surfaces_.create(8, 8), 0);
  EXPECT_EQ(surfaces_.create(8, 8), 1);
  EXPECT_EQ(surfaces_.create(100000, 100000), -1) << "the device refuses such a texture";
  EXPECT_EQ(surfaces_.count(), 4) << "the refused entry stays, free";
  EXPECT_EQ(surfaces_.create(0, 5), -1);
}

TEST_F(SurfaceTest, TargetsSwitchAndDrawInSurfacePixels) {
  const int first = surfaces_.create(32, 16);
  const int second = surfaces_.create(8, 8);
  EXPECT_FALSE(surfaces_.reset_target()) << "no surface is the target";
  ASSERT_TRUE(surfaces_.set_target(first));
  EXPECT_TRUE(surfaces_.set_target(first)) << "already the target";
  draw_clear(graphics_, kBlue, 1);
  draw_rectangle(graphics_, 0, 0, 3, 1, {kRedArgb, kRedArgb, kRedArgb, kRedArgb}, false);
  ASSERT_TRUE(surfaces_.set_target(second));
  EXPECT_EQ(surfaces_.target(), second);
  draw_clear(graphics_, kWhite, 1);
  EXPECT_TRUE(surfaces_.reset_target());
  EXPECT_FALSE(surfaces_.set_target(7));

  EXPECT_EQ(pixel_of(first, 0, 0), kRed) << "(0, 0) is the surface's top left";
  EXPECT_EQ(pixel_of(first, 3, 1), kRed);
  EXPECT_EQ(pixel_of(first, 4, 2), kBlue);
  EXPECT_EQ(pixel_of(first, -5, -5), kRed) << "negative corners read (0, 0)";
  EXPECT_EQ(pixel_of(first, 32, 0), 0) << "beyond the surface nothing is read";
  EXPECT_EQ(pixel_of(second, 7, 7), kWhite);
  EXPECT_EQ(graphics_.pixel(1, 1), 0) << "the region was not drawn into";
}

TEST_F(SurfaceTest, SurfacesOutliveChangesOfTheRegion) {
  const int surface = surfaces_.create(16, 16);
  ASSERT_TRUE(surfaces_.set_target(surface));
  graphics_.set_region(40, 30);
  draw_clear(graphics_, kRed, 1);
  EXPECT_TRUE(surfaces_.reset_target());
  graphics_.set_region(kWidth, kHeight);
  EXPECT_EQ(pixel_of(surface, 15, 15), kRed) << "drawn while the region changed, kept after";
}

TEST_F(SurfaceTest, CopiesAreClippedToBothSurfaces) {
  const int source = filled(16, 16, kRed);
  struct Case {
    int x, y, xs, ys, ws, hs;
    int probe_x;
    std::int64_t expected;
  };
  const Case cases[] = {
      {0, 0, -10, 0, 16, 16, 9, kBlue},  // xs -10: ten pixels further right, ten narrower
      {0, 0, -10, 0, 16, 16, 10, kRed},
      {0, 0, -10, 0, 16, 16, 16, kBlue},  // 16 - 10 wide: ends at 15
      {30, 0, 0, 0, 16, 16, 31, kRed},    // cut at the destination's edge
      {0, 0, 20, 0, 16, 16, 0, kBlue},    // wholly outside the source
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.probe_x);
    const int destination = filled(32, 16, kBlue);
    surfaces_.copy(destination, c.x, c.y, source, c.xs, c.ys, c.ws, c.hs);
    EXPECT_EQ(pixel_of(destination, c.probe_x, 4), c.expected);
    surfaces_.free(destination);
  }
}

TEST_F(SurfaceTest, ASurfaceKeepsItsAlphaAndBlendsWhenDrawn) {
  const int surface = surfaces_.create(16, 16);
  ASSERT_TRUE(surfaces_.set_target(surface));
  draw_clear(graphics_, kWhite, 0);
  draw_rectangle(graphics_, 0, 0, 7, 15, {0x80FF0000, 0x80FF0000, 0x80FF0000, 0x80FF0000}, false);
  surfaces_.reset_target();
  Capture one;
  ASSERT_TRUE(surfaces_.read(surface, 2, 2, 1, 1, one));
  EXPECT_NEAR(one.argb[0] >> 24, 64, 2) << "half alpha over clear alpha, blended";

  draw_clear(graphics_, kBlue, 1);
  draw_texture(graphics_, surfaces_.find(surface)->texture, 10, 10);
  const std::int64_t mixed = graphics_.pixel(12, 12);
  EXPECT_GT(mixed & 0xFF, 0x10) << "red shows over the blue";
  EXPECT_GT(mixed >> 16, 0x10) << "the blue shows through";
  EXPECT_EQ(graphics_.pixel(20, 12), kBlue) << "the transparent half shows nothing";
}

// The middle frame of every built-in transition from a red frame to a blue
// one with a white square, against pictures kept beside this test. With
// KESTREL_UPDATE_GOLDEN set, the pictures are written instead.
TEST_F(SurfaceTest, TransitionsShowTheirMiddleFrame) {
  const int old_frame = filled(kWidth, kHeight, kRed);
  const int new_frame = filled(kWidth, kHeight, kBlue);
  ASSERT_TRUE(surfaces_.set_target(new_frame));
  draw_rectangle(graphics_, 8, 8, 23, 23, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}, false);
  surfaces_.reset_target();
  const TransitionFrames frames{surfaces_.find(old_frame)->texture,
                                surfaces_.find(new_frame)->texture, kWidth, kHeight, 80};
  const bool update = std::getenv("KESTREL_UPDATE_GOLDEN") != nullptr;
  for (int kind = 1; kind <= 21; ++kind) {
    SCOPED_TRACE(kind);
    draw_clear(graphics_, 0, 1);
    draw_transition_frame(graphics_, kind, frames, 0.5);
    Capture shot;
    ASSERT_TRUE(graphics_.capture(0, 0, kWidth, kHeight, shot));
    for (std::uint32_t& p : shot.argb) p |= 0xFF000000u;
    const std::string golden =
        std::string(KESTREL_GOLDEN_DIR) + "/transition_" + std::to_string(kind) + ".png";
    if (update) {
      WriteImageFile(golden, kWidth, kHeight, shot.argb);
      continue;
    }
    std::ifstream in(golden, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    std::vector<TBitmap32> expected;
    std::string error;
    ASSERT_TRUE(DecodePicture(bytes, false, expected, error)) << golden << ": " << error;
    ASSERT_EQ(expected.front().width, kWidth);
    int differing = 0;
    for (std::size_t i = 0; i < shot.argb.size(); ++i) {
      for (int channel = 0; channel < 3; ++channel) {
        const int got = (shot.argb[i] >> (8 * channel)) & 0xFF;
        const int want = expected.front().pixels[i * 4 + std::size_t(channel)];
        if (std::abs(got - want) > 5) {
          ++differing;
          break;
        }
      }
    }
    EXPECT_EQ(differing, 0);
  }
}

}  // namespace
}  // namespace kestrel
