#include "graphics/Graphics_Device.h"

#include <algorithm>
#include <cmath>
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <numbers>

#include "graphics/Graphics_Support.h"

namespace kestrel {

using platform::BlendFactor;

void Graphics::attach(platform::RenderDevice* device, int region_width, int region_height) {
  device_ = device;
  textures_.attach(device);
  depth_ = 0.0;
  if (device_ == nullptr) return;
  device_->clear(0xFF000000);
  region_width_ = 0;
  set_region(region_width, region_height);
  apply_render_states();
}

void Graphics::detach() {
  textures_.attach(nullptr);
  device_ = nullptr;
}

void Graphics::set_region(int width, int height) {
  if (device_ == nullptr || (width == region_width_ && height == region_height_)) return;
  if (!device_->set_region_size(width, height)) return;
  region_width_ = width;
  region_height_ = height;
  set_viewport(0, 0, width, height);
  set_projection(0, 0, width, height, 0);
}

void Graphics::set_viewport(int x, int y, int width, int height) {
  if (device_ == nullptr) return;
  viewport_width_ = width;
  viewport_height_ = height;
  device_->set_viewport(x, y, width, height);
}

void Graphics::set_projection(double x, double y, double width, double height, double angle) {
  set_rectangle_projection(x, y, width, height, angle, states_.mode_3d && states_.perspective);
}

void Graphics::set_rectangle_projection(double x, double y, double width, double height,
                                        double angle, bool perspective) {
  if (device_ == nullptr) return;
  const double radians = angle * std::numbers::pi / 180.0;
  const glm::vec3 centre(x + width / 2, y + height / 2, 0.0);
  const glm::vec3 up(std::sin(-radians), std::cos(-radians), 0.0);
  if (perspective) {
    view_ = glm::lookAtLH(centre - glm::vec3(0, 0, width), centre, up);
    // A frustum one unit wide at the near plane shows exactly the view
    // rectangle at z = 0. Its height is positive, unlike the orthographic
    // one's, so y grows upwards here.
    projection_ = glm::frustumLH_NO(-0.5f, 0.5f, static_cast<float>(-height / width / 2),
                                    static_cast<float>(height / width / 2), 1.0f, 32000.0f);
  } else {
    view_ = glm::lookAtLH(centre - glm::vec3(0, 0, 16000), centre, up);
    // The negative height makes y grow downwards.
    projection_ = glm::orthoLH_NO(static_cast<float>(-width / 2), static_cast<float>(width / 2),
                                  static_cast<float>(height / 2), static_cast<float>(-height / 2),
                                  1.0f, 32000.0f);
  }
  apply_transforms();
}

void Graphics::set_view(const glm::mat4& view) {
  view_ = view;
  apply_transforms();
}

void Graphics::set_view_and_projection(const glm::mat4& view, const glm::mat4& projection) {
  view_ = view;
  projection_ = projection;
  apply_transforms();
}

void Graphics::set_world(const glm::mat4& world) {
  world_ = world;
  apply_transforms();
}

void Graphics::apply_transforms() {
  if (device_ == nullptr) return;
  // Games place pixel centres on whole coordinates; GL places them half a pixel
  // further on, so the picture moves right and down by just under half a
  // viewport pixel. Just under: an edge through a pixel centre then keeps that
  // pixel on the top and left edges and drops it on the others, as games expect,
  // and shapes that reach a hundredth past a pixel centre still cover it.
  constexpr float kShift = 0.5f - 1.0f / 256.0f;
  const glm::mat4 half_pixel = glm::translate(
      glm::mat4(1.0f),
      glm::vec3(2.0f * kShift / static_cast<float>(std::max(viewport_width_, 1)),
                -2.0f * kShift / static_cast<float>(std::max(viewport_height_, 1)), 0.0f));
  device_->set_transforms(world_, view_, half_pixel * projection_);
}

bool Graphics::set_mode_3d(bool on) {
  if (device_ == nullptr) return false;
  if (states_.mode_3d == on) return true;
  states_.mode_3d = on;
  states_.perspective = on;
  states_.hidden = on;
  // The device is reset as the mode changes: its picture is cleared to black
  // and every render state applied again. The depth buffer is always there.
  device_->clear(0xFF000000);
  apply_render_states();
  return true;
}

void Graphics::set_hidden(bool on) {
  states_.hidden = on;
  apply_hidden();
}

void Graphics::apply_hidden() {
  if (device_ != nullptr) device_->set_hidden_surface_removal(states_.hidden && states_.mode_3d);
}

void Graphics::set_lighting(bool on) {
  states_.lighting = on;
  if (device_ != nullptr) device_->set_lighting(on);
}

void Graphics::set_smooth_shading(bool on) {
  states_.smooth_shading = on;
  if (device_ != nullptr) device_->set_smooth_shading(on);
}

void Graphics::set_culling(bool on) {
  states_.culling = on;
  if (device_ != nullptr) device_->set_culling(on);
}

void Graphics::set_fog(bool on, std::int64_t colour, double start, double end) {
  states_.fog = on;
  states_.fog_colour = colour;
  states_.fog_start = start;
  states_.fog_end = end;
  apply_fog();
}

void Graphics::apply_fog() {
  if (device_ == nullptr) return;
  device_->set_fog({states_.fog, vertex_colour(states_.fog_colour, 1),
                    static_cast<float>(states_.fog_start), static_cast<float>(states_.fog_end)});
}

void Graphics::define_light(int slot, const platform::Light& light) {
  if (slot < 0 || slot >= platform::kLightSlots) return;
  const bool enabled = lights_[slot].enabled;
  lights_[slot] = light;
  lights_[slot].enabled = enabled;
  if (device_ != nullptr) device_->set_light(slot, lights_[slot]);
}

void Graphics::enable_light(int slot, bool on) {
  if (slot < 0 || slot >= platform::kLightSlots) return;
  lights_[slot].enabled = on;
  if (device_ != nullptr) device_->set_light(slot, lights_[slot]);
}

void Graphics::clear_depth() {
  if (device_ != nullptr) device_->clear_depth();
}

void Graphics::set_depth(double depth) {
  depth_ = states_.mode_3d ? std::clamp(depth, -16000.0, 16000.0) : 0.0;
}

void Graphics::set_blend_mode(int mode) {
  switch (mode) {
    case 1:
      set_blend_mode_ext(5, 2);
      break;
    case 2:
      set_blend_mode_ext(5, 4);
      break;
    case 3:
      set_blend_mode_ext(1, 4);
      break;
    default:
      set_blend_mode_ext(5, 6);
      break;
  }
}

void Graphics::set_blend_mode_ext(int source, int destination) {
  // Numbers outside 1..11 have no factor; such a request leaves blending as it is.
  const auto valid = [](int factor) { return factor >= 1 && factor <= 11; };
  if (!valid(source) || !valid(destination)) return;
  states_.blend_source = static_cast<BlendFactor>(source);
  states_.blend_destination = static_cast<BlendFactor>(destination);
  if (device_ != nullptr) device_->set_blend(states_.blend_source, states_.blend_destination);
}

void Graphics::set_texture_interpolation(bool on) {
  states_.interpolation = on;
  if (device_ != nullptr) device_->set_texture_interpolation(on);
}

void Graphics::set_texture_blending(bool on) {
  states_.blending = on;
  if (device_ != nullptr) device_->set_texture_blending(on);
}

void Graphics::set_texture_repeat(bool on) {
  states_.repeat = on;
  if (device_ != nullptr) device_->set_texture_repeat(on);
}

void Graphics::set_synchronization(bool on) {
  states_.synchronization = on;
  if (device_ != nullptr) device_->set_vsync(on);
}

void Graphics::apply_render_states() {
  device_->set_culling(states_.culling);
  device_->set_blend(states_.blend_source, states_.blend_destination);
  device_->set_lighting(states_.lighting);
  device_->set_smooth_shading(states_.smooth_shading);
  apply_hidden();
  apply_fog();
  for (int slot = 0; slot < platform::kLightSlots; ++slot) device_->set_light(slot, lights_[slot]);
  device_->set_texture_interpolation(states_.interpolation);
  device_->set_texture_blending(states_.blending);
  device_->set_texture_repeat(states_.repeat);
  device_->set_vsync(states_.synchronization);
}

bool Graphics::capture(int x, int y, int width, int height, Capture& out) {
  if (device_ == nullptr) return false;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  width = std::min(width, region_width_ - x);
  height = std::min(height, region_height_ - y);
  if (width < 1 || height < 1) return false;
  out.width = width;
  out.height = height;
  out.argb.resize(static_cast<std::size_t>(width) * height);
  return device_->read_pixels(x, y, width, height, out.argb.data());
}

std::int64_t Graphics::pixel(int x, int y) {
  Capture one;
  if (!capture(x, y, 1, 1, one)) return 0;
  return game_colour(one.argb[0]);
}

}  // namespace kestrel
