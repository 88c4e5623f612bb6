#pragma once

#include <SDL.h>

#include <string>

#include "platform/input.h"

namespace kestrel::platform::sdl {

// Typed text arrives as UTF-8; games read 8-bit characters, so characters
// beyond the first 256 code points are dropped.
std::string latin1_from_utf8(const char* text);

// The game's number for an SDL mouse button; false for buttons games do not have.
bool game_mouse_button(Uint8 sdl_button, MouseButton& button);

// The first two joysticks. One that SDL knows as a game controller reads in
// the controller layout (sticks, triggers, face buttons first, the pad as the
// hat), so every pad numbers its buttons alike; any other reads as its raw
// axes, buttons and first hat.
class Joysticks {
 public:
  Joysticks();
  ~Joysticks();
  Joysticks(const Joysticks&) = delete;
  Joysticks& operator=(const Joysticks&) = delete;

  JoystickState state(int index);

 private:
  struct Device {
    SDL_GameController* controller = nullptr;  // null for a raw joystick
    SDL_Joystick* joystick = nullptr;
  };
  // Null when there is no such device; a device that went away is let go.
  Device* open(int index);
  static void close(Device& device);

  bool started_ = false;
  Device devices_[2];
};

}  // namespace kestrel::platform::sdl
