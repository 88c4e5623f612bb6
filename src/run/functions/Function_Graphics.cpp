#include <cmath>
#include <numbers>

#include "data/Runner_Load.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Support.h"
#include "graphics/Graphics_Text.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/functions/image_drawing.h"
#include "run/run_fonts.h"
#include "script/Code_Error.h"
#include "script/Function_Math.h"

namespace kestrel {
namespace {

using Args = const RValue*;

double radians(double degrees) {
  return degrees * std::numbers::pi / 180.0;
}
std::int64_t colour(const RValue& value) {
  return round_to_int64(value.real());
}
int whole(const RValue& value) {
  return round_to_int32(value.real());
}

Graphics& graphics_of(ScriptEngine& engine) {
  return runner_of(engine).graphics;
}
DrawingState& state_of(ScriptEngine& engine) {
  return runner_of(engine).drawing;
}

// The texture of a sprite's subimage; a negative subimage means the calling
// instance's current image. Reports a missing sprite with `missing`.
int sprite_texture(ScriptEngine& engine, ScriptInstance& self, const RValue& sprite_value,
                   const RValue& subimage_value, const char* missing, const CSprite** sprite) {
  Runner& runner = runner_of(engine);
  const std::int32_t index = whole(sprite_value);
  *sprite = runner.game.sprites.get(index);
  if (*sprite == nullptr) {
    report_action_error(engine, missing, false);
    return -1;
  }
  const auto frames = static_cast<std::int64_t>((*sprite)->images.size());
  if (frames < 1) return -1;
  std::int64_t frame = subimage_value.real() < 0
                           ? static_cast<std::int64_t>(std::floor(instance_of(self).image_index))
                           : round_to_int64(subimage_value.real());
  frame %= frames;
  if (frame < 0) frame += frames;
  return runner.sprite_texture(index, static_cast<int>(frame));
}

int background_texture(ScriptEngine& engine, const RValue& background, const char* missing,
                       const CBackground** found) {
  Runner& runner = runner_of(engine);
  *found = runner.game.backgrounds.get(whole(background));
  if (*found == nullptr) {
    report_action_error(engine, missing, false);
    return -1;
  }
  return runner.background_texture(whole(background));
}

constexpr const char* kNoSprite = "Trying to draw non-existing sprite.";
constexpr const char* kNoBackground = "Trying to draw non-existing background.";
constexpr const char* kNoPath = "Trying to drawn non-existing path.";

// Drawing state.
void draw_set_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  state_of(e).set_color(colour(a[0]));
}
void draw_set_alpha(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  state_of(e).set_alpha(a[0].real());
}
void draw_get_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args) {
  r.set_real(static_cast<double>(state_of(e).color()));
}
void draw_get_alpha(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args) {
  r.set_real(state_of(e).alpha());
}
void draw_set_circle_precision(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                               Args a) {
  state_of(e).set_circle_precision(whole(a[0]));
}
void draw_set_halign(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  state_of(e).set_halign(whole(a[0]));
}
void draw_set_valign(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  state_of(e).set_valign(whole(a[0]));
}
void draw_set_blend_mode(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  graphics_of(e).set_blend_mode(whole(a[0]));
}
void draw_set_blend_mode_ext(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                             Args a) {
  graphics_of(e).set_blend_mode_ext(whole(a[0]), whole(a[1]));
}

// Text in the current font; reals are drawn as string() writes them.
std::string text_of(const RValue& value) {
  return value.is_string() ? value.str() : real_to_text(value.real());
}

void draw_set_font(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  state_of(e).font = whole(a[0]);
}

