#include <gtest/gtest.h>

#include "data/Font_Class.h"

namespace kestrel {
namespace {

TEST(Font, CharactersOutsideTheRangeAdvanceLikeASpaceOrTheFirst) {
  CFont font;
  for (int c = 0; c < 256; ++c) font.glyphs[c].shift = c;
  struct Case {
    int first, last, character, advance;
  };
  const Case cases[] = {
      {32, 127, 'a', 'a'},  // inside: its own
      {32, 127, 200, 32},   // the range holds the space
      {65, 90, 'a', 65},    // no space: the first character's
      {65, 90, 10, 65},
  };
  for (const Case& c : cases) {
    font.first = c.first;
    font.last = c.last;
    EXPECT_EQ(font.Advance(c.character), c.advance)
        << c.first << ".." << c.last << " " << c.character;
  }
  font.glyphs[65].h = 20;
  font.glyphs[66].h = 30;
  EXPECT_EQ(font.LineHeight(), 20) << "lines are as high as the first glyph";
}

// A 12 x 16 subimage that is opaque in columns left..right, or blank.
TBitmap32 columns(int left, int right) {
  TBitmap32 image{12, 16, std::vector<std::uint8_t>(12 * 16 * 4, 0)};
  for (int y = 0; y < 16; ++y)
    for (int x = left; x <= right; ++x) image.pixels[(std::size_t(y) * 12 + x) * 4 + 3] = 255;
  return image;
}

TEST(Font, SpriteFontsAdvanceByTheVisibleWidthWhenProportional) {
  CSprite sprite;
  sprite.images = {columns(2, 9), columns(0, 11), columns(1, 0)};
  CFont font;
  font.MakeFromSprite(sprite, 4, 65, true, 3);
  EXPECT_EQ(font.sprite, 4);
  EXPECT_EQ(font.first, 65);
  EXPECT_EQ(font.last, 67);
  EXPECT_EQ(font.glyphs['A'].offset, -2);
  EXPECT_EQ(font.glyphs['A'].shift, 7 + 3) << "the box's right edge is inclusive";
  EXPECT_EQ(font.glyphs['B'].shift, 11 + 3);
  EXPECT_EQ(font.glyphs['C'].shift, 12 + 3) << "a blank subimage keeps the full width";
  EXPECT_EQ(font.LineHeight(), 16);

  font.MakeFromSprite(sprite, 4, 254, false, 1);
  EXPECT_EQ(font.last, 255) << "the range ends at 255";
  EXPECT_EQ(font.glyphs[254].shift, 13);
  EXPECT_EQ(font.glyphs[254].offset, 0);
}

}  // namespace
}  // namespace kestrel
