#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "code_action.h"
#include "data/Runner_Load.h"
#include "game_code.h"
#include "run/Event_Main.h"
#include "run/Motion_Grid.h"
#include "run/Motion_Path.h"
#include "run/Motion_Potential.h"
#include "run/Run_Handle_Collision.h"
#include "run/Run_Main.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

// Objects: 0 "mover" (no sprite), 1 "block" (a solid, fully set 16 x 16
// sprite), 2 "walker" (the same sprite, not solid). Path 0 runs straight from
// (0, 0) to (100, 0) and stays open.
class PathMotionTest : public testing::Test {
 protected:
  void SetUp() override {
    CSprite block;
    block.images.assign(1, TBitmap32{16, 16, {}});
    TMask mask;
    mask.width = mask.height = 16;
    mask.bits.assign(256, 1);
    mask.box = {0, 0, 15, 15};
    block.masks = {mask};
    block.RecomputeBox();
    game_.sprites.add("spr_block", block);
    game_.objects.add("mover", CObject{});
    CObject solid;
    solid.sprite = 0;
    solid.solid = true;
    game_.objects.add("block", solid);
    CObject walker;
    walker.sprite = 0;
    game_.objects.add("walker", walker);
    CPath line;
    line.closed = false;
    line.points = {{0, 0, 100}, {100, 0, 100}};
    line.Recompute();
    game_.paths.add("pth_line", line);
    runner_ = std::make_unique<Runner>(game_);
    runner_->engine.settings.errors.show_errors = false;
  }

  CInstance& add(int object, double x, double y) { return runner_->add_instance(object, x, y); }

  // Calls a built-in function as game code would, with self as the caller.
  RValue call(const char* name, CInstance& self, std::vector<RValue> arguments) {
    const FunctionRegistry& functions = runner_->engine.functions;
    const std::int32_t index = functions.find(name);
    EXPECT_GE(index, 0) << name;
    RValue result;
    if (index < 0) return result;
    EXPECT_EQ(functions.at(index).argument_count, int(arguments.size())) << name;
    runner_->engine.errors.error_last.clear();
    functions.at(index).handler(runner_->engine, self, self, int(arguments.size()), result,
                                arguments.data());
    return result;
  }
  std::string last_error() const { return runner_->engine.errors.error_last; }

  GameData game_;
  std::unique_ptr<Runner> runner_;
};

