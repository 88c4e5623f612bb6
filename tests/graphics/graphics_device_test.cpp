#include "graphics/Graphics_Device.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

#include "graphics/Graphics_Support.h"
#include "platform/window.h"

namespace kestrel {
namespace {

constexpr int kRegion = 64;
constexpr std::int64_t kRed = 255;
constexpr std::int64_t kGreen = 0xFF00;
constexpr std::int64_t kBlue = 0xFF0000;
constexpr std::int64_t kWhite = 0xFFFFFF;

// The graphics layer on the real OpenGL device in an offscreen window, with
// the room's (0, 0) at the region's top left.
class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = platform::open_sdl_window({"test", kRegion, kRegion, false}, error);
    ASSERT_NE(window_, nullptr) << error;
    graphics_.attach(&window_->device(), kRegion, kRegion);
    graphics_.set_texture_interpolation(false);
    window_->device().clear(0xFF000000);
  }

  // A texture whose pixels are the given game colours, rows from the top.
  int texture(int width, int height, const std::vector<std::int64_t>& colours) {
    std::vector<std::uint32_t> argb;
    for (std::int64_t colour : colours) argb.push_back(vertex_colour(colour, 1.0));
    return graphics_.textures().create_from_pixels(width, height, argb.data());
  }

  std::unique_ptr<platform::Window> window_;
  Graphics graphics_;
};

TEST_F(GraphicsTest, UsedFractionOfPowerOfTwoTextures) {
  std::vector<std::int64_t> pixels(100 * 3, kWhite);
  const int id = texture(100, 3, pixels);
  ASSERT_GE(id, 0);
  EXPECT_DOUBLE_EQ(graphics_.textures().used_width(id), 0.78125);
  EXPECT_DOUBLE_EQ(graphics_.textures().used_height(id), 0.75);
  graphics_.textures().free(id);
  EXPECT_FALSE(graphics_.textures().exists(id));
  EXPECT_DOUBLE_EQ(graphics_.textures().used_width(id), 1.0);
  EXPECT_EQ(texture(1, 1, {kRed}), id) << "the lowest free slot is taken again";
}

TEST_F(GraphicsTest, PlainDrawCoversExactlyTheImagePixels) {
  const int id = texture(4, 4, std::vector<std::int64_t>(16, kWhite));
  draw_texture(graphics_, id, 10, 20);
  EXPECT_EQ(graphics_.pixel(10, 20), kWhite);
  EXPECT_EQ(graphics_.pixel(13, 23), kWhite);
  EXPECT_EQ(graphics_.pixel(9, 20), 0);
  EXPECT_EQ(graphics_.pixel(14, 20), 0);
  EXPECT_EQ(graphics_.pixel(10, 19), 0);
  EXPECT_EQ(graphics_.pixel(10, 24), 0);
}

TEST_F(GraphicsTest, ExtendedDrawScalesAroundTheOriginAndTurnsCounterClockwise) {
  const int id = texture(2, 1, {kRed, kGreen});
  struct Case {
    const char* name;
    double xorigin, xscale, yscale, degrees;
    int red_x, red_y, green_x, green_y;
  };
  const Case cases[] = {
      {"plain", 0, 1, 1, 0, 30, 30, 31, 30},
      {"origin moves the image left", 1, 1, 1, 0, 29, 30, 30, 30},
      {"scaled twice as wide", 0, 2, 1, 0, 31, 30, 33, 30},
      {"mirrored", 0, -1, 1, 0, 29, 30, 28, 30},
      {"a quarter turn puts the right end up", 0, 1, 1, 90, 30, 30, 30, 29},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window_->device().clear(0xFF000000);
    draw_texture_ext(graphics_, id, 30, 30, c.xorigin, 0, c.xscale, c.yscale,
                     c.degrees * std::numbers::pi / 180, kWhite, 1);
    EXPECT_EQ(graphics_.pixel(c.red_x, c.red_y), kRed);
    EXPECT_EQ(graphics_.pixel(c.green_x, c.green_y), kGreen);
  }
}

