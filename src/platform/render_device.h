#pragma once

#include <cstdint>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <span>
#include <vector>

namespace kestrel::platform {

// One corner of a drawn primitive: position, a 32-bit colour with alpha in the
// top byte then red, green, blue, and a texture coordinate.
struct Vertex {
  float x, y, z;
  std::uint32_t argb;
  float u, v;
};

// A corner of a 3D primitive: position, normal, colour as in Vertex, texture coordinate.
struct Vertex3D {
  float x, y, z;
  float nx, ny, nz;
  std::uint32_t argb;
  float u, v;
};

enum class Primitive { TriangleFan, TriangleList, TriangleStrip, LineList, LineStrip, PointList };

// A light slot. A directional light shines along `direction`; a point light
// shines from `position` up to `range` away, weakened by 1 / (attenuation0 +
// attenuation1 * distance).
struct Light {
  bool enabled = false;
  bool point = false;
  glm::vec3 colour{1.0f, 1.0f, 1.0f};
  glm::vec3 direction{0.0f, 0.0f, 1.0f};
  glm::vec3 position{0.0f, 0.0f, 0.0f};
  float range = 0.0f;
  float attenuation0 = 1.0f;
  float attenuation1 = 0.0f;
};

inline constexpr int kLightSlots = 8;

// Linear fog by the distance ahead of the eye; `argb`'s alpha is ignored.
struct Fog {
  bool enabled = false;
  std::uint32_t argb = 0;
  float start = 0.0f;
  float end = 1.0f;
};

// One primitive of a mesh the device keeps. A vertex flagged in
// `takes_drawing_colour` is drawn in the colour given to draw_mesh, not its own.
struct MeshPart {
  Primitive primitive = Primitive::TriangleList;
  // Repeats the texture whatever the texture repeat setting says.
  bool repeat = false;
  std::vector<Vertex3D> vertices;
  std::vector<bool> takes_drawing_colour;
};

// The blend factors in the numbering that games use with extended blend modes.
enum class BlendFactor : int {
  Zero = 1,
  One,
  SourceColor,
  InverseSourceColor,
  SourceAlpha,
  InverseSourceAlpha,
  DestinationAlpha,
  InverseDestinationAlpha,
  DestinationColor,
  InverseDestinationColor,
  SourceAlphaSaturated,
};

using TextureId = std::uint32_t;
inline constexpr TextureId kNoTexture = 0;
using MeshId = std::uint32_t;
inline constexpr MeshId kNoMesh = 0;

// The drawing device. Everything is drawn into a region of back-buffer pixels
// (origin at the top left); present() scales the region into the window.
class RenderDevice {
 public:
  virtual ~RenderDevice() = default;

  // Resizes the region; its contents are undefined afterwards.
  virtual bool set_region_size(int width, int height) = 0;
  virtual int region_width() const = 0;
  virtual int region_height() const = 0;

  // Returns kNoTexture when the device refuses the size.
  virtual TextureId create_texture(int width, int height) = 0;
  // Pixels are rows from the top, each pixel alpha in the top byte then red, green, blue.
  virtual bool fill_texture(TextureId texture, int width, int height,
                            const std::uint32_t* argb) = 0;
  virtual void free_texture(TextureId texture) = 0;

  // In region pixels from the top left.
  virtual void set_viewport(int x, int y, int width, int height) = 0;
  // Drawn positions go through the world transform, then the view (to the eye:
  // x right, y up, z ahead), then the projection to clip space; column vectors,
  // as GLM builds them. Lights are placed in world space.
  virtual void set_transforms(const glm::mat4& world, const glm::mat4& view,
                              const glm::mat4& projection) = 0;
  // Maps drawn positions straight to clip space.
  void set_transform(const glm::mat4& transform) {
    set_transforms(glm::mat4(1.0f), glm::mat4(1.0f), transform);
  }
  virtual void set_blend(BlendFactor source, BlendFactor destination) = 0;
  virtual void set_texture_interpolation(bool linear) = 0;
  virtual void set_texture_repeat(bool repeat) = 0;
  // Off: the texture alone gives colour and alpha; the vertex colour is ignored.
  virtual void set_texture_blending(bool modulate) = 0;

  // Depth test and the test that drops fully transparent pixels, together.
  virtual void set_hidden_surface_removal(bool on) = 0;
  // Drops triangles whose corners run counter-clockwise on the screen.
  virtual void set_culling(bool on) = 0;
  // Off: each triangle takes the colour of its first corner.
  virtual void set_smooth_shading(bool on) = 0;
  // On: vertex colours are lit by the enabled lights through the vertex normals.
  virtual void set_lighting(bool on) = 0;
  // Slots 0 .. kLightSlots - 1; others are ignored.
  virtual void set_light(int slot, const Light& light) = 0;
  virtual void set_fog(const Fog& fog) = 0;

  // Clears colour and depth of the viewport.
  virtual void clear(std::uint32_t argb) = 0;
  virtual void clear_depth() = 0;
  // kNoTexture draws with the vertex colours alone.
  virtual void draw(Primitive primitive, TextureId texture, std::span<const Vertex> vertices) = 0;
  // `repeat`: the texture repeats whatever the texture repeat setting says.
  virtual void draw(Primitive primitive, TextureId texture, std::span<const Vertex3D> vertices,
                    bool repeat) = 0;

  // Meshes are kept by the device, so drawing one again sends no vertices.
  virtual MeshId create_mesh(std::span<const MeshPart> parts) = 0;
  virtual void free_mesh(MeshId mesh) = 0;
  // Draws the mesh moved by `offset` before the world transform.
  virtual void draw_mesh(MeshId mesh, TextureId texture, const glm::vec3& offset,
                         std::uint32_t drawing_argb) = 0;

  // Copies a rectangle of the region, rows from the top, in the vertex colour layout.
  virtual bool read_pixels(int x, int y, int width, int height, std::uint32_t* argb) = 0;

  // Drawing, clearing and viewports go to the texture from now on, its rows
  // from the top as when it was filled; kNoTexture goes back to the region.
  // False (and the target unchanged) when the texture cannot be drawn into.
  virtual bool set_target(TextureId texture) { return texture == kNoTexture; }
  // A rectangle of a texture, rows from the top, as read_pixels gives the region's.
  virtual bool read_texture(TextureId texture, int x, int y, int width, int height,
                            std::uint32_t* argb) {
    return false;
  }
  // Copies a rectangle of one texture into another at (x, y): all four
  // channels as they are, whatever the blending.
  virtual bool copy_texture(TextureId destination, int x, int y, TextureId source, int source_x,
                            int source_y, int width, int height) {
    return false;
  }

  // Shows the region scaled into the given rectangle of the window (pixels from
  // the top left); the rest of the window is filled with `border_argb`.
  virtual void present(int x, int y, int width, int height, std::uint32_t border_argb) = 0;
  // Whether present waits for the screen's vertical blank.
  virtual void set_vsync(bool on) {}
  // The draw calls sent to the graphics driver so far, for measuring.
  virtual std::uint64_t draw_calls() const { return 0; }
};

}  // namespace kestrel::platform
