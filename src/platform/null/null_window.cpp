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
  void set_transform(const glm::mat4&) override {}
  void set_blend(BlendFactor, BlendFactor) override {}
  void set_texture_interpolation(bool) override {}
  void set_texture_repeat(bool) override {}
  void set_texture_blending(bool) override {}
  void clear(std::uint32_t) override {}
  void draw(Primitive, TextureId, std::span<const Vertex>) override {}
  bool read_pixels(int, int, int, int, std::uint32_t*) override { return false; }
  void present(int, int, int, int, std::uint32_t) override {}

 private:
  bool is_live(TextureId texture) const {
    return texture != kNoTexture && texture <= live_.size() && live_[texture - 1];
  }

  int width_ = 640;
  int height_ = 480;
  std::vector<bool> live_;
};

class NullWindow final : public Window {
 public:
  explicit NullWindow(const WindowSettings& settings)
      : width_(settings.width), height_(settings.height) {}

  bool pump_events() override { return true; }
  RenderDevice& device() override { return device_; }
  int client_width() const override { return width_; }
  int client_height() const override { return height_; }
  void set_caption(const std::string&) override {}

 private:
  int width_;
  int height_;
  NullDevice device_;
};

}  // namespace

std::unique_ptr<Window> open_null_window(const WindowSettings& settings) {
  return std::make_unique<NullWindow>(settings);
}

}  // namespace kestrel::platform
