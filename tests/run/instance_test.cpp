#include <gtest/gtest.h>

#include "data/Runner_Load.h"
#include "run/Instance_Class.h"
#include "run/room_instances.h"

namespace kestrel {
namespace {

// A game with a 16 x 16 sprite (origin 8, 8, box 2..13 by 4..11) with
// `frames` sub-images, and objects whose parents are given.
GameData make_game(std::vector<int> parents = {-1}, int frames = 1) {
  GameData game;
  CSprite sprite;
  sprite.xorig = 8;
  sprite.yorig = 8;
  sprite.images.assign(static_cast<std::size_t>(frames), TBitmap32{16, 16, {}});
  sprite.box = {2, 4, 13, 11};
  game.sprites.add("spr", sprite);
  for (int parent : parents) {
    CObject object;
    object.sprite = 0;
    object.parent = parent;
    object.depth = 10;
    game.objects.add("obj", object);
  }
  return game;
}

TEST(InstanceMotion, DirectionAndSpeedFollowTheComponents) {
  const GameData game = make_game();
  CInstance a(game, 100001, 0, 0, 0);
  a.set_hspeed(3);
  a.set_vspeed(-4);
  EXPECT_NEAR(a.direction(), 53.1301, 0.0001);
  EXPECT_EQ(a.speed(), 5);

  struct Case {
    double set, stored;
  };
  for (const Case c : {Case{-90, 270}, Case{720, 0}, Case{370, 10}}) {
    a.set_direction(c.set);
    EXPECT_EQ(a.direction(), c.stored) << c.set;
  }

  CInstance b(game, 100002, 0, 0, 0);
  b.set_direction(90);
  b.set_speed(1);
  EXPECT_EQ(b.hspeed(), 0) << "exactly, not a rounding error away";
  EXPECT_EQ(b.vspeed(), -1);
}

TEST(InstanceMotion, FrictionStopsAndGravityPulls) {
  const GameData game = make_game();
  CInstance a(game, 100001, 0, 0, 0);
  a.set_speed(1);
  a.friction = 3;
  a.apply_friction_and_gravity();
  EXPECT_EQ(a.speed(), 0) << "friction never reverses the motion";

  CInstance b(game, 100002, 0, 0, 0);
  b.set_speed(-4);
  b.friction = 1;
  b.apply_friction_and_gravity();
  EXPECT_EQ(b.speed(), -3);

  CInstance c(game, 100003, 0, 0, 0);
  c.gravity = 0.5;
  c.apply_friction_and_gravity();
  c.apply_friction_and_gravity();
  EXPECT_EQ(c.vspeed(), 1) << "gravity points down by default";
  EXPECT_EQ(c.direction(), 270);
}

TEST(InstanceBox, FollowsTheMaskWithScaleAndAngle) {
  const GameData game = make_game();
  struct Case {
    const char* name;
    double xscale, yscale, angle;
    int left, top, right, bottom;
  };
  const Case cases[] = {
      {"plain", 1, 1, 0, 94, 96, 105, 103},
      {"twice as wide", 2, 1, 0, 88, 96, 111, 103},
      {"mirrored", -1, 1, 0, 93, 96, 106, 103},
      {"a quarter turn", 1, 1, 90, 96, 95, 103, 106},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CInstance a(game, 100001, 0, 100, 100);
    a.set_xscale(c.xscale);
    a.set_yscale(c.yscale);
    a.set_angle(c.angle);
    EXPECT_EQ(a.bbox_left(), c.left);
    EXPECT_EQ(a.bbox_top(), c.top);
    EXPECT_EQ(a.bbox_right(), c.right);
    EXPECT_EQ(a.bbox_bottom(), c.bottom);
  }

  CInstance a(game, 100001, 0, 100, 100);
  a.set_position(110, 100);
  EXPECT_EQ(a.bbox_left(), 104);
  a.set_sprite(-1);
  EXPECT_EQ(a.bbox_left(), kNoBox);
  EXPECT_FALSE(a.has_mask_sprite());
  a.set_mask(0);
  EXPECT_EQ(a.bbox_left(), 104) << "the mask alone gives the box";
}

TEST(InstanceFields, SpriteAlarmsAndImageSingle) {
  const GameData game = make_game({-1}, 3);
  CInstance a(game, 100001, 0, 0, 0);
  a.image_index = 2.5;
  a.set_sprite(0);
  EXPECT_EQ(a.image_index, 2.5) << "enough sub-images: kept";
  a.image_index = 3;
  a.set_sprite(0);
  EXPECT_EQ(a.image_index, 0);

  a.set_alarm(3, 4.5);
  EXPECT_EQ(a.alarm(3), 4);
  a.set_alarm(12, 7);
  EXPECT_EQ(a.alarm(0), 7) << "an alarm outside the range writes alarm 0";
  EXPECT_EQ(a.alarm(12), -1);

  a.set_image_single(2);
  EXPECT_EQ(a.image_speed, 0);
  EXPECT_EQ(a.image_single(), 2);
  a.set_image_single(-1);
  EXPECT_EQ(a.image_speed, 1);
  EXPECT_EQ(a.image_single(), -1);
}

std::vector<std::int32_t> ids(const std::vector<CInstance*>& instances) {
  std::vector<std::int32_t> result;
  for (const CInstance* instance : instances) result.push_back(instance->id);
  return result;
}

TEST(RoomInstances, FamiliesFollowTheParentChain) {
  // Object 2's parent is 1, whose parent is 0.
  const GameData game = make_game({-1, 0, 1});
  RoomInstances room(game);
  room.add(100001, 2, 0, 0);
  room.add(100002, 0, 0, 0);
  room.add(100003, 1, 0, 0);
  using Ids = std::vector<std::int32_t>;
  EXPECT_EQ(ids(room.exact(0)), Ids({100002}));
  EXPECT_EQ(ids(room.family(0)), Ids({100001, 100002, 100003}));
  EXPECT_EQ(ids(room.family(1)), Ids({100001, 100003}));
  EXPECT_TRUE(room.family(7).empty());

  room.find(100002)->destroyed = true;
  room.remove_destroyed();
  EXPECT_EQ(room.count(), 2);
  EXPECT_EQ(ids(room.family(0)), Ids({100001, 100003}));
  EXPECT_EQ(room.find(100002), nullptr);
}

TEST(RoomInstances, ParentLoopsDoNotHang) {
  const GameData game = make_game({1, 0});
  RoomInstances room(game);
  room.add(100001, 0, 0, 0);
  EXPECT_EQ(room.family(1).size(), 1u);
}

TEST(RoomInstances, AnInstanceOfAnObjectTheGameLacksIsFoundOnlyByItsId) {
  const GameData game = make_game({-1});
  RoomInstances room(game);
  room.add(100001, 2'000'000'000, 0, 0);
  EXPECT_NE(room.find(100001), nullptr);
  EXPECT_TRUE(room.exact(2'000'000'000).empty());
  EXPECT_TRUE(room.family(0).empty());
}

TEST(RoomInstances, DepthSortIsStableAndDeactivationMovesInstances) {
  const GameData game = make_game();
  RoomInstances room(game);
  for (std::int32_t id : {100001, 100002, 100003, 100004}) room.add(id, 0, 0, 0);
  room.at(1).depth = 50;
  room.at(3).depth = 50;
  room.sort_by_depth();
  std::vector<std::int32_t> order;
  for (std::int32_t i = 0; i < room.count(); ++i) order.push_back(room.at(i).id);
  EXPECT_EQ(order, std::vector<std::int32_t>({100002, 100004, 100001, 100003}));

  room.find(100004)->deactivate = true;
  room.sync_deactivated();
  EXPECT_EQ(room.count(), 3);
  EXPECT_EQ(room.deactivated().size(), 1u);
  EXPECT_EQ(room.exact(0).size(), 3u);
  room.deactivated().front()->deactivate = false;
  room.sync_deactivated();
  EXPECT_EQ(room.at(3).id, 100004) << "an activated instance goes to the end";
}

}  // namespace
}  // namespace kestrel