// (x, y, string), then (sep, w) for _ext, (xscale, yscale, angle) for
// _transformed and (c1, c2, c3, c4, alpha) for _color.
template <bool extended, bool transformed, bool coloured>
void draw_text_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const DrawingState& state = state_of(e);
  TextPlacement placement{a[0].real(), a[1].real(), state.halign(), state.valign()};
  Args rest = a + 3;
  if constexpr (extended) {
    placement.separation = whole(rest[0]);
    placement.wrap_width = rest[1].real();
    rest += 2;
  }
  if constexpr (transformed) {
    placement.transformed = true;
    placement.xscale = rest[0].real();
    placement.yscale = rest[1].real();
    placement.angle = rest[2].real();
    rest += 3;
  }
  TextColours colours{state.color(), state.color(), state.color(), state.color(), state.alpha()};
  if constexpr (coloured) {
    colours = {colour(rest[0]), colour(rest[1]), colour(rest[2]),
               colour(rest[3]), rest[4].real(),  true};
  }
  Runner& runner = runner_of(e);
  draw_text(runner.graphics, current_text_font(runner), text_of(a[2]), placement, colours);
}

// string_width and string_height, with (sep, w) for the _ext forms.
template <bool extended>
void string_width_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const TextFont font = current_text_font(runner_of(e));
  const double wrap = extended ? a[2].real() : -1;
  r.set_real(text_width(text_lines(text_of(a[0]), wrap, font.advances), font.advances));
}
template <bool extended>
void string_height_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const TextFont font = current_text_font(runner_of(e));
  const double wrap = extended ? a[2].real() : -1;
  const int separation = extended ? whole(a[1]) : -1;
  r.set_real(text_height(text_lines(text_of(a[0]), wrap, font.advances).size(), separation,
                         font.line_height));
}

// Colours.
void make_color_rgb_fn(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(static_cast<double>(make_color_rgb(a[0].real(), a[1].real(), a[2].real())));
}
void make_color_hsv_fn(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(static_cast<double>(make_color_hsv(a[0].real(), a[1].real(), a[2].real())));
}
template <int (*part)(std::int64_t)>
void color_part(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(part(colour(a[0])));
}
void merge_color_fn(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(static_cast<double>(merge_color(colour(a[0]), colour(a[1]), a[2].real())));
}

// Shapes in the drawing colour.
void draw_clear_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  draw_clear(graphics_of(e), colour(a[0]), 1);
}
void draw_clear_alpha(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  draw_clear(graphics_of(e), colour(a[0]), a[1].real());
}
void draw_point_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  draw_point(graphics_of(e), a[0].real(), a[1].real(), state_of(e).vertex_argb());
}
void draw_line_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const std::uint32_t c = state_of(e).vertex_argb();
  draw_line(graphics_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(), c, c);
}
void draw_line_width_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const std::uint32_t c = state_of(e).vertex_argb();
  draw_line_width(graphics_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(), a[4].real(),
                  c, c);
}
void draw_rectangle_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const std::uint32_t c = state_of(e).vertex_argb();
  draw_rectangle(graphics_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(), {c, c, c, c},
                 is_true(a[4]));
}
void draw_triangle_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const std::uint32_t c = state_of(e).vertex_argb();
  draw_triangle(graphics_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(), a[4].real(),
                a[5].real(), {c, c, c}, is_true(a[6]));
}
void draw_circle_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const std::uint32_t c = state_of(e).vertex_argb();
  draw_circle(graphics_of(e), state_of(e), a[0].real(), a[1].real(), a[2].real(), c, c,
              is_true(a[3]));
}
void draw_ellipse_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const std::uint32_t c = state_of(e).vertex_argb();
  draw_ellipse(graphics_of(e), state_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(), c,
               c, is_true(a[4]));
}
void draw_roundrect_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const std::uint32_t c = state_of(e).vertex_argb();
  draw_roundrect(graphics_of(e), state_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(), c,
                 c, is_true(a[4]));
}
void draw_arrow_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  draw_arrow(graphics_of(e), state_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(),
             a[4].real());
}
void draw_button_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  draw_button(graphics_of(e), state_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(),
              is_true(a[4]));
}
void draw_healthbar_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const std::int64_t low = colour(a[6]), full = colour(a[7]);
  draw_healthbar(graphics_of(e), state_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(),
                 a[4].real(), colour(a[5]), {low, merge_color(low, full, 0.5), full}, whole(a[8]),
                 is_true(a[9]), is_true(a[10]));
}
// The computed curve as connected lines, moved so that it starts at (x, y)
// unless absolute.
void draw_path_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const CPath* path = runner_of(e).paths.get(whole(a[0]));
  if (path == nullptr) {
    report_action_error(e, kNoPath, false);
    return;
  }
  if (path->computed.empty()) return;
  const bool absolute = is_true(a[3]);
  const double dx = absolute ? 0 : a[1].real() - path->computed.front().x;
  const double dy = absolute ? 0 : a[2].real() - path->computed.front().y;
  const std::uint32_t c = state_of(e).vertex_argb();
  for (std::size_t i = 1; i < path->computed.size(); ++i) {
    const ComputedPathPoint& from = path->computed[i - 1];
    const ComputedPathPoint& to = path->computed[i];
    draw_line(graphics_of(e), from.x + dx, from.y + dy, to.x + dx, to.y + dy, c, c);
  }
}

