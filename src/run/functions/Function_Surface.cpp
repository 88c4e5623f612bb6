#include <string>

#include "graphics/Graphics_Support.h"
#include "graphics/image/BM32_PNG.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/functions/image_drawing.h"
#include "run/room_transition.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

using Args = const RValue*;

constexpr char kMissingSurface[] = "Trying to use non-existing surface.";
constexpr char kSaveNoName[] = "Trying to save surface to empty image file name.";

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

SurfaceTable& surfaces_of(ScriptEngine& engine) {
  return runner_of(engine).surfaces;
}

// The surface for a function that needs one; reports a missing one.
const Surface* used_surface(ScriptEngine& engine, const RValue& id) {
  const Surface* surface = surfaces_of(engine).find(whole(id));
  if (surface == nullptr) report_action_error(engine, kMissingSurface, false);
  return surface;
}

image_drawing::Image drawn_surface(ScriptEngine& e, const RValue& id) {
  const Surface* surface = used_surface(e, id);
  if (surface == nullptr) return {};
  return {surface->texture, surface->width, surface->height, true};
}

void surface_create(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(surfaces_of(e).create(whole(a[0]), whole(a[1])));
}
void surface_free(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  surfaces_of(e).free(whole(a[0]));
}
void surface_exists(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(surfaces_of(e).exists(whole(a[0])) ? 1 : 0);
}
template <int Surface::*field>
void surface_get(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const Surface* surface = surfaces_of(e).find(whole(a[0]));
  r.set_real(surface != nullptr ? surface->*field : -1);
}
void surface_set_target(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(surfaces_of(e).set_target(whole(a[0])) ? 1 : 0);
}
void surface_reset_target(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args) {
  r.set_real(surfaces_of(e).reset_target() ? 1 : 0);
}

// Reads back the rectangle and writes it; nothing is written when nothing
// can be read, and problems writing are passed over.
void save_part(ScriptEngine& e, const RValue& id, const std::string& name, int x, int y, int width,
               int height) {
  if (used_surface(e, id) == nullptr) return;
  if (name.empty()) {
    report_action_error(e, kSaveNoName, false);
    return;
  }
  Capture capture;
  if (!surfaces_of(e).read(whole(id), x, y, width, height, capture)) return;
  WriteImageFile(name, capture.width, capture.height, capture.argb);
}
void surface_save(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const Surface* surface = surfaces_of(e).find(whole(a[0]));
  save_part(e, a[0], a[1].str(), 0, 0, surface != nullptr ? surface->width : 0,
            surface != nullptr ? surface->height : 0);
}
void surface_save_part(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  save_part(e, a[0], a[1].str(), whole(a[2]), whole(a[3]), whole(a[4]), whole(a[5]));
}
void surface_getpixel(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(0);
  if (used_surface(e, a[0]) == nullptr) return;
  Capture one;
  if (surfaces_of(e).read(whole(a[0]), whole(a[1]), whole(a[2]), 1, 1, one)) {
    r.set_real(static_cast<double>(game_colour(one.argb[0])));
  }
}
// (id, x, y, source[, xs, ys, ws, hs]): surface_copy takes the whole source.
template <bool part>
void surface_copy(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (used_surface(e, a[0]) == nullptr) return;
  const Surface* source = used_surface(e, a[3]);
  if (source == nullptr) return;
  surfaces_of(e).copy(whole(a[0]), whole(a[1]), whole(a[2]), whole(a[3]), part ? whole(a[4]) : 0,
                      part ? whole(a[5]) : 0, part ? whole(a[6]) : source->width,
                      part ? whole(a[7]) : source->height);
}

void transition_define(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(define_transition(runner_of(e), whole(a[0]), a[1].str()) ? 1 : 0);
}
void transition_exists_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                          Args a) {
  r.set_real(transition_exists(runner_of(e), whole(a[0])) ? 1 : 0);
}

}  // namespace

void register_surface_functions(FunctionRegistry& functions) {
  using namespace image_drawing;
  static const struct {
    const char* name;
    BuiltinFunction handler;
    int count;
  } kFunctions[] = {
      {"surface_create", &surface_create, 2},
      {"surface_free", &surface_free, 1},
      {"surface_exists", &surface_exists, 1},
      {"surface_get_width", &surface_get<&Surface::width>, 1},
      {"surface_get_height", &surface_get<&Surface::height>, 1},
      {"surface_get_texture", &surface_get<&Surface::texture>, 1},
      {"surface_set_target", &surface_set_target, 1},
      {"surface_reset_target", &surface_reset_target, 0},
      {"draw_surface", &draw<&drawn_surface>, 3},
      {"draw_surface_ext", &draw_ext<&drawn_surface>, 8},
      {"draw_surface_stretched", &draw_stretched<&drawn_surface, false>, 5},
      {"draw_surface_stretched_ext", &draw_stretched<&drawn_surface, true>, 7},
      {"draw_surface_part", &draw_part<&drawn_surface, false>, 7},
      {"draw_surface_part_ext", &draw_part<&drawn_surface, true>, 11},
      {"draw_surface_general", &draw_general<&drawn_surface>, 15},
      {"draw_surface_tiled", &draw_tiled<&drawn_surface, false>, 3},
      {"draw_surface_tiled_ext", &draw_tiled<&drawn_surface, true>, 7},
      {"surface_save", &surface_save, 2},
      {"surface_save_part", &surface_save_part, 6},
      {"surface_getpixel", &surface_getpixel, 3},
      {"surface_copy", &surface_copy<false>, 4},
      {"surface_copy_part", &surface_copy<true>, 8},
      {"transition_define", &transition_define, 2},
      {"transition_exists", &transition_exists_fn, 1},
  };
  for (const auto& function : kFunctions) {
    functions.add(function.name, function.handler, function.count);
  }
}

}  // namespace kestrel
