#include <array>
#include <string>

#include "data/Support_File.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_3D_Model.h"
#include "graphics/Graphics_Support.h"
#include "lib/game_names.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

using Args = const RValue*;

int whole(const RValue& value) {
  return round_to_int32(value.real());
}
std::int64_t colour(const RValue& value) {
  return round_to_int64(value.real());
}
float real_float(const RValue& value) {
  return static_cast<float>(value.real());
}
glm::vec3 vec3_of(Args a) {
  return {real_float(a[0]), real_float(a[1]), real_float(a[2])};
}
glm::dvec3 dvec3_of(Args a) {
  return {a[0].real(), a[1].real(), a[2].real()};
}
void set_bool(RValue& result, bool value) {
  result.set_real(value ? 1 : 0);
}

Graphics& graphics_of(ScriptEngine& engine) {
  return runner_of(engine).graphics;
}

// The primitive buffer, drawing with the texture in the drawing colour of now.
Primitive3D& primitive_of(ScriptEngine& engine, int texture) {
  Runner& runner = runner_of(engine);
  runner.primitive_3d.set_texture(texture);
  runner.primitive_3d.set_drawing_colour(runner.drawing.vertex_argb());
  return runner.primitive_3d;
}

// Mode and states.
template <bool on>
void d3d_switch(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args) {
  set_bool(r, graphics_of(e).set_mode_3d(on));
}
void d3d_set_perspective(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  graphics_of(e).set_perspective(is_true(a[0]));
}
template <void (Graphics::*set)(bool)>
void d3d_set_state(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  (graphics_of(e).*set)(is_true(a[0]));
}
void d3d_set_fog(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  graphics_of(e).set_fog(is_true(a[0]), colour(a[1]), a[2].real(), a[3].real());
}
void d3d_set_depth(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  graphics_of(e).set_depth(a[0].real());
}

// Primitives.
void d3d_primitive_begin(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  primitive_of(e, -1).begin(whole(a[0]), false);
}
void d3d_primitive_begin_texture(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                                 Args a) {
  primitive_of(e, whole(a[1])).begin(whole(a[0]), false);
}
void d3d_primitive_end(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  runner_of(e).primitive_3d.end();
}

// The vertex functions take x, y, z, then nx, ny, nz, then u, v, then colour
// and alpha, each group where the name says; a model's record keeps them in
// that order.
template <bool normal, bool textured, bool coloured>
constexpr int kVertexArguments = 3 + (normal ? 3 : 0) + (textured ? 2 : 0) + (coloured ? 2 : 0);

template <bool normal, bool textured, bool coloured>
constexpr ModelCommand kVertexCommand =
    static_cast<ModelCommand>(static_cast<int>(ModelCommand::Vertex) + (textured ? 2 : 0) +
                              (coloured ? 1 : 0) + (normal ? 4 : 0));

template <bool normal, bool textured, bool coloured>
void d3d_vertex_fn(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  Runner& runner = runner_of(e);
  Corner3D corner;
  corner.position = vec3_of(a);
  Args rest = a + 3;
  if constexpr (normal) {
    corner.normal = vec3_of(rest);
    rest += 3;
  }
  if constexpr (textured) {
    corner.u = real_float(rest[0]);
    corner.v = real_float(rest[1]);
    rest += 2;
  }
  corner.argb =
      coloured ? vertex_colour(colour(rest[0]), rest[1].real()) : runner.drawing.vertex_argb();
  runner.primitive_3d.corner(corner);
}

// Shapes: x1, y1, z1, x2, y2, z2, texture, hrepeat, vrepeat.
ShapeBox box_of(Args a, Args repeats) {
  return {a[0].real(), a[1].real(), a[2].real(),       a[3].real(),
          a[4].real(), a[5].real(), repeats[0].real(), repeats[1].real()};
}
template <void (*shape)(PrimitiveSink&, const ShapeBox&)>
void d3d_draw_plain_shape(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  shape(primitive_of(e, whole(a[6])), box_of(a, a + 7));
}
// ... and closed, steps.
template <void (*shape)(PrimitiveSink&, const ShapeBox&, bool, int)>
void d3d_draw_round_shape(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  shape(primitive_of(e, whole(a[6])), box_of(a, a + 7), is_true(a[9]), whole(a[10]));
}
void d3d_draw_ellipsoid(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  shape_ellipsoid(primitive_of(e, whole(a[6])), box_of(a, a + 7), whole(a[9]));
}

