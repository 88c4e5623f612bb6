#pragma once

#include <epoxy/gl.h>

#include <string>
#include <vector>

#include "platform/render_device.h"

struct SDL_Window;

namespace kestrel::platform::sdl {

// The drawing device over an OpenGL 3.3 core context. The region is an
// offscreen framebuffer, so drawing and reading back do not depend on the
// window's own buffers, and present() scales it into the window.
class GlDevice final : public RenderDevice {
 public:
  // The window's GL context must be current.
  explicit GlDevice(SDL_Window* window);
  ~GlDevice() override;
  GlDevice(const GlDevice&) = delete;
  GlDevice& operator=(const GlDevice&) = delete;

  // Compiles the shaders and makes the region; false with a reason when the
  // context cannot do what drawing needs.
  bool initialize(int width, int height, std::string& error);

  bool set_region_size(int width, int height) override;
  int region_width() const override { return region_width_; }
  int region_height() const override { return region_height_; }

  TextureId create_texture(int width, int height) override;
  bool fill_texture(TextureId texture, int width, int height, const std::uint32_t* argb) override;
  void free_texture(TextureId texture) override;

  void set_viewport(int x, int y, int width, int height) override;
  void set_transform(const glm::mat4& transform) override;
  void set_blend(BlendFactor source, BlendFactor destination) override;
  void set_texture_interpolation(bool linear) override;
  void set_texture_repeat(bool repeat) override;
  void set_texture_blending(bool modulate) override;

  void clear(std::uint32_t argb) override;
  void draw(Primitive primitive, TextureId texture, std::span<const Vertex> vertices) override;
  bool read_pixels(int x, int y, int width, int height, std::uint32_t* argb) override;
  bool set_target(TextureId texture) override;
  bool read_texture(TextureId texture, int x, int y, int width, int height,
                    std::uint32_t* argb) override;
  bool copy_texture(TextureId destination, int x, int y, TextureId source, int source_x,
                    int source_y, int width, int height) override;
  void present(int x, int y, int width, int height, std::uint32_t border_argb) override;
  void set_vsync(bool on) override;

 private:
  struct Texture {
    GLuint name = 0;
    int width = 0;
    int height = 0;
  };

  // Consecutive draws with the same texture and primitive family go to the GPU
  // as one call; any state change or read flushes the pending batch first.
  void flush();
  // Binds the framebuffer drawing goes to (the region's or the target texture's).
  void bind_region();
  void upload_transform();
  // Attaches the texture to the framebuffer `name` as its colour; false when
  // it cannot be drawn into or read.
  bool attach_texture(GLenum binding, GLuint name, const Texture& texture);
  void apply_sampler_state();
  Texture* find(TextureId texture);

  SDL_Window* window_;
  GLuint program_ = 0;
  GLint transform_location_ = -1;
  GLint textured_location_ = -1;
  GLint modulate_location_ = -1;
  GLuint vertex_array_ = 0;
  GLuint vertex_buffer_ = 0;
  GLuint sampler_ = 0;
  GLuint framebuffer_ = 0;
  // The framebuffers of a texture that is drawn into, and of one copied from.
  GLuint target_framebuffer_ = 0;
  GLuint source_framebuffer_ = 0;
  TextureId target_ = kNoTexture;
  glm::mat4 transform_{1.0f};
  GLuint color_target_ = 0;
  GLuint depth_target_ = 0;
  int region_width_ = 0;
  int region_height_ = 0;
  GLint max_texture_size_ = 0;
  GLint viewport_[4] = {};  // in GL's bottom-up rows

  std::vector<Texture> textures_;  // id - 1 indexes this; a freed entry has name 0
  bool interpolate_ = true;
  bool repeat_ = false;

  GLenum batch_mode_ = GL_TRIANGLES;
  TextureId batch_texture_ = kNoTexture;
  std::vector<Vertex> batch_;
};

}  // namespace kestrel::platform::sdl
