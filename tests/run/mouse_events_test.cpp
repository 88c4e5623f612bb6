#include <gtest/gtest.h>

#include "code_action.h"
#include "data/Runner_Load.h"
#include "platform/window.h"
#include "run/Event_Main.h"
#include "run/Run_Main.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

// Appends letter to global.log when the event runs.
CAction log_code(const std::string& letter) {
  return code_action("global.log += \"" + letter + "\"");
}

// Two 16 x 16 buttons side by side; each mouse event it has logs a letter.
class MouseEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CSprite sprite;
    sprite.images.assign(1, TBitmap32{16, 16, {}});
    TMask mask;
    mask.width = mask.height = 16;
    mask.box = {0, 0, 15, 15};
    mask.bits.assign(256, 1);
    sprite.masks = {mask};
    sprite.box = {0, 0, 15, 15};
    game_.sprites.add("spr_button", sprite);
    CObject button;
    button.sprite = 0;
    const std::pair<int, const char*> events[] = {{0, "L"},  {3, "N"},  {4, "P"},  {7, "R"},
                                                  {10, "E"}, {11, "X"}, {53, "G"}, {60, "W"}};
    for (const auto& [number, letter] : events) {
      button.GetOrAddEvent(kEventMouse, number)->actions = {log_code(letter)};
    }
    game_.objects.add("obj_button", button);
    runner_ = std::make_unique<Runner>(game_);
    ASSERT_TRUE(runner_->prepare_objects());
    runner_->layout.attach(window_.get());
    runner_->event_lists.build(*runner_);
    runner_->add_instance(0, 0, 0);
    runner_->add_instance(0, 100, 0);
    runner_->engine.globals.list().set(runner_->engine.variable_index("log"), 0, RValue(""));
  }

  // Puts the mouse over a room point and runs one step; the letters logged.
  std::string step_at(int x, int y) {
    const platform::ScreenRectangle client = window_->client_rectangle();
    window_->move_mouse_to_screen(client.x + x, client.y + y);
    CVariableList& globals = runner_->engine.globals.list();
    const std::int32_t log = runner_->engine.variable_index("log");
    globals.set(log, 0, RValue(""));
    frame_step(*runner_);
    return globals.get(log, 0)->str();
  }

  GameData game_;
  std::unique_ptr<platform::Window> window_ = platform::open_null_window({});
  std::unique_ptr<Runner> runner_;
};

TEST_F(MouseEventsTest, LocalEventsGoToTheInstanceUnderTheMouse) {
  EXPECT_EQ(step_at(50, 5), "X") << "the mouse starts at the room's origin, on the first button";
  EXPECT_EQ(step_at(50, 6), "") << "local events need an instance under the mouse";
  EXPECT_EQ(step_at(5, 5), "NE") << "no button, and the mouse entered the first button";
  EXPECT_EQ(step_at(6, 5), "N");
  runner_->input.mouse_down(platform::MouseButton::Left);
  EXPECT_EQ(step_at(6, 5), "LPGG") << "held and pressed locally; the global press for both";
  runner_->input.mouse_up(platform::MouseButton::Left);
  EXPECT_EQ(step_at(6, 5), "NR") << "released over the button";
  EXPECT_EQ(step_at(50, 5), "X") << "the mouse left the button";
  runner_->input.wheel(1);
  EXPECT_EQ(step_at(105, 5), "NEWW");
}

}  // namespace
}  // namespace kestrel