// Projections.
void d3d_set_projection(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  graphics_of(e).set_view(look_at_matrix(dvec3_of(a), dvec3_of(a + 3), dvec3_of(a + 6)));
}
void d3d_set_projection_ext(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                            Args a) {
  graphics_of(e).set_view_and_projection(
      look_at_matrix(dvec3_of(a), dvec3_of(a + 3), dvec3_of(a + 6)),
      perspective_fov_matrix(a[9].real(), a[10].real(), a[11].real(), a[12].real()));
}
template <bool perspective>
void d3d_set_projection_rectangle(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                                  Args a) {
  graphics_of(e).set_rectangle_projection(a[0].real(), a[1].real(), a[2].real(), a[3].real(),
                                          a[4].real(), perspective);
}

// Transforms: each builds a matrix from its arguments; set replaces the
// world transform with it, add applies it after the transforms already set.
glm::mat4 identity(Args) {
  return glm::mat4(1.0f);
}
glm::mat4 translation(Args a) {
  return translation_matrix(a[0].real(), a[1].real(), a[2].real());
}
glm::mat4 scaling(Args a) {
  return scaling_matrix(a[0].real(), a[1].real(), a[2].real());
}
glm::mat4 rotation_x(Args a) {
  return rotation_x_matrix(a[0].real());
}
glm::mat4 rotation_y(Args a) {
  return rotation_y_matrix(a[0].real());
}
glm::mat4 rotation_z(Args a) {
  return rotation_z_matrix(a[0].real());
}
glm::mat4 rotation_axis(Args a) {
  return rotation_axis_matrix(a[0].real(), a[1].real(), a[2].real(), a[3].real());
}
template <glm::mat4 (*matrix)(Args)>
void d3d_transform_set(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  graphics_of(e).set_world(matrix(a));
}
template <glm::mat4 (*matrix)(Args)>
void d3d_transform_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  Graphics& graphics = graphics_of(e);
  graphics.set_world(matrix(a) * graphics.world());
}

void d3d_transform_stack_clear(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                               Args) {
  runner_of(e).transform_stack.clear();
}
void d3d_transform_stack_empty(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                               Args) {
  set_bool(r, runner_of(e).transform_stack.empty());
}
void d3d_transform_stack_push(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                              Args) {
  Runner& runner = runner_of(e);
  set_bool(r, runner.transform_stack.push(runner.graphics.world()));
}
template <bool remove>
void d3d_transform_stack_restore(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                                 Args) {
  Runner& runner = runner_of(e);
  const std::optional<glm::mat4> world =
      remove ? runner.transform_stack.pop() : runner.transform_stack.top();
  if (world) runner.graphics.set_world(*world);
  set_bool(r, world.has_value());
}
void d3d_transform_stack_discard(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r,
                                 Args) {
  set_bool(r, runner_of(e).transform_stack.discard());
}

// Lights: a game colour's red, green and blue as the light's.
glm::vec3 light_colour(const RValue& value) {
  const std::int64_t bgr = colour(value);
  return glm::vec3(static_cast<float>(bgr & 0xFF), static_cast<float>((bgr >> 8) & 0xFF),
                   static_cast<float>((bgr >> 16) & 0xFF)) /
         255.0f;
}
void d3d_light_define_direction(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                                Args a) {
  platform::Light light;
  light.direction = vec3_of(a + 1);
  light.colour = light_colour(a[4]);
  graphics_of(e).define_light(whole(a[0]), light);
}
void d3d_light_define_point(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                            Args a) {
  platform::Light light;
  light.point = true;
  light.position = vec3_of(a + 1);
  light.range = real_float(a[4]);
  light.attenuation0 = 1.0f;
  light.attenuation1 = light.range > 0 ? 4.0f / light.range : 0.0f;
  light.colour = light_colour(a[5]);
  graphics_of(e).define_light(whole(a[0]), light);
}
void d3d_light_enable(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  graphics_of(e).enable_light(whole(a[0]), is_true(a[1]));
}

// Models. Every function ignores an id without a model.
C3D_Model* model_of(ScriptEngine& engine, const RValue& id) {
  return runner_of(engine).models.find(whole(id));
}

