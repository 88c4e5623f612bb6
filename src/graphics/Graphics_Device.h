#pragma once

#include <array>
#include <cstdint>
#include <glm/mat4x4.hpp>
#include <vector>

#include "graphics/Graphics_Texture.h"
#include "platform/render_device.h"

namespace kestrel {

// The render states games switch; they survive frames and device resets.
struct RenderStates {
  bool interpolation = true;
  bool blending = true;
  bool repeat = false;
  bool synchronization = false;
  bool mode_3d = false;
  bool hidden = true;
  bool perspective = true;
  bool lighting = false;
  bool smooth_shading = true;
  bool fog = false;
  std::int64_t fog_colour = 0;
  double fog_start = 0.0;
  double fog_end = 1.0;
  platform::BlendFactor blend_source = platform::BlendFactor::SourceAlpha;
  platform::BlendFactor blend_destination = platform::BlendFactor::InverseSourceAlpha;
  bool culling = false;
};

// A rectangle of the back buffer copied to memory, rows from the top.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

// The drawing device as games see it: the region drawn into, the render
// states, the texture table and the current depth. Without a device every
// operation does nothing and every question answers false or 0.
class Graphics {
 public:
  // Takes the device over: empties the texture table, sets the region and
  // applies every render state.
  void attach(platform::RenderDevice* device, int region_width, int region_height);
  void detach();
  bool has_device() const { return device_ != nullptr; }
  platform::RenderDevice* device() { return device_; }

  TextureTable& textures() { return textures_; }
  const RenderStates& states() const { return states_; }

  void set_region(int width, int height);
  int region_width() const { return region_width_; }
  int region_height() const { return region_height_; }

  // In region pixels from the top left.
  void set_viewport(int x, int y, int width, int height);
  // Shows the room rectangle (x, y, width, height) turned by `angle` degrees in
  // the current viewport; in 3D mode with perspective, in perspective.
  void set_projection(double x, double y, double width, double height, double angle);
  // The same, orthographic or in perspective whatever the mode.
  void set_rectangle_projection(double x, double y, double width, double height, double angle,
                                bool perspective);
  // Replace the view transform (and the projection) until the next view
  // starts; matrices for column vectors.
  void set_view(const glm::mat4& view);
  void set_view_and_projection(const glm::mat4& view, const glm::mat4& projection);
  // The transform every drawn position goes through before the view.
  void set_world(const glm::mat4& world);
  const glm::mat4& world() const { return world_; }

  // Switches 3D mode: the depth buffer, and perspective and hidden-surface
  // removal with it. False without a device.
  bool set_mode_3d(bool on);
  // Takes effect at the next view's projection.
  void set_perspective(bool on) { states_.perspective = on; }
  void set_hidden(bool on);
  void set_lighting(bool on);
  void set_smooth_shading(bool on);
  void set_culling(bool on);
  void set_fog(bool on, std::int64_t colour, double start, double end);
  // Slots outside 0 .. platform::kLightSlots - 1 are ignored. Defining a
  // light keeps its slot's enabled state.
  void define_light(int slot, const platform::Light& light);
  void enable_light(int slot, bool on);
  void clear_depth();

  // The z given to every 2D vertex; always 0 outside 3D mode.
  void set_depth(double depth);
  double depth() const { return depth_; }

  // 0 normal, 1 add, 2 max, 3 subtract; anything else is normal.
  void set_blend_mode(int mode);
  // Factors numbered 1 (zero) to 11 (source alpha saturated).
  void set_blend_mode_ext(int source, int destination);
  void set_texture_interpolation(bool on);
  // Presents wait for the vertical blank while this is on.
  void set_synchronization(bool on);
  void set_texture_blending(bool on);
  void set_texture_repeat(bool on);

  // Clipped to the region; false when nothing of the rectangle is left.
  bool capture(int x, int y, int width, int height, Capture& out);
  // The pixel as a game colour; 0 outside the region or without a device.
  std::int64_t pixel(int x, int y);

 private:
  void apply_render_states();
  void apply_transforms();
  void apply_hidden();
  void apply_fog();

  platform::RenderDevice* device_ = nullptr;
  TextureTable textures_;
  RenderStates states_;
  int region_width_ = 640;
  int region_height_ = 480;
  int viewport_width_ = 640;
  int viewport_height_ = 480;
  double depth_ = 0.0;
  glm::mat4 world_{1.0f};
  glm::mat4 view_{1.0f};
  glm::mat4 projection_{1.0f};
  std::array<platform::Light, platform::kLightSlots> lights_{};
};

}  // namespace kestrel
