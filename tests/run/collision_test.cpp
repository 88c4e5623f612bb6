#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "code_action.h"
#include "data/Runner_Load.h"
#include "run/Event_Main.h"
#include "run/Run_Handle_Collision.h"
#include "run/Runner.h"
#include "run/collision_grid.h"

namespace kestrel {
namespace {

// A 16 x 16 mask whose bits are set where `set` says.
template <class Set>
TMask mask_where(Set set) {
  TMask mask;
  mask.width = mask.height = 16;
  mask.bits.assign(256, 0);
  mask.box = {15, 15, 0, 0};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (!set(x, y)) continue;
      mask.bits[std::size_t(y) * 16 + x] = 1;
      mask.box = {std::min(mask.box.left, x), std::min(mask.box.top, y),
                  std::max(mask.box.right, x), std::max(mask.box.bottom, y)};
    }
  }
  return mask;
}

CSprite sprite_of(std::vector<TMask> masks) {
  CSprite sprite;
  sprite.images.assign(masks.size(), TBitmap32{16, 16, {}});
  sprite.separate_masks = masks.size() > 1;
  sprite.masks = std::move(masks);
  sprite.RecomputeBox();
  return sprite;
}

// Sprites: 0 a full 16 x 16 block; 1 a block whose left half is set (a box
// wider than its pixels); 2 three sub-images, each with one row of the block
// set: row 0, 5 or 10. Objects: 0 "block" (sprite 0), 1 "half" (sprite 1),
// 2 "rows" (sprite 2), 3 "bare" (no sprite), 4 "spawner" (sprite 0, whose
// destroy event makes another at its place).
class CollisionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_.sprites.add("spr_block", sprite_of({mask_where([](int, int) { return true; })}));
    TMask half = mask_where([](int x, int) { return x < 8; });
    half.box = {0, 0, 15, 15};
    game_.sprites.add("spr_half", sprite_of({half}));
    std::vector<TMask> rows;
    for (int row : {0, 5, 10}) rows.push_back(mask_where([row](int, int y) { return y == row; }));
    game_.sprites.add("spr_rows", sprite_of(rows));
    for (int sprite : {0, 1, 2, -1, 0}) {
      CObject object;
      object.sprite = sprite;
      game_.objects.add("object" + std::to_string(game_.objects.count()), object);
    }
    game_.objects.get(4)->GetOrAddEvent(kEventDestroy, 0)->actions = {
        code_action("instance_create(x, y, object4)")};
    runner_ = std::make_unique<Runner>(game_);
    runner_->engine.settings.errors.show_errors = false;
    ASSERT_TRUE(runner_->prepare_objects());
  }

  CInstance& add(int object, double x, double y) { return runner_->add_instance(object, x, y); }

  // Calls a built-in function as game code would, with self as the caller.
  double call(const char* name, CInstance& self, std::vector<RValue> arguments) {
    const FunctionRegistry& functions = runner_->engine.functions;
    const std::int32_t index = functions.find(name);
    EXPECT_GE(index, 0) << name;
    EXPECT_EQ(functions.at(index).argument_count, static_cast<int>(arguments.size())) << name;
    RValue result;
    functions.at(index).handler(runner_->engine, self, self, static_cast<int>(arguments.size()),
                                result, arguments.data());
    return result.real();
  }

  GameData game_;
  std::unique_ptr<Runner> runner_;
};

