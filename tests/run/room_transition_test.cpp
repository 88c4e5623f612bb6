#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/Runner_Load.h"
#include "platform/window.h"
#include "run/Runner.h"
#include "run/room_lifecycle.h"

namespace kestrel {
namespace {

constexpr std::int64_t kRed = 0x0000FF, kBlue = 0xFF0000;

// Two rooms of one colour each; the game starts in the red one and goes to
// the blue one with the transition asked for, five frames long.
class RoomTransitionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = platform::open_sdl_window({"transitions", 64, 48, false}, error);
    ASSERT_NE(window_, nullptr) << error;
    CRoom room;
    room.width = 64;
    room.height = 48;
    room.colour = int(kRed);
    game_.rooms.add("room_red", room);
    room.colour = int(kBlue);
    game_.rooms.add("room_blue", room);
    game_.room_order = {0, 1};
    // Drawn the way kind 20 draws: the old frame, then the new one faded in.
    game_.scripts.add("scr_blend",
                      {"draw_surface(argument0, 0, 0);"
                       "draw_surface_ext(argument1, 0, 0, 1, 1, 0, c_white, argument4);"});
    runner_ = std::make_unique<Runner>(game_);
    ASSERT_TRUE(runner_->prepare_scripts());
    runner_->layout.attach(window_.get());
    runner_->graphics.attach(&window_->device(), 64, 48);
    start_game(*runner_);
  }

  // The colour in the middle of the region at each frame of the transition.
  std::vector<std::int64_t> frames_of(int kind) {
    std::vector<std::int64_t> seen;
    runner_->on_transition_frame = [&](int) { seen.push_back(runner_->graphics.pixel(32, 24)); };
    runner_->transition_steps = 4;
    runner_->transition_kind = kind;
    request_room(*runner_, 1);
    handle_transfer(*runner_);
    return seen;
  }

  GameData game_;
  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<Runner> runner_;
};

TEST_F(RoomTransitionTest, BlendRunsFromTheOldFrameToTheNewOne) {
  const std::vector<std::int64_t> seen = frames_of(20);
  ASSERT_EQ(seen.size(), 5u) << "steps + 1 frames";
  EXPECT_EQ(seen.front(), kRed);
  EXPECT_EQ(seen.back(), kBlue);
  EXPECT_NEAR(seen[2] & 0xFF, 128, 2) << "half of each";
  EXPECT_NEAR(seen[2] >> 16, 128, 2);
  EXPECT_EQ(runner_->transition_kind, 0) << "the next room change has none";
  EXPECT_FALSE(runner_->surfaces.exists(0)) << "the captured frames are let go";
  EXPECT_EQ(runner_->graphics.pixel(32, 24), kBlue);
}

TEST_F(RoomTransitionTest, FadeIsBlackHalfWayAndNoKindShowsNoFrames) {
  EXPECT_EQ(frames_of(21)[2], 0);
  EXPECT_TRUE(frames_of(0).empty());
  EXPECT_TRUE(frames_of(77).empty()) << "an undefined kind is no transition";
}

TEST_F(RoomTransitionTest, ADefinedKindTakesThePlaceOfTheBuiltInOne) {
  EXPECT_FALSE(define_transition(*runner_, 21, "scr_missing"));
  EXPECT_TRUE(define_transition(*runner_, 21, "scr_blend"));
  EXPECT_TRUE(transition_exists(*runner_, 21));
  EXPECT_FALSE(transition_exists(*runner_, 22));
  const std::vector<std::int64_t> seen = frames_of(21);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_NEAR(seen[2] & 0xFF, 128, 2) << "blended by the script, not faded through black";
}

}  // namespace
}  // namespace kestrel
