#include "lib/Function_Particles.h"

#include <algorithm>

#include "lib/Particle_Effect.h"
#include "lib/Particle_Main.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

constexpr char kNoEmitter[] = "The particle emitter must first be created.";

// Ids that name nothing are passed over without a message, as games expect
// of particles; only the actions report.

using Args = const RValue*;

std::int32_t whole(const RValue& value) {
  return round_to_int32(value.real());
}
bool flag(const RValue& value) {
  return is_true(value);
}

// ---- Types ----

// A setter of one type: the changes take the arguments after the id.
template <void (*change)(ParticleType&, Args)>
void type_set(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  if (ParticleType* type = particles_of(engine).types.find(whole(args[0]))) change(*type, args + 1);
}

void type_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                 Args) {
  result.set_real(particles_of(engine).types.create());
}
void type_destroy(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  particles_of(engine).types.destroy(whole(args[0]));
}
void type_exists(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                 Args args) {
  result.set_real(particles_of(engine).types.find(whole(args[0])) != nullptr ? 1 : 0);
}
void clear_type(ParticleType& type, Args) {
  type = ParticleType();
}
void set_shape(ParticleType& type, Args args) {
  type.shape = whole(args[0]);
  type.sprite = -1;
}
void set_sprite(ParticleType& type, Args args) {
  type.sprite = whole(args[0]);
  type.animate = flag(args[1]);
  type.stretch = flag(args[2]);
  type.random_subimage = flag(args[3]);
}
void set_size(ParticleType& type, Args args) {
  type.size_min = args[0].real(), type.size_max = args[1].real();
  type.size_increment = args[2].real(), type.size_wiggle = args[3].real();
}
void set_scale(ParticleType& type, Args args) {
  type.xscale = args[0].real(), type.yscale = args[1].real();
}
void set_life(ParticleType& type, Args args) {
  type.life_min = whole(args[0]), type.life_max = whole(args[1]);
}
void set_step(ParticleType& type, Args args) {
  type.step_number = whole(args[0]), type.step_type = whole(args[1]);
}
void set_death(ParticleType& type, Args args) {
  type.death_number = whole(args[0]), type.death_type = whole(args[1]);
}
void set_speed(ParticleType& type, Args args) {
  type.speed_min = args[0].real(), type.speed_max = args[1].real();
  type.speed_increment = args[2].real(), type.speed_wiggle = args[3].real();
}
void set_direction(ParticleType& type, Args args) {
  type.direction_min = args[0].real(), type.direction_max = args[1].real();
  type.direction_increment = args[2].real(), type.direction_wiggle = args[3].real();
}
void set_orientation(ParticleType& type, Args args) {
  type.angle_min = args[0].real(), type.angle_max = args[1].real();
  type.angle_increment = args[2].real(), type.angle_wiggle = args[3].real();
  type.angle_relative = flag(args[4]);
}
void set_gravity(ParticleType& type, Args args) {
  type.gravity = args[0].real(), type.gravity_direction = args[1].real();
}
template <ColourMode mode, int count>
void set_colours(ParticleType& type, Args args) {
  type.colour_mode = mode;
  for (int i = 0; i < count; ++i) type.colours[i] = whole(args[i]);
}
template <ColourMode mode>
void set_ranges(ParticleType& type, Args args) {
  type.colour_mode = mode;
  for (int i = 0; i < 6; ++i) type.ranges[i] = whole(args[i]);
}
void set_alpha1(ParticleType& type, Args args) {
  type.alphas[0] = type.alphas[1] = type.alphas[2] = args[0].real();
}
void set_alpha2(ParticleType& type, Args args) {
  type.alphas[0] = args[0].real();
  type.alphas[1] = (args[0].real() + args[1].real()) / 2;
  type.alphas[2] = args[1].real();
}
void set_alpha3(ParticleType& type, Args args) {
  for (int i = 0; i < 3; ++i) type.alphas[i] = args[i].real();
}
void set_blend(ParticleType& type, Args args) {
  type.additive = flag(args[0]);
}