// Shapes in given colours, with the drawing alpha.
void draw_point_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  draw_point(graphics_of(e), a[0].real(), a[1].real(), state_of(e).vertex_argb(colour(a[2])));
}
void draw_line_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const DrawingState& s = state_of(e);
  draw_line(graphics_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(),
            s.vertex_argb(colour(a[4])), s.vertex_argb(colour(a[5])));
}
void draw_line_width_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args a) {
  const DrawingState& s = state_of(e);
  draw_line_width(graphics_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(), a[4].real(),
                  s.vertex_argb(colour(a[5])), s.vertex_argb(colour(a[6])));
}
void draw_rectangle_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const DrawingState& s = state_of(e);
  draw_rectangle(graphics_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(),
                 {s.vertex_argb(colour(a[4])), s.vertex_argb(colour(a[5])),
                  s.vertex_argb(colour(a[6])), s.vertex_argb(colour(a[7]))},
                 is_true(a[8]));
}
void draw_triangle_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const DrawingState& s = state_of(e);
  draw_triangle(
      graphics_of(e), a[0].real(), a[1].real(), a[2].real(), a[3].real(), a[4].real(), a[5].real(),
      {s.vertex_argb(colour(a[6])), s.vertex_argb(colour(a[7])), s.vertex_argb(colour(a[8]))},
      is_true(a[9]));
}
void draw_circle_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const DrawingState& s = state_of(e);
  draw_circle(graphics_of(e), s, a[0].real(), a[1].real(), a[2].real(), s.vertex_argb(colour(a[3])),
              s.vertex_argb(colour(a[4])), is_true(a[5]));
}
void draw_ellipse_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const DrawingState& s = state_of(e);
  draw_ellipse(graphics_of(e), s, a[0].real(), a[1].real(), a[2].real(), a[3].real(),
               s.vertex_argb(colour(a[4])), s.vertex_argb(colour(a[5])), is_true(a[6]));
}
void draw_roundrect_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const DrawingState& s = state_of(e);
  draw_roundrect(graphics_of(e), s, a[0].real(), a[1].real(), a[2].real(), a[3].real(),
                 s.vertex_argb(colour(a[4])), s.vertex_argb(colour(a[5])), is_true(a[6]));
}

// Custom primitives.
void draw_primitive_begin(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  primitive_begin(state_of(e), whole(a[0]), -1);
}
void draw_primitive_begin_texture(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                                  Args a) {
  primitive_begin(state_of(e), whole(a[0]), whole(a[1]));
}
void draw_primitive_end(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  primitive_end(graphics_of(e), state_of(e));
}
void draw_vertex(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  primitive_vertex(state_of(e), a[0].real(), a[1].real(), state_of(e).vertex_argb(), 0, 0);
}
void draw_vertex_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  primitive_vertex(state_of(e), a[0].real(), a[1].real(), vertex_colour(colour(a[2]), a[3].real()),
                   0, 0);
}
void draw_vertex_texture(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  primitive_vertex(state_of(e), a[0].real(), a[1].real(), state_of(e).vertex_argb(), a[2].real(),
                   a[3].real());
}
void draw_vertex_texture_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                               Args a) {
  primitive_vertex(state_of(e), a[0].real(), a[1].real(), vertex_colour(colour(a[4]), a[5].real()),
                   a[2].real(), a[3].real());
}

