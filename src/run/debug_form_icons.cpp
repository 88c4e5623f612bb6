#include "run/debug_form_icons.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace kestrel {
namespace {

constexpr std::uint32_t kGreen = 0x2E9E48;
constexpr std::uint32_t kBlue = 0x2850A0;
constexpr std::uint32_t kRed = 0xC83C3C;
constexpr std::uint32_t kYellow = 0xE0B040;
// Samples per pixel along each axis, for smooth edges.
constexpr int kSamples = 4;

struct Point {
  double x;
  double y;
};

// Whether a point of the picture, in pixels from its top left, is in a shape.
using Inside = std::function<bool(double, double)>;

struct Shape {
  Inside inside;
  std::uint32_t rgb;
};

Inside polygon(std::vector<Point> corners) {
  return [corners = std::move(corners)](double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
      const Point& a = corners[i];
      const Point& b = corners[j];
      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
  };
}

Inside box(double left, double top, double right, double bottom) {
  return polygon({{left, top}, {right, top}, {right, bottom}, {left, bottom}});
}

// A ring round the picture's centre, open between the two angles (degrees,
// counter-clockwise from the right, y pointing up).
Inside open_ring(double inner, double outer, double gap_from, double gap_to) {
  return [=](double x, double y) {
    const double dx = x - kDebugIconSize / 2.0;
    const double dy = kDebugIconSize / 2.0 - y;
    const double distance = std::hypot(dx, dy);
    double angle = std::atan2(dy, dx) * 180 / std::numbers::pi;
    if (angle < 0) angle += 360;
    return distance >= inner && distance <= outer && !(angle >= gap_from && angle <= gap_to);
  };
}

std::vector<Shape> shapes_of(DebugCommand command) {
  switch (command) {
    case DebugCommand::run:
      return {{polygon({{6, 3}, {17, 10}, {6, 17}}), kGreen}};
    case DebugCommand::pause:
      return {{box(5, 4, 9, 16), kBlue}, {box(11, 4, 15, 16), kBlue}};
    case DebugCommand::step:
      return {{polygon({{3, 4}, {12, 10}, {3, 16}}), kGreen}, {box(13, 4, 17, 16), kBlue}};
    case DebugCommand::restart:
      return {{open_ring(4, 7, 20, 80), kGreen}, {polygon({{10, 0.5}, {15, 5}, {10, 9}}), kGreen}};
    case DebugCommand::stop:
      return {{box(4, 4, 16, 16), kRed}};
    case DebugCommand::watch_add:
      return {{box(8, 3, 12, 17), kGreen}, {box(3, 8, 17, 12), kGreen}};
    case DebugCommand::watch_change:
      return {{polygon({{3, 17}, {4.5, 12}, {13, 3.5}, {16.5, 7}, {8, 15.5}}), kYellow},
              {polygon({{3, 17}, {3.8, 14.5}, {5.5, 16.2}}), kBlue}};
    case DebugCommand::watch_delete:
      return {{box(3, 8, 17, 12), kRed}};
    case DebugCommand::watch_clear:
      return {{polygon({{4, 6}, {6, 4}, {16, 14}, {14, 16}}), kRed},
              {polygon({{14, 4}, {16, 6}, {6, 16}, {4, 14}}), kRed}};
    case DebugCommand::watch_load:
      return {{polygon({{2, 5}, {8, 5}, {9.5, 7}, {17, 7}, {17, 16}, {2, 16}}), kYellow},
              {polygon({{5, 10}, {19, 10}, {17, 16}, {2, 16}}), kBlue}};
    default:
      return {};
  }
}

// The shape's colour, lighter at the top and darker at the foot as the
// dialog buttons are; its rim darker still.
std::uint32_t shaded(std::uint32_t rgb, int y, bool rim) {
  const int lift = rim ? -70 : 40 - y * 70 / kDebugIconSize;
  std::uint32_t colour = 0;
  for (int shift : {16, 8, 0}) {
    const int channel = std::clamp(static_cast<int>(rgb >> shift & 0xFF) + lift, 0, 255);
    colour |= static_cast<std::uint32_t>(channel) << shift;
  }
  return colour;
}

// An 0xRRGGBB colour of that opacity over an ARGB pixel that may itself be
// transparent.
std::uint32_t over(std::uint32_t below, std::uint32_t rgb, int alpha) {
  const int below_alpha = static_cast<int>(below >> 24) * (255 - alpha) / 255;
  const int alpha_out = alpha + below_alpha;
  if (alpha_out == 0) return 0;
  std::uint32_t mixed = static_cast<std::uint32_t>(alpha_out) << 24;
  for (int shift : {16, 8, 0}) {
    const int top = static_cast<int>(rgb >> shift & 0xFF);
    const int bottom = static_cast<int>(below >> shift & 0xFF);
    mixed |= static_cast<std::uint32_t>((top * alpha + bottom * below_alpha) / alpha_out) << shift;
  }
  return mixed;
}

void paint_shape(PixelCanvas& picture, const Shape& shape) {
  constexpr int kSize = kDebugIconSize;
  std::vector<int> coverage(kSize * kSize, 0);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          coverage[y * kSize + x] +=
              shape.inside(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples) ? 1 : 0;
        }
      }
    }
  }
  constexpr int kFull = kSamples * kSamples;
  const auto solid = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < kSize && y < kSize && coverage[y * kSize + x] * 2 >= kFull;
  };
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const int covered = coverage[y * kSize + x];
      if (covered == 0) continue;
      const bool rim = !solid(x - 1, y) || !solid(x + 1, y) || !solid(x, y - 1) || !solid(x, y + 1);
      std::uint32_t& pixel = picture.argb[static_cast<std::size_t>(y) * kSize + x];
      pixel = over(pixel, shaded(shape.rgb, y, rim), covered * 255 / kFull);
    }
  }
}

}  // namespace

PixelCanvas debug_tool_icon(DebugCommand command) {
  PixelCanvas picture{kDebugIconSize, kDebugIconSize, {}};
  picture.argb.assign(static_cast<std::size_t>(kDebugIconSize) * kDebugIconSize, 0);
  for (const Shape& shape : shapes_of(command)) paint_shape(picture, shape);
  return picture;
}

}  // namespace kestrel
