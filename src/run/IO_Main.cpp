#include "run/IO_Main.h"

#include <algorithm>

namespace kestrel {

void InputState::key_down(int key) {
  if (ignore_input) return;
  if (in_range(key)) key = map_[key];
  if (!in_range(key)) return;
  last_key = current_key = key;
  if (!down_[key]) pressed_[key] = true;
  down_[key] = true;
}

void InputState::key_up(int key) {
  if (ignore_input) return;
  if (in_range(key)) key = map_[key];
  if (!in_range(key)) return;
  if (current_key == key) current_key = 0;
  down_[key] = false;
  released_[key] = true;
}

void InputState::character(unsigned char c) {
  if (ignore_input) return;
  last_char = c;
  if (c == platform::vk::kBackspace) {
    if (!typed.empty()) typed.pop_back();
  } else if (c >= 32) {
    typed += static_cast<char>(c);
    if (typed.size() > kTypedLimit) typed.erase(0, typed.size() - kTypedLimit);
  }
}

void InputState::mouse_down(platform::MouseButton button) {
  if (ignore_input) return;
  const int b = static_cast<int>(button);
  last_button = current_button = b;
  mouse_down_[b - 1] = true;
  mouse_pressed_[b - 1] = true;
}

void InputState::mouse_up(platform::MouseButton button) {
  if (ignore_input) return;
  const int b = static_cast<int>(button);
  current_button = 0;
  mouse_down_[b - 1] = false;
  mouse_released_[b - 1] = true;
}

void InputState::wheel(int direction) {
  if (ignore_input) return;
  if (direction > 0)
    wheel_up = true;
  else
    wheel_down = true;
}

void InputState::close_requested() {
  if (ignore_input) return;
  ++close_requests;
  if (close_button_is_escape) {
    // Held, not pressed: the step's Escape handling looks at held keys.
    down_[platform::vk::kEscape] = true;
    current_key = last_key = platform::vk::kEscape;
  } else {
    close_event_pending = true;
  }
}

void InputState::clear() {
  typed.clear();
  last_key = current_key = last_char = 0;
  down_.fill(false);
  pressed_.fill(false);
  released_.fill(false);
  last_button = current_button = 0;
  mouse_down_.fill(false);
  clear_pressed();
}

void InputState::clear_pressed() {
  pressed_.fill(false);
  released_.fill(false);
  mouse_pressed_.fill(false);
  mouse_released_.fill(false);
  wheel_up = wheel_down = false;
}

bool InputState::check(const std::array<bool, 256>& keys, int key) {
  const bool any = std::find(keys.begin(), keys.end(), true) != keys.end();
  if (key == kNoKey) return !any;
  if (key == kAnyKey) return any;
  return in_range(key) && keys[key];
}

bool InputState::check_button(const std::array<bool, 3>& buttons, int button) {
  const bool any = std::find(buttons.begin(), buttons.end(), true) != buttons.end();
  if (button == kAnyButton) return any;
  if (button == kNoButton) return !any;
  return button >= 1 && button <= 3 && buttons[button - 1];
}

void InputState::keyboard_clear(int key) {
  if (!in_range(key)) return;
  down_[key] = pressed_[key] = released_[key] = false;
}

void InputState::mouse_clear(int button) {
  if (button < 1 || button > 3) return;
  mouse_down_[button - 1] = mouse_pressed_[button - 1] = mouse_released_[button - 1] = false;
}

void InputState::set_map(int key, int target) {
  if (in_range(key)) map_[key] = target;
}

int InputState::get_map(int key) const {
  return in_range(key) ? map_[key] : key;
}

void InputState::unset_map() {
  for (int key = 0; key < 256; ++key) map_[key] = key;
}

int joystick_direction(const platform::JoystickState& joystick) {
  if (!joystick.present) return 101;
  const std::uint32_t x = joystick.axes[0];
  const std::uint32_t y = joystick.axes[1];
  int direction = y < 20000 ? 6 : (y < 44001 ? 3 : 0);
  direction += x < 20000 ? 1 : (x < 44001 ? 2 : 3);
  return direction + 96;
}

}  // namespace kestrel