void d3d_model_create(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args) {
  r.set_real(runner_of(e).models.create());
}
void d3d_model_destroy(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  runner_of(e).models.destroy(whole(a[0]));
}
void d3d_model_clear(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (C3D_Model* model = model_of(e, a[0])) model->clear();
}
// A failed load leaves the model empty, and neither load nor save tells the
// game how it went.
void d3d_model_load(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  C3D_Model* model = model_of(e, a[0]);
  if (model == nullptr) return;
  model->clear();
  const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(system_path(a[1].str()));
  if (!bytes) return;
  std::string reason;
  model->read({reinterpret_cast<const char*>(bytes->data()), bytes->size()}, reason);
}
void d3d_model_save(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const C3D_Model* model = model_of(e, a[0]);
  const std::string name = a[1].str();
  if (model == nullptr) return;
  if (e.settings.secure_mode && !secure_mode_allows_write(name)) return;
  std::string reason;
  WriteFileAtomically(system_path(name), model->text(), reason);
}
void d3d_model_draw(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  C3D_Model* model = model_of(e, a[0]);
  if (model == nullptr) return;
  Runner& runner = runner_of(e);
  model->draw(runner.graphics, a[1].real(), a[2].real(), a[3].real(), whole(a[4]),
              runner.drawing.vertex_argb());
}

// The adding functions: the id, then the fields of the record in order.
template <ModelCommand command, int fields>
void d3d_model_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  C3D_Model* model = model_of(e, a[0]);
  if (model == nullptr) return;
  std::array<double, fields> values{};
  for (int i = 0; i < fields; ++i) values[i] = a[1 + i].real();
  // Cylinders and cones keep closed as 1 or 0.
  if constexpr (command == ModelCommand::Cylinder || command == ModelCommand::Cone) {
    values[8] = is_true(a[9]) ? 1 : 0;
  }
  model->add(command, values);
}
template <bool normal, bool textured, bool coloured>
constexpr auto d3d_model_vertex_fn = &d3d_model_add<kVertexCommand<normal, textured, coloured>,
                                                    kVertexArguments<normal, textured, coloured>>;

}  // namespace