TEST_F(PathMotionTest, EachEndActionAtTheEndOfTheLine) {
  struct Case {
    const char* name;
    int end_action;
    double x, position, speed;
    int path_index;
  };
  // Speed 30 over a length of 100: the fourth step passes the end at 1.2.
  const Case cases[] = {
      {"stop on the end that was reached", 0, 110, 1, 30, -1},
      {"an unknown action stops too", 7, 110, 1, 30, -1},
      {"restart from the beginning", 1, 30, 0.2, 30, 0},
      {"continue from here", 2, 130, 0.2, 30, 0},
      {"reverse", 3, 90, 0.8, -30, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CInstance& mover = add(0, 10, 10);
    call("path_start", mover,
         {RValue(0.0), RValue(30.0), RValue(double(c.end_action)), RValue(0.0)});
    for (int step = 0; step < 3; ++step) EXPECT_FALSE(path_step(*runner_, mover));
    EXPECT_NEAR(mover.x(), 100, 1e-9);
    EXPECT_TRUE(path_step(*runner_, mover));
    EXPECT_NEAR(mover.x(), c.x, 1e-9);
    EXPECT_EQ(mover.y(), 10);
    EXPECT_NEAR(mover.path_position, c.position, 1e-9);
    EXPECT_EQ(mover.path_speed, c.speed);
    EXPECT_EQ(mover.path_index, c.path_index);
  }
}

// A walker on the line runs into a solid block: the step puts it back where
// it began, its path position too; its collision event turns it round, and
// the retry takes it along the path the other way.
TEST_F(PathMotionTest, SolidCollisionsPutThePathBackAndRetryIt) {
  game_.objects.get(2)->GetOrAddEvent(kEventCollision, 1)->actions = {
      code_action("path_speed = -path_speed;")};
  runner_ = std::make_unique<Runner>(game_);
  runner_->engine.settings.errors.show_errors = false;
  ASSERT_TRUE(runner_->prepare_objects());
  runner_->event_lists.build(*runner_);
  add(1, 40, 0);  // columns 40..55
  CInstance& walker = add(2, 0, 0);
  path_start(*runner_, walker, 0, 10, 0, true);
  frame_step(*runner_);
  frame_step(*runner_);
  EXPECT_EQ(walker.x(), 20) << "columns 20..35 are clear of the block";
  frame_step(*runner_);
  EXPECT_NEAR(walker.x(), 10, 1e-9) << "back to 20, then 10 along the path backwards";
  EXPECT_NEAR(walker.path_position, 0.1, 1e-9);
  EXPECT_EQ(walker.path_speed, -10);
}

TEST_F(PathMotionTest, StartingOnThePathAndItsSpeed) {
  CInstance& back = add(0, 50, 50);
  call("path_start", back, {RValue(0.0), RValue(-40.0), RValue(0.0), RValue(1.0)});
  EXPECT_EQ(back.x(), 100) << "absolute and backwards: on the last point";
  EXPECT_EQ(back.path_position, 1);
  for (int step = 0; step < 3; ++step) path_step(*runner_, back);
  EXPECT_EQ(back.path_index, -1);
  EXPECT_EQ(back.path_position, 0);
  EXPECT_EQ(back.x(), 0) << "stopped on the first point";
  EXPECT_EQ(back.speed(), 0);
  EXPECT_EQ(back.direction(), 180) << "the direction it moved in";

  CInstance& scaled = add(0, 0, 0);
  path_start(*runner_, scaled, 0, 10, 0, false, 2);
  int steps = 0;
  while (!path_step(*runner_, scaled) && steps < 100) ++steps;
  EXPECT_EQ(steps + 1, 20) << "twice as far at scale 2 takes twice as many steps";
  EXPECT_EQ(scaled.x(), 200);

  CInstance& turned = add(0, 0, 0);
  path_start(*runner_, turned, 0, 50, 0, false, 1, 90);
  path_step(*runner_, turned);
  EXPECT_NEAR(turned.x(), 0, 1e-9);
  EXPECT_NEAR(turned.y(), -50, 1e-9) << "orientation 90 turns the path upwards";
}

TEST_F(PathMotionTest, PathsThatCannotBeFollowed) {
  CPath& one_point = runner_->paths.add("single");
  one_point.AddPoint({5, 5, 100});
  runner_->paths.add("empty");
  struct Case {
    const char* name;
    double path, speed, scale;
  };
  const Case cases[] = {
      {"no such path", 9, 4, 1},
      {"one point has no length", 1, 4, 1},
      {"no points", 2, 4, 1},
      {"a negative scale", 0, 4, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CInstance& mover = add(0, 10, 10);
    path_start(*runner_, mover, int(c.path), c.speed, 0, true, c.scale);
    EXPECT_EQ(mover.path_index, -1);
    EXPECT_FALSE(path_step(*runner_, mover));
    EXPECT_EQ(mover.x(), 10);
  }
  CInstance& still = add(0, 10, 10);
  call("path_start", still, {RValue(0.0), RValue(0.0), RValue(0.0), RValue(0.0)});
  EXPECT_EQ(still.path_index, 0) << "speed 0 keeps the path";
  EXPECT_FALSE(path_step(*runner_, still));
  EXPECT_EQ(still.x(), 10);
}

TEST_F(PathMotionTest, PathResourcesChangeAtRunTime) {
  CInstance& self = add(0, 0, 0);
  const double copy = call("path_duplicate", self, {RValue(0.0)}).real();
  EXPECT_EQ(copy, 1);
  EXPECT_EQ(call("path_get_name", self, {RValue(copy)}).str(), "__newpath1");
  call("path_add_point", self, {RValue(copy), RValue(100.0), RValue(100.0), RValue(50.0)});
  EXPECT_EQ(call("path_get_number", self, {RValue(copy)}).real(), 3);
  EXPECT_EQ(call("path_get_length", self, {RValue(copy)}).real(), 200);
  EXPECT_EQ(call("path_get_number", self, {RValue(0.0)}).real(), 2) << "the original is untouched";
  EXPECT_EQ(game_.paths.get(0)->points.size(), 2u) << "and so is the game's";
  EXPECT_EQ(call("path_get_y", self, {RValue(copy), RValue(0.75)}).real(), 50);
  EXPECT_EQ(call("path_get_point_speed", self, {RValue(copy), RValue(2.0)}).real(), 50);
  EXPECT_EQ(call("path_get_point_x", self, {RValue(copy), RValue(3.0)}).real(), -1);
  call("path_delete", self, {RValue(copy)});
  EXPECT_EQ(call("path_exists", self, {RValue(copy)}).real(), 0);
  EXPECT_EQ(call("path_get_length", self, {RValue(copy)}).real(), -1);
  EXPECT_EQ(call("path_add", self, {}).real(), 2) << "a new path takes the next index";

  struct Case {
    const char* function;
    std::vector<RValue> arguments;
    const char* error;
  };
  const Case cases[] = {
      {"path_duplicate", {RValue(1.0)}, "Trying to duplicate non-existing path."},
      {"path_assign", {RValue(1.0), RValue(0.0)}, "Error assigning a path."},
      {"path_assign", {RValue(0.0), RValue(1.0)}, "Error assigning a path."},
      {"path_append", {RValue(1.0), RValue(0.0)}, "Appending to non-existing path."},
      {"path_append", {RValue(0.0), RValue(1.0)}, "Appending a non-existing path."},
      {"path_delete", {RValue(1.0)}, "Trying to delete non-existing path."},
      {"draw_path",
       {RValue(1.0), RValue(0.0), RValue(0.0), RValue(1.0)},
       "Trying to drawn non-existing path."},
      {"mp_grid_path",
       {RValue(0.0), RValue(1.0), RValue(0.0), RValue(0.0), RValue(0.0), RValue(0.0), RValue(0.0)},
       "Trying to assign to a non-existing path."},
      {"mp_linear_path",
       {RValue(1.0), RValue(0.0), RValue(0.0), RValue(1.0), RValue(0.0)},
       "Trying to assign to a non-existing path."},
  };
  call("mp_grid_create", self,
       {RValue(0.0), RValue(0.0), RValue(2.0), RValue(2.0), RValue(8.0), RValue(8.0)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    call(c.function, self, c.arguments);
    EXPECT_NE(last_error().find(c.error), std::string::npos) << last_error();
  }
}

// Cell values a route was searched through must not leak into the next search.
std::vector<PathPoint> route(CGrid& grid, double xs, double ys, double xg, double yg,
                             bool diagonal) {
  CPath path;
  if (!grid.find_path(path, xs, ys, xg, yg, diagonal)) return {};
  EXPECT_EQ(path.kind, 0);
  EXPECT_FALSE(path.closed);
  return path.points;
}

TEST(GridTest, BreadthFirstRoutesWalkBackInTheFixedOrder) {
  std::string error;
  std::unique_ptr<CGrid> grid = CGrid::create(0, 0, 3, 3, 10, 10, error);
  ASSERT_NE(grid, nullptr) << error;
  struct Case {
    const char* name;
    double xg, yg;
    bool diagonal;
    std::vector<PathPoint> points;
  };
  const Case cases[] = {
      {"straight: back to the left first, then up",
       27,
       23,
       false,
       {{1, 2, 100}, {5, 15, 100}, {5, 25, 100}, {15, 25, 100}, {25, 25, 100}, {27, 23, 100}}},
      {"diagonal: through the middle",
       27,
       23,
       true,
       {{1, 2, 100}, {15, 15, 100}, {25, 25, 100}, {27, 23, 100}}},
      {"the same cell: the two points", 8, 8, false, {{1, 2, 100}, {8, 8, 100}}},
  };
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(route(*grid, 1, 2, c.xg, c.yg, c.diagonal), c.points);
    }
  }

  // A wall down the middle column but its bottom cell: around below it.
  grid->set_rectangle(10, 0, 19, 19, true);
  EXPECT_EQ(route(*grid, 5, 5, 25, 5, false), (std::vector<PathPoint>{{5, 5, 100},
                                                                      {5, 15, 100},
                                                                      {5, 25, 100},
                                                                      {15, 25, 100},
                                                                      {25, 25, 100},
                                                                      {25, 15, 100},
                                                                      {25, 5, 100},
                                                                      {25, 5, 100}}));
  // Diagonals never cut the wall's corner.
  EXPECT_EQ(route(*grid, 5, 5, 25, 5, true).size(), 8u);
  grid->set_cell(1, 2, true);
  EXPECT_TRUE(route(*grid, 5, 5, 25, 5, false).empty()) << "walled off";
  grid->set_cell(1, 3, false);  // no such row: nothing
  EXPECT_TRUE(grid->forbidden(1, 2));
  EXPECT_TRUE(route(*grid, 15, 5, 25, 5, false).empty()) << "a forbidden start";
  EXPECT_TRUE(route(*grid, 5, 5, 30, 5, false).empty()) << "a goal outside";
  grid->clear_all();
  EXPECT_EQ(route(*grid, 5, 5, 25, 5, false).size(), 4u);
}

TEST(GridTest, SizesThatCannotBeMadeAreRefused) {
  struct Case {
    const char* name;
    std::int32_t hcells, vcells, width, height;
  };
  const Case cases[] = {
      {"no columns", 0, 10, 8, 8},
      {"negative rows", 10, -1, 8, 8},
      {"a billion cells", 40000, 25000, 8, 8},
      {"the largest counts", 2147483647, 2147483647, 1, 1},
      {"cells without width", 10, 10, 0, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    EXPECT_EQ(CGrid::create(0, 0, c.hcells, c.vcells, c.width, c.height, error), nullptr);
    EXPECT_FALSE(error.empty());
  }
}

TEST_F(PathMotionTest, GridsAndStepsFromGameCode) {
  CInstance& self = add(2, 0, 0);
  add(1, 40, 0);  // a solid block on columns 40..55
  // 8 x 1 cells of 8 pixels: the block covers columns 5 and 6.
  const double grid =
      call("mp_grid_create", self,
           {RValue(0.0), RValue(0.0), RValue(8.0), RValue(1.0), RValue(8.0), RValue(8.0)})
          .real();
  EXPECT_EQ(grid, 0);
  call("mp_grid_add_instances", self, {RValue(grid), RValue(1.0), RValue(0.0)});
  const CGrid& cells = *runner_->grids[0];
  for (int h = 0; h < 8; ++h) EXPECT_EQ(cells.forbidden(h, 0), h == 5 || h == 6) << h;
  call("mp_grid_destroy", self, {RValue(grid)});
  call("mp_grid_clear_all", self, {RValue(grid)});  // a destroyed grid is ignored
  EXPECT_EQ(call("mp_grid_create", self,
                 {RValue(0.0), RValue(0.0), RValue(0.0), RValue(1.0), RValue(8.0), RValue(8.0)})
                .real(),
            -1);
  EXPECT_NE(last_error().find("at least one cell"), std::string::npos) << last_error();
  EXPECT_EQ(call("mp_grid_create", self,
                 {RValue(0.0), RValue(0.0), RValue(1.0), RValue(1.0), RValue(8.0), RValue(8.0)})
                .real(),
            0)
      << "the empty slot is used again";

  // Straight steps stop in front of the block; the planned path says so.
  self.set_position(0, 0);
  EXPECT_EQ(
      call("mp_linear_step", self, {RValue(100.0), RValue(0.0), RValue(10.0), RValue(0.0)}).real(),
      0);
  EXPECT_EQ(self.x(), 10);
  EXPECT_EQ(call("mp_linear_path", self,
                 {RValue(0.0), RValue(100.0), RValue(0.0), RValue(10.0), RValue(0.0)})
                .real(),
            0);
  EXPECT_EQ(self.x(), 10) << "planning leaves the instance where it was";
  EXPECT_EQ(runner_->paths.get(0)->points.size(), 2u) << "10, 20, then blocked at 30";
  EXPECT_EQ(
      call("mp_linear_step_object", self, {RValue(100.0), RValue(0.0), RValue(100.0), RValue(0.0)})
          .real(),
      1)
      << "only instances of mover are in the way";
  EXPECT_EQ(self.x(), 100);
}

TEST_F(PathMotionTest, PotentialStepsTurnByAtMostTheMaximumRotation) {
  CInstance& self = add(2, 0, 100);
  add(1, 30, 60);  // a solid wall straight ahead, 60..107 high
  add(1, 30, 76);
  add(1, 30, 92);
  call("mp_potential_settings", self, {RValue(20.0), RValue(5.0), RValue(2.0), RValue(1.0)});
  double previous = self.direction();
  for (int step = 0; step < 12; ++step) {
    call("mp_potential_step", self, {RValue(200.0), RValue(100.0), RValue(4.0), RValue(0.0)});
    const double turn = std::abs(std::remainder(self.direction() - previous, 360.0));
    EXPECT_LE(turn, 20 + 1e-9) << "step " << step;
    previous = self.direction();
    EXPECT_TRUE(place_free_at(*runner_, self, self.x(), self.y()));
  }
  EXPECT_GT(self.x(), 0) << "it got going";
}

}  // namespace
}  // namespace kestrel
