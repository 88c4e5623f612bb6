#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "code_action.h"
#include "data/Runner_Load.h"
#include "game_code.h"
#include "graphics/Graphics_Draw.h"
#include "platform/window.h"
#include "png_io.h"
#include "run/Event_Main.h"
#include "run/Run_Main.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

using platform::JoystickState;

// A window without a display whose two joysticks the test moves.
class JoystickWindow final : public platform::Window {
 public:
  void pump_events(platform::WindowEvents& events) override { base_->pump_events(events); }
  platform::RenderDevice& device() override { return base_->device(); }
  platform::ScreenRectangle client_rectangle() const override { return base_->client_rectangle(); }
  void set_client_rectangle(const platform::ScreenRectangle& r) override {
    base_->set_client_rectangle(r);
  }
  void set_fullscreen(bool on) override { base_->set_fullscreen(on); }
  void set_frame(bool border, bool resizable) override { base_->set_frame(border, resizable); }
  void set_always_on_top(bool on) override { base_->set_always_on_top(on); }
  bool always_on_top() const override { return base_->always_on_top(); }
  void set_visible(bool on) override { base_->set_visible(on); }
  bool visible() const override { return base_->visible(); }
  void set_caption(const std::string& caption) override { base_->set_caption(caption); }
  platform::DisplayMode display_mode() const override { return base_->display_mode(); }
  void mouse_screen_position(int& x, int& y) const override { base_->mouse_screen_position(x, y); }
  void move_mouse_to_screen(int x, int y) override { base_->move_mouse_to_screen(x, y); }
  bool key_held_now(int key) const override { return base_->key_held_now(key); }
  bool numlock() const override { return base_->numlock(); }
  void inject_key(int key, bool down) override { base_->inject_key(key, down); }
  JoystickState joystick(int index) override { return sticks[index]; }

  JoystickState sticks[2];

 private:
  std::unique_ptr<platform::Window> base_ = platform::open_null_window({});
};

// Appends text to global.log when the event runs.
CAction log_code(const std::string& text) {
  return code_action("global.log += \"" + text + "\"");
}

// A game of one object, obj_pad, with one instance, played in a window
// without a display.
class InputFunctions : public testing::Test {
 protected:
  void SetUp() override {
    CObject pad;
    // Joystick events of both sticks: directions, then buttons.
    const std::pair<int, const char*> events[] = {{16, "l"}, {17, "r"}, {18, "u"}, {19, "d"},
                                                  {21, "1"}, {28, "8"}, {31, "L"}, {36, "!"}};
    for (const auto& [number, letter] : events) {
      pad.GetOrAddEvent(kEventMouse, number)->actions = {log_code(letter)};
    }
    game_.objects.add("obj_pad", pad);
    runner_ = std::make_unique<Runner>(game_);
    runner_->engine.settings.errors.show_errors = false;
    ASSERT_TRUE(runner_->prepare_objects());
    runner_->layout.attach(&window_);
    runner_->event_lists.build(*runner_);
    runner_->add_instance(0, 0, 0);
    run("global.log = \"\"");
  }

  // The value of an expression, or of nothing for statements.
  RValue eval(std::string_view text, bool expression = true) {
    return run_game_code(*runner_, text, expression);
  }
  void run(std::string_view statements) { eval(statements, false); }
  double real(std::string_view expression) { return eval(expression).real(); }

  // The letters the joystick events of one step logged.
  std::string step() {
    run("global.log = \"\"");
    frame_step(*runner_);
    return eval("global.log").str();
  }

  GameData game_;
  JoystickWindow window_;
  std::unique_ptr<Runner> runner_;
};

TEST_F(InputFunctions, KeyTestsReadTheStateAndInjectedKeysArriveWithTheMessages) {
  runner_->input.key_down('A');
  EXPECT_EQ(real("keyboard_check(ord('A'))"), 1);
  EXPECT_EQ(real("keyboard_check_pressed(vk_anykey)"), 1);
  EXPECT_EQ(real("keyboard_check_released(ord('A'))"), 0);
  EXPECT_EQ(real("keyboard_check(vk_nokey)"), 0);

  run("keyboard_key_press(vk_space)");
  EXPECT_EQ(real("keyboard_check_direct(vk_space)"), 1) << "the system knows the key at once";
  EXPECT_EQ(real("keyboard_check(vk_space)"), 0) << "the game when it processes messages";
  run("io_handle()");
  EXPECT_EQ(real("keyboard_check(vk_space)"), 1);
  run("keyboard_key_release(vk_space); keyboard_clear(ord('A'))");
  EXPECT_EQ(real("keyboard_check(vk_space)"), 0) << "keyboard_clear processed the release";
  EXPECT_EQ(real("keyboard_check_released(vk_space)"), 1);
  EXPECT_EQ(real("keyboard_check(ord('A'))"), 0);
  EXPECT_EQ(real("keyboard_check_pressed(ord('A'))"), 0);

  run("keyboard_set_map(ord('W'), vk_up)");
  runner_->input.key_down('W');
  EXPECT_EQ(real("keyboard_check(vk_up) + keyboard_get_map(ord('W')) * 10"), 1 + 38 * 10);
  EXPECT_EQ(real("keyboard_get_map(300)"), 300);
  run("keyboard_unset_map(); io_clear()");
  EXPECT_EQ(real("keyboard_get_map(ord('W')) + keyboard_check(vk_anykey)"), 'W');
}

