#include <gtest/gtest.h>

#include "data/Sprite_Mask.h"

namespace kestrel {
namespace {

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

}  // namespace
}  // namespace kestrel
