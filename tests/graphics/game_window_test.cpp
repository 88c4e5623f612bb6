#include <gtest/gtest.h>

#include "graphics/Graphics_Window.h"

namespace kestrel {
namespace {

TEST(ScaledRegion, PlacesTheRegionInTheClientArea) {
  struct Case {
    const char* name;
    int client_width, client_height;
    double scale;
    platform::ScreenRectangle expected;
  };
  const Case cases[] = {
      {"stretch over the whole client area", 800, 500, 0, {0, 0, 800, 500}},
      {"keep the aspect ratio with bands at the sides", 1000, 480, -1, {180, 0, 640, 480}},
      {"keep the aspect ratio with bands above and below", 640, 960, -1, {0, 240, 640, 480}},
      {"fixed factor, centred", 1000, 1000, 1.5, {20, 140, 960, 720}},
      {"fixed factor larger than the client", 640, 480, 2, {-320, -240, 1280, 960}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto r = scaled_region(c.client_width, c.client_height, 640, 480, c.scale);
    EXPECT_EQ(r.x, c.expected.x);
    EXPECT_EQ(r.y, c.expected.y);
    EXPECT_EQ(r.width, c.expected.width);
    EXPECT_EQ(r.height, c.expected.height);
  }
}

ViewTransform view(double x, double y, double angle = 0) {
  return {true, x, y, 100, 100, 0, 0, 200, 200, angle};
}

TEST(ViewMapping, RegionToRoomThroughOneView) {
  struct Case {
    const char* name;
    ViewTransform view;
    PointD region, expected;
  };
  const Case cases[] = {
      {"port twice the view", view(50, 60), {20, 40}, {60, 80}},
      {"an angle under a thousandth is no turn", view(50, 60, 0.0005), {20, 40}, {60, 80}},
      {"a quarter turn about the view centre", view(0, 0, 90), {200, 100}, {50, 100}},
      {"inactive view passes the point through", ViewTransform{}, {20, 40}, {20, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PointD room = room_point_through_view(c.view, c.region);
    EXPECT_DOUBLE_EQ(room.x, c.expected.x);
    EXPECT_DOUBLE_EQ(room.y, c.expected.y);
  }
}

TEST(ViewMapping, RoomToRegionUndoesTheView) {
  for (double angle : {0.0, 30.0, 90.0, -135.0}) {
    SCOPED_TRACE(angle);
    const ViewTransform v = view(50, 60, angle);
    const PointD region = region_point_from_room(v, {80, 90});
    const PointD back = room_point_through_view(v, region);
    EXPECT_DOUBLE_EQ(back.x, 80);
    EXPECT_DOUBLE_EQ(back.y, 90);
  }
}

TEST(ViewMapping, TheHighestViewHoldingThePointWins) {
  ViewTransforms views{};
  views[0] = view(0, 0);
  views[3] = view(1000, 1000);
  views[3].port_x = 100;  // the second view's port overlaps the first one's
  // Through view 3 the point lies at (900, 1000), outside its rectangle, so view 0 takes it.
  EXPECT_DOUBLE_EQ(room_point_through_views(views, {0, 0}).x, 0);
  // Through view 3, (150, 50) is (1025, 1025), inside it.
  EXPECT_DOUBLE_EQ(room_point_through_views(views, {150, 50}).x, 1025);
  // Outside every view: the lowest active view's answer stands.
  EXPECT_DOUBLE_EQ(room_point_through_views(views, {-40, 0}).x, -20);
  EXPECT_DOUBLE_EQ(room_point_through_views(ViewTransforms{}, {7, 9}).y, 9);
}

class GameWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { layout_.attach(window_.get()); }

  std::unique_ptr<platform::Window> window_ = platform::open_null_window({});
  GameWindow layout_;
};

TEST_F(GameWindowTest, APositiveScaleKeepsTheClientAreaLargeEnough) {
  layout_.set_region_scale(2, false);
  layout_.set_size(100, 100);
  EXPECT_EQ(layout_.width(), 1280);
  EXPECT_EQ(layout_.height(), 960);
  layout_.set_region_size(320, 0, true);
  EXPECT_EQ(layout_.region_height(), 480) << "a size below 1 leaves that dimension";
  EXPECT_EQ(layout_.width(), 640);
  int width = 10;
  int height = 2000;
  layout_.constrain_user_size(width, height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 2000);
}

TEST_F(GameWindowTest, FullScreenKeepsTheWindowedLayoutForLater) {
  layout_.set_rectangle(30, 40, 800, 600);
  layout_.set_fullscreen(true);
  EXPECT_EQ(layout_.width(), 1024);
  layout_.set_fullscreen(false);
  EXPECT_EQ(layout_.x(), 30);
  EXPECT_EQ(layout_.width(), 800);
  layout_.center();
  EXPECT_EQ(layout_.x(), (1024 - 800) / 2);
  EXPECT_EQ(layout_.y(), (768 - 600) / 2);
}

TEST_F(GameWindowTest, MouseMapsThroughTheLetterboxAndBack) {
  layout_.set_region_scale(-1, false);
  layout_.set_rectangle(0, 0, 1280, 480);  // bands of 320 on each side
  window_->move_mouse_to_screen(320 + 64, 48);
  EXPECT_DOUBLE_EQ(layout_.mouse_region().x, 64);
  EXPECT_DOUBLE_EQ(layout_.mouse_region().y, 48);

  layout_.views()[1] = view(500, 500);
  EXPECT_DOUBLE_EQ(layout_.mouse_room().x, 532);
  layout_.set_mouse_room(550, 520);
  EXPECT_DOUBLE_EQ(layout_.mouse_region().x, 100);
  EXPECT_DOUBLE_EQ(layout_.mouse_region().y, 40);
}

}  // namespace
}  // namespace kestrel
