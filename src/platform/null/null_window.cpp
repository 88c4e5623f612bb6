#include <array>
#include <utility>
#include <vector>

#include "platform/window.h"

namespace kestrel::platform {
namespace {

// Keeps the bookkeeping a caller can observe (texture ids, region size) and
// draws nothing; pixels cannot be read back.
class NullDevice final : public RenderDevice {
 public:
  bool set_region_size(int width, int height) override {
    if (width <= 0 || height <= 0) return false;
    width_ = width;
    height_ = height;
    return true;
  }
  int region_width() const override { return width_; }
  int region_height() const override { return height_; }

  TextureId create_texture(int width, int height) override {
    if (width <= 0 || height <= 0) return kNoTexture;
    live_.push_back(true);
    return static_cast<TextureId>(live_.size());
  }
  bool fill_texture(TextureId texture, int, int, const std::uint32_t*) override {
    return is_live(texture);
  }
  void free_texture(TextureId texture) override {
    if (is_live(texture)) live_[texture - 1] = false;
  }

  void set_viewport(int, int, int, int) override {}
  void set_transforms(const glm::mat4&, const glm::mat4&, const glm::mat4&) override {}
  void set_blend(BlendFactor, BlendFactor) override {}
  void set_texture_interpolation(bool) override {}
  void set_texture_repeat(bool) override {}
  void set_texture_blending(bool) override {}
  void set_hidden_surface_removal(bool) override {}
  void set_culling(bool) override {}
  void set_smooth_shading(bool) override {}
  void set_lighting(bool) override {}
  void set_light(int, const Light&) override {}
  void set_fog(const Fog&) override {}
  void clear(std::uint32_t) override {}
  void clear_depth() override {}
  void draw(Primitive, TextureId, std::span<const Vertex>) override {}
  void draw(Primitive, TextureId, std::span<const Vertex3D>, bool) override {}
  MeshId create_mesh(std::span<const MeshPart>) override {
    meshes_.push_back(true);
    return static_cast<MeshId>(meshes_.size());
  }
  void free_mesh(MeshId mesh) override {
    if (mesh != kNoMesh && mesh <= meshes_.size()) meshes_[mesh - 1] = false;
  }
  void draw_mesh(MeshId, TextureId, const glm::vec3&, std::uint32_t) override {}
  bool read_pixels(int, int, int, int, std::uint32_t*) override { return false; }
  bool set_target(TextureId texture) override { return texture == kNoTexture || is_live(texture); }
  void present(int, int, int, int, std::uint32_t) override {}

 private:
  bool is_live(TextureId texture) const {
    return texture != kNoTexture && texture <= live_.size() && live_[texture - 1];
  }

  int width_ = 640;
  int height_ = 480;
  std::vector<bool> live_;
  std::vector<bool> meshes_;
};

// Remembers what it is told, on a 1024 x 768 screen, so that layout logic can
// be tested without a display. Its only keyboard is the keys injected into it.
class NullWindow final : public Window {
 public:
  explicit NullWindow(const WindowSettings& settings)
      : client_{(1024 - settings.width) / 2, (768 - settings.height) / 2, settings.width,
                settings.height} {}

  // Keys injected since the last pump arrive now, as a keyboard's would.
  void pump_events(WindowEvents& events) override {
    const std::vector<std::pair<int, bool>> arrived = std::exchange(injected_, {});
    for (const auto& [key, down] : arrived) {
      if (down)
        events.key_down(key);
      else
        events.key_up(key);
    }
  }
  RenderDevice& device() override { return device_; }

  ScreenRectangle client_rectangle() const override {
    return fullscreen_ ? ScreenRectangle{0, 0, kScreen.width, kScreen.height} : client_;
  }
  void set_client_rectangle(const ScreenRectangle& rectangle) override { client_ = rectangle; }
  void set_fullscreen(bool fullscreen) override { fullscreen_ = fullscreen; }
  void set_frame(bool, bool) override {}
  void set_always_on_top(bool on_top) override { on_top_ = on_top; }
  bool always_on_top() const override { return on_top_; }
  void set_visible(bool visible) override { visible_ = visible; }
  bool visible() const override { return visible_; }
  void set_caption(const std::string&) override {}

  DisplayMode display_mode() const override { return kScreen; }
  void mouse_screen_position(int& x, int& y) const override {
    x = mouse_x_;
    y = mouse_y_;
  }
  void move_mouse_to_screen(int x, int y) override {
    mouse_x_ = x;
    mouse_y_ = y;
  }

  bool key_held_now(int key) const override { return key >= 0 && key <= 255 && held_[key]; }
  bool numlock() const override { return numlock_; }
  void inject_key(int key, bool down) override {
    if (key < 0 || key > 255) return;
    if (down && !held_[key] && key == vk::kNumLock) numlock_ = !numlock_;
    held_[key] = down;
    injected_.emplace_back(key, down);
  }
  JoystickState joystick(int) override { return {}; }

 private:
  static constexpr DisplayMode kScreen{1024, 768, 32, 60};
  ScreenRectangle client_;
  bool fullscreen_ = false;
  bool on_top_ = false;
  bool visible_ = true;
  int mouse_x_ = 0;
  int mouse_y_ = 0;
  std::array<bool, 256> held_{};
  bool numlock_ = false;
  std::vector<std::pair<int, bool>> injected_;
  NullDevice device_;
};

}  // namespace

std::unique_ptr<Window> open_null_window(const WindowSettings& settings) {
  return std::make_unique<NullWindow>(settings);
}

}  // namespace kestrel::platform
