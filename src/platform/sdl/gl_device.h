#pragma once

#include <epoxy/gl.h>

#include <string>
#include <type_traits>
#include <vector>

#include "platform/render_device.h"

struct SDL_Window;

namespace kestrel::platform::sdl {

// The drawing device over an OpenGL 3.3 core context. The region is an
// offscreen framebuffer, so drawing and reading back do not depend on the
// window's own buffers, and present() scales it into the window, unless no
// one can see the window.
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
  void set_transforms(const glm::mat4& world, const glm::mat4& view,
                      const glm::mat4& projection) override;
  void set_blend(BlendFactor source, BlendFactor destination) override;
  void set_texture_interpolation(bool linear) override;
  void set_texture_repeat(bool repeat) override;
  void set_texture_blending(bool modulate) override;

  void set_hidden_surface_removal(bool on) override;
  void set_culling(bool on) override;
  void set_smooth_shading(bool on) override;
  void set_lighting(bool on) override;
  void set_light(int slot, const Light& light) override;
  void set_fog(const Fog& fog) override;

  void clear(std::uint32_t argb) override;
  void clear_depth() override;
  void draw(Primitive primitive, TextureId texture, std::span<const Vertex> vertices) override;
  void draw(Primitive primitive, TextureId texture, std::span<const Vertex3D> vertices,
            bool repeat) override;
  MeshId create_mesh(std::span<const MeshPart> parts) override;
  void free_mesh(MeshId mesh) override;
  void draw_mesh(MeshId mesh, TextureId texture, const glm::vec3& offset,
                 std::uint32_t drawing_argb) override;
  bool read_pixels(int x, int y, int width, int height, std::uint32_t* argb) override;
  bool set_target(TextureId texture) override;
  bool read_texture(TextureId texture, int x, int y, int width, int height,
                    std::uint32_t* argb) override;
  bool copy_texture(TextureId destination, int x, int y, TextureId source, int source_x,
                    int source_y, int width, int height) override;
  void present(int x, int y, int width, int height, std::uint32_t border_argb) override;
  void set_vsync(bool on) override;
  std::uint64_t draw_calls() const override { return draw_calls_; }

 private:
  // Where a linked shader pair takes each setting.
  struct Program {
    GLuint name = 0;
    GLint transform = -1, world = -1, view = -1, projection = -1, normal_matrix = -1, offset = -1;
    GLint drawing_color = -1, textured = -1, modulate = -1, smooth = -1, alpha_test = -1;
    GLint lighting = -1, light_count = -1, light_vector = -1, light_color = -1;
    GLint light_falloff = -1, fog = -1, fog_color = -1, fog_start = -1, fog_end = -1;
  };
  struct Texture {
    GLuint name = 0;
    int width = 0;
    int height = 0;
  };

  // A run of a mesh's indices drawn as one list.
  struct MeshRun {
    GLenum mode = GL_TRIANGLES;
    std::size_t first = 0;
    GLsizei count = 0;
    bool repeat = false;
  };
  struct Mesh {
    GLuint vertex_array = 0;
    // The corners, which of them take the drawing colour, and the lists' indices.
    GLuint buffers[3] = {};
    std::vector<MeshRun> runs;
  };

  template <typename Corner>
  void append(Primitive primitive, TextureId texture, std::span<const Corner> vertices,
              bool repeat);
  // Consecutive draws with the same texture and primitive family go to the GPU
  // as one call; any state change or read flushes the pending batch first.
  void flush();
  // Binds the framebuffer drawing goes to (the region's or the target texture's).
  void bind_region();
  void upload_transform();
  // Compiles and links a shader pair with the given definitions and sends it
  // the settings; false with a reason when it fails.
  bool build_program(Program& program, const char* defines, std::string& error);
  // Puts the pair that the settings need in use.
  void use_program();
  // Sends every setting to the pair in use.
  void upload_settings();
  void upload_fog();
  // Attaches the texture to the framebuffer `name` as its colour; false when
  // it cannot be drawn into or read.
  bool attach_texture(GLenum binding, GLuint name, const Texture& texture);
  // Sets the sampler to repeat or not, with the interpolation setting.
  void apply_sampler_state(bool repeat);
  void bind_texture(Texture* texture);
  // Gives the region its depth buffer, the first time drawing tests depth.
  void attach_depth();
  void bind_vertex_array(GLuint name);
  // The pending batch's corners, of whichever kind it holds.
  template <typename Corner>
  std::vector<Corner>& corners_of() {
    if constexpr (std::is_same_v<Corner, Vertex>)
      return plain_batch_;
    else
      return batch_3d_;
  }
  void upload_lights();
  Texture* find(TextureId texture);
  Mesh* find_mesh(MeshId mesh);

  SDL_Window* window_;
  // The simple pair, used while drawing is smooth, modulated and without the
  // alpha test; the plain pair for the rest; and the one with lighting and
  // fog, used while either is on.
  Program programs_[3];
  Program* program_ = nullptr;  // the pair in use
  // The settings, which a pair gets when it comes into use.
  bool modulate_ = true;
  bool smooth_ = true;
  bool alpha_test_ = false;
  bool lighting_ = false;
  Fog fog_;
  // The layouts of plain and 3D corners over vertex_buffer_.
  GLuint vertex_arrays_[2] = {};
  GLuint bound_vertex_array_ = 0;
  GLuint vertex_buffer_ = 0;
  GLuint index_buffer_ = 0;
  GLuint sampler_ = 0;
  GLuint white_texture_ = 0;  // what untextured drawing samples
  GLuint framebuffer_ = 0;
  // The framebuffers of a texture that is drawn into, and of one copied from.
  GLuint target_framebuffer_ = 0;
  GLuint source_framebuffer_ = 0;
  TextureId target_ = kNoTexture;
  glm::mat4 world_{1.0f}, view_{1.0f}, projection_{1.0f};
  GLuint color_target_ = 0;
  // None until drawing first tests depth: plain drawing never reads it, and
  // a software renderer would clear it with every frame.
  GLuint depth_target_ = 0;
  int region_width_ = 0;
  int region_height_ = 0;
  GLint max_texture_size_ = 0;
  GLint viewport_[4] = {};   // in GL's bottom-up rows
  bool window_seen_ = true;  // false for the offscreen video driver's windows

  std::vector<Texture> textures_;  // id - 1 indexes this; a freed entry has name 0
  std::vector<Mesh> meshes_;       // likewise; a freed entry has no vertex array
  bool interpolate_ = true;
  bool repeat_ = false;          // the setting
  bool sampler_repeat_ = false;  // what the sampler does now
  Light lights_[kLightSlots];

  GLenum batch_mode_ = GL_TRIANGLES;
  TextureId batch_texture_ = kNoTexture;
  bool batch_repeat_ = false;
  // Each corner once, and the list of the batch's primitives indexing them,
  // so that a quad's shared corners are transformed once. Only one of the
  // two holds corners at a time.
  std::vector<Vertex> plain_batch_;
  std::vector<Vertex3D> batch_3d_;
  std::vector<GLuint> batch_indices_;
  std::vector<std::size_t> corners_;  // scratch for list_corners
  std::uint64_t draw_calls_ = 0;
};

}  // namespace kestrel::platform::sdl