TEST_F(InputFunctions, NumLockIsSetByPressingIt) {
  EXPECT_EQ(real("keyboard_get_numlock()"), 0);
  run("keyboard_set_numlock(true); keyboard_set_numlock(true)");
  EXPECT_EQ(real("keyboard_get_numlock()"), 1) << "a second call finds it on already";
  run("keyboard_set_numlock(false)");
  EXPECT_EQ(real("keyboard_get_numlock()"), 0);
}

TEST_F(InputFunctions, MouseTestsAndClear) {
  runner_->input.mouse_down(platform::MouseButton::Right);
  runner_->input.wheel(-1);
  EXPECT_EQ(real("mouse_check_button(mb_right) + mouse_check_button_pressed(mb_any) * 10"), 11);
  EXPECT_EQ(real("mouse_check_button(mb_none) + mouse_wheel_down() * 10 + mouse_wheel_up()"), 10);
  run("mouse_clear(mb_right)");
  EXPECT_EQ(real("mouse_check_button(mb_none) + mouse_check_button_pressed(mb_right)"), 1);
}

TEST_F(InputFunctions, WaitsTakeScriptedInputEarlyAndNeverBlockWithoutAPlayer) {
  runner_->player_present = false;
  runner_->input.last_key = 'Q';
  run("keyboard_wait()");
  EXPECT_EQ(runner_->input.last_key, 0) << "nobody can press a key: the wait gives up at once";

  int asked = 0;
  runner_->next_scripted_input = [&] {
    ++asked;
    if (asked == 1) runner_->input.mouse_down(platform::MouseButton::Left);
    if (asked == 2) runner_->input.key_down('K');
    return asked <= 2;
  };
  run("keyboard_wait()");
  EXPECT_EQ(asked, 2) << "scripted input is taken until a key comes";
  EXPECT_EQ(real("keyboard_lastkey"), 'K');
  run("mouse_wait()");
  EXPECT_EQ(asked, 3) << "the left button went down before the wait began";
  EXPECT_EQ(real("mouse_lastbutton"), 0);

  runner_->player_present = true;
  int closes = 0;
  runner_->next_scripted_input = [&] {
    runner_->input.close_requested();
    // A wait that goes on regardless ends here instead of hanging the test.
    if (++closes > 5) runner_->player_present = false;
    return true;
  };
  for (const bool as_escape : {true, false}) {
    runner_->input.close_button_is_escape = as_escape;
    run("mouse_wait()");
    EXPECT_EQ(real("mouse_lastbutton"), 0) << "the close button ends a wait, as Escape or not";
  }
  EXPECT_TRUE(runner_->input.close_event_pending);
  EXPECT_EQ(closes, 2);
}

TEST_F(InputFunctions, JoysticksAnswerTheirQueries) {
  EXPECT_EQ(real("joystick_exists(1) + joystick_exists(2)"), 0);
  EXPECT_EQ(real("joystick_direction(1)"), 101);
  EXPECT_EQ(real("joystick_pov(1)"), -1);
  JoystickState& second = window_.sticks[1];
  second.present = true;
  second.name = "Pad";
  second.axis_count = 6;
  second.button_count = 11;
  second.has_pov = true;
  second.axes[0] = 0;
  second.axes[1] = 65534;
  second.axes[5] = 49151;
  second.buttons = 1u << 10;
  second.pov = 27000;
  EXPECT_EQ(real("joystick_exists(2)"), 1);
  EXPECT_EQ(real("joystick_exists(0) + joystick_exists(7)"), 0) << "any other id is the first";
  EXPECT_EQ(eval("joystick_name(2)").str(), "Pad");
  EXPECT_EQ(real("joystick_axes(2) * 100 + joystick_buttons(2)"), 611);
  EXPECT_EQ(real("joystick_has_pov(2)"), 1);
  EXPECT_EQ(real("joystick_direction(2)"), 97) << "down-left";
  EXPECT_EQ(real("joystick_xpos(2)"), -1);
  EXPECT_NEAR(real("joystick_ypos(2)"), 1, 1e-4);
  EXPECT_NEAR(real("joystick_vpos(2)"), 0.5, 1e-4);
  EXPECT_EQ(real("joystick_zpos(2)"), 0) << "an axis at rest";
  EXPECT_EQ(real("joystick_check_button(2, 11) * 10 + joystick_check_button(2, 10)"), 10);
  EXPECT_EQ(real("joystick_check_button(2, 0) + joystick_check_button(2, 33)"), 0);
  EXPECT_EQ(real("joystick_pov(2)"), 270);
  second.pov = 65535;
  EXPECT_EQ(real("joystick_pov(2)"), -1) << "centred";
}

