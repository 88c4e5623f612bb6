#include "shell/game_information.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrel {
namespace {

TEST(InformationWindowPlace, LimitedToTheScreenAndNegativeCoordinatesCentred) {
  const platform::DisplayMode screen{1024, 768, 32, 60};
  const struct {
    int left, top, width, height;
    platform::ScreenRectangle expected;
  } cases[] = {
      {-1, -1, 600, 400, {212, 184, 600, 400}},    {10, 20, 600, 400, {10, 20, 600, 400}},
      {-5, 30, 3000, 2000, {0, 0, 1024, 768}},     {0, -1, -50, 0, {0, 383, 1, 1}},
      {5000, 700, 600, 400, {424, 368, 600, 400}},
  };
  for (const auto& c : cases) {
    GameInformation record;
    record.left = c.left;
    record.top = c.top;
    record.width = c.width;
    record.height = c.height;
    const platform::ScreenRectangle place = information_window_place(record, screen);
    EXPECT_EQ(place.x, c.expected.x);
    EXPECT_EQ(place.y, c.expected.y);
    EXPECT_EQ(place.width, c.expected.width);
    EXPECT_EQ(place.height, c.expected.height);
  }
}

TEST(InformationPageTest, ScrollsOnlyWithinTheText) {
  std::string long_text = "{\\rtf1 ";
  for (int line = 0; line < 60; ++line) long_text += "line " + std::to_string(line) + "\\par ";
  long_text += "}";
  InformationPage page;
  page.set_text(long_text);
  page.resize(200, 100);
  const int lowest = page.content_height() - 100;
  ASSERT_GT(lowest, 500);
  const int up = 38, down = 40, page_down = 34, home = 36, end = 35;
  EXPECT_FALSE(page.scroll_key(up));
  EXPECT_FALSE(page.scroll_wheel(1));
  EXPECT_TRUE(page.scroll_key(down));
  EXPECT_GT(page.scroll(), 0);
  EXPECT_TRUE(page.scroll_wheel(-1));
  const int before = page.scroll();
  EXPECT_TRUE(page.scroll_key(page_down));
  EXPECT_GT(page.scroll(), before + 50);
  EXPECT_TRUE(page.scroll_key(end));
  EXPECT_EQ(page.scroll(), lowest);
  EXPECT_FALSE(page.scroll_key(down));
  EXPECT_FALSE(page.scroll_key('A'));
  // A wider page needs fewer lines, so the lowest position moves up with it.
  page.resize(2000, 100);
  EXPECT_LE(page.scroll(), page.content_height() - 100);
  EXPECT_TRUE(page.scroll_key(home));
  EXPECT_EQ(page.scroll(), 0);
  // A short text does not scroll at all.
  page.set_text("short");
  EXPECT_FALSE(page.scroll_key(end));
  const PixelCanvas& canvas = page.paint(0x00FF00);
  EXPECT_EQ(canvas.argb.front(), 0xFF00FF00u);
  EXPECT_LT(std::count(canvas.argb.begin(), canvas.argb.end(), 0xFF00FF00u),
            static_cast<long>(canvas.argb.size()));
}

}  // namespace
}  // namespace kestrel
