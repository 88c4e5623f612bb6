#include "graphics/Graphics_Surface.h"

#include <algorithm>

namespace kestrel {
namespace {

// Cuts one axis of a copy to the source and then to the destination: a
// negative start moves the other side along and shortens the length.
void clip_copy(int& to, int& from, int& length, int source_length, int destination_length) {
  if (from < 0) {
    to -= from;
    length += from;
    from = 0;
  }
  length = std::min(length, source_length - from);
  if (to < 0) {
    from -= to;
    length += to;
    to = 0;
  }
  length = std::min(length, destination_length - to);
}

}  // namespace

int SurfaceTable::create(int width, int height) {
  const auto free_entry =
      std::find_if(entries_.begin(), entries_.end(), [](const Surface& s) { return !s.in_use; });
  const int id = static_cast<int>(free_entry - entries_.begin());
  if (free_entry == entries_.end()) entries_.emplace_back();
  if (!graphics_.has_device() || width < 1 || height < 1) return -1;
  const int texture = graphics_.textures().create(width, height);
  if (texture < 0) return -1;
  entries_[static_cast<std::size_t>(id)] = Surface{texture, width, height, true};
  return id;
}

const Surface* SurfaceTable::find(int id) const {
  if (id < 0 || id >= count() || !entries_[static_cast<std::size_t>(id)].in_use) return nullptr;
  return &entries_[static_cast<std::size_t>(id)];
}

void SurfaceTable::free(int id) {
  if (!exists(id)) return;
  if (target_ == id) reset_target();
  Surface& surface = entries_[static_cast<std::size_t>(id)];
  graphics_.textures().free(surface.texture);
  surface = Surface{};
}

void SurfaceTable::free_all() {
  for (int id = 0; id < count(); ++id) free(id);
}

bool SurfaceTable::set_target(int id) {
  const Surface* surface = find(id);
  if (!graphics_.has_device() || surface == nullptr) return false;
  if (id == target_) return true;
  const TextureEntry* texture = graphics_.textures().find(surface->texture);
  if (texture == nullptr) return false;
  if (target_ >= 0) reset_target();
  if (!graphics_.device()->set_target(texture->device_texture)) return false;
  graphics_.set_viewport(0, 0, surface->width, surface->height);
  graphics_.set_projection(0, 0, surface->width, surface->height, 0);
  target_ = id;
  return true;
}

bool SurfaceTable::reset_target() {
  if (!graphics_.has_device() || target_ < 0) return false;
  if (!graphics_.device()->set_target(platform::kNoTexture)) return false;
  target_ = -1;
  graphics_.set_viewport(0, 0, graphics_.region_width(), graphics_.region_height());
  graphics_.set_projection(0, 0, graphics_.region_width(), graphics_.region_height(), 0);
  return true;
}

bool SurfaceTable::read(int id, int x, int y, int width, int height, Capture& out) {
  const Surface* surface = find(id);
  if (!graphics_.has_device() || surface == nullptr) return false;
  x = std::max(x, 0);
  y = std::max(y, 0);
  width = std::min(width, surface->width - x);
  height = std::min(height, surface->height - y);
  if (width < 1 || height < 1) return false;
  const TextureEntry* texture = graphics_.textures().find(surface->texture);
  if (texture == nullptr) return false;
  out.width = width;
  out.height = height;
  out.argb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  return graphics_.device()->read_texture(texture->device_texture, x, y, width, height,
                                          out.argb.data());
}

bool SurfaceTable::copy(int destination, int x, int y, int source, int xs, int ys, int ws, int hs) {
  const Surface* to = find(destination);
  const Surface* from = find(source);
  if (!graphics_.has_device() || to == nullptr || from == nullptr) return false;
  clip_copy(x, xs, ws, from->width, to->width);
  clip_copy(y, ys, hs, from->height, to->height);
  if (ws < 1 || hs < 1) return false;
  const TextureEntry* to_texture = graphics_.textures().find(to->texture);
  const TextureEntry* from_texture = graphics_.textures().find(from->texture);
  if (to_texture == nullptr || from_texture == nullptr) return false;
  return graphics_.device()->copy_texture(to_texture->device_texture, x, y,
                                          from_texture->device_texture, xs, ys, ws, hs);
}

}  // namespace kestrel
