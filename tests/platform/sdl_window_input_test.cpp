#include <gtest/gtest.h>

#include "platform/window.h"

namespace kestrel::platform {
namespace {

// Records the keys the window hands over.
struct KeyLog : WindowEvents {
  void key_down(int key) override { keys += "+" + std::to_string(key); }
  void key_up(int key) override { keys += "-" + std::to_string(key); }
  std::string keys;
};

// Tests run under the offscreen driver: no display, no real pointer or keyboard.
class SdlWindowInput : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = open_sdl_window({"input", 64, 48}, error);
    ASSERT_NE(window_, nullptr) << error;
  }
  std::unique_ptr<Window> window_;
};

TEST_F(SdlWindowInput, AMouseMovedWithoutADisplayStaysWhereItWasPut) {
  window_->move_mouse_to_screen(30, 40);
  int x = 0;
  int y = 0;
  window_->mouse_screen_position(x, y);
  EXPECT_EQ(x, 30);
  EXPECT_EQ(y, 40);
}

TEST_F(SdlWindowInput, InjectedKeysArriveWithTheNextEventsAndNumLockToggles) {
  const bool numlock = window_->numlock();
  window_->inject_key(vk::kNumLock, true);
  window_->inject_key(vk::kNumLock, false);
  window_->inject_key('A', true);
  EXPECT_NE(window_->numlock(), numlock);
  KeyLog log;
  window_->pump_events(log);
  EXPECT_EQ(log.keys, "+144-144+65");
}

}  // namespace
}  // namespace kestrel::platform
