#pragma once

#include <cstdint>
#include <vector>

#include "platform/render_device.h"

namespace kestrel {

class Graphics;

// One slot of the texture table. Its index is the texture id games see.
struct TextureEntry {
  platform::TextureId device_texture = platform::kNoTexture;
  int image_width = 0;
  int image_height = 0;
  // What the device holds: the image size rounded up to powers of two, so that
  // the fraction of a texture an image uses is the same on every machine.
  int texture_width = 0;
  int texture_height = 0;
  bool in_use = false;
};

class TextureTable {
 public:
  // Empties the table; textures now go to `device` (null: none can be made).
  void attach(platform::RenderDevice* device);

  // Returns the new id, or -1 when the device refuses.
  int create(int width, int height);
  // `argb` holds image-size rows from the top. A failed fill frees the texture.
  bool fill(int id, const std::uint32_t* argb);
  int create_from_pixels(int width, int height, const std::uint32_t* argb);
  // Each byte becomes a white pixel with that alpha (font glyphs).
  int create_from_alpha_map(int width, int height, const std::uint8_t* alpha);
  void free(int id);

  bool exists(int id) const { return find(id) != nullptr; }
  const TextureEntry* find(int id) const;
  // The fraction of the texture the image covers; 1 for an id not in use.
  double used_width(int id) const;
  double used_height(int id) const;

 private:
  platform::RenderDevice* device_ = nullptr;
  std::vector<TextureEntry> entries_;
  std::vector<std::uint32_t> padded_;  // reused by fill
};

// The four quad primitives every 2D drawing goes through. Positions are in
// room units; the quad's corners sit half a pixel up and left of the image's
// pixel edges, as games expect.
void draw_texture(Graphics& graphics, int id, double x, double y);
void draw_texture_ext(Graphics& graphics, int id, double x, double y, double xorigin,
                      double yorigin, double xscale, double yscale, double angle_radians,
                      std::int64_t colour, double alpha);
// (left, top, width, height) is the source rectangle in image pixels.
void draw_texture_part(Graphics& graphics, int id, double left, double top, double width,
                       double height, double x, double y, double xscale, double yscale,
                       std::int64_t colour, double alpha);
// One colour per corner: top left, top right, bottom right, bottom left.
void draw_texture_general(Graphics& graphics, int id, double left, double top, double width,
                          double height, double x, double y, double xscale, double yscale,
                          double angle_radians, const std::int64_t (&colours)[4], double alpha);

struct ClipRectangle {
  double left, top, width, height;
};
void draw_texture_tiled(Graphics& graphics, int id, double x, double y, double xscale,
                        double yscale, std::int64_t colour, double alpha, bool htiled, bool vtiled,
                        const ClipRectangle& clip);

}  // namespace kestrel
