#pragma once

#include <cmath>
#include <numbers>

#include "graphics/Graphics_Texture.h"
#include "run/Runner.h"

namespace kestrel::image_drawing {

// Backgrounds and surfaces are drawn alike: whole, extended, stretched, in
// part, in general and tiled, with origin (0, 0). Each handler takes the
// image's id first; the lookup finds its texture or reports that it is missing.
struct Image {
  int texture = -1;  // -1: nothing to draw (already reported)
  int width = 0;
  int height = 0;
  // Surfaces draw nothing stretched to a size below 1 or from one.
  bool stretch_needs_size = false;
};
using Lookup = Image (*)(ScriptEngine& engine, const RValue& id);
using Args = const RValue*;

inline double radians(double degrees) {
  return degrees * std::numbers::pi / 180.0;
}
inline std::int64_t colour(const RValue& value) {
  return round_to_int64(value.real());
}

// (id, x, y)
template <Lookup find>
void draw(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const Image image = find(e, a[0]);
  if (image.texture >= 0)
    draw_texture(runner_of(e).graphics, image.texture, a[1].real(), a[2].real());
}
// (id, x, y, xscale, yscale, rot, colour, alpha)
template <Lookup find>
void draw_ext(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const Image image = find(e, a[0]);
  if (image.texture < 0) return;
  draw_texture_ext(runner_of(e).graphics, image.texture, a[1].real(), a[2].real(), 0, 0,
                   a[3].real(), a[4].real(), radians(a[5].real()), colour(a[6]), a[7].real());
}
// (id, x, y, w, h [, colour, alpha])
template <Lookup find, bool coloured>
void draw_stretched(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const Image image = find(e, a[0]);
  if (image.texture < 0) return;
  if (image.stretch_needs_size &&
      (a[3].real() <= 0 || a[4].real() <= 0 || image.width < 1 || image.height < 1)) {
    return;
  }
  draw_texture_ext(runner_of(e).graphics, image.texture, a[1].real(), a[2].real(), 0, 0,
                   a[3].real() / image.width, a[4].real() / image.height, 0,
                   coloured ? colour(a[5]) : 0xFFFFFF, coloured ? a[6].real() : 1);
}
// (id, left, top, width, height, x, y [, xscale, yscale, colour, alpha])
template <Lookup find, bool extended>
void draw_part(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const Image image = find(e, a[0]);
  if (image.texture < 0) return;
  draw_texture_part(runner_of(e).graphics, image.texture, a[1].real(), a[2].real(), a[3].real(),
                    a[4].real(), a[5].real(), a[6].real(), extended ? a[7].real() : 1,
                    extended ? a[8].real() : 1, extended ? colour(a[9]) : 0xFFFFFF,
                    extended ? a[10].real() : 1);
}
// (id, left, top, width, height, x, y, xscale, yscale, rot, c1, c2, c3, c4, alpha)
template <Lookup find>
void draw_general(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const Image image = find(e, a[0]);
  if (image.texture < 0) return;
  const std::int64_t corners[4] = {colour(a[10]), colour(a[11]), colour(a[12]), colour(a[13])};
  draw_texture_general(runner_of(e).graphics, image.texture, a[1].real(), a[2].real(), a[3].real(),
                       a[4].real(), a[5].real(), a[6].real(), a[7].real(), a[8].real(),
                       radians(a[9].real()), corners, a[14].real());
}
// (id, x, y [, xscale, yscale, colour, alpha]): copies over the whole room.
template <Lookup find, bool extended>
void draw_tiled(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const Image image = find(e, a[0]);
  if (image.texture < 0) return;
  const CRoom& room = runner_of(e).room->settings;
  draw_texture_tiled(runner_of(e).graphics, image.texture, a[1].real(), a[2].real(),
                     extended ? a[3].real() : 1, extended ? a[4].real() : 1,
                     extended ? colour(a[5]) : 0xFFFFFF, extended ? a[6].real() : 1, true, true,
                     {0, 0, double(room.width), double(room.height)});
}

}  // namespace kestrel::image_drawing
