#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "data/Runner_Load.h"
#include "game_code.h"
#include "platform/window.h"
#include "run/Run_Main.h"
#include "run/Run_Main.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

// A game without rooms whose information the tests show without a player:
// nothing may wait.
class GameInformationTest : public testing::Test {
 protected:
  void SetUp() override {
    game_.information.text = R"({\rtf1\fs40 WWWW MMMM\par})";
    game_.information.background_colour = 0x00FF00;  // green: red is the low byte
  }

  void start(bool sdl_window) {
    std::string error;
    window_ = sdl_window ? platform::open_sdl_window({"information", 64, 48}, error)
                         : platform::open_null_window({"information", 64, 48});
    ASSERT_NE(window_, nullptr) << error;
    runner_ = std::make_unique<Runner>(game_);
    runner_->layout.attach(window_.get());
    runner_->graphics.attach(&window_->device(), 64, 48);
  }

  void run(std::string_view statements) { run_game_code(*runner_, statements, false); }

  GameData game_;
  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<Runner> runner_;
};

TEST_F(GameInformationTest, InTheGameWindowItCoversTheRegionInItsColour) {
  game_.information.in_game_window = true;
  start(true);
  run("show_info()");
  Capture capture;
  ASSERT_TRUE(runner_->graphics.capture(0, 0, 64, 48, capture));
  EXPECT_EQ(capture.argb.front(), 0xFF00FF00u);
  EXPECT_GT(std::count_if(capture.argb.begin(), capture.argb.end(),
                          [](std::uint32_t pixel) { return (pixel & 0xFF00) < 0x8000; }),
            20)
      << "no dark letters";
}

TEST_F(GameInformationTest, ASeparateWindowOpensWithoutWaitingWhenNobodyCouldCloseIt) {
  game_.information.stop_game = true;
  start(true);
  run("action_show_info()");
  EXPECT_TRUE(runner_->information.window_open());
}

TEST_F(GameInformationTest, WithoutAScreenNothingIsShown) {
  start(false);
  run("show_info()");
  EXPECT_FALSE(runner_->information.window_open());
}

TEST_F(GameInformationTest, F1ShowsItWhenTheSettingAllowsAndClearsTheInput) {
  for (const bool allowed : {true, false}) {
    SCOPED_TRACE(allowed);
    game_.settings.KeyF1Information = allowed;
    start(false);
    runner_->input.key_down(platform::vk::kF1);
    runner_->input.typed = "typed";
    frame_step(*runner_);
    EXPECT_EQ(runner_->input.last_key, allowed ? 0 : platform::vk::kF1);
    EXPECT_EQ(runner_->input.typed.empty(), allowed);
  }
}

TEST_F(GameInformationTest, LoadInfoReplacesTheTextOnlyWithAFileThatExists) {
  start(false);
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("kestrel_info_" + std::to_string(std::random_device{}()) + ".rtf");
  std::ofstream(file, std::ios::binary) << R"({\rtf1 replaced})";
  run("load_info(\"" + file.generic_string() + ".missing\")");
  EXPECT_EQ(runner_->information.text(), game_.information.text);
  run("load_info(\"" + file.generic_string() + "\")");
  EXPECT_EQ(runner_->information.text(), R"({\rtf1 replaced})");
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace kestrel