// ---- Systems ----

ParticleSystem* system_of(ScriptEngine& engine, const RValue& id) {
  return particles_of(engine).systems.find(whole(id));
}

// A function of one system: it gets the system and the arguments after its id.
template <void (*action)(ScriptEngine&, ParticleSystem&, RValue&, Args)>
void on_system(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
               Args args) {
  if (ParticleSystem* system = system_of(engine, args[0]))
    action(engine, *system, result, args + 1);
}

void system_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args) {
  result.set_real(particles_of(engine).systems.create());
}
void system_destroy(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                    Args args) {
  particles_of(engine).systems.destroy(whole(args[0]));
}
void system_exists(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args args) {
  result.set_real(system_of(engine, args[0]) != nullptr ? 1 : 0);
}
void system_clear(ScriptEngine&, ParticleSystem& system, RValue&, Args) {
  system.clear();
}
void system_draw_order(ScriptEngine&, ParticleSystem& system, RValue&, Args args) {
  system.old_to_new = flag(args[0]);
}
void system_depth(ScriptEngine&, ParticleSystem& system, RValue&, Args args) {
  system.depth = args[0].real();
}
void system_position(ScriptEngine&, ParticleSystem& system, RValue&, Args args) {
  system.x = args[0].real(), system.y = args[1].real();
}
void system_automatic_update(ScriptEngine&, ParticleSystem& system, RValue&, Args args) {
  system.automatic_update = flag(args[0]);
}
void system_automatic_draw(ScriptEngine&, ParticleSystem& system, RValue&, Args args) {
  system.automatic_draw = flag(args[0]);
}
void system_update(ScriptEngine& engine, ParticleSystem& system, RValue&, Args) {
  update_system(engine, system);
}
void system_drawit(ScriptEngine& engine, ParticleSystem& system, RValue&, Args) {
  if (auto draw = particles_of(engine).draw) draw(engine, system);
}

void particles_create(ScriptEngine& engine, ParticleSystem& system, RValue&, Args args) {
  create_particles(engine, system, args[0].real(), args[1].real(), whole(args[2]),
                   round_to_int64(args[3].real()));
}
void particles_create_colour(ScriptEngine& engine, ParticleSystem& system, RValue&, Args args) {
  create_particles(engine, system, args[0].real(), args[1].real(), whole(args[2]),
                   round_to_int64(args[4].real()), whole(args[3]) & 0xFFFFFF);
}
void particles_clear(ScriptEngine&, ParticleSystem& system, RValue&, Args) {
  system.particles.clear();
}
void particles_count(ScriptEngine&, ParticleSystem& system, RValue& result, Args) {
  result.set_real(double(system.particles.size()));
}

// ---- Emitters, attractors, destroyers, deflectors and changers ----

template <class Part>
SlotTable<Part>& parts(ParticleSystem& system) {
  if constexpr (std::is_same_v<Part, ParticleEmitter>) return system.emitters;
  if constexpr (std::is_same_v<Part, ParticleAttractor>) return system.attractors;
  if constexpr (std::is_same_v<Part, ParticleDestroyer>) return system.destroyers;
  if constexpr (std::is_same_v<Part, ParticleDeflector>) return system.deflectors;
  if constexpr (std::is_same_v<Part, ParticleChanger>) return system.changers;
}

template <class Part>
void part_create(ScriptEngine&, ParticleSystem& system, RValue& result, Args) {
  result.set_real(parts<Part>(system).create());
}
template <class Part>
void part_destroy(ScriptEngine&, ParticleSystem& system, RValue&, Args args) {
  parts<Part>(system).destroy(whole(args[0]));
}
template <class Part>
void part_destroy_all(ScriptEngine&, ParticleSystem& system, RValue&, Args) {
  parts<Part>(system).clear();
}
template <class Part>
void part_exists(ScriptEngine&, ParticleSystem& system, RValue& result, Args args) {
  result.set_real(parts<Part>(system).find(whole(args[0])) != nullptr ? 1 : 0);
}

