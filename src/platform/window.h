#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gui_window.h"
#include "platform/input.h"
#include "platform/picture_window.h"
#include "platform/render_device.h"

namespace kestrel::platform {

struct WindowSettings {
  std::string caption = "Kestrel";
  int width = 640;
  int height = 480;
  bool resizable = false;
  // Where there is no display, draw off screen instead of failing.
  bool off_screen_without_display = false;
};

// A rectangle in screen pixels from the top left.
struct ScreenRectangle {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct DisplayMode {
  int width = 0;
  int height = 0;
  int bits_per_pixel = 0;
  int refresh_rate = 0;
};

// The game window with its drawing device. Geometry is that of the client
// area, the part inside any border and caption.
class Window {
 public:
  virtual ~Window() = default;

  // Hands the window system's pending events to `events`.
  virtual void pump_events(WindowEvents& events) = 0;

  virtual RenderDevice& device() = 0;

  virtual ScreenRectangle client_rectangle() const = 0;
  virtual void set_client_rectangle(const ScreenRectangle& rectangle) = 0;
  // Covers the whole screen without changing the display mode.
  virtual void set_fullscreen(bool fullscreen) = 0;
  virtual void set_frame(bool border, bool resizable) = 0;
  virtual void set_always_on_top(bool on_top) = 0;
  virtual bool always_on_top() const = 0;
  virtual void set_visible(bool visible) = 0;
  virtual bool visible() const = 0;
  virtual void set_caption(const std::string& caption) = 0;
  // The window system's own number for the window; 0 when it has none.
  virtual std::uint64_t native_handle() const { return 0; }

  // The screen the window is on.
  virtual DisplayMode display_mode() const = 0;
  // Asks for a display mode for the window's full screen; a field below 1
  // keeps the current value. With test_only nothing changes. False when the
  // screen has no such mode.
  virtual bool change_display_mode(const DisplayMode& request, bool test_only) { return false; }
  // Back to the mode the screen had before any change.
  virtual void reset_display_mode() {}
  // The mouse pointer's look, numbered as games number cursors (0 the
  // default arrow, -1 none, -2 to -22 the system's shapes).
  virtual void set_cursor(int cursor) {}
  virtual void mouse_screen_position(int& x, int& y) const = 0;
  virtual void move_mouse_to_screen(int x, int y) = 0;

  // The keyboard as it is this moment, not as the pumped events told it.
  virtual bool key_held_now(int key) const = 0;
  virtual bool numlock() const = 0;
  // Queues a key event as if the player had pressed or let go of the key.
  virtual void inject_key(int key, bool down) = 0;
  // Controller 0 or 1; not present when there is none.
  virtual JoystickState joystick(int index) = 0;

  // A second window of the game. The window system has one queue for both, so
  // its events reach `events` while this window pumps its own. Null when
  // there is no screen to show it on, or with the reason in `error` when it
  // cannot be made.
  virtual std::unique_ptr<PictureWindow> open_picture_window(const PictureWindowSettings& settings,
                                                             WindowEvents& events,
                                                             std::string& error) {
    return nullptr;
  }

  // A window drawn with Dear ImGui beside this one; its events reach it while
  // this window pumps its own. Null where there is no screen to show it on, or
  // with the reason in `error` when it cannot be made.
  virtual std::unique_ptr<GuiWindow> open_gui_window(const GuiWindowSettings& settings,
                                                     std::string& error) {
    return nullptr;
  }
};

// A real window with an OpenGL device. Works without a display under SDL's
// offscreen video driver. Returns null and sets `error` when it cannot.
std::unique_ptr<Window> open_sdl_window(const WindowSettings& settings, std::string& error);

// No window and a device that draws nothing: for logic tests and servers.
std::unique_ptr<Window> open_null_window(const WindowSettings& settings);

}  // namespace kestrel::platform
