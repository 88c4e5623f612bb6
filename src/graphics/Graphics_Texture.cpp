#include "graphics/Graphics_Texture.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Support.h"

namespace kestrel {
namespace {

using platform::Primitive;
using platform::Vertex;

// A quad's corners as offsets from its anchor, before turning.
struct Corners {
  double left, top, right, bottom;
};

// Texture coordinates of an image rectangle (in image pixels).
struct TexelRectangle {
  float u0, v0, u1, v1;
};

TexelRectangle whole_image(const TextureEntry& entry) {
  return {0.0f, 0.0f, static_cast<float>(entry.image_width) / entry.texture_width,
          static_cast<float>(entry.image_height) / entry.texture_height};
}

TexelRectangle image_part(const TextureEntry& entry, double left, double top, double width,
                          double height) {
  return {static_cast<float>(left / entry.texture_width),
          static_cast<float>(top / entry.texture_height),
          static_cast<float>((left + width) / entry.texture_width),
          static_cast<float>((top + height) / entry.texture_height)};
}

// Sends the quad anchored at (x, y); positive angles turn it counter-clockwise
// on the screen. Corner colours run top left, top right, bottom right, bottom left.
void send_quad(Graphics& graphics, const TextureEntry& entry, double x, double y, const Corners& c,
               double angle_radians, const TexelRectangle& uv, const std::uint32_t (&argb)[4]) {
  const double offsets[4][2] = {
      {c.left, c.top}, {c.right, c.top}, {c.right, c.bottom}, {c.left, c.bottom}};
  const float us[4] = {uv.u0, uv.u1, uv.u1, uv.u0};
  const float vs[4] = {uv.v0, uv.v0, uv.v1, uv.v1};
  const bool turned = std::abs(angle_radians) >= 0.001;
  const double cosine = turned ? std::cos(angle_radians) : 1.0;
  const double sine = turned ? std::sin(angle_radians) : 0.0;
  const auto z = static_cast<float>(graphics.depth());
  Vertex quad[4];
  for (int i = 0; i < 4; ++i) {
    const double ox = offsets[i][0];
    const double oy = offsets[i][1];
    quad[i] = Vertex{static_cast<float>(x + ox * cosine + oy * sine),
                     static_cast<float>(y - ox * sine + oy * cosine),
                     z,
                     argb[i],
                     us[i],
                     vs[i]};
  }
  graphics.device()->draw(Primitive::TriangleFan, entry.device_texture, quad);
}

const TextureEntry* drawable(Graphics& graphics, int id) {
  if (!graphics.has_device()) return nullptr;
  return graphics.textures().find(id);
}

int power_of_two_at_least(int size) {
  return static_cast<int>(std::bit_ceil(static_cast<unsigned>(size)));
}

}  // namespace

void TextureTable::attach(platform::RenderDevice* device) {
  for (const TextureEntry& entry : entries_) {
    if (entry.in_use && device_ != nullptr) device_->free_texture(entry.device_texture);
  }
  entries_.clear();
  device_ = device;
}

int TextureTable::create(int width, int height) {
  if (device_ == nullptr || width <= 0 || height <= 0) return -1;
  const int texture_width = power_of_two_at_least(width);
  const int texture_height = power_of_two_at_least(height);
  const platform::TextureId texture = device_->create_texture(texture_width, texture_height);
  if (texture == platform::kNoTexture) return -1;
  auto slot = std::find_if(entries_.begin(), entries_.end(),
                           [](const TextureEntry& entry) { return !entry.in_use; });
  if (slot == entries_.end()) slot = entries_.insert(entries_.end(), TextureEntry{});
  *slot = TextureEntry{texture, width, height, texture_width, texture_height, true};
  return static_cast<int>(slot - entries_.begin());
}

const TextureEntry* TextureTable::find(int id) const {
  if (id < 0 || static_cast<std::size_t>(id) >= entries_.size()) return nullptr;
  const TextureEntry& entry = entries_[static_cast<std::size_t>(id)];
  return entry.in_use ? &entry : nullptr;
}

bool TextureTable::fill(int id, const std::uint32_t* argb) {
  const TextureEntry* entry = find(id);
  if (entry == nullptr) return false;
  const int width = entry->image_width;
  const int height = entry->image_height;
  // A texture larger than its image gets one more column and row repeating the
  // image's last ones, so that interpolation at the edge pulls in no stray texels.
  const int buffer_width = std::min(width + 1, entry->texture_width);
  const int buffer_height = std::min(height + 1, entry->texture_height);
  const std::uint32_t* pixels = argb;
  if (buffer_width != width || buffer_height != height) {
    padded_.assign(static_cast<std::size_t>(buffer_width) * buffer_height, 0);
    for (int row = 0; row < buffer_height; ++row) {
      const std::uint32_t* source =
          argb + static_cast<std::size_t>(std::min(row, height - 1)) * width;
      std::uint32_t* target = padded_.data() + static_cast<std::size_t>(row) * buffer_width;
      std::copy(source, source + width, target);
      if (buffer_width > width) target[width] = source[width - 1];
    }
    pixels = padded_.data();
  }
  if (device_->fill_texture(entry->device_texture, buffer_width, buffer_height, pixels)) {
    return true;
  }
  free(id);
  return false;
}

int TextureTable::create_from_pixels(int width, int height, const std::uint32_t* argb) {
  const int id = create(width, height);
  if (id < 0 || !fill(id, argb)) return -1;
  return id;
}

int TextureTable::create_from_alpha_map(int width, int height, const std::uint8_t* alpha) {
  if (width <= 0 || height <= 0) return -1;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  std::transform(alpha, alpha + pixels.size(), pixels.begin(),
                 [](std::uint8_t a) { return std::uint32_t{a} << 24 | 0xFFFFFF; });
  return create_from_pixels(width, height, pixels.data());
}

void TextureTable::free(int id) {
  const TextureEntry* entry = find(id);
  if (entry == nullptr) return;
  device_->free_texture(entry->device_texture);
  entries_[static_cast<std::size_t>(id)] = TextureEntry{};
}

double TextureTable::used_width(int id) const {
  const TextureEntry* entry = find(id);
  return entry == nullptr ? 1.0 : static_cast<double>(entry->image_width) / entry->texture_width;
}

double TextureTable::used_height(int id) const {
  const TextureEntry* entry = find(id);
  return entry == nullptr ? 1.0 : static_cast<double>(entry->image_height) / entry->texture_height;
}

void draw_texture(Graphics& graphics, int id, double x, double y) {
  const TextureEntry* entry = drawable(graphics, id);
  if (entry == nullptr) return;
  const Corners corners{-0.5, -0.5, entry->image_width - 0.5, entry->image_height - 0.5};
  const std::uint32_t white = 0xFFFFFFFF;
  send_quad(graphics, *entry, x, y, corners, 0.0, whole_image(*entry),
            {white, white, white, white});
}

void draw_texture_ext(Graphics& graphics, int id, double x, double y, double xorigin,
                      double yorigin, double xscale, double yscale, double angle_radians,
                      std::int64_t colour, double alpha) {
  const TextureEntry* entry = drawable(graphics, id);
  if (entry == nullptr) return;
  const double left = -xscale * xorigin - 0.5;
  const double top = -yscale * yorigin - 0.5;
  const Corners corners{left, top, entry->image_width * xscale + left,
                        entry->image_height * yscale + top};
  const std::uint32_t argb = vertex_colour(colour, alpha);
  send_quad(graphics, *entry, x, y, corners, angle_radians, whole_image(*entry),
            {argb, argb, argb, argb});
}

void draw_texture_part(Graphics& graphics, int id, double left, double top, double width,
                       double height, double x, double y, double xscale, double yscale,
                       std::int64_t colour, double alpha) {
  const std::int64_t colours[4] = {colour, colour, colour, colour};
  draw_texture_general(graphics, id, left, top, width, height, x, y, xscale, yscale, 0.0, colours,
                       alpha);
}

void draw_texture_general(Graphics& graphics, int id, double left, double top, double width,
                          double height, double x, double y, double xscale, double yscale,
                          double angle_radians, const std::int64_t (&colours)[4], double alpha) {
  const TextureEntry* entry = drawable(graphics, id);
  if (entry == nullptr) return;
  const Corners corners{-0.5, -0.5, width * xscale - 0.5, height * yscale - 0.5};
  send_quad(graphics, *entry, x, y, corners, angle_radians,
            image_part(*entry, left, top, width, height),
            {vertex_colour(colours[0], alpha), vertex_colour(colours[1], alpha),
             vertex_colour(colours[2], alpha), vertex_colour(colours[3], alpha)});
}

namespace {

// The first tile edge at or before the clip's start, on the grid through `start`.
int first_tile_edge(int start, int tile, bool tiled, double clip_start) {
  if (!tiled) return start;
  int edge = start % tile;  // the remainder keeps the sign of the dividend
  if (edge > 0) edge -= tile;
  while (edge + tile < clip_start) edge += tile;
  return edge;
}

}  // namespace

void draw_texture_tiled(Graphics& graphics, int id, double x, double y, double xscale,
                        double yscale, std::int64_t colour, double alpha, bool htiled, bool vtiled,
                        const ClipRectangle& clip) {
  const TextureEntry* entry = drawable(graphics, id);
  if (entry == nullptr) return;
  const int tile_width = round_to_int(entry->image_width * xscale);
  const int tile_height = round_to_int(entry->image_height * yscale);
  if (tile_width <= 0 || tile_height <= 0) return;
  const int first_column = first_tile_edge(round_to_int(x), tile_width, htiled, clip.left);
  const int first_row = first_tile_edge(round_to_int(y), tile_height, vtiled, clip.top);
  for (int row = first_row; row < clip.top + clip.height; row += tile_height) {
    for (int column = first_column; column < clip.left + clip.width; column += tile_width) {
      draw_texture_ext(graphics, id, column, row, 0, 0, xscale, yscale, 0, colour, alpha);
      if (!htiled) break;
    }
    if (!vtiled) break;
  }
}

}  // namespace kestrel
