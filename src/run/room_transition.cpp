#include "run/room_transition.h"

#include "graphics/Graphics_Transition.h"
#include "run/Instance_Class.h"
#include "run/Runner.h"
#include "run/room_draw.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

// Defining grows the table by this much beyond the kind asked for.
constexpr std::size_t kDefinedTableGrowth = 1000;
constexpr int kMostDefinedKind = 1000000;

bool is_defined(const Runner& runner, int kind) {
  const auto& defined = runner.transitions.defined;
  return kind >= 1 && static_cast<std::size_t>(kind) < defined.size() &&
         defined[static_cast<std::size_t>(kind)].function >= 0;
}

int texture_of_surface(const Runner& runner, int surface) {
  const Surface* found = runner.surfaces.find(surface);
  return found != nullptr ? found->texture : -1;
}

// Calls the game's function for one frame with a temporary instance as self
// and other: (old surface, new surface, width, height, fraction).
void draw_defined_frame(Runner& runner, int kind, double f) {
  const DefinedTransition& defined = runner.transitions.defined[static_cast<std::size_t>(kind)];
  ScriptEngine& engine = runner.engine;
  const RValue arguments[5] = {RValue(double(runner.transitions.old_frame)),
                               RValue(double(runner.transitions.new_frame)),
                               RValue(double(runner.graphics.region_width())),
                               RValue(double(runner.graphics.region_height())), RValue(f)};
  CInstance temporary(runner.game, 0, 0, 0, 0);
  RValue result;
  bool called = true;
  if (defined.function >= kFirstExtensionFunction) {
    called = engine.extensions.call(engine, defined.function - kFirstExtensionFunction, temporary,
                                    temporary, arguments, 5, result);
  } else if (defined.function >= kFirstScriptFunction) {
    called = engine.scripts.call(engine, defined.function - kFirstScriptFunction, temporary,
                                 temporary, arguments, 5, result);
  }
  if (!called) {
    report_error(engine,
                 "ERROR in transition function " + defined.name + kCr + engine.errors.last_text,
                 false);
    engine.errors.pending = false;
  }
}

void draw_frame(Runner& runner, int kind, double f) {
  if (is_defined(runner, kind)) {
    draw_defined_frame(runner, kind, f);
    return;
  }
  if (!is_built_in_transition(kind)) {
    report_error(runner.engine, "Transition Function does not exist.", false);
    return;
  }
  const TransitionFrames frames{texture_of_surface(runner, runner.transitions.old_frame),
                                texture_of_surface(runner, runner.transitions.new_frame),
                                runner.graphics.region_width(), runner.graphics.region_height(),
                                runner.transition_steps};
  draw_transition_frame(runner.graphics, kind, frames, f);
}

void free_frames(Runner& runner) {
  runner.surfaces.free(runner.transitions.old_frame);
  runner.surfaces.free(runner.transitions.new_frame);
  runner.transitions.old_frame = -1;
  runner.transitions.new_frame = -1;
}

}  // namespace

bool transition_exists(const Runner& runner, int kind) {
  return is_built_in_transition(kind) || is_defined(runner, kind);
}

bool define_transition(Runner& runner, int kind, const std::string& name) {
  const std::int32_t function = runner.engine.find_function(name);
  if (function < 0) return false;
  if (kind >= 1 && kind < kMostDefinedKind) {
    auto& defined = runner.transitions.defined;
    if (static_cast<std::size_t>(kind) >= defined.size()) {
      defined.resize(static_cast<std::size_t>(kind) + kDefinedTableGrowth);
    }
    defined[static_cast<std::size_t>(kind)] = {function, name};
  }
  return true;
}

void drop_transition(Runner& runner) {
  if (runner.transitions.new_frame < 0) return;
  runner.surfaces.reset_target();
  free_frames(runner);
}

void capture_old_frame(Runner& runner) {
  RoomTransitionState& state = runner.transitions;
  state.in_progress = runner.transition_kind;
  if (!transition_exists(runner, state.in_progress) || !runner.graphics.has_device()) return;
  const int width = runner.graphics.region_width(), height = runner.graphics.region_height();
  state.old_frame = runner.surfaces.create(width, height);
  if (state.old_frame < 0 || !runner.surfaces.set_target(state.old_frame)) {
    free_frames(runner);
    state.in_progress = -1;
    return;
  }
  const std::int32_t pending = runner.pending_transfer;
  runner.pending_transfer = kNoTransfer;
  redraw_room(runner);
  runner.pending_transfer = pending;
  state.new_frame = runner.surfaces.create(width, height);
  if (state.new_frame < 0 || !runner.surfaces.set_target(state.new_frame)) {
    runner.surfaces.reset_target();
    free_frames(runner);
    state.in_progress = -1;
  }
}

void run_transition(Runner& runner) {
  RoomTransitionState& state = runner.transitions;
  if (!transition_exists(runner, state.in_progress) || state.new_frame < 0) {
    present_room(runner);
    return;
  }
  runner.surfaces.reset_target();
  const int steps = runner.transition_steps;
  for (int i = 0; i <= steps; ++i) {
    draw_frame(runner, state.in_progress, double(i) / steps);
    present_room(runner);
    if (runner.on_transition_frame) runner.on_transition_frame(i);
  }
  free_frames(runner);
}

}  // namespace kestrel