TEST_F(CollisionTest, InstancesCollideByBoxThenByPixels) {
  struct Case {
    const char* name;
    int object_b;
    double bx, by;
    double image_index;
    bool by_box, precise;
  };
  // Instance a: the left-half block at (0, 0), pixels 0..7 by 0..15, box 0..15.
  const Case cases[] = {
      {"the boxes share an edge column set in both", 0, -15, 0, 0, true, true},
      {"the boxes share an edge column clear in one", 0, 15, 0, 0, true, false},
      {"the boxes are a pixel apart", 0, 16, 0, 0, false, false},
      {"sub-image 4 uses mask 1 (row 5)", 2, 0, -5, 4, true, true},
      {"sub-image 3 uses mask 0, whose row lies above", 2, 0, -5, 3, true, false},
      {"sub-image -1 uses mask 2 (row 10)", 2, 0, -10, -1, true, true},
      {"sub-image -2 uses mask 1, above at this place", 2, 0, -10, -2, true, false},
      {"an instance without a sprite meets nothing", 3, 4, 4, 0, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CInstance& a = add(1, 0, 0);
    CInstance& b = add(c.object_b, c.bx, c.by);
    b.image_index = c.image_index;
    EXPECT_EQ(instances_collide(*runner_, a, b, false), c.by_box);
    EXPECT_EQ(instances_collide(*runner_, a, b, true), c.precise);
    EXPECT_EQ(instances_collide(*runner_, b, a, true), c.precise) << "either way round";
    a.destroyed = b.destroyed = true;
  }
  CInstance& a = add(0, 0, 0);
  EXPECT_FALSE(instances_collide(*runner_, a, a, false)) << "never with itself";
  CInstance& b = add(0, 4, 4);
  b.destroyed = true;
  EXPECT_FALSE(instances_collide(*runner_, a, b, false)) << "never with a destroyed one";
}

TEST_F(CollisionTest, ShapeQueriesFindTheFirstInstanceTheyMeet) {
  CInstance& self = add(1, 0, 0);  // pixels 0..7 by 0..15, box 0..15 by 0..15
  const double block = add(0, 100, 0).id;
  const double none = kNoone;
  struct Case {
    const char* name;
    const char* function;
    std::vector<double> shape;  // before obj, prec, notme
    double obj, precise, not_me;
    double found;
  };
  const double me = self.id;
  const Case cases[] = {
      {"a point on the set half", "collision_point", {3, 3}, kAll, 1, 0, me},
      {"a point on the clear half counts by box", "collision_point", {12, 3}, kAll, 0, 0, me},
      {"but not precisely", "collision_point", {12, 3}, kAll, 1, 0, none},
      {"notme leaves the caller out", "collision_point", {3, 3}, kAll, 1, 1, none},
      {"a rectangle over both, the first in list order",
       "collision_rectangle",
       {5, 5, 105, 6},
       kAll,
       1,
       0,
       me},
      {"an object names its instances only", "collision_rectangle", {5, 5, 105, 6}, 0, 1, 0, block},
      {"corners in any order", "collision_rectangle", {105, 6, 5, 5}, 0, 1, 0, block},
      {"an ellipse reaching into the box by its side",
       "collision_ellipse",
       {-10, 2, 1, 4},
       kAll,
       0,
       0,
       me},
      {"an ellipse whose box overlaps but which passes the corner",
       "collision_ellipse",
       {-10, -10, 1, 1},
       kAll,
       0,
       0,
       none},
      {"a circle around the corner reaches it", "collision_circle", {-1, -1, 2}, kAll, 0, 0, me},
      {"a circle of radius 0 is the point", "collision_circle", {116, 3, 0}, kAll, 0, 0, none},
      {"a circle of radius 0 inside the block", "collision_circle", {115, 3, 0}, kAll, 0, 0, block},
      {"a circle on the clear half, precisely", "collision_circle", {12, 8, 3}, kAll, 1, 0, none},
      {"a line across the set half", "collision_line", {-5, 20, 20, -5}, kAll, 1, 0, me},
      {"the same line from its other end", "collision_line", {20, -5, -5, 20}, kAll, 1, 0, me},
      {"a line through the clear half only", "collision_line", {9, -5, 14, 30}, kAll, 1, 0, none},
      {"a line that passes below the first box and crosses the block",
       "collision_line",
       {-10, 20, 200, -2},
       kAll,
       0,
       0,
       block},
      {"a line that ends before the box", "collision_line", {-10, 5, -1, 5}, kAll, 0, 0, none},
      {"a shallow line clipped into the block",
       "collision_line",
       {50, -20, 130, 20},
       kAll,
       1,
       0,
       block},
  };
  for (const Case& c : cases) {
    std::vector<RValue> arguments;
    for (double value : c.shape) arguments.emplace_back(value);
    for (double value : {c.obj, c.precise, c.not_me}) arguments.emplace_back(value);
    EXPECT_EQ(call(c.function, self, arguments), c.found) << c.name;
  }
}

TEST_F(CollisionTest, PositionDestroyAndChangeActOnEveryInstanceAtThePoint) {
  CInstance& caller = add(3, 0, 0);
  CInstance& half = add(1, 0, 0);
  CInstance& block = add(0, 0, 0);
  CInstance& spawner = add(4, 0, 0);
  CInstance& away = add(0, 50, 0);
  call("position_destroy", caller, {RValue(12.0), RValue(3.0)});
  EXPECT_FALSE(half.destroyed) << "the point is on the clear half of its mask";
  EXPECT_TRUE(block.destroyed);
  EXPECT_TRUE(spawner.destroyed);
  EXPECT_FALSE(away.destroyed);
  ASSERT_EQ(runner_->instances().count(), 6) << "the spawner's replacement is left alone";
  EXPECT_FALSE(runner_->instances().at(5).destroyed);

  const std::int32_t half_id = half.id;
  call("position_change", caller, {RValue(3.0), RValue(3.0), RValue(99.0), RValue(0.0)});
  EXPECT_NE(runner_->engine.errors.error_last.find("Asking to change into non-existing object: 99"),
            std::string::npos);
  EXPECT_FALSE(half.destroyed);
  call("position_change", caller, {RValue(3.0), RValue(3.0), RValue(2.0), RValue(0.0)});
  EXPECT_TRUE(half.destroyed) << "changed: the new instance took its place";
  CInstance* changed = runner_->instances().find(half_id);
  ASSERT_NE(changed, nullptr);
  EXPECT_EQ(changed->object_index, 2);
  EXPECT_EQ(changed->sprite(), 2);
}

TEST_F(CollisionTest, TheGridReturnsEveryInstanceWhoseBoxOverlaps) {
  std::mt19937 random(7);
  const auto coordinate = [&random] { return double(int(random() % 1200) - 100); };
  // Blocks, half blocks, sprite-less ones (whose boxes lie far outside the
  // room) and a few stretched across the room.
  const auto add_some = [&](int count) {
    for (int n = 0; n < count; ++n) {
      CInstance& instance = add(0, coordinate(), coordinate());
      if (n % 7 == 1) instance.set_sprite(1);
      if (n % 11 == 2) instance.set_sprite(-1);
      if (n % 29 == 3) {
        instance.set_xscale(90);
        instance.set_yscale(5);
      }
    }
  };
  add_some(300);
  const auto& table = runner_->instances().exact(0);
  const auto check = [&](const CollisionGrid& grid, const char* when) {
    std::vector<std::uint32_t> found;
    for (int query = 0; query < 200; ++query) {
      const CInstance& probe = *table[random() % table.size()];
      const std::size_t first = random() % table.size();
      grid.candidates(box_of(probe), first, found);
      ASSERT_TRUE(std::is_sorted(found.begin(), found.end())) << when;
      ASSERT_EQ(std::adjacent_find(found.begin(), found.end()), found.end()) << when;
      for (std::size_t k = first; k < table.size(); ++k) {
        const bool listed = std::binary_search(found.begin(), found.end(), std::uint32_t(k));
        if (instances_collide(*runner_, probe, *table[k], false)) {
          ASSERT_TRUE(listed) << when << ": position " << k;
        }
      }
    }
  };
  CollisionGrid grid;
  grid.build(table);
  check(grid, "as built");
  for (int moved = 0; moved < 20; ++moved) {
    CInstance& instance = *table[random() % table.size()];
    instance.set_position(coordinate(), coordinate());
  }
  grid.refresh(table);
  check(grid, "after a few moved");
  for (CInstance* instance : table) instance->set_position(coordinate(), coordinate());
  grid.refresh(table);
  check(grid, "after all moved");
  add_some(5);
  grid.refresh(table);
  check(grid, "after the table grew");
}

}  // namespace
}  // namespace kestrel