// A setter of one part of a system: it gets the arguments after both ids.
template <class Part, void (*change)(Part&, Args)>
void part_set(ScriptEngine&, ParticleSystem& system, RValue&, Args args) {
  if (Part* part = parts<Part>(system).find(whole(args[0]))) change(*part, args + 1);
}
template <class Part>
void reset(Part& part, Args) {
  part = Part();
}
void set_region(ParticleRegion& region, Args args, bool with_shape) {
  region.xmin = args[0].real(), region.xmax = args[1].real();
  region.ymin = args[2].real(), region.ymax = args[3].real();
  if (with_shape) region.shape = whole(args[4]);
}
void emitter_region(ParticleEmitter& emitter, Args args) {
  set_region(emitter.region, args, true);
  emitter.distribution = whole(args[5]);
}
void emitter_burst(ScriptEngine& engine, ParticleSystem& system, RValue&, Args args) {
  if (const ParticleEmitter* emitter = system.emitters.find(whole(args[0]))) {
    burst(engine, system, *emitter, whole(args[1]), round_to_int64(args[2].real()));
  }
}
void emitter_stream(ParticleEmitter& emitter, Args args) {
  emitter.stream_type = whole(args[0]), emitter.stream_number = whole(args[1]);
}
void attractor_position(ParticleAttractor& attractor, Args args) {
  attractor.x = args[0].real(), attractor.y = args[1].real();
}
void attractor_force(ParticleAttractor& attractor, Args args) {
  attractor.force = args[0].real(), attractor.distance = args[1].real();
  attractor.kind = whole(args[2]), attractor.additive = flag(args[3]);
}
void destroyer_region(ParticleDestroyer& destroyer, Args args) {
  set_region(destroyer.region, args, true);
}
void deflector_region(ParticleDeflector& deflector, Args args) {
  set_region(deflector.region, args, false);
}
void deflector_kind(ParticleDeflector& deflector, Args args) {
  deflector.kind = whole(args[0]);
}
void deflector_friction(ParticleDeflector& deflector, Args args) {
  deflector.friction = args[0].real();
}
void changer_region(ParticleChanger& changer, Args args) {
  set_region(changer.region, args, true);
}
void changer_kind(ParticleChanger& changer, Args args) {
  changer.kind = whole(args[0]);
}
void changer_types(ParticleChanger& changer, Args args) {
  changer.type1 = whole(args[0]), changer.type2 = whole(args[1]);
}

// ---- Effects ----

template <bool above>
void effect_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                   Args args) {
  create_effect(engine, above, whole(args[0]), args[1].real(), args[2].real(), whole(args[3]),
                whole(args[4]));
}
void effect_clear(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  clear_effects(engine);
}

// ---- Actions ----

// The actions' system, made when it is missing.
ParticleSystem& action_system(ScriptEngine& engine) {
  ParticleTables& tables = particles_of(engine);
  if (tables.systems.find(tables.action_system) == nullptr) {
    tables.action_system = tables.systems.create();
  }
  return *tables.systems.find(tables.action_system);
}

std::size_t slot_of(const RValue& value) {
  return std::size_t(std::clamp(whole(value), 0, ParticleTables::kActionSlots - 1));
}

// The type in an action slot, made when the slot is empty.
std::int32_t action_type_id(ScriptEngine& engine, const RValue& slot) {
  ParticleTables& tables = particles_of(engine);
  std::int32_t& id = tables.action_types[slot_of(slot)];
  if (tables.types.find(id) == nullptr) id = tables.types.create();
  return id;
}

// An action on the type in the slot named by the first argument.
template <void (*change)(ParticleType&, Args)>
void action_type(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  action_system(engine);
  const std::int32_t id = action_type_id(engine, args[0]);
  change(*particles_of(engine).types.find(id), args + 1);
}

