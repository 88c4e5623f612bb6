#pragma once

#include <SDL.h>

#include <string>

#include "platform/input.h"

namespace kestrel::platform::sdl {

// Typed text arrives as UTF-8; games read 8-bit characters, so characters
// beyond the first 256 code points are dropped.
std::string latin1_from_utf8(const char* text);

// The first two game controllers, opened when first asked for.
class Joysticks {
 public:
  Joysticks();
  ~Joysticks();
  Joysticks(const Joysticks&) = delete;
  Joysticks& operator=(const Joysticks&) = delete;

  JoystickState state(int index);

 private:
  SDL_Joystick* open(int index);

  bool started_ = false;
  SDL_Joystick* opened_[2] = {nullptr, nullptr};
};

}  // namespace kestrel::platform::sdl
