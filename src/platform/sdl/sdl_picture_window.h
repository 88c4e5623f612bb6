#pragma once

#include <SDL.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/input.h"
#include "platform/picture_window.h"

namespace kestrel::platform::sdl {

// Where the game window's pump sends the events of the picture windows, by
// window id. Shared, so that the game window and its picture windows may go
// in either order.
using PictureRoutes = std::map<Uint32, std::function<void(const SDL_Event&)>>;

// The window an event belongs to; 0 for events of no window (joysticks, quit).
Uint32 event_window(const SDL_Event& event);

// Windows drawn in plain memory: a framebuffer through a renderer would make
// a GL context current and leave the game's without one. Call before the
// first window surface is asked for.
void draw_windows_in_memory();

// A window beside the game window, made with `flags` and shown; always on
// top when asked. Null, with SDL's reason in `error`, when it cannot be made.
SDL_Window* create_side_window(const std::string& caption, int x, int y, int width, int height,
                               bool stay_on_top, Uint32 flags, std::string& error);

// Null, with SDL's reason in `error`, when the window cannot be made.
std::unique_ptr<PictureWindow> open_sdl_picture_window(const PictureWindowSettings& settings,
                                                       WindowEvents& events,
                                                       const std::shared_ptr<PictureRoutes>& routes,
                                                       std::string& error);

}  // namespace kestrel::platform::sdl
