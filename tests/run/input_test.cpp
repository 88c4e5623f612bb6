#include <gtest/gtest.h>

#include "run/IO_Main.h"

namespace kestrel {
namespace {

using platform::MouseButton;

TEST(Input, AHeldKeyIsPressedOnceAndReleasedAfterItIsLetGo) {
  InputState input;
  input.key_down('A');
  EXPECT_TRUE(input.keyboard_check('A'));
  EXPECT_TRUE(input.keyboard_check_pressed('A'));
  input.clear_pressed();
  input.key_down('A');  // the keyboard repeats a held key
  EXPECT_TRUE(input.keyboard_check('A'));
  EXPECT_FALSE(input.keyboard_check_pressed('A'));
  input.key_up('A');
  EXPECT_FALSE(input.keyboard_check('A'));
  EXPECT_TRUE(input.keyboard_check_released('A'));
  input.clear_pressed();
  EXPECT_FALSE(input.keyboard_check_released('A'));
}

TEST(Input, KeyCodesForNoKeyAndAnyKey) {
  InputState input;
  EXPECT_TRUE(input.keyboard_check(kNoKey));
  EXPECT_FALSE(input.keyboard_check(kAnyKey));
  input.key_down(40);
  EXPECT_FALSE(input.keyboard_check(kNoKey));
  EXPECT_TRUE(input.keyboard_check(kAnyKey));
  EXPECT_FALSE(input.keyboard_check(300));
  EXPECT_FALSE(input.keyboard_check(-1));
}

TEST(Input, TheCurrentKeyIsTheLastOneDownUntilItGoesUp) {
  InputState input;
  input.key_down('A');
  input.key_down('B');
  EXPECT_EQ(input.current_key, 'B');
  input.key_up('A');
  EXPECT_EQ(input.current_key, 'B');
  input.key_up('B');
  EXPECT_EQ(input.current_key, 0) << "even though no other key is up to date";
  EXPECT_EQ(input.last_key, 'B');
}

TEST(Input, MappedKeysStandForTheirTarget) {
  InputState input;
  input.set_map('A', 'B');
  input.key_down('A');
  input.character('a');
  EXPECT_TRUE(input.keyboard_check('B'));
  EXPECT_FALSE(input.keyboard_check('A'));
  EXPECT_EQ(input.last_key, 'B');
  EXPECT_EQ(input.last_char, 'a') << "characters are not mapped";
  EXPECT_EQ(input.get_map(300), 300);
  input.unset_map();
  EXPECT_EQ(input.get_map('A'), 'A');
}

TEST(Input, TypedStringKeepsTheLastCharactersAndHonoursBackspace) {
  InputState input;
  for (char c : std::string("abc")) input.character(static_cast<unsigned char>(c));
  input.character(8);
  input.character(7);  // other control characters are not typed
  EXPECT_EQ(input.typed, "ab");
  EXPECT_EQ(input.last_char, 7);
  for (int i = 0; i < 2000; ++i) input.character('x');
  input.character('y');
  EXPECT_EQ(input.typed.size(), InputState::kTypedLimit);
  EXPECT_EQ(input.typed.back(), 'y');
  input.clear();
  EXPECT_TRUE(input.typed.empty());
}

TEST(Input, ReleasingAnyButtonClearsTheCurrentButton) {
  InputState input;
  EXPECT_TRUE(input.mouse_check_button(kNoButton));
  input.mouse_down(MouseButton::Left);
  input.mouse_down(MouseButton::Right);
  EXPECT_TRUE(input.mouse_check_button(kAnyButton));
  EXPECT_EQ(input.current_button, 2);
  input.mouse_up(MouseButton::Left);
  EXPECT_EQ(input.current_button, 0);
  EXPECT_TRUE(input.mouse_check_button(2));
  EXPECT_TRUE(input.mouse_check_button_released(1));
  EXPECT_EQ(input.last_button, 2);
}

TEST(Input, CloseButtonActsAsEscapeOrAsksForTheCloseEvent) {
  InputState input;
  input.close_requested();
  EXPECT_TRUE(input.keyboard_check(27));
  EXPECT_FALSE(input.keyboard_check_pressed(27));
  EXPECT_FALSE(input.close_event_pending);

  InputState other;
  other.close_button_is_escape = false;
  other.close_requested();
  EXPECT_FALSE(other.keyboard_check(27));
  EXPECT_TRUE(other.close_event_pending);
}

TEST(Input, IgnoredWhileAnotherGameWindowIsInFront) {
  InputState input;
  input.ignore_input = true;
  input.key_down('A');
  input.mouse_down(MouseButton::Left);
  input.character('a');
  EXPECT_TRUE(input.keyboard_check(kNoKey));
  EXPECT_TRUE(input.mouse_check_button(kNoButton));
  EXPECT_TRUE(input.typed.empty());
}

TEST(Input, JoystickDirectionFollowsTheNumericKeypad) {
  struct Case {
    std::uint32_t x, y;
    int expected;
  };
  const Case cases[] = {{0, 0, 103},        {32767, 32767, 101}, {65535, 65535, 99},
                        {32767, 0, 104},    {65535, 32767, 102}, {19999, 44001, 97},
                        {44000, 20000, 101}};
  for (const Case& c : cases) {
    platform::JoystickState stick;
    stick.present = true;
    stick.axes[0] = c.x;
    stick.axes[1] = c.y;
    EXPECT_EQ(joystick_direction(stick), c.expected) << c.x << ", " << c.y;
  }
  EXPECT_EQ(joystick_direction(platform::JoystickState{}), 101);
}

}  // namespace
}  // namespace kestrel
