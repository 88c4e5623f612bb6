#include "shell/splash_screen.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/clock.h"
#include "video_fixture.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// Paints the view as a waiting window does, until it closes or the time is up.
int paint_until_closed(SplashView& view, std::int64_t most_milliseconds,
                       const std::function<void(const PixelCanvas&)>& look = {}) {
  const platform::Clock clock;
  const std::int64_t end = clock.microseconds() + most_milliseconds * 1000;
  int paints = 0;
  while (!view.closed() && clock.microseconds() < end) {
    if (view.changed_by_itself()) {
      const PixelCanvas& canvas = view.paint();
      ++paints;
      if (look) look(canvas);
    }
    platform::Clock::sleep(5'000);
  }
  return paints;
}

class SplashVideo : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ =
        (fs::temp_directory_path() /
         ("kestrel_splash_" +
          std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".avi"))
            .string();
    std::string error;
    ASSERT_TRUE(fixtures::write_test_video(path_, {32, 24, 6, 20, false}, error)) << error;
  }
  void TearDown() override { fs::remove(path_); }

  std::unique_ptr<platform::VideoReader> open() {
    std::string error;
    auto reader = platform::open_video_file(path_, error);
    EXPECT_NE(reader, nullptr) << error;
    return reader;
  }

  std::string path_;
  SplashSettings settings_;
};

TEST_F(SplashVideo, ShowsEachPictureInItsPlaceAndClosesAtTheEnd) {
  settings_.close_button = false;
  settings_.colour = 0x00FF00;  // green, in the game's byte order
  SplashView view(settings_, 100, 60);
  view.show_video(open(), {10, 20, 64, 24}, false, {});
  std::vector<std::uint32_t> centres;
  std::uint32_t corner = 0;
  paint_until_closed(view, 3000, [&](const PixelCanvas& canvas) {
    centres.push_back(canvas.argb[32 * 100 + 42]);
    corner = canvas.argb[0];
  });
  EXPECT_TRUE(view.closed());
  EXPECT_EQ(view.video_error(), "");
  ASSERT_GE(centres.size(), 2u);
  EXPECT_GT(centres.front() >> 16 & 0xFF, 200u) << std::hex << centres.front();
  EXPECT_GT(centres.back() & 0xFF, 200u) << std::hex << centres.back();
  EXPECT_EQ(corner, 0xFF00FF00);
}

TEST_F(SplashVideo, ALoopStartsAgainUntilItIsClosed) {
  SplashView view(settings_, 32, 24);
  int restarts = 0;
  view.show_video(open(), {0, 0, 32, 24}, true, [&] { ++restarts; });
  // Three runs of 0.3 seconds fit in one second.
  paint_until_closed(view, 1000);
  EXPECT_FALSE(view.closed());
  EXPECT_GE(restarts, 2);
  view.key_down(platform::vk::kEscape);
  EXPECT_TRUE(view.closed());
}

}  // namespace
}  // namespace kestrel