// Sprites: (sprite, subimage, x, y, ...).
void draw_sprite(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&, Args a) {
  const CSprite* sprite = nullptr;
  const int texture = sprite_texture(e, self, a[0], a[1], kNoSprite, &sprite);
  if (texture < 0) return;
  draw_texture(graphics_of(e), texture, a[2].real() - sprite->xorig, a[3].real() - sprite->yorig);
}
void draw_sprite_ext(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&, Args a) {
  const CSprite* sprite = nullptr;
  const int texture = sprite_texture(e, self, a[0], a[1], kNoSprite, &sprite);
  if (texture < 0) return;
  draw_texture_ext(graphics_of(e), texture, a[2].real(), a[3].real(), sprite->xorig, sprite->yorig,
                   a[4].real(), a[5].real(), radians(a[6].real()), colour(a[7]), a[8].real());
}
// _stretched with an optional colour and alpha at `extra`.
template <bool coloured>
void draw_sprite_stretched(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                           Args a) {
  const CSprite* sprite = nullptr;
  const int texture = sprite_texture(e, self, a[0], a[1], kNoSprite, &sprite);
  if (texture < 0) return;
  draw_texture_ext(graphics_of(e), texture, a[2].real(), a[3].real(), 0, 0,
                   a[4].real() / sprite->width(), a[5].real() / sprite->height(), 0,
                   coloured ? colour(a[6]) : 0xFFFFFF, coloured ? a[7].real() : 1);
}
template <bool extended>
void draw_sprite_part(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                      Args a) {
  const CSprite* sprite = nullptr;
  const int texture = sprite_texture(e, self, a[0], a[1], kNoSprite, &sprite);
  if (texture < 0) return;
  draw_texture_part(graphics_of(e), texture, a[2].real(), a[3].real(), a[4].real(), a[5].real(),
                    a[6].real(), a[7].real(), extended ? a[8].real() : 1,
                    extended ? a[9].real() : 1, extended ? colour(a[10]) : 0xFFFFFF,
                    extended ? a[11].real() : 1);
}
void draw_sprite_general(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                         Args a) {
  const CSprite* sprite = nullptr;
  const int texture = sprite_texture(e, self, a[0], a[1], kNoSprite, &sprite);
  if (texture < 0) return;
  const std::int64_t corners[4] = {colour(a[11]), colour(a[12]), colour(a[13]), colour(a[14])};
  draw_texture_general(graphics_of(e), texture, a[2].real(), a[3].real(), a[4].real(), a[5].real(),
                       a[6].real(), a[7].real(), a[8].real(), a[9].real(), radians(a[10].real()),
                       corners, a[15].real());
}
template <bool extended>
void draw_sprite_tiled(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&,
                       Args a) {
  const CSprite* sprite = nullptr;
  const int texture = sprite_texture(e, self, a[0], a[1], kNoSprite, &sprite);
  if (texture < 0) return;
  const CRoom& room = runner_of(e).room->settings;
  const double xscale = extended ? a[4].real() : 1;
  const double yscale = extended ? a[5].real() : 1;
  draw_texture_tiled(graphics_of(e), texture, a[2].real() - sprite->xorig * xscale,
                     a[3].real() - sprite->yorig * yscale, xscale, yscale,
                     extended ? colour(a[6]) : 0xFFFFFF, extended ? a[7].real() : 1, true, true,
                     {0, 0, double(room.width), double(room.height)});
}

// Backgrounds: the sprite calls without the subimage, with origin (0, 0).
image_drawing::Image drawn_background(ScriptEngine& e, const RValue& id) {
  const CBackground* background = nullptr;
  const int texture = background_texture(e, id, kNoBackground, &background);
  if (texture < 0) return {};
  return {texture, background->width(), background->height()};
}

