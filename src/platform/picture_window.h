#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrel::platform {

struct PictureWindowSettings {
  std::string caption;
  // The client area on the screen, pixels from the top left.
  int x = 0;
  int y = 0;
  int width = 320;
  int height = 240;
  // Without a border there is no caption either.
  bool border = true;
  bool resizable = false;
  bool stay_on_top = false;
  // 255 is opaque; lower lets the screen behind show through, where the
  // window system can blend windows (a compositing window manager).
  int opacity = 255;
  // The colour, 0xRRGGBB, where the window is not drawn at all, so that the
  // screen behind shows through; none draws every pixel. Such a window has
  // no border.
  std::optional<std::uint32_t> transparent_colour;
};

// A window of the game's own beside the game window, whose content its owner
// paints in memory. It goes when the object goes; that must not happen while
// it is handing over one of its events.
class PictureWindow {
 public:
  virtual ~PictureWindow() = default;
  // `argb` holds width x height pixels, rows from the top, alpha in the top
  // byte then red, green, blue; the size is the client size last reported.
  virtual void show_picture(const std::uint32_t* argb, int width, int height) = 0;
  virtual int client_width() const = 0;
  virtual int client_height() const = 0;
  // In front of the other windows, with the keyboard.
  virtual void raise() = 0;
  virtual void hide() = 0;
};

}  // namespace kestrel::platform