void action_partsyst_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                            Args args) {
  ParticleSystem& system = action_system(engine);
  system.clear();
  system.depth = args[0].real();
  ParticleTables& tables = particles_of(engine);
  tables.action_types.fill(-1);
  tables.action_emitters.fill(-1);
}
void action_partsyst_destroy(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                             Args) {
  ParticleTables& tables = particles_of(engine);
  action_system(engine);
  tables.systems.destroy(tables.action_system);
  tables.action_system = -1;
}
void action_partsyst_clear(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args) {
  action_system(engine).particles.clear();
}
void action_type_shape(ParticleType& type, Args args) {
  set_shape(type, args);
  const RValue sprite[4] = {args[1], RValue(1.0), RValue(0.0), RValue(0.0)};
  set_sprite(type, sprite);
  const RValue size[4] = {args[2], args[3], args[4], RValue(0.0)};
  set_size(type, size);
}
void action_type_shape_old(ParticleType& type, Args args) {
  set_shape(type, args);
  const RValue size[4] = {args[1], args[2], RValue(0.0), RValue(0.0)};
  set_size(type, size);
  set_colours<ColourMode::two, 2>(type, args + 3);
}
void action_type_colour(ParticleType& type, Args args) {
  if (whole(args[0]) == 0) {
    set_colours<ColourMode::mix, 2>(type, args + 1);
  } else {
    set_colours<ColourMode::two, 2>(type, args + 1);
  }
  set_alpha2(type, args + 3);
}
void action_type_speed(ParticleType& type, Args args) {
  const RValue speed[4] = {args[0], args[1], RValue(-args[4].real()), RValue(0.0)};
  set_speed(type, speed);
  const RValue direction[4] = {args[2], args[3], RValue(0.0), RValue(0.0)};
  set_direction(type, direction);
}
void action_parttype_secondary(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                               Args args) {
  action_system(engine);
  const std::int32_t id = action_type_id(engine, args[0]);
  const std::int32_t step = action_type_id(engine, args[1]);
  const std::int32_t death = action_type_id(engine, args[3]);
  ParticleType& type = *particles_of(engine).types.find(id);
  type.step_number = whole(args[2]), type.step_type = step;
  type.death_number = whole(args[4]), type.death_type = death;
}

void action_partemit_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                            Args args) {
  ParticleSystem& system = action_system(engine);
  std::int32_t& id = particles_of(engine).action_emitters[slot_of(args[0])];
  if (id == -1) id = system.emitters.create();
  if (ParticleEmitter* emitter = system.emitters.find(id)) {
    const RValue region[5] = {args[2], args[3], args[4], args[5], args[1]};
    set_region(emitter->region, region, true);
    emitter->distribution = 0;
  }
}
void action_partemit_destroy(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                             Args args) {
  ParticleSystem& system = action_system(engine);
  std::int32_t& id = particles_of(engine).action_emitters[slot_of(args[0])];
  if (id == -1) return;
  system.emitters.destroy(id);
  id = -1;
}
template <bool stream>
void action_partemit_emit(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                          Args args) {
  ParticleSystem& system = action_system(engine);
  ParticleEmitter* emitter =
      system.emitters.find(particles_of(engine).action_emitters[slot_of(args[0])]);
  if (emitter == nullptr) {
    report_action_error(engine, kNoEmitter, false);
    return;
  }
  const std::int32_t type = action_type_id(engine, args[1]);
  if (stream) {
    emitter->stream_type = type, emitter->stream_number = whole(args[2]);
  } else {
    burst(engine, system, *emitter, type, round_to_int64(args[2].real()));
  }
}
void action_effect(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                   Args args) {
  create_effect(engine, args[5].real() >= 0.5, whole(args[0]), args[1].real(), args[2].real(),
                whole(args[3]), whole(args[4]));
}

}  // namespace

