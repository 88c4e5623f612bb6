#pragma once

#include <cstdint>
#include <vector>

#include "graphics/Graphics_Support.h"
#include "platform/render_device.h"

namespace kestrel {

class Graphics;

// Colour arithmetic on game colours (red in the low byte, blue in the high byte).
std::int64_t make_color_rgb(double red, double green, double blue);
std::int64_t make_color_hsv(double hue, double saturation, double value);
int color_get_red(std::int64_t colour);
int color_get_green(std::int64_t colour);
int color_get_blue(std::int64_t colour);
int color_get_hue(std::int64_t colour);
int color_get_saturation(std::int64_t colour);
int color_get_value(std::int64_t colour);
std::int64_t merge_color(std::int64_t first, std::int64_t second, double amount);

inline constexpr int kMaxPrimitiveVertices = 1001;

// What games set once and draw with until they change it: it persists across
// events, views and frames.
class DrawingState {
 public:
  DrawingState() { set_circle_precision(24); }

  // The colour and the alpha are kept as one vertex colour, so each reads
  // back as that holds it: the colour's low 24 bits, the alpha as a byte
  // (0.3 reads back as 76 / 255).
  void set_color(std::int64_t colour);
  std::int64_t color() const { return game_colour(argb_); }
  // Clamped to 0..1.
  void set_alpha(double alpha);
  double alpha() const { return static_cast<double>(argb_ >> 24) / 255.0; }
  // The drawing colour and alpha as one vertex colour.
  std::uint32_t vertex_argb() const { return argb_; }
  // Another colour with the drawing alpha.
  std::uint32_t vertex_argb(std::int64_t colour) const;

  int font = -1;  // -1: the built-in font
  // Values other than 0, 1 and 2 mean 0.
  void set_halign(int align) { halign_ = (align >= 0 && align <= 2) ? align : 0; }
  int halign() const { return halign_; }
  void set_valign(int align) { valign_ = (align >= 0 && align <= 2) ? align : 0; }
  int valign() const { return valign_; }

  // Sides of circles and ellipses: limited to 4..64, rounded down to a multiple of 4.
  void set_circle_precision(int sides);
  int circle_precision() const { return static_cast<int>(cosines_.size()) - 1; }
  // cos and sin of 2πk/n for k = 0..n.
  const std::vector<double>& cosines() const { return cosines_; }
  const std::vector<double>& sines() const { return sines_; }

  // The custom primitive being built.
  struct Primitive {
    int kind = 0;
    int texture = -1;
    std::vector<platform::Vertex> vertices;
  };
  Primitive primitive;

 private:
  std::uint32_t argb_ = kOpaque;  // black
  int halign_ = 0;
  int valign_ = 0;
  std::vector<double> cosines_;
  std::vector<double> sines_;
};

// Untextured shapes in the drawing colour, or in given colours with the
// drawing alpha, at the current depth.
void draw_clear(Graphics& graphics, std::int64_t colour, double alpha);
void draw_point(Graphics& graphics, double x, double y, std::uint32_t argb);
void draw_line(Graphics& graphics, double x1, double y1, double x2, double y2, std::uint32_t argb1,
               std::uint32_t argb2);
void draw_line_width(Graphics& graphics, double x1, double y1, double x2, double y2, double width,
                     std::uint32_t argb1, std::uint32_t argb2);
// Corner colours run top left, top right, bottom right, bottom left.
void draw_rectangle(Graphics& graphics, double x1, double y1, double x2, double y2,
                    const std::uint32_t (&argb)[4], bool outline);
void draw_triangle(Graphics& graphics, double x1, double y1, double x2, double y2, double x3,
                   double y3, const std::uint32_t (&argb)[3], bool outline);
void draw_ellipse(Graphics& graphics, const DrawingState& state, double x1, double y1, double x2,
                  double y2, std::uint32_t centre, std::uint32_t rim, bool outline);
void draw_circle(Graphics& graphics, const DrawingState& state, double x, double y, double radius,
                 std::uint32_t centre, std::uint32_t rim, bool outline);
void draw_roundrect(Graphics& graphics, const DrawingState& state, double x1, double y1, double x2,
                    double y2, std::uint32_t inside, std::uint32_t rim, bool outline);
void draw_arrow(Graphics& graphics, const DrawingState& state, double x1, double y1, double x2,
                double y2, double size);
void draw_button(Graphics& graphics, const DrawingState& state, double x1, double y1, double x2,
                 double y2, bool up);
// The bar's colour at no, half and full health; in between it is mixed.
struct HealthBarColours {
  std::int64_t low, middle, full;
};
void draw_healthbar(Graphics& graphics, const DrawingState& state, double x1, double y1, double x2,
                    double y2, double amount, std::int64_t back_colour, const HealthBarColours& bar,
                    int direction, bool show_back, bool show_border);

// Custom primitives: kind 1..6 is point list, line list, line strip, triangle
// list, triangle strip, triangle fan.
void primitive_begin(DrawingState& state, int kind, int texture);
void primitive_vertex(DrawingState& state, double x, double y, std::uint32_t argb, double u,
                      double v);
void primitive_end(Graphics& graphics, DrawingState& state);

}  // namespace kestrel
