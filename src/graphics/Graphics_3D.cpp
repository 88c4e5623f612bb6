#include "graphics/Graphics_3D.h"

#include <algorithm>
#include <cmath>
#include <glm/ext/matrix_transform.hpp>
#include <numbers>
#include <utility>

#include "graphics/Graphics_Device.h"

namespace kestrel {
namespace {

using platform::Primitive;

float to_float(double value) {
  return static_cast<float>(value);
}

float radians_of(double degrees) {
  return static_cast<float>(degrees * std::numbers::pi / 180.0);
}

// One corner of a shape: position, normal and texture coordinate.
void put(PrimitiveSink& sink, double x, double y, double z, double nx, double ny, double nz,
         double u, double v) {
  sink.corner({{to_float(x), to_float(y), to_float(z)},
               {to_float(nx), to_float(ny), to_float(nz)},
               to_float(u),
               to_float(v),
               std::nullopt});
}

constexpr int kTriangleStrip = 5;
constexpr int kTriangleFan = 6;

int limited_steps(int steps) {
  return std::clamp(steps, 3, 128);
}

// cos and sin of 2πi / steps for i = 0 .. steps.
struct Circle {
  std::vector<double> c, s;
  explicit Circle(int steps) {
    for (int i = 0; i <= steps; ++i) {
      const double angle = 2 * std::numbers::pi * i / steps;
      c.push_back(std::cos(angle));
      s.push_back(std::sin(angle));
    }
  }
};

// The cap of a cylinder or cone at z1, facing down: the centre, then the rim
// from the last step back to the first.
void bottom_cap(PrimitiveSink& sink, const ShapeBox& b, const Circle& circle, int steps) {
  const double cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2;
  const double rx = (b.x2 - b.x1) / 2, ry = (b.y2 - b.y1) / 2;
  sink.begin(kTriangleFan, true);
  put(sink, cx, cy, b.z1, 0, 0, -1, 0, 0);
  for (int i = steps; i >= 0; --i) {
    put(sink, cx + circle.c[i] * rx, cy + circle.s[i] * ry, b.z1, 0, 0, -1, 0, 0);
  }
  sink.end();
}

}  // namespace

std::optional<Primitive> primitive_of_kind(int kind) {
  static constexpr Primitive kKinds[] = {Primitive::PointList,     Primitive::LineList,
                                         Primitive::LineStrip,     Primitive::TriangleList,
                                         Primitive::TriangleStrip, Primitive::TriangleFan};
  if (kind < 1 || kind > 6) return std::nullopt;
  return kKinds[kind - 1];
}

void Primitive3D::begin(int kind, bool repeat) {
  kind_ = kind;
  repeat_ = repeat;
  vertices_.clear();
}

void Primitive3D::corner(const Corner3D& c) {
  if (vertices_.size() >= kMaxPrimitive3DVertices) return;
  vertices_.push_back({c.position.x, c.position.y, c.position.z, c.normal.x, c.normal.y, c.normal.z,
                       c.argb.value_or(drawing_argb_), c.u, c.v});
}

void Primitive3D::end() {
  const std::optional<Primitive> primitive = primitive_of_kind(kind_);
  // The corners stay: another end draws them again, now with the repeat setting.
  const bool repeat = std::exchange(repeat_, false);
  if (!primitive || !graphics_.has_device()) return;
  const TextureEntry* texture = graphics_.textures().find(texture_);
  graphics_.device()->draw(*primitive,
                           texture != nullptr ? texture->device_texture : platform::kNoTexture,
                           vertices_, repeat);
}

void shape_block(PrimitiveSink& sink, const ShapeBox& b) {
  const double hr = b.hrepeat, vr = b.vrepeat;
  struct Face {
    double nx, ny, nz;
    // The four corners as (x, y, z) picked from the two corners: 0 the first, 1 the second.
    int corners[4][3];
  };
  static constexpr Face kFaces[] = {
      {0, 0, -1, {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}},
      {0, 0, 1, {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}},
      {0, 1, 0, {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}}},
      {1, 0, 0, {{1, 1, 0}, {1, 1, 1}, {1, 0, 1}, {1, 0, 0}}},
      {0, -1, 0, {{1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {0, 0, 0}}},
      {-1, 0, 0, {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}},
  };
  // Every face but the bottom and top one runs (0, 0), (0, vr), (hr, vr),
  // (hr, 0); the top one runs the other way round.
  static constexpr double kUv[2][4][2] = {{{0, 0}, {0, 1}, {1, 1}, {1, 0}},
                                          {{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
  const double xs[2] = {b.x1, b.x2}, ys[2] = {b.y1, b.y2}, zs[2] = {b.z1, b.z2};
  for (std::size_t f = 0; f < std::size(kFaces); ++f) {
    const Face& face = kFaces[f];
    const auto& uv = kUv[f == 1 ? 1 : 0];
    sink.begin(kTriangleFan, true);
    for (int k = 0; k < 4; ++k) {
      put(sink, xs[face.corners[k][0]], ys[face.corners[k][1]], zs[face.corners[k][2]], face.nx,
          face.ny, face.nz, uv[k][0] * hr, uv[k][1] * vr);
    }
    sink.end();
  }
}

void shape_cylinder(PrimitiveSink& sink, const ShapeBox& b, bool closed, int steps) {
  steps = limited_steps(steps);
  const Circle circle(steps);
  const double cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2;
  const double rx = (b.x2 - b.x1) / 2, ry = (b.y2 - b.y1) / 2;
  if (closed) {
    sink.begin(kTriangleFan, true);
    put(sink, cx, cy, b.z2, 0, 0, 1, 0, b.vrepeat);
    for (int i = 0; i <= steps; ++i) {
      put(sink, cx + circle.c[i] * rx, cy + circle.s[i] * ry, b.z2, 0, 0, 1, 0, b.vrepeat);
    }
    sink.end();
  }
  sink.begin(kTriangleStrip, true);
  for (int i = 0; i <= steps; ++i) {
    const double x = cx + circle.c[i] * rx, y = cy + circle.s[i] * ry;
    const double u = i * b.hrepeat / steps;
    put(sink, x, y, b.z2, circle.c[i], circle.s[i], 0, u, b.vrepeat);
    put(sink, x, y, b.z1, circle.c[i], circle.s[i], 0, u, 0);
  }
  sink.end();
  if (closed) bottom_cap(sink, b, circle, steps);
}

void shape_cone(PrimitiveSink& sink, const ShapeBox& b, bool closed, int steps) {
  steps = limited_steps(steps);
  const Circle circle(steps);
  const double cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2;
  const double rx = (b.x2 - b.x1) / 2, ry = (b.y2 - b.y1) / 2;
  sink.begin(kTriangleStrip, true);
  for (int i = 0; i <= steps; ++i) {
    const double u = i * b.hrepeat / steps;
    put(sink, cx, cy, b.z2, 0, 0, 1, u, b.vrepeat);
    put(sink, cx + circle.c[i] * rx, cy + circle.s[i] * ry, b.z1, circle.c[i], circle.s[i], 0, u,
        0);
  }
  sink.end();
  if (closed) bottom_cap(sink, b, circle, steps);
}

void shape_ellipsoid(PrimitiveSink& sink, const ShapeBox& b, int steps) {
  steps = limited_steps(steps);
  const Circle circle(steps);
  const double cx = (b.x1 + b.x2) / 2, cy = (b.y1 + b.y2) / 2, cz = (b.z1 + b.z2) / 2;
  const double rx = (b.x2 - b.x1) / 2, ry = (b.y2 - b.y1) / 2, rz = (b.z2 - b.z1) / 2;
  const int rings = (steps + 1) / 2;
  for (int j = 0; j < rings; ++j) {
    const double a = j * std::numbers::pi / rings;
    const double bb = (j + 1) * std::numbers::pi / rings;
    sink.begin(kTriangleStrip, true);
    for (int i = 0; i <= steps; ++i) {
      const double u = i * b.hrepeat / steps;
      for (const auto& [angle, ring] : {std::pair{a, j}, std::pair{bb, j + 1}}) {
        const double nx = std::sin(angle) * circle.c[i], ny = std::sin(angle) * circle.s[i];
        const double nz = std::cos(angle);
        put(sink, cx + rx * nx, cy + ry * ny, cz + rz * nz, nx, ny, nz, u,
            ring * b.vrepeat / rings);
      }
    }
    sink.end();
  }
}

void shape_wall(PrimitiveSink& sink, const ShapeBox& b) {
  const double length = std::hypot(b.x2 - b.x1, b.y2 - b.y1);
  if (length == 0) return;
  const double nx = (b.y2 - b.y1) / length, ny = -(b.x2 - b.x1) / length;
  sink.begin(kTriangleFan, true);
  put(sink, b.x1, b.y1, b.z1, nx, ny, 0, 0, 0);
  put(sink, b.x2, b.y2, b.z1, nx, ny, 0, b.hrepeat, 0);
  put(sink, b.x2, b.y2, b.z2, nx, ny, 0, b.hrepeat, b.vrepeat);
  put(sink, b.x1, b.y1, b.z2, nx, ny, 0, 0, b.vrepeat);
  sink.end();
}

void shape_floor(PrimitiveSink& sink, const ShapeBox& b) {
  sink.begin(kTriangleFan, true);
  put(sink, b.x1, b.y1, b.z1, 0, 0, 1, 0, 0);
  put(sink, b.x1, b.y2, b.z1, 0, 0, 1, 0, b.vrepeat);
  put(sink, b.x2, b.y2, b.z2, 0, 0, 1, b.hrepeat, b.vrepeat);
  put(sink, b.x2, b.y1, b.z2, 0, 0, 1, b.hrepeat, 0);
  sink.end();
}

// GLM's rotations for column vectors are the transposes of the row-vector
// rotations games are defined with, which turn the same way.
glm::mat4 translation_matrix(double x, double y, double z) {
  return glm::translate(glm::mat4(1.0f), glm::vec3(to_float(x), to_float(y), to_float(z)));
}

glm::mat4 scaling_matrix(double x, double y, double z) {
  return glm::scale(glm::mat4(1.0f), glm::vec3(to_float(x), to_float(y), to_float(z)));
}

glm::mat4 rotation_x_matrix(double degrees) {
  return glm::rotate(glm::mat4(1.0f), -radians_of(degrees), glm::vec3(1, 0, 0));
}

glm::mat4 rotation_y_matrix(double degrees) {
  return glm::rotate(glm::mat4(1.0f), -radians_of(degrees), glm::vec3(0, 1, 0));
}

glm::mat4 rotation_z_matrix(double degrees) {
  return glm::rotate(glm::mat4(1.0f), -radians_of(degrees), glm::vec3(0, 0, 1));
}

glm::mat4 rotation_axis_matrix(double xa, double ya, double za, double degrees) {
  const glm::vec3 axis(to_float(xa), to_float(ya), to_float(za));
  // No axis, no turn: a zero axis would fill the world transform with NaNs.
  if (axis == glm::vec3(0.0f)) return glm::mat4(1.0f);
  return glm::rotate(glm::mat4(1.0f), -radians_of(degrees), axis);
}

glm::mat4 look_at_matrix(const glm::dvec3& from, const glm::dvec3& to, const glm::dvec3& up) {
  return glm::lookAtLH(glm::vec3(from), glm::vec3(to), glm::vec3(up));
}

glm::mat4 perspective_fov_matrix(double degrees, double aspect, double znear, double zfar) {
  // Written out: GLM's own builder asserts on a zero aspect, which games may pass.
  const float y_scale = 1.0f / std::tan(radians_of(degrees) / 2);
  const float x_scale = y_scale / to_float(aspect);
  const float n = to_float(znear), f = to_float(zfar);
  glm::mat4 m(0.0f);
  m[0][0] = x_scale;
  m[1][1] = y_scale;
  // Depth from -1 at the near plane to 1 at the far one, as GL clips.
  m[2][2] = (f + n) / (f - n);
  m[2][3] = 1.0f;
  m[3][2] = -2.0f * f * n / (f - n);
  return m;
}

bool TransformStack::push(const glm::mat4& world) {
  if (saved_.size() >= kTransformStackSize) return false;
  saved_.push_back(world);
  return true;
}

std::optional<glm::mat4> TransformStack::pop() {
  if (saved_.empty()) return std::nullopt;
  const glm::mat4 world = saved_.back();
  saved_.pop_back();
  return world;
}

std::optional<glm::mat4> TransformStack::top() const {
  if (saved_.empty()) return std::nullopt;
  return saved_.back();
}

bool TransformStack::discard() {
  if (saved_.empty()) return false;
  saved_.pop_back();
  return true;
}

}  // namespace kestrel
