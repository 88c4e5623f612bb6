#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "graphics/image/BM32_Effect.h"

namespace kestrel {
namespace {

using Pixel = std::array<std::uint8_t, 4>;  // blue, green, red, alpha

TBitmap32 image_of(int width, int height, std::initializer_list<Pixel> pixels) {
  TBitmap32 image{width, height, {}};
  for (const Pixel& p : pixels) image.pixels.insert(image.pixels.end(), p.begin(), p.end());
  return image;
}

Pixel at(const TBitmap32& image, int x, int y) {
  const std::size_t i = (std::size_t(y) * image.width + x) * 4;
  return {image.pixels[i], image.pixels[i + 1], image.pixels[i + 2], image.pixels[i + 3]};
}

constexpr Pixel kRed{0, 0, 255, 255};
constexpr Pixel kKey{10, 20, 30, 255};

TEST(PictureEffects, TheBackColourGoesAndItsFringeTakesANeighbourColour) {
  // The bottom-left pixel names the colour; made-transparent pixels then take
  // the colour of their left neighbour, else the right one.
  TBitmap32 image = image_of(3, 1, {kKey, kRed, kKey});
  PreparePicture(image, true, false);
  EXPECT_EQ(at(image, 0, 0), (Pixel{0, 0, 255, 0}));
  EXPECT_EQ(at(image, 1, 0), kRed);
  EXPECT_EQ(at(image, 2, 0), (Pixel{0, 0, 255, 0}));

  TBitmap32 untouched = image_of(3, 1, {kKey, kRed, kKey});
  PreparePicture(untouched, false, false);
  EXPECT_EQ(at(untouched, 0, 0), kKey) << "without removeback nothing changes";
}

TEST(PictureEffects, SmoothingTakesAlphaNextToTransparentPixels) {
  TBitmap32 image = image_of(4, 1, {{0, 0, 0, 20}, {0, 0, 0, 0}, {0, 0, 0, 255}, {0, 0, 0, 255}});
  SmoothEdges(image);
  EXPECT_EQ(at(image, 0, 0)[3], 20) << "below 32 a pixel keeps its alpha";
  EXPECT_EQ(at(image, 2, 0)[3], 223);
  EXPECT_EQ(at(image, 3, 0)[3], 255) << "two pixels away from the transparent one";
}

TEST(PictureEffects, AlphaFromAnotherImageScalesByItsBrightness) {
  TBitmap32 image = image_of(3, 1, {kRed, kRed, kRed});
  const TBitmap32 source =
      image_of(2, 1, {{255, 255, 255, 255}, {128, 128, 128, 0}});  // narrower than the image
  TakeAlphaFrom(image, source);
  EXPECT_EQ(at(image, 0, 0)[3], 255);
  EXPECT_EQ(at(image, 1, 0)[3], 128);
  EXPECT_EQ(at(image, 2, 0)[3], 255) << "outside the source nothing changes";
}

TEST(PictureEffects, ResizingSamplesTheNearestPixelAndDropsTransparentColour) {
  TBitmap32 image = image_of(2, 1, {kRed, {0, 255, 0, 0}});
  ResizeImage(image, 4, 2);
  ASSERT_EQ(image.width, 4);
  ASSERT_EQ(image.height, 2);
  EXPECT_EQ(at(image, 1, 1), kRed);
  EXPECT_EQ(at(image, 2, 0), (Pixel{0, 0, 0, 0}));

  const TBitmap32 before = image;
  ResizeImage(image, 0, 5);
  EXPECT_EQ(image, before) << "a size below 1 leaves the image";
}

TEST(PictureEffects, GradientsMixTheColoursByKind) {
  constexpr std::int64_t black = 0, white = 0xFFFFFF;
  struct Case {
    int kind, x, y;
    std::uint8_t expected;  // each channel
  };
  const Case cases[] = {
      {0, 0, 3, 0},   {0, 1, 0, 64},  {0, 2, 0, 128},  // columns x / 4, halves to even
      {1, 0, 2, 128},                                  // rows
      {2, 0, 0, 0},   {2, 1, 1, 128}, {2, 2, 2, 128},  // nested rectangles
      {4, 0, 0, 0},   {4, 2, 0, 255},                  // from both sides to the middle
      {12, 3, 3, 0},                                   // an unknown kind is the fill
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    const TBitmap32 image = GradientImage(4, 4, black, white, c.kind);
    const Pixel p = at(image, c.x, c.y);
    EXPECT_EQ(p, (Pixel{c.expected, c.expected, c.expected, 255})) << c.x << "," << c.y;
  }
  const TBitmap32 corner = GradientImage(8, 8, black, white, 8);
  EXPECT_GT(at(corner, 0, 0)[0], 200) << "the corner tends to the second colour";
  EXPECT_EQ(at(corner, 7, 7)[0], 0) << "outside the circles the first colour stays";
  EXPECT_EQ(GradientImage(0, -3, black, white, 1).width, 1) << "sizes below 1 count as 1";
}

}  // namespace
}  // namespace kestrel
