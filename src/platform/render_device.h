#pragma once

#include <cstdint>
#include <glm/mat4x4.hpp>
#include <span>

namespace kestrel::platform {

// One corner of a drawn primitive: position, a 32-bit colour with alpha in the
// top byte then red, green, blue, and a texture coordinate.
struct Vertex {
  float x, y, z;
  std::uint32_t argb;
  float u, v;
};

enum class Primitive { TriangleFan, TriangleList, TriangleStrip, LineList, LineStrip, PointList };

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
  // Maps drawn positions to clip space (column vectors, as GLM builds them).
  virtual void set_transform(const glm::mat4& transform) = 0;
  virtual void set_blend(BlendFactor source, BlendFactor destination) = 0;
  virtual void set_texture_interpolation(bool linear) = 0;
  virtual void set_texture_repeat(bool repeat) = 0;
  // Off: the texture alone gives colour and alpha; the vertex colour is ignored.
  virtual void set_texture_blending(bool modulate) = 0;

  virtual void clear(std::uint32_t argb) = 0;
  // kNoTexture draws with the vertex colours alone.
  virtual void draw(Primitive primitive, TextureId texture, std::span<const Vertex> vertices) = 0;

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
};

}  // namespace kestrel::platform
