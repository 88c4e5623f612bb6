#include <algorithm>
#include <memory>
#include <string>

#include "graphics/Graphics_Draw.h"
#include "run/Motion_Grid.h"
#include "run/Motion_Potential.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

constexpr char kNoSuchPath[] = "Trying to assign to a non-existing path.";

// Grid cells as mp_grid_draw shows them.
constexpr std::int64_t kFreeCellColour = 32768;     // green
constexpr std::int64_t kForbiddenCellColour = 255;  // red

using Args = const RValue*;

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

Obstacles solid_or_all(const RValue& check_all) {
  return {is_true(check_all) ? Obstacles::kAll : Obstacles::kSolid};
}
Obstacles object(const RValue& object) {
  return {Obstacles::kObject, whole(object)};
}

// Steps towards (a[0], a[1]) by a[2]; the last argument says what to avoid.
template <auto step, Obstacles (*avoid)(const RValue&)>
void mp_step(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue& result,
             Args a) {
  const bool reached = step(runner_of(engine), instance_of(self), a[0].real(), a[1].real(),
                            a[2].real(), avoid(a[3]));
  result.set_real(reached ? 1 : 0);
}

void mp_potential_settings(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args a) {
  PotentialSettings& settings = runner_of(engine).potential;
  settings.max_rotation = std::max(a[0].real(), 1.0);
  settings.rotation_step = std::max(a[1].real(), 1.0);
  settings.ahead = std::max(a[2].real(), 1.0);
  settings.on_spot = is_true(a[3]);
}

// The path a planning function writes into; reported when it does not exist.
CPath* target_path(ScriptEngine& engine, const RValue& index) {
  CPath* path = runner_of(engine).paths.get(whole(index));
  if (path == nullptr) report_action_error(engine, kNoSuchPath, false);
  return path;
}

// Plans into path a[0] towards (a[1], a[2]) with step a[3]; the potential
// planner's length factor follows, and the last argument says what to avoid.
template <Planner planner, Obstacles (*avoid)(const RValue&)>
void mp_path(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue& result,
             Args a) {
  CPath* path = target_path(engine, a[0]);
  if (path == nullptr) return;
  const bool potential = planner == Planner::kPotential;
  const double factor = potential ? a[4].real() : 1;
  const bool reached = plan_path(runner_of(engine), instance_of(self), *path, planner, a[1].real(),
                                 a[2].real(), a[3].real(), factor, avoid(a[potential ? 5 : 4]));
  result.set_real(reached ? 1 : 0);
}

// The grids.

std::vector<std::unique_ptr<CGrid>>& grids_of(ScriptEngine& engine) {
  return runner_of(engine).grids;
}

// The live grid the value names; null for any other value.
CGrid* grid_of(ScriptEngine& engine, const RValue& id) {
  auto& grids = grids_of(engine);
  const int index = whole(id);
  return index >= 0 && index < int(grids.size()) ? grids[index].get() : nullptr;
}

void mp_grid_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                    Args a) {
  std::string error;
  std::unique_ptr<CGrid> grid = CGrid::create(whole(a[0]), whole(a[1]), whole(a[2]), whole(a[3]),
                                              whole(a[4]), whole(a[5]), error);
  if (grid == nullptr) {
    report_action_error(engine, error, false);
    result.set_real(-1);
    return;
  }
  auto& grids = grids_of(engine);
  auto slot = std::find(grids.begin(), grids.end(), nullptr);
  if (slot == grids.end()) slot = grids.insert(grids.end(), nullptr);
  *slot = std::move(grid);
  result.set_real(double(slot - grids.begin()));
}

void mp_grid_destroy(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (grid_of(engine, a[0]) != nullptr) grids_of(engine)[whole(a[0])].reset();
}

// Changes of a live grid; nothing happens for any other id.
using GridChange = void (*)(CGrid& grid, Args arguments);

template <GridChange change>
void on_grid(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (CGrid* grid = grid_of(engine, a[0])) change(*grid, a);
}

void clear_all(CGrid& grid, Args) {
  grid.clear_all();
}
template <bool forbidden>
void set_cell(CGrid& grid, Args a) {
  grid.set_cell(whole(a[1]), whole(a[2]), forbidden);
}
template <bool forbidden>
void set_rectangle(CGrid& grid, Args a) {
  grid.set_rectangle(a[1].real(), a[2].real(), a[3].real(), a[4].real(), forbidden);
}

void mp_grid_add_instances(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                           RValue&, Args a) {
  if (CGrid* grid = grid_of(engine, a[0])) {
    grid->add_instances(runner_of(engine), self, other, whole(a[1]), is_true(a[2]));
  }
}

void mp_grid_path(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                  Args a) {
  CGrid* grid = grid_of(engine, a[0]);
  if (grid == nullptr) return;
  CPath* path = target_path(engine, a[1]);
  if (path == nullptr) return;
  const bool found =
      grid->find_path(*path, a[2].real(), a[3].real(), a[4].real(), a[5].real(), is_true(a[6]));
  result.set_real(found ? 1 : 0);
}

void mp_grid_draw(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const CGrid* grid = grid_of(engine, a[0]);
  if (grid == nullptr) return;
  Runner& runner = runner_of(engine);
  const std::uint32_t free = runner.drawing.vertex_argb(kFreeCellColour);
  const std::uint32_t forbidden = runner.drawing.vertex_argb(kForbiddenCellColour);
  const double width = grid->cell_width(), height = grid->cell_height();
  for (std::int32_t h = 0; h < grid->hcells(); ++h) {
    for (std::int32_t v = 0; v < grid->vcells(); ++v) {
      const std::uint32_t c = grid->forbidden(h, v) ? forbidden : free;
      const double x = grid->left() + h * width, y = grid->top() + v * height;
      draw_rectangle(runner.graphics, x, y, x + width - 1, y + height - 1, {c, c, c, c}, false);
    }
  }
}

}  // namespace

void register_motion_functions(FunctionRegistry& functions) {
  functions.add("mp_linear_step", &mp_step<linear_step, solid_or_all>, 4);
  functions.add("mp_linear_step_object", &mp_step<linear_step, object>, 4);
  functions.add("mp_potential_step", &mp_step<potential_step, solid_or_all>, 4);
  functions.add("mp_potential_step_object", &mp_step<potential_step, object>, 4);
  functions.add("mp_potential_settings", &mp_potential_settings, 4);
  functions.add("mp_linear_path", &mp_path<Planner::kLinear, solid_or_all>, 5);
  functions.add("mp_potential_path", &mp_path<Planner::kPotential, solid_or_all>, 6);
  functions.add("mp_linear_path_object", &mp_path<Planner::kLinear, object>, 5);
  functions.add("mp_potential_path_object", &mp_path<Planner::kPotential, object>, 6);
  functions.add("mp_grid_create", &mp_grid_create, 6);
  functions.add("mp_grid_destroy", &mp_grid_destroy, 1);
  functions.add("mp_grid_clear_all", &on_grid<clear_all>, 1);
  functions.add("mp_grid_clear_cell", &on_grid<set_cell<false>>, 3);
  functions.add("mp_grid_add_cell", &on_grid<set_cell<true>>, 3);
  functions.add("mp_grid_clear_rectangle", &on_grid<set_rectangle<false>>, 5);
  functions.add("mp_grid_add_rectangle", &on_grid<set_rectangle<true>>, 5);
  functions.add("mp_grid_add_instances", &mp_grid_add_instances, 3);
  functions.add("mp_grid_path", &mp_grid_path, 7);
  functions.add("mp_grid_draw", &mp_grid_draw, 1);
}

}  // namespace kestrel
