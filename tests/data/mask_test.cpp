#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/Sprite_Mask.h"

namespace kestrel {
namespace {

// An image drawn by its alpha: '.' is 0, '1' is 1, '#' is 255.
TBitmap32 image_of(const std::vector<std::string>& rows) {
  TBitmap32 image{static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), {}};
  for (const std::string& row : rows) {
    for (char c : row) {
      const std::uint8_t alpha = c == '#' ? 255 : c == '1' ? 1 : 0;
      image.pixels.insert(image.pixels.end(), {0, 0, 0, alpha});
    }
  }
  return image;
}

MaskSettings masked(MaskShape shape, MaskBoxKind box_kind = MaskBoxKind::Automatic,
                    int tolerance = 0, MaskBox manual_box = {}) {
  return {tolerance, shape, box_kind, manual_box};
}

// The mask's bits drawn as '#' and '.'.
std::vector<std::string> rows_of(const TMask& mask) {
  std::vector<std::string> rows;
  for (int y = 0; y < mask.height; ++y) {
    rows.emplace_back();
    for (int x = 0; x < mask.width; ++x) rows.back() += mask.bit(x, y) ? '#' : '.';
  }
  return rows;
}

TEST(MaskBuild, ShapesAndBoxes) {
  const TBitmap32 faint = image_of({"..1.", ".##.", "...."});
  struct Case {
    const char* name;
    TBitmap32 image;
    MaskSettings settings;
    MaskBox box;
    std::vector<std::string> bits;
  };
  const Case cases[] = {
      {"tolerance 0 takes alpha 1", faint, {}, {1, 0, 2, 1}, {"..#.", ".##.", "...."}},
      {"tolerance 1 leaves it out",
       faint,
       masked(MaskShape::Precise, MaskBoxKind::Automatic, 1),
       {1, 1, 2, 1},
       {"....", ".##.", "...."}},
      {"nothing opaque: the box stays inside out",
       image_of({"...", "..."}),
       {},
       {2, 1, 0, 0},
       {"...", "..."}},
      {"a rectangle fills the automatic box",
       faint,
       masked(MaskShape::Rectangle),
       {1, 0, 2, 1},
       {".##.", ".##.", "...."}},
      {"a 1 x 1 disk has its one bit",
       image_of({"."}),
       masked(MaskShape::Disk, MaskBoxKind::FullImage),
       {0, 0, 0, 0},
       {"#"}},
      {"a disk leaves the corners out",
       image_of({".....", ".....", ".....", ".....", "....."}),
       masked(MaskShape::Disk, MaskBoxKind::FullImage),
       {0, 0, 4, 4},
       {".###.", "#####", "#####", "#####", ".###."}},
      {"a diamond",
       image_of({".....", ".....", ".....", ".....", "....."}),
       masked(MaskShape::Diamond, MaskBoxKind::FullImage),
       {0, 0, 4, 4},
       {"..#..", ".###.", "#####", ".###.", "..#.."}},
      {"a manual box is clamped to the image",
       faint,
       masked(MaskShape::Rectangle, MaskBoxKind::Manual, 0, {-3, 1, 10, 1}),
       {0, 1, 3, 1},
       {"....", "####", "...."}},
      {"an unknown shape sets nothing",
       faint,
       masked(MaskShape{7}, MaskBoxKind::FullImage),
       {0, 0, 3, 2},
       {"....", "....", "...."}},
  };
  for (const Case& c : cases) {
    const TMask mask = BuildMask(&c.image, c.settings);
    EXPECT_EQ(mask.box, c.box) << c.name;
    EXPECT_EQ(rows_of(mask), c.bits) << c.name;
  }
}

TEST(MaskBuild, MergingJoinsBoxesAndBits) {
  const TBitmap32 first = image_of({"#...", "...."});
  const TBitmap32 second = image_of({"....", "..#."});
  struct Case {
    const char* name;
    MaskSettings settings;
    std::vector<std::string> bits;
  };
  const Case cases[] = {
      {"precise: either image's pixels", {}, {"#...", "..#."}},
      {"rectangle: the joined box filled", masked(MaskShape::Rectangle), {"###.", "###."}},
      {"an unknown shape: the joined box filled too",
       masked(MaskShape{7}, MaskBoxKind::Manual, 0, {0, 0, 1, 0}),
       {"##..", "...."}},
  };
  for (const Case& c : cases) {
    TMask mask = BuildMask(&first, c.settings);
    MergeMask(mask, second, c.settings);
    EXPECT_EQ(rows_of(mask), c.bits) << c.name;
  }
  TMask mask = BuildMask(&first, {});
  MergeMask(mask, second, {});
  EXPECT_EQ(mask.box, (MaskBox{0, 0, 2, 1}));
}

// A 4 x 2 mask whose left half is set.
TMask left_half() {
  TMask mask;
  mask.width = 4;
  mask.height = 2;
  mask.box = {0, 0, 3, 1};
  mask.bits = {1, 1, 0, 0, 1, 1, 0, 0};
  return mask;
}

TEST(MaskPlacement, RoomPixelsMapIntoTheMask) {
  const TMask mask = left_half();
  struct Case {
    const char* name;
    double xscale, yscale, angle;
    int px, py;
    bool hits;
  };
  const Case cases[] = {
      {"plain, set half", 1, 1, 0, 11, 20, true},
      {"plain, clear half", 1, 1, 0, 12, 20, false},
      {"outside the mask", 1, 1, 0, 9, 20, false},
      {"twice as wide reaches further", 2, 1, 0, 13, 20, true},
      {"mirrored, the set half is on the left of the origin", -1, 1, 0, 9, 20, true},
      {"a half turn mirrors both ways", 1, 1, 180, 9, 19, true},
  };
  for (const Case& c : cases) {
    const MaskPlacement placed{&mask, 10, 20, 0, 0, c.xscale, c.yscale, c.angle, {0, 0, 0, 0}};
    EXPECT_EQ(MaskHits(placed, c.px, c.py), c.hits) << c.name;
  }
}

TEST(MaskPlacement, MasksCollideOnlyWhereBothAreSet) {
  const TMask mask = left_half();
  const MaskPlacement a{&mask, 0, 0, 0, 0, 1, 1, 0, {0, 0, 3, 1}};
  MaskPlacement b = a;
  b.x = 2;
  b.box = {2, 0, 5, 1};
  EXPECT_FALSE(MasksCollide(a, b)) << "the boxes overlap where a is clear";
  b.x = 1;
  b.box = {1, 0, 4, 1};
  EXPECT_TRUE(MasksCollide(a, b));
  EXPECT_TRUE(MaskHitsRectangle(a, 1, 1, 5, 5));
  EXPECT_FALSE(MaskHitsRectangle(a, 2, 0, 5, 5));
}

// An 8 x 8 mask with only the given pixels set, its box the whole mask.
TMask pixels(std::initializer_list<std::pair<int, int>> set) {
  TMask mask;
  mask.width = mask.height = 8;
  mask.box = {0, 0, 7, 7};
  mask.bits.assign(64, 0);
  for (const auto& [x, y] : set) mask.bits[std::size_t(y) * 8 + x] = 1;
  return mask;
}

TEST(MaskPlacement, ShapesAgainstAMask) {
  enum Shape { kRectangle, kEllipse, kLine };
  const TMask corners = pixels({{0, 0}, {7, 7}});
  const TMask off_line = pixels({{1, 3}});
  const TMask on_line = pixels({{0, 3}});
  const TMask block = pixels({{6, 6}, {7, 6}, {6, 7}, {7, 7}});
  struct Case {
    const char* name;
    const TMask* mask;
    double xscale, angle;
    Shape shape;
    int x1, y1, x2, y2;
    bool hits;
  };
  // Every mask is placed with its origin at (10, 20); room box 10..17 by 20..27
  // unless scaled.
  const Case cases[] = {
      {"rectangle over a corner", &corners, 1, 0, kRectangle, 10, 20, 17, 27, true},
      {"rectangle between the corners", &corners, 1, 0, kRectangle, 11, 20, 16, 27, false},
      {"the inscribed ellipse misses the corners", &corners, 1, 0, kEllipse, 10, 20, 17, 27, false},
      {"an ellipse around a corner", &corners, 1, 0, kEllipse, 7, 17, 13, 23, true},
      {"a flat ellipse is its rectangle", &corners, 1, 0, kEllipse, 10, 20, 17, 20, true},
      {"the diagonal through the corners", &corners, 1, 0, kLine, 10, 20, 17, 27, true},
      {"the other diagonal", &corners, 1, 0, kLine, 10, 27, 17, 20, false},
      {"a horizontal line is a row", &corners, 1, 0, kLine, 0, 27, 30, 27, true},
      {"a vertical line is a column", &corners, 1, 0, kLine, 16, 0, 16, 40, false},
      {"a steep line is not rounded towards a pixel", &off_line, 1, 0, kLine, 10, 20, 12, 27,
       false},
      {"a steep line floors into the pixel it crosses", &on_line, 1, 0, kLine, 10, 20, 12, 27,
       true},
      {"twice as wide: the corner covers two columns", &corners, 2, 0, kRectangle, 25, 27, 25, 27,
       true},
      {"twice as wide: between them", &corners, 2, 0, kRectangle, 13, 20, 23, 27, false},
      {"a quarter turn takes the far block to the right, above the origin", &block, 1, 90,
       kRectangle, 17, 13, 17, 13, true},
      {"and away from where it was", &block, 1, 90, kRectangle, 16, 26, 17, 27, false},
  };
  for (const Case& c : cases) {
    MaskPlacement placed{c.mask, 10, 20, 0, 0, c.xscale, 1, c.angle, {10, 20, 17, 27}};
    if (c.xscale == 2) placed.box = {10, 20, 25, 27};
    if (c.angle == 90) placed.box = {10, 13, 17, 27};
    bool hits = false;
    switch (c.shape) {
      case kRectangle:
        hits = MaskHitsRectangle(placed, c.x1, c.y1, c.x2, c.y2);
        break;
      case kEllipse:
        hits = MaskHitsEllipse(placed, c.x1, c.y1, c.x2, c.y2);
        break;
      case kLine:
        hits = MaskHitsLine(placed, c.x1, c.y1, c.x2, c.y2);
        break;
    }
    EXPECT_EQ(hits, c.hits) << c.name;
  }
}

}  // namespace
}  // namespace kestrel