void register_particle_functions(FunctionRegistry& functions) {
  using Emitter = ParticleEmitter;
  using Attractor = ParticleAttractor;
  using Destroyer = ParticleDestroyer;
  using Deflector = ParticleDeflector;
  using Changer = ParticleChanger;
  functions.add("part_type_create", &type_create, 0);
  functions.add("part_type_destroy", &type_destroy, 1);
  functions.add("part_type_exists", &type_exists, 1);
  functions.add("part_type_clear", &type_set<clear_type>, 1);
  functions.add("part_type_shape", &type_set<set_shape>, 2);
  functions.add("part_type_sprite", &type_set<set_sprite>, 5);
  functions.add("part_type_size", &type_set<set_size>, 5);
  functions.add("part_type_scale", &type_set<set_scale>, 3);
  functions.add("part_type_life", &type_set<set_life>, 3);
  functions.add("part_type_step", &type_set<set_step>, 3);
  functions.add("part_type_death", &type_set<set_death>, 3);
  functions.add("part_type_speed", &type_set<set_speed>, 5);
  functions.add("part_type_direction", &type_set<set_direction>, 5);
  functions.add("part_type_orientation", &type_set<set_orientation>, 6);
  functions.add("part_type_gravity", &type_set<set_gravity>, 3);
  functions.add("part_type_color_mix", &type_set<set_colours<ColourMode::mix, 2>>, 3);
  functions.add("part_type_color_rgb", &type_set<set_ranges<ColourMode::rgb>>, 7);
  functions.add("part_type_color_hsv", &type_set<set_ranges<ColourMode::hsv>>, 7);
  functions.add("part_type_color1", &type_set<set_colours<ColourMode::one, 1>>, 2);
  functions.add("part_type_color2", &type_set<set_colours<ColourMode::two, 2>>, 3);
  functions.add("part_type_color3", &type_set<set_colours<ColourMode::three, 3>>, 4);
  functions.add("part_type_color", &type_set<set_colours<ColourMode::three, 3>>, 4);
  functions.add("part_type_alpha1", &type_set<set_alpha1>, 2);
  functions.add("part_type_alpha2", &type_set<set_alpha2>, 3);
  functions.add("part_type_alpha3", &type_set<set_alpha3>, 4);
  functions.add("part_type_alpha", &type_set<set_alpha3>, 4);
  functions.add("part_type_blend", &type_set<set_blend>, 2);
  functions.add("part_system_create", &system_create, 0);
  functions.add("part_system_destroy", &system_destroy, 1);
  functions.add("part_system_exists", &system_exists, 1);
  functions.add("part_system_clear", &on_system<system_clear>, 1);
  functions.add("part_system_draw_order", &on_system<system_draw_order>, 2);
  functions.add("part_system_depth", &on_system<system_depth>, 2);
  functions.add("part_system_position", &on_system<system_position>, 3);
  functions.add("part_system_automatic_update", &on_system<system_automatic_update>, 2);
  functions.add("part_system_automatic_draw", &on_system<system_automatic_draw>, 2);
  functions.add("part_system_update", &on_system<system_update>, 1);
  functions.add("part_system_drawit", &on_system<system_drawit>, 1);
  functions.add("part_particles_create", &on_system<particles_create>, 5);
  functions.add("part_particles_create_color", &on_system<particles_create_colour>, 6);
  functions.add("part_particles_clear", &on_system<particles_clear>, 1);
  functions.add("part_particles_count", &on_system<particles_count>, 1);
  functions.add("part_emitter_create", &on_system<part_create<Emitter>>, 1);
  functions.add("part_emitter_destroy", &on_system<part_destroy<Emitter>>, 2);
  functions.add("part_emitter_destroy_all", &on_system<part_destroy_all<Emitter>>, 1);
  functions.add("part_emitter_exists", &on_system<part_exists<Emitter>>, 2);
  functions.add("part_emitter_clear", &on_system<part_set<Emitter, reset<Emitter>>>, 2);
  functions.add("part_emitter_region", &on_system<part_set<Emitter, emitter_region>>, 8);
  functions.add("part_emitter_burst", &on_system<emitter_burst>, 4);
  functions.add("part_emitter_stream", &on_system<part_set<Emitter, emitter_stream>>, 4);
  functions.add("part_attractor_create", &on_system<part_create<Attractor>>, 1);
  functions.add("part_attractor_destroy", &on_system<part_destroy<Attractor>>, 2);
  functions.add("part_attractor_destroy_all", &on_system<part_destroy_all<Attractor>>, 1);
  functions.add("part_attractor_exists", &on_system<part_exists<Attractor>>, 2);
  functions.add("part_attractor_clear", &on_system<part_set<Attractor, reset<Attractor>>>, 2);
  functions.add("part_attractor_position", &on_system<part_set<Attractor, attractor_position>>, 4);
  functions.add("part_attractor_force", &on_system<part_set<Attractor, attractor_force>>, 6);
  functions.add("part_destroyer_create", &on_system<part_create<Destroyer>>, 1);
  functions.add("part_destroyer_destroy", &on_system<part_destroy<Destroyer>>, 2);
  functions.add("part_destroyer_destroy_all", &on_system<part_destroy_all<Destroyer>>, 1);
  functions.add("part_destroyer_exists", &on_system<part_exists<Destroyer>>, 2);
  functions.add("part_destroyer_clear", &on_system<part_set<Destroyer, reset<Destroyer>>>, 2);
  functions.add("part_destroyer_region", &on_system<part_set<Destroyer, destroyer_region>>, 7);
  functions.add("part_deflector_create", &on_system<part_create<Deflector>>, 1);
  functions.add("part_deflector_destroy", &on_system<part_destroy<Deflector>>, 2);
  functions.add("part_deflector_destroy_all", &on_system<part_destroy_all<Deflector>>, 1);
  functions.add("part_deflector_exists", &on_system<part_exists<Deflector>>, 2);
  functions.add("part_deflector_clear", &on_system<part_set<Deflector, reset<Deflector>>>, 2);
  functions.add("part_deflector_region", &on_system<part_set<Deflector, deflector_region>>, 6);
  functions.add("part_deflector_kind", &on_system<part_set<Deflector, deflector_kind>>, 3);
  functions.add("part_deflector_friction", &on_system<part_set<Deflector, deflector_friction>>, 3);
  functions.add("part_changer_create", &on_system<part_create<Changer>>, 1);
  functions.add("part_changer_destroy", &on_system<part_destroy<Changer>>, 2);
  functions.add("part_changer_destroy_all", &on_system<part_destroy_all<Changer>>, 1);
  functions.add("part_changer_exists", &on_system<part_exists<Changer>>, 2);
  functions.add("part_changer_clear", &on_system<part_set<Changer, reset<Changer>>>, 2);
  functions.add("part_changer_region", &on_system<part_set<Changer, changer_region>>, 7);
  functions.add("part_changer_kind", &on_system<part_set<Changer, changer_kind>>, 3);
  functions.add("part_changer_types", &on_system<part_set<Changer, changer_types>>, 4);
  functions.add("effect_create_below", &effect_create<false>, 5);
  functions.add("effect_create_above", &effect_create<true>, 5);
  functions.add("effect_clear", &effect_clear, 0);
  functions.add("action_partsyst_create", &action_partsyst_create, 1);
  functions.add("action_partsyst_destroy", &action_partsyst_destroy, 0);
  functions.add("action_partsyst_clear", &action_partsyst_clear, 0);
  functions.add("action_parttype_create", &action_type<action_type_shape>, 6);
  functions.add("action_parttype_create_old", &action_type<action_type_shape_old>, 6);
  functions.add("action_parttype_color", &action_type<action_type_colour>, 6);
  functions.add("action_parttype_life", &action_type<set_life>, 3);
  functions.add("action_parttype_speed", &action_type<action_type_speed>, 6);
  functions.add("action_parttype_gravity", &action_type<set_gravity>, 3);
  functions.add("action_parttype_secondary", &action_parttype_secondary, 5);
  functions.add("action_partemit_create", &action_partemit_create, 6);
  functions.add("action_partemit_destroy", &action_partemit_destroy, 1);
  functions.add("action_partemit_burst", &action_partemit_emit<false>, 3);
  functions.add("action_partemit_stream", &action_partemit_emit<true>, 3);
  functions.add("action_effect", &action_effect, 6);
}

}  // namespace kestrel
