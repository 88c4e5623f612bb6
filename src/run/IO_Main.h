#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/input.h"

namespace kestrel {

// Key codes that games use in key tests and events besides the real keys.
inline constexpr int kNoKey = 0;
inline constexpr int kAnyKey = 1;
// Button codes of the mouse functions.
inline constexpr int kAnyButton = -1;
inline constexpr int kNoButton = 0;

// The keyboard and mouse as the game sees them between two steps: fed by the
// window's events, read by the step's input events and by game code, and
// cleared of its pressed and released marks when a step completes.
class InputState final : public platform::WindowEvents {
 public:
  InputState() { unset_map(); }

  // Window events.
  void key_down(int key) override;
  void key_up(int key) override;
  void character(unsigned char c) override;
  void mouse_down(platform::MouseButton button) override;
  void mouse_up(platform::MouseButton button) override;
  void wheel(int direction) override;
  void close_requested() override;
  void focus_changed(bool active) override { active_ = active; }

  // Forgets everything held, pressed, released and typed.
  void clear();
  // At the end of every completed step.
  void clear_pressed();

  // 0 asks for no key at all, 1 for any key, 2..255 for that key.
  bool keyboard_check(int key) const { return check(down_, key); }
  bool keyboard_check_pressed(int key) const { return check(pressed_, key); }
  bool keyboard_check_released(int key) const { return check(released_, key); }
  void keyboard_clear(int key);
  // -1 asks for any button, 0 for none, 1..3 for that button.
  bool mouse_check_button(int button) const { return check_button(mouse_down_, button); }
  bool mouse_check_button_pressed(int button) const { return check_button(mouse_pressed_, button); }
  bool mouse_check_button_released(int button) const {
    return check_button(mouse_released_, button);
  }
  void mouse_clear(int button);

  // Keys 0..255 may stand for other keys; others map to themselves.
  void set_map(int key, int target);
  int get_map(int key) const;
  void unset_map();

  bool key_down_now(int key) const { return in_range(key) && down_[key]; }
  bool key_pressed_now(int key) const { return in_range(key) && pressed_[key]; }
  bool key_released_now(int key) const { return in_range(key) && released_[key]; }
  bool button_down_now(int button) const { return mouse_down_[button - 1]; }
  bool button_pressed_now(int button) const { return mouse_pressed_[button - 1]; }
  bool button_released_now(int button) const { return mouse_released_[button - 1]; }

  int last_key = 0;        // keyboard_lastkey
  int current_key = 0;     // keyboard_key
  int last_char = 0;       // keyboard_lastchar
  std::string typed;       // keyboard_string, at most kTypedLimit characters
  int last_button = 0;     // mouse_lastbutton
  int current_button = 0;  // mouse_button
  bool wheel_up = false;
  bool wheel_down = false;

  // Whether the close button acts as the Escape key (a game setting).
  bool close_button_is_escape = true;
  // Set when the close button asks for the game's close-button event.
  bool close_event_pending = false;
  // Counts the close button's requests, in either form, so that a wait for a
  // key or button can tell that the player wants to close the game.
  int close_requests = 0;
  // Input is ignored while another window of the game (information, splash) is in front.
  bool ignore_input = false;
  bool active() const { return active_; }

  static constexpr std::size_t kTypedLimit = 1024;

 private:
  static bool in_range(int key) { return key >= 0 && key <= 255; }
  static bool check(const std::array<bool, 256>& keys, int key);
  static bool check_button(const std::array<bool, 3>& buttons, int button);

  std::array<bool, 256> down_{};
  std::array<bool, 256> pressed_{};
  std::array<bool, 256> released_{};
  std::array<bool, 3> mouse_down_{};
  std::array<bool, 3> mouse_pressed_{};
  std::array<bool, 3> mouse_released_{};
  std::array<int, 256> map_{};
  bool active_ = true;
};

// The numeric keypad code (97..105) of a controller's stick: 104 up, 101 at rest.
int joystick_direction(const platform::JoystickState& joystick);

}  // namespace kestrel
