#pragma once

#include <cstdint>
#include <string>

namespace kestrel::platform {

// Mouse buttons as games number them.
enum class MouseButton { Left = 1, Right = 2, Middle = 3 };

// What the window system reports while the game pumps events. Keys are
// virtual key codes 0..255, the numbering of the game's vk_ constants.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual void key_down(int key) {}
  virtual void key_up(int key) {}
  // One typed character of the game's 8-bit character set (8 is backspace).
  virtual void character(unsigned char c) {}
  virtual void mouse_down(MouseButton button) {}
  virtual void mouse_up(MouseButton button) {}
  // The pointer over a picture window, in its client pixels; sent before each
  // of its buttons' events too.
  virtual void mouse_moved(int x, int y) {}
  // +1 for a turn away from the player, -1 towards.
  virtual void wheel(int direction) {}
  // The window's close button; the window stays open unless the game ends.
  virtual void close_requested() {}
  virtual void focus_changed(bool active) {}
  virtual void resized(int width, int height) {}
};

// One game controller as games see it: axes 0..65535 with 32767 at rest.
struct JoystickState {
  bool present = false;
  std::string name;
  int axis_count = 0;
  int button_count = 0;
  bool has_pov = false;
  // x, y, z, r, u, v
  std::uint32_t axes[6] = {32767, 32767, 32767, 32767, 32767, 32767};
  std::uint32_t buttons = 0;  // bit n: button n + 1
  // Hat angle in hundredths of a degree; 65535 when centred.
  std::uint32_t pov = 65535;
};

// Virtual key codes the platform layer produces by name.
namespace vk {
inline constexpr int kBackspace = 8;
inline constexpr int kEnter = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kEscape = 27;
inline constexpr int kF1 = 112;
inline constexpr int kF4 = 115;
inline constexpr int kF5 = 116;
inline constexpr int kF6 = 117;
inline constexpr int kF9 = 120;
inline constexpr int kNumLock = 144;
}  // namespace vk

}  // namespace kestrel::platform