// Textures and the screen.
void sprite_get_texture(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue& r,
                        Args a) {
  const CSprite* sprite = nullptr;
  r.set_real(sprite_texture(e, self, a[0], a[1], "Trying to get texture from non-existing sprite.",
                            &sprite));
}
void background_get_texture(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                            Args a) {
  const CBackground* background = nullptr;
  r.set_real(background_texture(e, a[0], "Trying to get texture from non-existing background.",
                                &background));
}
void texture_exists(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(graphics_of(e).textures().exists(whole(a[0])) ? 1 : 0);
}
void texture_get_width(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(graphics_of(e).textures().used_width(whole(a[0])));
}
void texture_get_height(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(graphics_of(e).textures().used_height(whole(a[0])));
}
// A texture is on the device from the moment it is filled, and the device
// itself decides which textures stay resident: preloading one and giving it a
// priority leave nothing to do.
void texture_residency_hint(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {}
void texture_set_interpolation(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                               Args a) {
  graphics_of(e).set_texture_interpolation(is_true(a[0]));
}
void texture_set_blending(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  graphics_of(e).set_texture_blending(is_true(a[0]));
}
void texture_set_repeat(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  graphics_of(e).set_texture_repeat(is_true(a[0]));
}
void draw_getpixel(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(static_cast<double>(graphics_of(e).pixel(whole(a[0]), whole(a[1]))));
}

}  // namespace

