#pragma once

#include <cstdint>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <optional>
#include <vector>

#include "platform/render_device.h"

namespace kestrel {

class Graphics;

// Primitive kinds as games number them: 1 point list, 2 line list, 3 line
// strip, 4 triangle list, 5 triangle strip, 6 triangle fan.
std::optional<platform::Primitive> primitive_of_kind(int kind);

// One corner given to a 3D primitive. Without a colour of its own it takes the
// drawing colour and alpha of the moment it is drawn.
struct Corner3D {
  glm::vec3 position{0.0f};
  glm::vec3 normal{0.0f};
  float u = 0.0f;
  float v = 0.0f;
  std::optional<std::uint32_t> argb;
};

// Where primitives go: begin, corners, end, as the 3D primitive functions give them.
class PrimitiveSink {
 public:
  virtual ~PrimitiveSink() = default;
  // `repeat`: the texture repeats for this primitive whatever the setting says.
  virtual void begin(int kind, bool repeat) = 0;
  virtual void corner(const Corner3D& corner) = 0;
  virtual void end() = 0;
};

inline constexpr std::size_t kMaxPrimitive3DVertices = 32001;

// The 3D primitive buffer: a primitive is collected and drawn at its end.
class Primitive3D final : public PrimitiveSink {
 public:
  // Draws into `graphics` with the given texture (-1 none) in `drawing_argb`.
  Primitive3D(Graphics& graphics, int texture, std::uint32_t drawing_argb)
      : graphics_(graphics), texture_(texture), drawing_argb_(drawing_argb) {}

  void set_texture(int texture) { texture_ = texture; }
  void set_drawing_colour(std::uint32_t argb) { drawing_argb_ = argb; }
  // Corners beyond kMaxPrimitive3DVertices are dropped.
  void begin(int kind, bool repeat) override;
  void corner(const Corner3D& corner) override;
  // Only kinds 1 to 6 draw.
  void end() override;

  std::size_t size() const { return vertices_.size(); }

 private:
  Graphics& graphics_;
  int texture_;
  std::uint32_t drawing_argb_;
  int kind_ = 0;
  bool repeat_ = false;
  std::vector<platform::Vertex3D> vertices_;
};

// The shapes, each a few primitives: (x1, y1, z1) and (x2, y2, z2) are
// opposite corners, hrepeat and vrepeat how often the texture repeats across.
struct ShapeBox {
  double x1, y1, z1, x2, y2, z2;
  double hrepeat, vrepeat;
};
void shape_block(PrimitiveSink& sink, const ShapeBox& box);
// steps are limited to 3 .. 128.
void shape_cylinder(PrimitiveSink& sink, const ShapeBox& box, bool closed, int steps);
void shape_cone(PrimitiveSink& sink, const ShapeBox& box, bool closed, int steps);
void shape_ellipsoid(PrimitiveSink& sink, const ShapeBox& box, int steps);
// A vertical wall from (x1, y1) to (x2, y2); nothing when those are the same point.
void shape_wall(PrimitiveSink& sink, const ShapeBox& box);
// The height follows x, so z1 differing from z2 makes a slope.
void shape_floor(PrimitiveSink& sink, const ShapeBox& box);

// The left-handed transforms games build, as GLM matrices for column vectors.
// Angles are in degrees; rotations turn by the negated angle.
glm::mat4 translation_matrix(double x, double y, double z);
glm::mat4 scaling_matrix(double x, double y, double z);
glm::mat4 rotation_x_matrix(double degrees);
glm::mat4 rotation_y_matrix(double degrees);
glm::mat4 rotation_z_matrix(double degrees);
glm::mat4 rotation_axis_matrix(double xa, double ya, double za, double degrees);

// The view from `from` towards `to` with `up` pointing up.
glm::mat4 look_at_matrix(const glm::dvec3& from, const glm::dvec3& to, const glm::dvec3& up);
// Vertical field of view in degrees.
glm::mat4 perspective_fov_matrix(double degrees, double aspect, double znear, double zfar);

// Saved world transforms: at most kTransformStackSize of them.
inline constexpr std::size_t kTransformStackSize = 1001;
class TransformStack {
 public:
  void clear() { saved_.clear(); }
  bool empty() const { return saved_.empty(); }
  // False when full.
  bool push(const glm::mat4& world);
  // Each false on an empty stack.
  std::optional<glm::mat4> pop();
  std::optional<glm::mat4> top() const;
  bool discard();

 private:
  std::vector<glm::mat4> saved_;
};

}  // namespace kestrel