TEST_F(GraphicsTest, PartAndGeneralDrawsTakeASourceRectangle) {
  const int id = texture(3, 1, {kRed, kGreen, kBlue});
  draw_texture_part(graphics_, id, 1, 0, 2, 1, 5, 5, 1, 1, kWhite, 1);
  EXPECT_EQ(graphics_.pixel(5, 5), kGreen);
  EXPECT_EQ(graphics_.pixel(6, 5), kBlue);
  EXPECT_EQ(graphics_.pixel(7, 5), 0);

  // White texels tinted per corner: the left end red, the right end blue.
  const int white = texture(2, 1, {kWhite, kWhite});
  const std::int64_t corners[4] = {kRed, kBlue, kBlue, kRed};
  draw_texture_general(graphics_, white, 0, 0, 2, 1, 5, 10, 8, 1, 0, corners, 1);
  EXPECT_GT(graphics_.pixel(5, 10) & 0xFF, 0xC0) << "red at the left";
  EXPECT_GT(graphics_.pixel(20, 10) >> 16, 0xC0) << "blue at the right";
}

TEST_F(GraphicsTest, TiledDrawFillsTheClipOnTheGridThroughThePosition) {
  const int id = texture(2, 2, {kRed, kGreen, kGreen, kRed});
  draw_texture_tiled(graphics_, id, 5, 3, 1, 1, kWhite, 1, true, true, {0, 0, 16, 16});
  // The grid through (5, 3) puts tile corners on odd columns and odd rows.
  EXPECT_EQ(graphics_.pixel(1, 1), kRed);
  EXPECT_EQ(graphics_.pixel(0, 0), kRed) << "the partial tile before the first corner";
  EXPECT_EQ(graphics_.pixel(2, 1), kGreen);
  EXPECT_EQ(graphics_.pixel(15, 15), kRed);
  EXPECT_EQ(graphics_.pixel(17, 17), 0) << "nothing past the clip";

  window_->device().clear(0xFF000000);
  draw_texture_tiled(graphics_, id, 5, 3, 1, 1, kWhite, 1, false, false, {0, 0, 16, 16});
  EXPECT_EQ(graphics_.pixel(5, 3), kRed);
  EXPECT_EQ(graphics_.pixel(3, 3), 0) << "untiled means one tile";
  EXPECT_EQ(graphics_.pixel(7, 3), 0);
}

TEST_F(GraphicsTest, BlendModes) {
  const int id = texture(1, 1, {0x808080});
  struct Case {
    const char* name;
    int mode;
    std::int64_t background, expected;
  };
  const Case cases[] = {
      {"normal", 0, kRed, 0x808080},
      {"add", 1, 0x404040, 0xC0C0C0},
      {"subtract", 3, kWhite, 0x7F7F7F},
      {"unknown modes act as normal", 7, kRed, 0x808080},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window_->device().clear(vertex_colour(c.background, 1));
    graphics_.set_blend_mode(c.mode);
    draw_texture(graphics_, id, 0, 0);
    for (int shift : {0, 8, 16}) {
      EXPECT_NEAR((graphics_.pixel(0, 0) >> shift) & 0xFF, (c.expected >> shift) & 0xFF, 1);
    }
  }
}

TEST_F(GraphicsTest, ViewProjectionMapsTheViewRectangleOntoThePort) {
  const int id = texture(1, 1, {kRed});
  // A 32 x 32 room rectangle at (100, 100) shown in the left half, twice as large.
  graphics_.set_viewport(0, 0, 64, 64);
  graphics_.set_projection(100, 100, 32, 32, 0);
  draw_texture(graphics_, id, 101, 102);
  // Room pixel (101, 102) becomes region pixels 1..2 by 3..4.
  EXPECT_EQ(graphics_.pixel(1, 3), kRed);
  EXPECT_EQ(graphics_.pixel(2, 4), kRed);
  EXPECT_EQ(graphics_.pixel(3, 4), 0);
  EXPECT_EQ(graphics_.pixel(1, 5), 0);
}

TEST_F(GraphicsTest, CaptureIsClippedToTheRegion) {
  Capture capture;
  EXPECT_TRUE(graphics_.capture(-10, 60, 100, 100, capture));
  EXPECT_EQ(capture.width, kRegion);
  EXPECT_EQ(capture.height, 4);
  EXPECT_FALSE(graphics_.capture(kRegion, 0, 10, 10, capture));
  EXPECT_EQ(graphics_.pixel(kRegion + 5, 0), 0);
}

TEST(GraphicsWithoutDevice, DoesNothingAndAnswersZero) {
  Graphics graphics;
  const std::uint32_t pixel = 0xFFFFFFFF;
  EXPECT_EQ(graphics.textures().create_from_pixels(1, 1, &pixel), -1);
  draw_texture(graphics, 0, 0, 0);
  EXPECT_EQ(graphics.pixel(0, 0), 0);
}

}  // namespace
}  // namespace kestrel
