#include "platform/sdl/sdl_input.h"

#include <algorithm>
#include <iterator>
#include <utility>

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

bool game_mouse_button(Uint8 sdl_button, MouseButton& button) {
  switch (sdl_button) {
    case SDL_BUTTON_LEFT:
      button = MouseButton::Left;
      return true;
    case SDL_BUTTON_RIGHT:
      button = MouseButton::Right;
      return true;
    case SDL_BUTTON_MIDDLE:
      button = MouseButton::Middle;
      return true;
    default:
      return false;
  }
}

namespace {

// The hat in hundredths of a degree from its SDL_HAT_ bits; 65535 when centred.
std::uint32_t hat_angle(Uint8 hat) {
  static constexpr std::pair<Uint8, std::uint32_t> kAngles[] = {
      {SDL_HAT_UP, 0},       {SDL_HAT_RIGHTUP, 4500},
      {SDL_HAT_RIGHT, 9000}, {SDL_HAT_RIGHTDOWN, 13500},
      {SDL_HAT_DOWN, 18000}, {SDL_HAT_LEFTDOWN, 22500},
      {SDL_HAT_LEFT, 27000}, {SDL_HAT_LEFTUP, 31500}};
  for (const auto& [direction, angle] : kAngles) {
    if (hat == direction) return angle;
  }
  return 65535;
}

// SDL axes run from -32768 to 32767, games' from 0 to 65535.
std::uint32_t game_axis(Sint16 value) {
  return static_cast<std::uint32_t>(value + 32768);
}

void read_controller(SDL_GameController* controller, JoystickState& state) {
  static constexpr SDL_GameControllerAxis kAxes[] = {
      SDL_CONTROLLER_AXIS_LEFTX,       SDL_CONTROLLER_AXIS_LEFTY,
      SDL_CONTROLLER_AXIS_RIGHTX,      SDL_CONTROLLER_AXIS_RIGHTY,
      SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT};
  // The face buttons, shoulders, back and start come first: the first eight
  // buttons are the ones that raise joystick events.
  static constexpr SDL_GameControllerButton kButtons[] = {SDL_CONTROLLER_BUTTON_A,
                                                          SDL_CONTROLLER_BUTTON_B,
                                                          SDL_CONTROLLER_BUTTON_X,
                                                          SDL_CONTROLLER_BUTTON_Y,
                                                          SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                          SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                                                          SDL_CONTROLLER_BUTTON_BACK,
                                                          SDL_CONTROLLER_BUTTON_START,
                                                          SDL_CONTROLLER_BUTTON_LEFTSTICK,
                                                          SDL_CONTROLLER_BUTTON_RIGHTSTICK,
                                                          SDL_CONTROLLER_BUTTON_GUIDE};
  const char* name = SDL_GameControllerName(controller);
  state.name = name != nullptr ? name : "";
  state.axis_count = static_cast<int>(std::size(kAxes));
  state.button_count = static_cast<int>(std::size(kButtons));
  state.has_pov = true;
  for (int axis = 0; axis < state.axis_count; ++axis) {
    state.axes[axis] = game_axis(SDL_GameControllerGetAxis(controller, kAxes[axis]));
  }
  for (int button = 0; button < state.button_count; ++button) {
    if (SDL_GameControllerGetButton(controller, kButtons[button]) != 0)
      state.buttons |= 1u << button;
  }
  static constexpr std::pair<SDL_GameControllerButton, Uint8> kPad[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_HAT_UP},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_HAT_RIGHT},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_HAT_DOWN},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_HAT_LEFT}};
  Uint8 hat = SDL_HAT_CENTERED;
  for (const auto& [button, bit] : kPad) {
    if (SDL_GameControllerGetButton(controller, button) != 0) hat |= bit;
  }
  state.pov = hat_angle(hat);
}

void read_joystick(SDL_Joystick* joystick, JoystickState& state) {
  const char* name = SDL_JoystickName(joystick);
  state.name = name != nullptr ? name : "";
  state.axis_count = std::clamp(SDL_JoystickNumAxes(joystick), 0, 6);
  state.button_count = std::clamp(SDL_JoystickNumButtons(joystick), 0, 32);
  state.has_pov = SDL_JoystickNumHats(joystick) > 0;
  for (int axis = 0; axis < state.axis_count; ++axis) {
    state.axes[axis] = game_axis(SDL_JoystickGetAxis(joystick, axis));
  }
  for (int button = 0; button < state.button_count; ++button) {
    if (SDL_JoystickGetButton(joystick, button) != 0) state.buttons |= 1u << button;
  }
  if (state.has_pov) state.pov = hat_angle(SDL_JoystickGetHat(joystick, 0));
}

}  // namespace

Joysticks::Joysticks() : started_(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {}

Joysticks::~Joysticks() {
  for (Device& device : devices_) close(device);
  if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void Joysticks::close(Device& device) {
  if (device.controller != nullptr)
    SDL_GameControllerClose(device.controller);
  else if (device.joystick != nullptr)
    SDL_JoystickClose(device.joystick);
  device = {};
}

Joysticks::Device* Joysticks::open(int index) {
  Device& device = devices_[index];
  if (device.joystick != nullptr && SDL_JoystickGetAttached(device.joystick) == SDL_FALSE) {
    close(device);
  }
  if (device.joystick == nullptr && started_ && index < SDL_NumJoysticks()) {
    if (SDL_IsGameController(index) == SDL_TRUE) {
      device.controller = SDL_GameControllerOpen(index);
      if (device.controller != nullptr) {
        device.joystick = SDL_GameControllerGetJoystick(device.controller);
      }
    } else {
      device.joystick = SDL_JoystickOpen(index);
    }
  }
  return device.joystick != nullptr ? &device : nullptr;
}

JoystickState Joysticks::state(int index) {
  JoystickState state;
  if (index < 0 || index > 1 || !started_) return state;
  SDL_GameControllerUpdate();
  const Device* device = open(index);
  if (device == nullptr) return state;
  state.present = true;
  if (device->controller != nullptr)
    read_controller(device->controller, state);
  else
    read_joystick(device->joystick, state);
  return state;
}

}  // namespace kestrel::platform::sdl
