#include "graphics/Graphics_Draw.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Support.h"

namespace kestrel {
namespace {

using platform::Primitive;
using platform::Vertex;

int channel(std::int64_t colour, int shift) {
  return static_cast<int>((colour >> shift) & 0xFF);
}

int byte_of(double value) {
  return static_cast<int>(static_cast<std::int64_t>(std::nearbyint(value)) & 0xFF);
}

Vertex at(const Graphics& graphics, double x, double y, std::uint32_t argb) {
  return {static_cast<float>(x),
          static_cast<float>(y),
          static_cast<float>(graphics.depth()),
          argb,
          0.0f,
          0.0f};
}

void send(Graphics& graphics, Primitive primitive, std::span<const Vertex> vertices) {
  if (graphics.has_device()) {
    graphics.device()->draw(primitive, platform::kNoTexture, vertices);
  }
}

// A larger corner coordinate that is a whole number moves on by a hundredth,
// so that a shape from 0 to 10 covers pixels 0 to 10 inclusive.
struct OrderedBox {
  double left, top, right, bottom;
};

OrderedBox ordered_box(double x1, double y1, double x2, double y2) {
  OrderedBox box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  if (box.right == std::floor(box.right)) box.right += 0.01;
  if (box.bottom == std::floor(box.bottom)) box.bottom += 0.01;
  return box;
}

void fill_box(Graphics& graphics, double x1, double y1, double x2, double y2, std::uint32_t argb) {
  draw_rectangle(graphics, x1, y1, x2, y2, {argb, argb, argb, argb}, false);
}

}  // namespace

std::int64_t make_color_rgb(double red, double green, double blue) {
  return byte_of(red) | byte_of(green) << 8 | byte_of(blue) << 16;
}

std::int64_t make_color_hsv(double hue, double saturation, double value) {
  double h = byte_of(hue) * 360.0 / 255.0;
  if (h == 360.0) h = 0.0;
  const double s = byte_of(saturation) / 255.0;
  const double v = byte_of(value) / 255.0;
  double r = v;
  double g = v;
  double b = v;
  if (s != 0.0) {
    const int sector = static_cast<int>(std::trunc(h / 60.0));
    const double f = h / 60.0 - sector;
    const double p = v * (1 - s);
    const double q = v * (1 - s * f);
    const double t = v * (1 - s * (1 - f));
    switch (sector) {
      case 0:
        r = v, g = t, b = p;
        break;
      case 1:
        r = q, g = v, b = p;
        break;
      case 2:
        r = p, g = v, b = t;
        break;
      case 3:
        r = p, g = q, b = v;
        break;
      case 4:
        r = t, g = p, b = v;
        break;
      default:
        r = v, g = p, b = q;
        break;
    }
  }
  const auto to_byte = [](double x) { return static_cast<std::int64_t>(std::trunc(255 * x)); };
  return to_byte(r) | to_byte(g) << 8 | to_byte(b) << 16;
}

int color_get_red(std::int64_t colour) {
  return channel(colour, 0);
}
int color_get_green(std::int64_t colour) {
  return channel(colour, 8);
}
int color_get_blue(std::int64_t colour) {
  return channel(colour, 16);
}

namespace {

struct Hsv {
  int hue, saturation, value;
};

Hsv to_hsv(std::int64_t colour) {
  const double r = channel(colour, 0) / 255.0;
  const double g = channel(colour, 8) / 255.0;
  const double b = channel(colour, 16) / 255.0;
  const double high = std::max({r, g, b});
  const double low = std::min({r, g, b});
  const double d = high - low;
  const int value = static_cast<int>(std::trunc(255 * high));
  const int saturation = high == 0 ? 0 : static_cast<int>(std::trunc(255 * d / high));
  double hue = 0;
  if (saturation != 0) {
    if (r == high)
      hue = 60 * (g - b) / d;
    else if (g == high)
      hue = 60 * (b - r) / d + 120;
    else
      hue = 60 * (r - g) / d + 240;
    if (hue < 0) hue += 360;
  }
  return {static_cast<int>(std::trunc(255 * hue / 360)), saturation, value};
}

}  // namespace

int color_get_hue(std::int64_t colour) {
  return to_hsv(colour).hue;
}
int color_get_saturation(std::int64_t colour) {
  return to_hsv(colour).saturation;
}
int color_get_value(std::int64_t colour) {
  return to_hsv(colour).value;
}

std::int64_t merge_color(std::int64_t first, std::int64_t second, double amount) {
  std::int64_t merged = 0;
  for (int shift : {0, 8, 16}) {
    const double mix = (1 - amount) * channel(first, shift) + amount * channel(second, shift);
    merged |= std::int64_t{byte_of(mix)} << shift;
  }
  return merged;
}

void DrawingState::set_color(std::int64_t colour) {
  argb_ = vertex_argb(colour);
}

void DrawingState::set_alpha(double alpha) {
  argb_ = (argb_ & kColourBits) | (vertex_colour(0, alpha) & kAlphaBits);
}

std::uint32_t DrawingState::vertex_argb(std::int64_t colour) const {
  return (argb_ & kAlphaBits) | (vertex_colour(colour, 0) & kColourBits);
}

void DrawingState::set_circle_precision(int sides) {
  sides = std::clamp(sides, 4, 64) / 4 * 4;
  cosines_.resize(static_cast<std::size_t>(sides) + 1);
  sines_.resize(static_cast<std::size_t>(sides) + 1);
  for (int k = 0; k <= sides; ++k) {
    const double angle = 2 * std::numbers::pi * k / sides;
    cosines_[static_cast<std::size_t>(k)] = std::cos(angle);
    sines_[static_cast<std::size_t>(k)] = std::sin(angle);
  }
}

void draw_clear(Graphics& graphics, std::int64_t colour, double alpha) {
  if (graphics.has_device()) graphics.device()->clear(vertex_colour(colour, alpha));
}

void draw_point(Graphics& graphics, double x, double y, std::uint32_t argb) {
  const Vertex point[] = {at(graphics, x, y, argb)};
  send(graphics, Primitive::PointList, point);
}

void draw_line(Graphics& graphics, double x1, double y1, double x2, double y2, std::uint32_t argb1,
               std::uint32_t argb2) {
  const Vertex line[] = {at(graphics, x1, y1, argb1), at(graphics, x2, y2, argb2)};
  send(graphics, Primitive::LineList, line);
}

void draw_line_width(Graphics& graphics, double x1, double y1, double x2, double y2, double width,
                     std::uint32_t argb1, std::uint32_t argb2) {
  const double length = std::hypot(x2 - x1, y2 - y1);
  if (length == 0) return;
  // Half the width along the line's normal.
  const double nx = -(y2 - y1) / length * width / 2;
  const double ny = (x2 - x1) / length * width / 2;
  const Vertex quad[] = {
      at(graphics, x1 + nx, y1 + ny, argb1), at(graphics, x2 + nx, y2 + ny, argb2),
      at(graphics, x2 - nx, y2 - ny, argb2), at(graphics, x1 - nx, y1 - ny, argb1)};
  send(graphics, Primitive::TriangleFan, quad);
}

void draw_rectangle(Graphics& graphics, double x1, double y1, double x2, double y2,
                    const std::uint32_t (&argb)[4], bool outline) {
  const OrderedBox box = ordered_box(x1, y1, x2, y2);
  const Vertex corners[] = {
      at(graphics, box.left, box.top, argb[0]), at(graphics, box.right, box.top, argb[1]),
      at(graphics, box.right, box.bottom, argb[2]), at(graphics, box.left, box.bottom, argb[3]),
      at(graphics, box.left, box.top, argb[0])};
  if (outline)
    send(graphics, Primitive::LineStrip, corners);
  else
    send(graphics, Primitive::TriangleFan, std::span(corners, 4));
}

void draw_triangle(Graphics& graphics, double x1, double y1, double x2, double y2, double x3,
                   double y3, const std::uint32_t (&argb)[3], bool outline) {
  const Vertex corners[] = {at(graphics, x1, y1, argb[0]), at(graphics, x2, y2, argb[1]),
                            at(graphics, x3, y3, argb[2]), at(graphics, x1, y1, argb[0])};
  if (outline)
    send(graphics, Primitive::LineStrip, corners);
  else
    send(graphics, Primitive::TriangleList, std::span(corners, 3));
}

namespace {

// A closed rim with a centre: a fan when filled, a closed strip when outlined.
void send_rim(Graphics& graphics, double cx, double cy, std::vector<Vertex>& rim,
              std::uint32_t centre, bool outline) {
  if (outline) {
    send(graphics, Primitive::LineStrip, rim);
    return;
  }
  rim.insert(rim.begin(), at(graphics, cx, cy, centre));
  send(graphics, Primitive::TriangleFan, rim);
}

}  // namespace

void draw_ellipse(Graphics& graphics, const DrawingState& state, double x1, double y1, double x2,
                  double y2, std::uint32_t centre, std::uint32_t rim, bool outline) {
  const double cx = (x1 + x2) / 2;
  const double cy = (y1 + y2) / 2;
  const double rx = std::abs(x1 - x2) / 2;
  const double ry = std::abs(y1 - y2) / 2;
  std::vector<Vertex> points;
  for (std::size_t k = 0; k < state.cosines().size(); ++k) {
    points.push_back(at(graphics, cx + rx * state.cosines()[k], cy + ry * state.sines()[k], rim));
  }
  send_rim(graphics, cx, cy, points, centre, outline);
}

void draw_circle(Graphics& graphics, const DrawingState& state, double x, double y, double radius,
                 std::uint32_t centre, std::uint32_t rim, bool outline) {
  draw_ellipse(graphics, state, x - radius, y - radius, x + radius, y + radius, centre, rim,
               outline);
}

void draw_roundrect(Graphics& graphics, const DrawingState& state, double x1, double y1, double x2,
                    double y2, std::uint32_t inside, std::uint32_t rim, bool outline) {
  const OrderedBox box = ordered_box(x1, y1, x2, y2);
  const double rx = std::min(5.0, (box.right - box.left) / 2);
  const double ry = std::min(5.0, (box.bottom - box.top) / 2);
  // Corner centres in the order the rim turns: right-bottom, left-bottom, left-top, right-top,
  // matching angles that grow from 0 with y pointing down.
  const double centres[4][2] = {{box.right - rx, box.bottom - ry},
                                {box.left + rx, box.bottom - ry},
                                {box.left + rx, box.top + ry},
                                {box.right - rx, box.top + ry}};
  const int quarter = state.circle_precision() / 4;
  std::vector<Vertex> points;
  for (int corner = 0; corner < 4; ++corner) {
    for (int k = corner * quarter; k <= (corner + 1) * quarter; ++k) {
      const auto i = static_cast<std::size_t>(k);
      points.push_back(at(graphics, centres[corner][0] + rx * state.cosines()[i],
                          centres[corner][1] + ry * state.sines()[i], rim));
    }
  }
  points.push_back(points.front());
  send_rim(graphics, (box.left + box.right) / 2, (box.top + box.bottom) / 2, points, inside,
           outline);
}

void draw_arrow(Graphics& graphics, const DrawingState& state, double x1, double y1, double x2,
                double y2, double size) {
  const double length = std::hypot(x2 - x1, y2 - y1);
  if (length == 0) return;
  const std::uint32_t argb = state.vertex_argb();
  draw_line(graphics, x1, y1, x2, y2, argb, argb);
  const double head = std::min(size, length);
  const double dx = (x2 - x1) / length;
  const double dy = (y2 - y1) / length;
  const double base_x = x2 - dx * head;
  const double base_y = y2 - dy * head;
  const double half = head / 2;
  draw_triangle(graphics, x2, y2, base_x - dy * half, base_y + dx * half, base_x + dy * half,
                base_y - dx * half, {argb, argb, argb}, false);
}

void draw_button(Graphics& graphics, const DrawingState& state, double x1, double y1, double x2,
                 double y2, bool up) {
  const std::uint32_t light = state.vertex_argb(0xFFFFFF);
  const std::uint32_t dark = state.vertex_argb(0x808080);
  const std::uint32_t upper = up ? light : dark;
  const std::uint32_t lower = up ? dark : light;
  draw_triangle(graphics, x1, y1, x2, y1, x1, y2, {upper, upper, upper}, false);
  draw_triangle(graphics, x2, y1, x2, y2, x1, y2, {lower, lower, lower}, false);
  fill_box(graphics, x1 + 2, y1 + 2, x2 - 2, y2 - 2, state.vertex_argb());
}

void draw_healthbar(Graphics& graphics, const DrawingState& state, double x1, double y1, double x2,
                    double y2, double amount, std::int64_t back_colour, const HealthBarColours& bar,
                    int direction, bool show_back, bool show_border) {
  amount = std::clamp(amount, 0.0, 100.0);
  const std::uint32_t black = state.vertex_argb(0);
  if (show_back) {
    fill_box(graphics, x1, y1, x2, y2, state.vertex_argb(back_colour));
    if (show_border) draw_rectangle(graphics, x1, y1, x2, y2, {black, black, black, black}, true);
  }
  const double fraction = amount / 100;
  double left = x1, top = y1, right = x2, bottom = y2;
  switch (direction) {
    case 1:
      left = x2 - (x2 - x1) * fraction;
      break;
    case 2:
      bottom = y1 + (y2 - y1) * fraction;
      break;
    case 3:
      top = y2 - (y2 - y1) * fraction;
      break;
    default:
      right = x1 + (x2 - x1) * fraction;
      break;
  }
  const std::int64_t colour = amount < 50 ? merge_color(bar.low, bar.middle, amount / 50)
                                          : merge_color(bar.middle, bar.full, (amount - 50) / 50);
  fill_box(graphics, left, top, right, bottom, state.vertex_argb(colour));
  if (show_border) {
    draw_rectangle(graphics, left, top, right, bottom, {black, black, black, black}, true);
  }
}

void primitive_begin(DrawingState& state, int kind, int texture) {
  state.primitive.kind = kind;
  state.primitive.texture = texture;
  state.primitive.vertices.clear();
}

void primitive_vertex(DrawingState& state, double x, double y, std::uint32_t argb, double u,
                      double v) {
  if (state.primitive.vertices.size() >= kMaxPrimitiveVertices) return;
  state.primitive.vertices.push_back({static_cast<float>(x), static_cast<float>(y), 0.0f, argb,
                                      static_cast<float>(u), static_cast<float>(v)});
}

void primitive_end(Graphics& graphics, DrawingState& state) {
  static constexpr Primitive kKinds[] = {Primitive::PointList,     Primitive::LineList,
                                         Primitive::LineStrip,     Primitive::TriangleList,
                                         Primitive::TriangleStrip, Primitive::TriangleFan};
  const int kind = state.primitive.kind;
  if (kind < 1 || kind > 6 || !graphics.has_device()) return;
  const TextureEntry* texture = graphics.textures().find(state.primitive.texture);
  for (Vertex& vertex : state.primitive.vertices) vertex.z = static_cast<float>(graphics.depth());
  graphics.device()->draw(kKinds[kind - 1],
                          texture != nullptr ? texture->device_texture : platform::kNoTexture,
                          state.primitive.vertices);
}

}  // namespace kestrel
