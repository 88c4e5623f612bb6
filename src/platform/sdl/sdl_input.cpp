#include "platform/sdl/sdl_input.h"

#include <algorithm>

namespace kestrel::platform::sdl {

std::string latin1_from_utf8(const char* text) {
  std::string latin1;
  for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p != 0;) {
    unsigned int code = *p;
    int length = 1;
    if (code >= 0xF0)
      length = 4, code &= 0x07;
    else if (code >= 0xE0)
      length = 3, code &= 0x0F;
    else if (code >= 0xC0)
      length = 2, code &= 0x1F;
    ++p;
    for (int i = 1; i < length && (*p & 0xC0) == 0x80; ++i, ++p) code = code << 6 | (*p & 0x3F);
    if (code < 256) latin1 += static_cast<char>(code);
  }
  return latin1;
}

Joysticks::Joysticks() : started_(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {}

Joysticks::~Joysticks() {
  for (SDL_Joystick* joystick : opened_) {
    if (joystick != nullptr) SDL_JoystickClose(joystick);
  }
  if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

SDL_Joystick* Joysticks::open(int index) {
  SDL_Joystick*& joystick = opened_[index];
  if (joystick != nullptr && SDL_JoystickGetAttached(joystick) == SDL_FALSE) {
    SDL_JoystickClose(joystick);
    joystick = nullptr;
  }
  if (joystick == nullptr && started_ && index < SDL_NumJoysticks()) {
    joystick = SDL_JoystickOpen(index);
  }
  return joystick;
}

JoystickState Joysticks::state(int index) {
  JoystickState state;
  if (index < 0 || index > 1) return state;
  SDL_JoystickUpdate();
  SDL_Joystick* joystick = open(index);
  if (joystick == nullptr) return state;
  state.present = true;
  const char* name = SDL_JoystickName(joystick);
  state.name = name != nullptr ? name : "";
  state.axis_count = std::min(SDL_JoystickNumAxes(joystick), 6);
  state.button_count = std::min(SDL_JoystickNumButtons(joystick), 32);
  state.has_pov = SDL_JoystickNumHats(joystick) > 0;
  for (int axis = 0; axis < state.axis_count; ++axis) {
    state.axes[axis] = static_cast<std::uint32_t>(SDL_JoystickGetAxis(joystick, axis) + 32768);
  }
  for (int button = 0; button < state.button_count; ++button) {
    if (SDL_JoystickGetButton(joystick, button) != 0) state.buttons |= 1u << button;
  }
  if (state.has_pov) {
    static constexpr std::pair<Uint8, std::uint32_t> kHat[] = {
        {SDL_HAT_UP, 0},       {SDL_HAT_RIGHTUP, 4500},
        {SDL_HAT_RIGHT, 9000}, {SDL_HAT_RIGHTDOWN, 13500},
        {SDL_HAT_DOWN, 18000}, {SDL_HAT_LEFTDOWN, 22500},
        {SDL_HAT_LEFT, 27000}, {SDL_HAT_LEFTUP, 31500}};
    const Uint8 hat = SDL_JoystickGetHat(joystick, 0);
    for (const auto& [direction, angle] : kHat) {
      if (hat == direction) state.pov = angle;
    }
  }
  return state;
}

}  // namespace kestrel::platform::sdl