void register_graphics_functions(FunctionRegistry& functions) {
  const struct {
    const char* name;
    BuiltinFunction handler;
    int count;
  } kFunctions[] = {
      {"draw_set_color", &draw_set_color, 1},
      {"draw_set_alpha", &draw_set_alpha, 1},
      {"draw_get_color", &draw_get_color, 0},
      {"draw_get_alpha", &draw_get_alpha, 0},
      {"draw_set_circle_precision", &draw_set_circle_precision, 1},
      {"draw_set_halign", &draw_set_halign, 1},
      {"draw_set_valign", &draw_set_valign, 1},
      {"draw_set_font", &draw_set_font, 1},
      {"draw_set_blend_mode", &draw_set_blend_mode, 1},
      {"draw_set_blend_mode_ext", &draw_set_blend_mode_ext, 2},
      {"make_color", &make_color_rgb_fn, 3},
      {"make_color_rgb", &make_color_rgb_fn, 3},
      {"make_color_hsv", &make_color_hsv_fn, 3},
      {"color_get_red", &color_part<&color_get_red>, 1},
      {"color_get_green", &color_part<&color_get_green>, 1},
      {"color_get_blue", &color_part<&color_get_blue>, 1},
      {"color_get_hue", &color_part<&color_get_hue>, 1},
      {"color_get_saturation", &color_part<&color_get_saturation>, 1},
      {"color_get_value", &color_part<&color_get_value>, 1},
      {"merge_color", &merge_color_fn, 3},
      {"draw_clear", &draw_clear_fn, 1},
      {"draw_clear_alpha", &draw_clear_alpha, 2},
      {"draw_point", &draw_point_fn, 2},
      {"draw_line", &draw_line_fn, 4},
      {"draw_line_width", &draw_line_width_fn, 5},
      {"draw_rectangle", &draw_rectangle_fn, 5},
      {"draw_roundrect", &draw_roundrect_fn, 5},
      {"draw_triangle", &draw_triangle_fn, 7},
      {"draw_circle", &draw_circle_fn, 4},
      {"draw_ellipse", &draw_ellipse_fn, 5},
      {"draw_arrow", &draw_arrow_fn, 5},
      {"draw_button", &draw_button_fn, 5},
      {"draw_healthbar", &draw_healthbar_fn, 11},
      {"draw_path", &draw_path_fn, 4},
      {"draw_point_color", &draw_point_color, 3},
      {"draw_line_color", &draw_line_color, 6},
      {"draw_line_width_color", &draw_line_width_color, 7},
      {"draw_rectangle_color", &draw_rectangle_color, 9},
      {"draw_roundrect_color", &draw_roundrect_color, 7},
      {"draw_triangle_color", &draw_triangle_color, 10},
      {"draw_circle_color", &draw_circle_color, 6},
      {"draw_ellipse_color", &draw_ellipse_color, 7},
      {"draw_primitive_begin", &draw_primitive_begin, 1},
      {"draw_primitive_begin_texture", &draw_primitive_begin_texture, 2},
      {"draw_primitive_end", &draw_primitive_end, 0},
      {"draw_vertex", &draw_vertex, 2},
      {"draw_vertex_color", &draw_vertex_color, 4},
      {"draw_vertex_texture", &draw_vertex_texture, 4},
      {"draw_vertex_texture_color", &draw_vertex_texture_color, 6},
      {"sprite_get_texture", &sprite_get_texture, 2},
      {"background_get_texture", &background_get_texture, 1},
      {"draw_sprite", &draw_sprite, 4},
      {"draw_sprite_ext", &draw_sprite_ext, 9},
      {"draw_sprite_stretched", &draw_sprite_stretched<false>, 6},
      {"draw_sprite_stretched_ext", &draw_sprite_stretched<true>, 8},
      {"draw_sprite_part", &draw_sprite_part<false>, 8},
      {"draw_sprite_part_ext", &draw_sprite_part<true>, 12},
      {"draw_sprite_general", &draw_sprite_general, 16},
      {"draw_sprite_tiled", &draw_sprite_tiled<false>, 4},
      {"draw_sprite_tiled_ext", &draw_sprite_tiled<true>, 8},
      {"draw_background", &image_drawing::draw<&drawn_background>, 3},
      {"draw_background_ext", &image_drawing::draw_ext<&drawn_background>, 8},
      {"draw_background_stretched", &image_drawing::draw_stretched<&drawn_background, false>, 5},
      {"draw_background_stretched_ext", &image_drawing::draw_stretched<&drawn_background, true>, 7},
      {"draw_background_part", &image_drawing::draw_part<&drawn_background, false>, 7},
      {"draw_background_part_ext", &image_drawing::draw_part<&drawn_background, true>, 11},
      {"draw_background_general", &image_drawing::draw_general<&drawn_background>, 15},
      {"draw_background_tiled", &image_drawing::draw_tiled<&drawn_background, false>, 3},
      {"draw_background_tiled_ext", &image_drawing::draw_tiled<&drawn_background, true>, 7},
      {"string_width", &string_width_fn<false>, 1},
      {"string_height", &string_height_fn<false>, 1},
      {"string_width_ext", &string_width_fn<true>, 3},
      {"string_height_ext", &string_height_fn<true>, 3},
      {"draw_text", &draw_text_fn<false, false, false>, 3},
      {"draw_text_ext", &draw_text_fn<true, false, false>, 5},
      {"draw_text_transformed", &draw_text_fn<false, true, false>, 6},
      {"draw_text_ext_transformed", &draw_text_fn<true, true, false>, 8},
      {"draw_text_color", &draw_text_fn<false, false, true>, 8},
      {"draw_text_transformed_color", &draw_text_fn<false, true, true>, 11},
      {"draw_text_ext_color", &draw_text_fn<true, false, true>, 10},
      {"draw_text_ext_transformed_color", &draw_text_fn<true, true, true>, 13},
      {"texture_exists", &texture_exists, 1},
      {"texture_get_width", &texture_get_width, 1},
      {"texture_get_height", &texture_get_height, 1},
      {"texture_preload", &texture_residency_hint, 1},
      {"texture_set_priority", &texture_residency_hint, 2},
      {"texture_set_interpolation", &texture_set_interpolation, 1},
      {"texture_set_blending", &texture_set_blending, 1},
      {"texture_set_repeat", &texture_set_repeat, 1},
      {"draw_getpixel", &draw_getpixel, 2},
  };
  for (const auto& function : kFunctions) {
    functions.add(function.name, function.handler, function.count);
  }
}

}  // namespace kestrel
