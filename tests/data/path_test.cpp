#include <gtest/gtest.h>

#include <vector>

#include "data/Path_Class.h"

namespace kestrel {
namespace {

CPath path_of(int kind, bool closed, std::vector<PathPoint> points, int precision = 4) {
  CPath path;
  path.kind = kind;
  path.closed = closed;
  path.precision = precision;
  path.points = std::move(points);
  path.Recompute();
  return path;
}

void expect_point(const PathPoint& got, double x, double y, double speed) {
  EXPECT_NEAR(got.x, x, 1e-9);
  EXPECT_NEAR(got.y, y, 1e-9);
  EXPECT_NEAR(got.speed, speed, 1e-9);
}

TEST(PathTest, PositionFollowsTheCurveByLength) {
  const CPath line = path_of(0, true, {{0, 0, 100}, {100, 0, 50}});
  const CPath open = path_of(0, false, {{0, 0, 100}, {100, 0, 50}, {100, 50, 200}});
  const CPath empty = path_of(0, true, {});
  const CPath single = path_of(0, false, {{7, 8, 30}});
  struct Case {
    const char* name;
    const CPath& path;
    double t, x, y, speed;
  };
  const Case cases[] = {
      {"closed: back along the way it came", line, 0.75, 50, 0, 75},
      {"closed: at the far end", line, 0.5, 100, 0, 50},
      {"below 0 is the first point", line, -1, 0, 0, 100},
      {"beyond 1 is the last point", open, 2, 100, 50, 200},
      {"speed interpolates with the place", open, 0.25, 37.5, 0, 81.25},
      {"on the second piece", open, 0.8, 100, 20, 110},
      {"no points", empty, 0.5, 0, 0, 100},
      {"one point", single, 0.5, 7, 8, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expect_point(c.path.PositionAt(c.t), c.x, c.y, c.speed);
  }
  EXPECT_EQ(line.length, 200);
  EXPECT_EQ(single.length, 0);
}

TEST(PathTest, SmoothClosedCurvesPassThroughTheMidpoints) {
  // Precision 1: one point per corner, (A + 2B + C) / 4, and the first again.
  const CPath square =
      path_of(1, true, {{0, 0, 100}, {100, 0, 100}, {100, 100, 100}, {0, 100, 100}}, 1);
  ASSERT_EQ(square.computed.size(), 5u);
  EXPECT_EQ(square.computed[0].x, 87.5);
  EXPECT_EQ(square.computed[0].y, 12.5);
  EXPECT_EQ(square.computed[1].x, 87.5);
  EXPECT_EQ(square.computed[1].y, 87.5);
  EXPECT_EQ(square.computed[4].x, square.computed[0].x) << "closed: back to the first";
  EXPECT_EQ(square.computed[4].y, square.computed[0].y);
  // Each refinement adds points between, so the curve hugs the corner less.
  const CPath finer =
      path_of(1, true, {{0, 0, 100}, {100, 0, 100}, {100, 100, 100}, {0, 100, 100}}, 3);
  EXPECT_EQ(finer.computed.size(), 4u * 7 + 1);
  EXPECT_GT(finer.length, square.length);
  EXPECT_LT(finer.length, 400);
}

TEST(PathTest, PointEditsKeepTheCurveInStep) {
  CPath path = path_of(0, false, {{0, 0, 100}});
  path.AddPoint({10, 0, 100});
  EXPECT_EQ(path.length, 10);
  path.InsertPoint(1, {5, 5, 100});
  path.InsertPoint(4, {9, 9, 100});  // past the end: nothing
  path.ChangePoint(3, {1, 1, 1});    // no such point: nothing
  ASSERT_EQ(path.points.size(), 3u);
  EXPECT_EQ(path.points[1], (PathPoint{5, 5, 100}));
  path.DeletePoint(0);
  path.DeletePoint(-1);
  EXPECT_EQ(path.points.front(), (PathPoint{5, 5, 100}));
  path.Append(path);  // itself
  EXPECT_EQ(path.points.size(), 4u);
  EXPECT_EQ(path.computed.size(), 4u);
  path.ClearPoints();
  EXPECT_TRUE(path.computed.empty());
  EXPECT_EQ(path.length, 0);
}

TEST(PathTest, TransformationsTurnAboutTheBoxCentre) {
  struct Case {
    const char* name;
    void (*transform)(CPath& path);
    PathPoint first, second;
  };
  // The points (0, 0) and (100, 20): centre (50, 10).
  const Case cases[] = {
      {"reverse", [](CPath& p) { p.Reverse(); }, {100, 20, 50}, {0, 0, 100}},
      {"mirror", [](CPath& p) { p.Mirror(); }, {100, 0, 100}, {0, 20, 50}},
      {"flip", [](CPath& p) { p.Flip(); }, {0, 20, 100}, {100, 0, 50}},
      {"rotate 90 counter-clockwise on screen",
       [](CPath& p) { p.Rotate(90); },
       {40, 60, 100},
       {60, -40, 50}},
      {"scale", [](CPath& p) { p.Scale(2, 0.5); }, {-50, 5, 100}, {150, 15, 50}},
      {"shift", [](CPath& p) { p.Shift(3, -4); }, {3, -4, 100}, {103, 16, 50}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CPath path = path_of(0, false, {{0, 0, 100}, {100, 20, 50}});
    c.transform(path);
    expect_point(path.points[0], c.first.x, c.first.y, c.first.speed);
    expect_point(path.points[1], c.second.x, c.second.y, c.second.speed);
    EXPECT_NEAR(path.computed[0].x, c.first.x, 1e-9) << "recomputed";
  }
}

}  // namespace
}  // namespace kestrel