TEST_F(InputFunctions, JoysticksRaiseEventsForTheirStickAndFirstEightButtons) {
  EXPECT_EQ(step(), "") << "no joystick answers";
  JoystickState& first = window_.sticks[0];
  first.present = true;
  EXPECT_EQ(step(), "") << "at rest";
  first.axes[0] = 19999;
  first.axes[1] = 44001;
  first.buttons = 1u | 1u << 7 | 1u << 8;
  EXPECT_EQ(step(), "ld18") << "the ninth button raises nothing";
  first.axes[0] = 44001;
  first.axes[1] = 20000;
  first.buttons = 0;
  window_.sticks[1].present = true;
  window_.sticks[1].axes[0] = 0;
  window_.sticks[1].buttons = 1;
  EXPECT_EQ(step(), "rL!") << "the second joystick after the first";
}

TEST_F(InputFunctions, FunctionKeysAreUsedUpOnlyWhenTheGameAllowsThem) {
  runner_->input.key_down(115);  // F4
  frame_step(*runner_);
  EXPECT_TRUE(runner_->layout.fullscreen());
  EXPECT_TRUE(window_.client_rectangle().x == 0 && window_.client_rectangle().width == 1024);
  EXPECT_EQ(runner_->input.last_key, 0);
  runner_->input.key_down(115);
  frame_step(*runner_);
  EXPECT_FALSE(runner_->layout.fullscreen()) << "F4 switches back";

  game_.settings.KeyF4Fullscreen = false;
  runner_->input.key_down(115);
  frame_step(*runner_);
  EXPECT_FALSE(runner_->layout.fullscreen());
  EXPECT_EQ(runner_->input.last_key, 115);
}

TEST_F(InputFunctions, AnInactiveWindowReadsAsNoInputOrFreezesTheGame) {
  runner_->input.focus_changed(false);
  runner_->input.key_down('A');
  frame_step(*runner_);
  EXPECT_EQ(runner_->step_counter, 1);
  EXPECT_FALSE(runner_->input.keyboard_check('A'));

  game_.settings.FreezeOnFocusLoss = true;
  runner_->input.key_down('A');
  frame_step(*runner_);
  EXPECT_EQ(runner_->step_counter, 1) << "the step was skipped";
  EXPECT_TRUE(runner_->input.keyboard_check('A'));
}

// F9 saves the frame drawn last as the first free "screenshot<n>.png".
TEST(FunctionKeys, F9SavesTheScreenAsTheFirstFreeNumberedFile) {
  std::string error;
  std::unique_ptr<platform::Window> window = platform::open_sdl_window({"F9", 64, 48}, error);
  ASSERT_NE(window, nullptr) << error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("kestrel_f9_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  std::ofstream("screenshot100.png") << "taken before";

  GameData game;
  std::vector<std::string> messages;
  {
    Runner runner(game);
    runner.show_message = [&](std::string_view message) { messages.emplace_back(message); };
    runner.layout.attach(window.get());
    runner.graphics.attach(&window->device(), 64, 48);
    draw_clear(runner.graphics, 0x00FF00, 1);  // green: red is the low byte of a game colour
    runner.input.key_down(120);
    frame_step(runner);
    EXPECT_EQ(runner.input.last_key, 0);
  }
  std::filesystem::current_path(previous);
  EXPECT_TRUE(messages.empty()) << messages.front();
  const TBitmap32 shot = tools::ReadPng(folder / "screenshot101.png");
  EXPECT_EQ(shot.width, 64);
  EXPECT_EQ(shot.height, 48);
  // BGRA bytes of the first pixel.
  EXPECT_EQ(std::vector<std::uint8_t>(shot.pixels.begin(), shot.pixels.begin() + 4),
            (std::vector<std::uint8_t>{0, 255, 0, 255}));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kestrel
