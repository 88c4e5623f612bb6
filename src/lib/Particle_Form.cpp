#include "lib/Particle_Form.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrel {
namespace {

enum Shape {
  pixel,
  disk,
  square,
  line,
  star,
  circle,
  ring,
  sphere,
  flare,
  spark,
  explosion,
  cloud,
  smoke,
  snow
};

// A fixed noise in [0, 1) per cell, so the rough shapes look the same every run.
double noise(int x, int y) {
  std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return double((h ^ (h >> 16)) & 0xFFFF) / 65536.0;
}

// Noise smoothed over 4 x 4 cells, for soft clouds.
double soft_noise(double x, double y) {
  const int cx = int(std::floor(x / 4)), cy = int(std::floor(y / 4));
  const double fx = x / 4 - cx, fy = y / 4 - cy;
  const double top = noise(cx, cy) * (1 - fx) + noise(cx + 1, cy) * fx;
  const double bottom = noise(cx, cy + 1) * (1 - fx) + noise(cx + 1, cy + 1) * fx;
  return top * (1 - fy) + bottom * fy;
}

// Coverage at a point of the picture, (dx, dy) from its centre in pixels.
double coverage(int shape, double dx, double dy, int x, int y) {
  const double r = std::hypot(dx, dy);
  const double angle = std::atan2(dy, dx);
  const auto edge = [](double inside) { return std::clamp(inside + 0.5, 0.0, 1.0); };
  switch (shape) {
    case pixel:
      return std::fabs(dx) < 1 && std::fabs(dy) < 1 ? 1 : 0;
    case disk:
      return edge(15 - r);
    case square:
      return edge(15 - std::max(std::fabs(dx), std::fabs(dy)));
    case line:
      return edge(1.5 - std::fabs(dy)) * edge(15 - std::fabs(dx));
    case star: {
      const double reach = 6 + 9 * std::pow(std::fabs(std::cos(2.5 * angle)), 4);
      return edge(reach - r);
    }
    case circle:
      return edge(1.5 - std::fabs(r - 13.5));
    case ring:
      return std::max(0.0, 1 - std::fabs(r - 11) / 4);
    case sphere:
      return std::clamp(1 - r / 15.5, 0.0, 1.0);
    case flare:
      return std::clamp(std::pow(std::max(0.0, 1 - r / 15.5), 3) * 1.5, 0.0, 1.0);
    case spark: {
      const double rays = std::max(edge(1 - std::fabs(dx)), edge(1 - std::fabs(dy)));
      return std::max(rays * std::max(0.0, 1 - r / 15.5), std::max(0.0, 1 - r / 4));
    }
    case explosion:
      return std::clamp((1 - r / 15.5) * (0.6 + 0.8 * noise(x, y)), 0.0, 1.0);
    case cloud:
      return std::clamp((1 - r / 15.5) * (0.4 + 1.2 * soft_noise(x, y)), 0.0, 1.0);
    case smoke:
      return std::clamp((1 - r / 15.5) * (0.5 + 0.5 * soft_noise(x + 7, y + 3)), 0.0, 1.0) * 0.8;
    case snow: {
      const double arms = std::pow(std::fabs(std::cos(3 * angle)), 40);
      return std::max(edge(2 - r), edge(1.2 - r * (1 - arms)) * edge(13 - r));
    }
  }
  return 0;
}

}  // namespace

ParticleShapeAlpha particle_shape_alpha(int shape) {
  ParticleShapeAlpha alpha{};
  constexpr double kCentre = (kParticleShapeSize - 1) / 2.0;
  for (int y = 0; y < kParticleShapeSize; ++y) {
    for (int x = 0; x < kParticleShapeSize; ++x) {
      const double value = coverage(shape, x - kCentre, y - kCentre, x, y);
      alpha[std::size_t(y * kParticleShapeSize + x)] = std::uint8_t(std::lround(value * 255));
    }
  }
  return alpha;
}

}  // namespace kestrel
