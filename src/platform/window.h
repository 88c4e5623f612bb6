#pragma once

#include <memory>
#include <string>

#include "platform/render_device.h"

namespace kestrel::platform {

struct WindowSettings {
  std::string caption = "Kestrel";
  int width = 640;
  int height = 480;
  bool resizable = false;
};

// The game window with its drawing device.
class Window {
 public:
  virtual ~Window() = default;

  // Handles the window system's pending events; false once the player has asked
  // to close the window.
  virtual bool pump_events() = 0;

  virtual RenderDevice& device() = 0;
  virtual int client_width() const = 0;
  virtual int client_height() const = 0;
  virtual void set_caption(const std::string& caption) = 0;
};

// A real window with an OpenGL device. Works without a display under SDL's
// offscreen video driver. Returns null and sets `error` when it cannot.
std::unique_ptr<Window> open_sdl_window(const WindowSettings& settings, std::string& error);

// No window and a device that draws nothing: for logic tests and servers.
std::unique_ptr<Window> open_null_window(const WindowSettings& settings);

}  // namespace kestrel::platform