void register_3d_functions(FunctionRegistry& functions) {
  struct Entry {
    const char* name;
    BuiltinFunction handler;
    int count;
  };
  const Entry table[] = {
      {"d3d_start", &d3d_switch<true>, 0},
      {"d3d_end", &d3d_switch<false>, 0},
      {"d3d_set_perspective", &d3d_set_perspective, 1},
      {"d3d_set_hidden", &d3d_set_state<&Graphics::set_hidden>, 1},
      {"d3d_set_lighting", &d3d_set_state<&Graphics::set_lighting>, 1},
      {"d3d_set_shading", &d3d_set_state<&Graphics::set_smooth_shading>, 1},
      {"d3d_set_culling", &d3d_set_state<&Graphics::set_culling>, 1},
      {"d3d_set_fog", &d3d_set_fog, 4},
      {"d3d_set_depth", &d3d_set_depth, 1},

      {"d3d_primitive_begin", &d3d_primitive_begin, 1},
      {"d3d_primitive_begin_texture", &d3d_primitive_begin_texture, 2},
      {"d3d_primitive_end", &d3d_primitive_end, 0},
      {"d3d_vertex", &d3d_vertex_fn<false, false, false>, 3},
      {"d3d_vertex_color", &d3d_vertex_fn<false, false, true>, 5},
      {"d3d_vertex_texture", &d3d_vertex_fn<false, true, false>, 5},
      {"d3d_vertex_texture_color", &d3d_vertex_fn<false, true, true>, 7},
      {"d3d_vertex_normal", &d3d_vertex_fn<true, false, false>, 6},
      {"d3d_vertex_normal_color", &d3d_vertex_fn<true, false, true>, 8},
      {"d3d_vertex_normal_texture", &d3d_vertex_fn<true, true, false>, 8},
      {"d3d_vertex_normal_texture_color", &d3d_vertex_fn<true, true, true>, 10},

      {"d3d_draw_block", &d3d_draw_plain_shape<&shape_block>, 9},
      {"d3d_draw_cylinder", &d3d_draw_round_shape<&shape_cylinder>, 11},
      {"d3d_draw_cone", &d3d_draw_round_shape<&shape_cone>, 11},
      {"d3d_draw_ellipsoid", &d3d_draw_ellipsoid, 10},
      {"d3d_draw_wall", &d3d_draw_plain_shape<&shape_wall>, 9},
      {"d3d_draw_floor", &d3d_draw_plain_shape<&shape_floor>, 9},

      {"d3d_set_projection", &d3d_set_projection, 9},
      {"d3d_set_projection_ext", &d3d_set_projection_ext, 13},
      {"d3d_set_projection_ortho", &d3d_set_projection_rectangle<false>, 5},
      {"d3d_set_projection_perspective", &d3d_set_projection_rectangle<true>, 5},

      {"d3d_transform_set_identity", &d3d_transform_set<&identity>, 0},
      {"d3d_transform_set_translation", &d3d_transform_set<&translation>, 3},
      {"d3d_transform_set_scaling", &d3d_transform_set<&scaling>, 3},
      {"d3d_transform_set_rotation_x", &d3d_transform_set<&rotation_x>, 1},
      {"d3d_transform_set_rotation_y", &d3d_transform_set<&rotation_y>, 1},
      {"d3d_transform_set_rotation_z", &d3d_transform_set<&rotation_z>, 1},
      {"d3d_transform_set_rotation_axis", &d3d_transform_set<&rotation_axis>, 4},
      {"d3d_transform_add_translation", &d3d_transform_add<&translation>, 3},
      {"d3d_transform_add_scaling", &d3d_transform_add<&scaling>, 3},
      {"d3d_transform_add_rotation_x", &d3d_transform_add<&rotation_x>, 1},
      {"d3d_transform_add_rotation_y", &d3d_transform_add<&rotation_y>, 1},
      {"d3d_transform_add_rotation_z", &d3d_transform_add<&rotation_z>, 1},
      {"d3d_transform_add_rotation_axis", &d3d_transform_add<&rotation_axis>, 4},
      {"d3d_transform_stack_clear", &d3d_transform_stack_clear, 0},
      {"d3d_transform_stack_empty", &d3d_transform_stack_empty, 0},
      {"d3d_transform_stack_push", &d3d_transform_stack_push, 0},
      {"d3d_transform_stack_pop", &d3d_transform_stack_restore<true>, 0},
      {"d3d_transform_stack_top", &d3d_transform_stack_restore<false>, 0},
      {"d3d_transform_stack_discard", &d3d_transform_stack_discard, 0},

      {"d3d_light_define_direction", &d3d_light_define_direction, 5},
      {"d3d_light_define_point", &d3d_light_define_point, 6},
      {"d3d_light_enable", &d3d_light_enable, 2},

      {"d3d_model_create", &d3d_model_create, 0},
      {"d3d_model_destroy", &d3d_model_destroy, 1},
      {"d3d_model_clear", &d3d_model_clear, 1},
      {"d3d_model_load", &d3d_model_load, 2},
      {"d3d_model_save", &d3d_model_save, 2},
      {"d3d_model_draw", &d3d_model_draw, 5},
      {"d3d_model_primitive_begin", &d3d_model_add<ModelCommand::PrimitiveBegin, 1>, 2},
      {"d3d_model_primitive_end", &d3d_model_add<ModelCommand::PrimitiveEnd, 0>, 1},
      {"d3d_model_vertex", d3d_model_vertex_fn<false, false, false>, 4},
      {"d3d_model_vertex_color", d3d_model_vertex_fn<false, false, true>, 6},
      {"d3d_model_vertex_texture", d3d_model_vertex_fn<false, true, false>, 6},
      {"d3d_model_vertex_texture_color", d3d_model_vertex_fn<false, true, true>, 8},
      {"d3d_model_vertex_normal", d3d_model_vertex_fn<true, false, false>, 7},
      {"d3d_model_vertex_normal_color", d3d_model_vertex_fn<true, false, true>, 9},
      {"d3d_model_vertex_normal_texture", d3d_model_vertex_fn<true, true, false>, 9},
      {"d3d_model_vertex_normal_texture_color", d3d_model_vertex_fn<true, true, true>, 11},
      {"d3d_model_block", &d3d_model_add<ModelCommand::Block, 8>, 9},
      {"d3d_model_cylinder", &d3d_model_add<ModelCommand::Cylinder, 10>, 11},
      {"d3d_model_cone", &d3d_model_add<ModelCommand::Cone, 10>, 11},
      {"d3d_model_ellipsoid", &d3d_model_add<ModelCommand::Ellipsoid, 9>, 10},
      {"d3d_model_wall", &d3d_model_add<ModelCommand::Wall, 8>, 9},
      {"d3d_model_floor", &d3d_model_add<ModelCommand::Floor, 8>, 9},
  };
  for (const Entry& entry : table) functions.add(entry.name, entry.handler, entry.count);
}

}  // namespace kestrel
