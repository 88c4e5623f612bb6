#include "lib/Particle_Effect.h"

#include <cmath>

#include "lib/Particle_Main.h"
#include "script/Function_Math.h"

namespace kestrel {
namespace {

enum Kind {
  explosion,
  ring,
  ellipse,
  firework,
  smoke,
  smokeup,
  star,
  spark,
  flare,
  cloud,
  rain,
  snow,
  kind_count
};
enum Shape {
  pt_disk = 1,
  pt_line = 3,
  pt_star = 4,
  pt_ring = 6,
  pt_flare = 8,
  pt_spark = 9,
  pt_explosion = 10,
  pt_cloud = 11,
  pt_smoke = 12,
  pt_snow = 13
};

constexpr double kBelowDepth = 100000;
constexpr double kAboveDepth = -100000;

// Steps pass faster than 30 a second in fast rooms, so effects are scaled to
// last the same time: 1 in rooms of 30 steps, less in faster ones.
double time_factor(const EffectSurroundings& room) {
  if (room.room_speed < 31 || room.frame_rate < 31) return 1;
  if (room.room_speed / room.frame_rate < 1.2) return 30 / room.room_speed;
  return 30 / room.frame_rate;
}

// How one effect of a kind and size looks and moves: its main type, an
// optional second type, and how many particles of each are made.
struct Recipe {
  ParticleType main;
  ParticleType second;
  int main_count = 1;
  int second_count = 0;
  std::int32_t second_colour = 0;
};

Recipe recipe(int kind, double k, double f, const EffectSurroundings& room) {
  const auto life = [k](double steps) { return std::int32_t(std::lround(steps / k)); };
  Recipe r;
  ParticleType& a = r.main;
  a.alphas[0] = 1, a.alphas[1] = 0.5, a.alphas[2] = 0;
  const auto lives = [&](ParticleType& type, double shortest, double longest) {
    type.life_min = life(shortest), type.life_max = life(longest);
  };
  switch (kind) {
    case explosion: {
      a.shape = pt_explosion;
      a.size_min = a.size_max = 0.1 * f, a.size_increment = 0.05 * k * f;
      a.angle_max = 360, a.direction_max = 360;
      a.speed_min = a.speed_max = 2 * k * f, a.speed_increment = -0.1 * k * f;
      a.alphas[0] = 0.6, a.alphas[1] = 0.3, a.alphas[2] = 0;
      lives(a, 10, 15);
      r.main_count = int(20 * f);
      ParticleType& b = r.second;
      b.shape = pt_explosion;
      b.size_min = b.size_max = 0.1 * f, b.size_increment = 0.1 * k * f;
      b.alphas[0] = 0.8, b.alphas[1] = 0.4, b.alphas[2] = 0;
      lives(b, 15, 15);
      r.second_count = 1;
      break;
    }
    case ring:
    case ellipse:
      a.shape = pt_ring;
      a.size_min = a.size_max = 0.1 * f, a.size_increment = 0.15 * k * f;
      if (kind == ellipse) a.yscale = 0.5;
      lives(a, 10, 12);
      break;
    case firework:
      a.shape = pt_flare;
      a.size_min = 0.1, a.size_max = 0.2;
      a.direction_max = 360;
      a.speed_min = 0.5 * k * f, a.speed_max = 3 * k * f, a.speed_increment = -0.02 * k;
      a.gravity = 0.05 * k;
      lives(a, 20, 30);
      r.main_count = int(50 * f);
      break;
    case smoke:
    case smokeup:
      a.shape = pt_smoke;
      a.size_min = 0.3 * f, a.size_max = 0.4 * f, a.size_increment = 0.01 * k * f;
      a.direction_min = kind == smoke ? 0 : 80, a.direction_max = kind == smoke ? 360 : 100;
      a.speed_min = (kind == smoke ? 0.1 : 1) * k, a.speed_max = (kind == smoke ? 0.3 : 2) * k;
      a.alphas[0] = 0.6, a.alphas[1] = 0.3, a.alphas[2] = 0;
      lives(a, 25, 35);
      r.main_count = int(4 * f);
      break;
    case star:
      a.shape = pt_star;
      a.size_min = a.size_max = 0.1 * f, a.size_increment = 0.05 * k * f;
      a.angle_max = 360, a.angle_increment = 5 * k;
      lives(a, 15, 20);
      break;
    case spark:
      a.shape = pt_spark;
      a.size_min = a.size_max = 0.3 * f, a.size_increment = -0.015 * k * f;
      a.angle_max = 360;
      lives(a, 10, 15);
      break;
    case flare:
      a.shape = pt_flare;
      a.size_min = a.size_max = 0.5 * f, a.size_increment = -0.02 * k * f;
      lives(a, 15, 20);
      break;
    case cloud:
      a.shape = pt_cloud;
      a.size_min = 2 * f, a.size_max = 3 * f;
      a.direction_max = 360, a.speed_min = 0.1 * k, a.speed_max = 0.2 * k;
      a.alphas[0] = 0, a.alphas[1] = 0.3, a.alphas[2] = 0;
      lives(a, 60, 80);
      break;
    case rain:
      a.shape = pt_line;
      a.size_min = 0.2, a.size_max = 0.3;
      a.angle_relative = true;
      a.direction_min = 250, a.direction_max = 260;
      a.speed_min = 8 * k, a.speed_max = 12 * k;
      a.alphas[0] = a.alphas[1] = a.alphas[2] = 0.4;
      lives(a, room.room_height / 8, room.room_height / 8);
      r.main_count = int(2 * f);
      break;
    case snow:
      a.shape = pt_snow;
      a.size_min = 0.1, a.size_max = 0.25;
      a.direction_min = 260, a.direction_max = 280, a.direction_wiggle = 10;
      a.speed_min = 1 * k, a.speed_max = 2 * k;
      a.alphas[0] = a.alphas[1] = a.alphas[2] = 0.7;
      lives(a, room.room_height / 1.5, room.room_height / 1.5);
      r.main_count = int(f);
      break;
  }
  return r;
}

// The effect system on its side, made again if the game destroyed it.
ParticleSystem& effect_system(ParticleTables& tables, bool above) {
  std::int32_t& id = tables.effect_systems[above ? 1 : 0];
  if (tables.systems.find(id) == nullptr) {
    ParticleSystem system;
    system.depth = above ? kAboveDepth : kBelowDepth;
    id = tables.systems.create(std::move(system));
  }
  return *tables.systems.find(id);
}

// The type kept for one part of an effect, reconfigured on every use.
std::int32_t effect_type(ParticleTables& tables, int kind, int size, int part,
                         const ParticleType& rules) {
  std::int32_t& id = tables.effect_types[std::size_t((kind * 3 + size) * 2 + part)];
  if (tables.types.find(id) == nullptr) id = tables.types.create();
  *tables.types.find(id) = rules;
  return id;
}

}  // namespace

void create_effect(ScriptEngine& engine, bool above, std::int32_t kind, double x, double y,
                   std::int32_t size, std::int32_t colour) {
  if (kind < 0 || kind >= kind_count) return;
  if (size != 0 && size != 2) size = 1;
  ParticleTables& tables = particles_of(engine);
  const EffectSurroundings room =
      tables.surroundings != nullptr ? tables.surroundings(engine) : EffectSurroundings();
  const double k = time_factor(room);
  const Recipe r = recipe(kind, k, size + 1.0, room);
  ParticleSystem& system = effect_system(tables, above);
  const std::int32_t main = effect_type(tables, kind, size, 0, r.main);
  if (kind == rain || kind == snow) {
    // Weather falls over the whole room, from just above its top.
    for (int i = 0; i < r.main_count; ++i) {
      const double from = random_real(engine, room.room_width * 1.2) - room.room_width * 0.1;
      create_particles(engine, system, from, -20, main, 1, colour);
    }
    return;
  }
  create_particles(engine, system, x, y, main, r.main_count, colour);
  if (r.second_count > 0) {
    const std::int32_t second = effect_type(tables, kind, size, 1, r.second);
    create_particles(engine, system, x, y, second, r.second_count, r.second_colour);
  }
}

void clear_effects(ScriptEngine& engine) {
  ParticleTables& tables = particles_of(engine);
  for (std::int32_t id : tables.effect_systems) {
    if (ParticleSystem* system = tables.systems.find(id)) system->particles.clear();
  }
}

}  // namespace kestrel
