#include <gtest/gtest.h>

#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Draw.h"
#include "platform/window.h"

namespace kestrel {
namespace {

TEST(ColourArithmetic, ChannelsHsvAndMerging) {
  EXPECT_EQ(make_color_rgb(255, 128, 1), 0x0180FF);
  EXPECT_EQ(make_color_rgb(256 + 7, -1, 0), 0x00FF07) << "each channel is taken as a byte";
  EXPECT_EQ(color_get_green(0x0180FF), 128);

  struct Case {
    double h, s, v;
    std::int64_t expected;
  };
  const Case hsv[] = {
      {0, 255, 255, 0x0000FF},    // red
      {85, 255, 255, 0x00FF00},   // green: 85 × 360 / 255 = 120 degrees
      {170, 255, 255, 0xFF0000},  // blue
      {42, 0, 128, 0x808080},     // no saturation: a grey of the value
      {255, 255, 255, 0x0000FF},  // 360 degrees is 0
  };
  for (const Case& c : hsv) {
    SCOPED_TRACE(c.h);
    EXPECT_EQ(make_color_hsv(c.h, c.s, c.v), c.expected);
  }
  EXPECT_EQ(color_get_hue(0x00FF00), 85);
  EXPECT_EQ(color_get_saturation(0x808080), 0);
  EXPECT_EQ(color_get_value(0x808080), 128);
  EXPECT_EQ(color_get_hue(0xFF00FF), 212) << "magenta lies at 300 degrees";

  EXPECT_EQ(merge_color(0x000000, 0xFFFFFF, 0.5), 0x808080);
  EXPECT_EQ(merge_color(0x0000FF, 0xFF0000, 0.25), 0x4000BF);
}

TEST(DrawingState, LimitsItsSettings) {
  DrawingState state;
  const std::pair<int, int> precision[] = {{30, 28}, {100, 64}, {1, 4}, {8, 8}};
  for (auto [asked, sides] : precision) {
    state.set_circle_precision(asked);
    EXPECT_EQ(state.circle_precision(), sides) << asked;
  }
  state.set_alpha(3);
  EXPECT_EQ(state.alpha(), 1);
  state.set_halign(5);
  EXPECT_EQ(state.halign(), 0);
  state.set_valign(2);
  EXPECT_EQ(state.valign(), 2);

  primitive_begin(state, 4, -1);
  for (int i = 0; i < 1500; ++i) primitive_vertex(state, i, i, 0, 0, 0);
  EXPECT_EQ(state.primitive.vertices.size(), 1001u);
}

class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = platform::open_sdl_window({"test", 64, 64, false}, error);
    ASSERT_NE(window_, nullptr) << error;
    graphics_.attach(&window_->device(), 64, 64);
    draw_clear(graphics_, 0, 1);
  }

  // The filled pixels in a row of the region, as one '#' or '.' each.
  std::string row(int y, int from, int to) {
    std::string pixels;
    for (int x = from; x <= to; ++x) pixels += graphics_.pixel(x, y) != 0 ? '#' : '.';
    return pixels;
  }

  std::unique_ptr<platform::Window> window_;
  Graphics graphics_;
  DrawingState state_;
};

TEST_F(DrawingTest, RectanglesIncludeBothCorners) {
  const std::uint32_t white = 0xFFFFFFFF;
  draw_rectangle(graphics_, 12, 2, 2, 12, {white, white, white, white}, false);
  EXPECT_EQ(row(2, 1, 13), ".###########.");
  EXPECT_EQ(row(12, 1, 13), ".###########.");
  EXPECT_EQ(row(13, 1, 13), ".............");

  draw_clear(graphics_, 0, 1);
  draw_rectangle(graphics_, 20, 20, 30, 30, {white, white, white, white}, true);
  EXPECT_EQ(row(25, 19, 31), ".#.........#.");
}

TEST_F(DrawingTest, ShapesFillTheirInside) {
  const std::uint32_t white = 0xFFFFFFFF;
  draw_circle(graphics_, state_, 32, 32, 10, white, white, false);
  EXPECT_NE(graphics_.pixel(32, 32), 0);
  EXPECT_NE(graphics_.pixel(38, 32), 0);
  EXPECT_EQ(graphics_.pixel(44, 32), 0);

  draw_clear(graphics_, 0, 1);
  draw_line_width(graphics_, 5, 5, 5, 5, 4, white, white);
  EXPECT_EQ(graphics_.pixel(5, 5), 0) << "a line between one point and itself draws nothing";
  draw_line_width(graphics_, 5, 10, 25, 10, 4, white, white);
  EXPECT_NE(graphics_.pixel(15, 9), 0);
  EXPECT_EQ(graphics_.pixel(15, 14), 0);
}

TEST_F(DrawingTest, HealthbarBeyondFullIsAFullBarInTheTopColour) {
  const HealthBarColours bar{0x0000FF, merge_color(0x0000FF, 0x00FF00, 0.5), 0x00FF00};
  draw_healthbar(graphics_, state_, 0, 0, 40, 10, 150, 0x404040, bar, 0, false, false);
  EXPECT_EQ(graphics_.pixel(1, 5), 0x00FF00);
  EXPECT_EQ(graphics_.pixel(40, 5), 0x00FF00);

  draw_clear(graphics_, 0, 1);
  draw_healthbar(graphics_, state_, 0, 0, 40, 10, 25, 0x404040, bar, 1, true, false);
  EXPECT_EQ(graphics_.pixel(1, 5), 0x404040) << "the back shows where the bar is not";
  EXPECT_EQ(graphics_.pixel(39, 5), merge_color(0x0000FF, bar.middle, 0.5))
      << "a quarter bar grows from the right";
}

TEST_F(DrawingTest, ButtonsAreLitFromTheTopLeft) {
  state_.set_color(0x0000FF);
  draw_button(graphics_, state_, 0, 0, 20, 20, true);
  EXPECT_EQ(graphics_.pixel(1, 0), 0xFFFFFF);
  EXPECT_EQ(graphics_.pixel(19, 19), 0x808080);
  EXPECT_EQ(graphics_.pixel(19, 20), 0) << "an edge through pixel centres keeps only top and left";
  EXPECT_EQ(graphics_.pixel(10, 10), 0x0000FF);
  draw_button(graphics_, state_, 0, 0, 20, 20, false);
  EXPECT_EQ(graphics_.pixel(1, 0), 0x808080);
}

TEST_F(DrawingTest, PrimitivesDrawOnlyKnownKinds) {
  for (int kind : {0, 7, 6}) {
    primitive_begin(state_, kind, -1);
    for (auto [x, y] : {std::pair{10, 10}, {30, 10}, {30, 30}, {10, 30}}) {
      primitive_vertex(state_, x, y, 0xFFFFFFFF, 0, 0);
    }
    primitive_end(graphics_, state_);
    EXPECT_EQ(graphics_.pixel(20, 20) != 0, kind == 6) << kind;
  }
}

}  // namespace
}  // namespace kestrel
