#pragma once

#include <cstdint>
#include <vector>

#include "graphics/Graphics_Device.h"

namespace kestrel {

// One off-screen image that games draw into and draw with.
struct Surface {
  int texture = -1;  // in the texture table; -1 for a free entry
  int width = 0;
  int height = 0;
  bool in_use = false;
};

// The surfaces by id. The table only grows; a freed entry is reused, lowest
// id first. The surfaces live in textures, which survive changes of the
// region, the window and the display mode.
class SurfaceTable {
 public:
  explicit SurfaceTable(Graphics& graphics) : graphics_(graphics) {}

  // The new id, or -1 when the device refuses a texture of that size.
  int create(int width, int height);
  // Nothing happens for an id that does not exist.
  void free(int id);
  void free_all();
  bool exists(int id) const { return find(id) != nullptr; }
  const Surface* find(int id) const;
  int count() const { return static_cast<int>(entries_.size()); }

  // Drawing goes into the surface, in its own pixels with (0, 0) at its top
  // left; false when there is no device or no such surface.
  bool set_target(int id);
  // Back to the region, with the viewport and projection of the whole region;
  // false when no surface is the target.
  bool reset_target();
  int target() const { return target_; }

  // A rectangle of the surface cut to its size (negative corners become 0);
  // false when nothing is left or there is no device.
  bool read(int id, int x, int y, int width, int height, Capture& out);
  // Copies part of one surface into another, the rectangle cut to both.
  bool copy(int destination, int x, int y, int source, int source_x, int source_y, int width,
            int height);

 private:
  Graphics& graphics_;
  std::vector<Surface> entries_;
  int target_ = -1;
};

}  // namespace kestrel
