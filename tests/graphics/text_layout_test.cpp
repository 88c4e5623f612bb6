#include <gtest/gtest.h>

#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Text.h"
#include "platform/window.h"

namespace kestrel {
namespace {

// Every character advances 10 pixels.
Advances monospace() {
  Advances advances{};
  advances.fill(10);
  return advances;
}

using Lines = std::vector<std::string>;

TEST(TextLayout, MarksThatBreakLines) {
  struct Case {
    const char* name;
    std::string text;
    Lines expected;
  };
  const Case cases[] = {
      {"hash breaks", "a#b", {"a", "b"}},
      {"escaped hash is kept, backslash dropped", "a\\#b", {"a#b"}},
      {"a lone backslash stays", "a\\b", {"a\\b"}},
      {"line feed", "a\nb", {"a", "b"}},
      {"carriage return with line feed counts once", "a\r\nb", {"a", "b"}},
      {"carriage return alone", "a\rb", {"a", "b"}},
      {"empty text is one empty line", "", {""}},
      {"empty lines survive", "a##b", {"a", "", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(text_lines(c.text, -1, monospace()), c.expected);
  }
}

TEST(TextLayout, WrapsBetweenWordsButNeverInsideOne) {
  struct Case {
    const char* name;
    std::string text;
    double width;
    Lines expected;
  };
  const Case cases[] = {
      {"words that fit share a line", "ab cd ef", 60, {"ab cd ", "ef"}},
      {"a hyphen ends a word too", "well-known", 50, {"well-", "known"}},
      {"a long word stands alone unsplit", "a verylongword b", 40, {"a ", "verylongword ", "b"}},
      {"width zero puts each word alone", "ab cd", 0, {"ab ", "cd"}},
      {"no wrapping with a negative width", "ab cd ef", -1, {"ab cd ef"}},
      {"wrapping keeps marked breaks", "ab cd#ef", 30, {"ab ", "cd", "ef"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(text_lines(c.text, c.width, monospace()), c.expected);
  }
}

TEST(TextLayout, SizeOfText) {
  const Advances advances = monospace();
  EXPECT_EQ(text_width(text_lines("", -1, advances), advances), 1);
  EXPECT_EQ(text_width(text_lines("ab#abcd", -1, advances), advances), 40);
  EXPECT_EQ(text_height(1, -1, 16), 16);
  EXPECT_EQ(text_height(3, -1, 16), 48);
  EXPECT_EQ(text_height(3, 20, 16), 56);
}

// Text drawn off screen with a font whose glyphs are solid blocks: A is 15
// pixels wide and B 10, both 8 high, each advancing by its width.
class TextDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = platform::open_sdl_window({"test", 64, 64, false}, error);
    ASSERT_NE(window_, nullptr) << error;
    graphics_.attach(&window_->device(), 64, 64);
    graphics_.set_texture_interpolation(false);
    const std::vector<std::uint8_t> solid(25 * 8, 255);
    const int texture = graphics_.textures().create_from_alpha_map(25, 8, solid.data());
    font_.line_height = 8;
    font_.advances['A'] = 15;
    font_.glyphs['A'] = {texture, 0, 0, 15, 8};
    font_.advances['B'] = 10;
    font_.glyphs['B'] = {texture, 15, 0, 10, 8};
    draw_clear(graphics_, 0, 1);
  }

  // The first and last filled column of a row, or {-1, -1} when it is empty.
  std::pair<int, int> filled(int y) {
    std::pair<int, int> span{-1, -1};
    for (int x = 0; x < 64; ++x) {
      if (graphics_.pixel(x, y) == 0) continue;
      if (span.first < 0) span.first = x;
      span.second = x;
    }
    return span;
  }

  std::unique_ptr<platform::Window> window_;
  Graphics graphics_;
  TextFont font_;
  const TextColours white_{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 1};
};

TEST_F(TextDrawingTest, AlignmentRoundsAsEachFormDoes) {
  struct Case {
    const char* name;
    TextPlacement placement;
    int row;
    std::pair<int, int> expected;
  };
  // Plain text halves widths and heights rounding down; transformed text
  // rounds them to the nearest, halves to even.
  const Case cases[] = {
      {"left, top", {20, 10, 0, 0}, 10, {20, 34}},
      {"centre halves 15 down to 7", {20, 10, 1, 0}, 10, {13, 27}},
      {"right", {20, 10, 2, 0}, 10, {5, 19}},
      {"middle moves up half of 3 lines of 5", {20, 20, 0, 1, 5}, 13, {20, 34}},
      {"bottom moves up all lines", {20, 30, 0, 2, 5}, 15, {20, 34}},
      {"transformed centre rounds 7.5 to 8", {20, 10, 1, 0, -1, -1, true}, 10, {12, 26}},
      {"transformed right, twice as wide", {40, 10, 2, 0, -1, -1, true, 2, 1, 0}, 10, {10, 39}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    draw_clear(graphics_, 0, 1);
    draw_text(graphics_, font_, c.placement.valign == 0 ? "A" : "A#A#A", c.placement, white_);
    EXPECT_EQ(filled(c.row), c.expected);
    EXPECT_EQ(filled(c.row - 1).first, -1) << "the first line starts on this row";
  }
}

TEST_F(TextDrawingTest, GradientRunsAlongTheWholeLine) {
  const TextColours gradient{0x0000FF, 0xFF0000, 0xFF0000, 0x0000FF, 1, true};
  draw_text(graphics_, font_, "AB", {0, 0}, gradient);
  // The corners of each glyph take the colours of their place in the line,
  // so the two glyphs meet in one colour.
  const auto red_of = [this](int x) { return color_get_red(graphics_.pixel(x, 4)); };
  EXPECT_GT(red_of(0), 240);
  EXPECT_LT(red_of(24), 15);
  EXPECT_NEAR(red_of(14), red_of(15), 12);
  EXPECT_NEAR(red_of(15), 255 * 10 / 25, 12);
}

}  // namespace
}  // namespace kestrel
