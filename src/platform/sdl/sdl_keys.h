#pragma once

#include <SDL.h>

namespace kestrel::platform::sdl {

// The virtual key code (1..255) of an SDL key, 0 for keys games cannot name.
int virtual_key(SDL_Keycode key);
// The SDL key for a virtual key code, SDLK_UNKNOWN when there is none.
SDL_Keycode sdl_key(int virtual_key);

}  // namespace kestrel::platform::sdl
