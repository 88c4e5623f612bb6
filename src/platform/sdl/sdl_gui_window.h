#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "platform/gui_window.h"
#include "platform/sdl/sdl_picture_window.h"

namespace kestrel::platform::sdl {

// A window drawn with Dear ImGui beside the game window `game`, whose GL
// context `game_context` is made current again after each of its frames.
// Null without a screen (the offscreen and dummy drivers); null with SDL's
// reason in `error` when it cannot be made.
std::unique_ptr<GuiWindow> open_sdl_gui_window(const GuiWindowSettings& settings, SDL_Window* game,
                                               SDL_GLContext game_context,
                                               const std::shared_ptr<PictureRoutes>& routes,
                                               std::string& error);

}  // namespace kestrel::platform::sdl
