#pragma once

#include <cstdint>
#include <string>

namespace kestrel::platform {

struct GuiWindowSettings {
  std::string caption;
  // The client area on the screen, pixels from the top left.
  int x = 10;
  int y = 10;
  int width = 560;
  int height = 600;
  bool stay_on_top = true;
};

// A window of the game's own beside the game window, drawn frame by frame
// with Dear ImGui. It has its own ImGui context and its own drawing context,
// so that drawing it leaves the game's drawing as it was.
class GuiWindow {
 public:
  virtual ~GuiWindow() = default;
  // Makes the window's ImGui context current and starts a frame; the ImGui
  // calls that follow draw into it until end_frame.
  virtual void begin_frame() = 0;
  // Shows the frame in the window and gives the game window its drawing
  // context back.
  virtual void end_frame() = 0;
  // A picture that ImGui::Image and ImGui::ImageButton draw in this window,
  // given as their texture id; it lasts as long as the window. `argb` holds
  // width x height pixels, rows from the top, alpha in the top byte then red,
  // green, blue. Not between begin_frame and end_frame.
  virtual void* add_image(const std::uint32_t* argb, int width, int height) = 0;
  // The window's close button was pressed since the last call.
  virtual bool take_close_request() = 0;
};

}  // namespace kestrel::platform
