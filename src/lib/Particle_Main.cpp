#include "lib/Particle_Main.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/Graphics_Draw.h"
#include "script/Function_Math.h"

namespace kestrel {
namespace {

constexpr double kDegrees = std::numbers::pi / 180;

double uniform(ScriptEngine& engine) {
  return random_real(engine, 1);
}

// a + r (b - a); no number is drawn when the range is empty.
double random_between(ScriptEngine& engine, double a, double b) {
  return b > a ? a + uniform(engine) * (b - a) : a;
}

// Whether one more particle happens for a count of -n: with chance 1/n.
std::int64_t chance_count(ScriptEngine& engine, std::int64_t number) {
  if (number >= 0) return number;
  return random_below(engine, -number) == 0 ? 1 : 0;
}

double distributed(ScriptEngine& engine, std::int32_t distribution) {
  if (distribution != 1 && distribution != 2) return uniform(engine);
  double g = 0;
  do {
    g = (uniform(engine) - 0.5) * 6;
  } while (!(std::exp(-g * g * 0.5) > uniform(engine)));
  if (distribution == 1) return (g + 3) / 6;
  return (g < 0 ? g + 6 : g) / 6;
}

// Degrees counter-clockwise on the screen, whose y axis points down.
double direction_of(double vx, double vy) {
  if (vx == 0) return vy > 0 ? 270 : vy < 0 ? 90 : 0;
  const double direction = -std::atan2(vy, vx) / kDegrees;
  return direction < 0 ? direction + 360 : direction;
}

std::int32_t merged(std::int32_t first, std::int32_t second, double amount) {
  return static_cast<std::int32_t>(merge_color(first, second, amount));
}

std::size_t room_left(const ParticleSystem& system) {
  return ParticleSystem::kMaxParticles -
         std::min(system.particles.size(), ParticleSystem::kMaxParticles);
}

Particle new_particle(ScriptEngine& engine, const ParticleType& type, std::int32_t type_id,
                      double x, double y, std::int64_t colour) {
  Particle p;
  p.type = type_id;
  p.x = p.previous_x = x;
  p.y = p.previous_y = y;
  p.speed = random_between(engine, type.speed_min, type.speed_max);
  p.direction = random_between(engine, type.direction_min, type.direction_max);
  p.angle = random_between(engine, type.angle_min, type.angle_max);
  p.lifetime = static_cast<std::int32_t>(
      std::nearbyint(random_between(engine, type.life_min, type.life_max)));
  const auto ranged = [&](int bound) {
    return std::nearbyint(random_between(engine, type.ranges[bound], type.ranges[bound + 1]));
  };
  switch (type.colour_mode) {
    case ColourMode::one:
    case ColourMode::two:
    case ColourMode::three:
      p.colour = type.colours[0];
      break;
    case ColourMode::rgb: {
      const double r = ranged(0), g = ranged(2), b = ranged(4);
      p.colour = std::int32_t(std::clamp(r, 0.0, 255.0)) +
                 std::int32_t(std::clamp(g, 0.0, 255.0)) * 256 +
                 std::int32_t(std::clamp(b, 0.0, 255.0)) * 65536;
      break;
    }
    case ColourMode::hsv: {
      const double h = ranged(0), s = ranged(2), v = ranged(4);
      p.colour = static_cast<std::int32_t>(make_color_hsv(h, s, v));
      break;
    }
    case ColourMode::mix:
      p.colour = merged(type.colours[0], type.colours[1], uniform(engine));
      break;
  }
  if (colour >= 0) p.colour = static_cast<std::int32_t>(colour & 0xFFFFFF);
  p.alpha = type.alphas[0];
  p.size = random_between(engine, type.size_min, type.size_max);
  p.subimage = type.random_subimage ? std::int32_t(random_below(engine, 10000)) : 0;
  p.phase = std::int32_t(random_below(engine, 100000));
  return p;
}

bool inside_bounds(const ParticleRegion& region, double x, double y) {
  return x >= region.xmin && x <= region.xmax && y >= region.ymin && y <= region.ymax;
}

// The type of each particle in turn; particles of one type come in runs,
// so the last one found is kept.
class TypeLookup {
 public:
  explicit TypeLookup(const ParticleTables& tables) : tables_(tables) {}
  const ParticleType* operator()(std::int32_t id) {
    if (id != id_) id_ = id, type_ = tables_.types.find(id);
    return type_;
  }

 private:
  const ParticleTables& tables_;
  std::int32_t id_ = -1;
  const ParticleType* type_ = nullptr;
};

// Ages particle i and makes its step or death particles, appended to the
// system; whether it dies.
inline bool age_particle(ScriptEngine& engine, ParticleSystem& system, std::size_t i,
                         TypeLookup& type_of) {
  Particle& p = system.particles[i];
  ++p.age;
  const bool dies = p.lifetime <= p.age;
  const ParticleType* type = type_of(p.type);
  if (type == nullptr) return dies;
  const std::int32_t number = dies ? type->death_number : type->step_number;
  if (number == 0) return dies;
  const std::int32_t spawn = dies ? type->death_type : type->step_type;
  const double x = p.x, y = p.y;  // the vector may move as particles are added
  create_particles(engine, system, x, y, spawn, chance_count(engine, number));
  return dies;
}

// Life: ages, deaths with their death particles, and step particles. Each
// survivor, then each particle made here (which ages from the next update
// on), is handed to `survive` and kept in order; the dead are dropped. The
// survivors close up from the first of them on, so the dead before it, the
// oldest, go without moving the others.
template <class Survive>
void live(ScriptEngine& engine, ParticleSystem& system, TypeLookup& type_of, Survive&& survive) {
  std::size_t dropped = 0, kept = 0;
  const auto keep = [&](std::size_t i) {
    Particle& p = system.particles[i];
    survive(p);
    if (dropped + kept != i) system.particles[dropped + kept] = p;
    ++kept;
  };
  const std::size_t count = system.particles.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (!age_particle(engine, system, i, type_of)) {
      keep(i);
    } else if (kept == 0) {
      ++dropped;
    }
  }
  for (std::size_t i = count; i < system.particles.size(); ++i) keep(i);
  system.particles.keep(dropped, kept);
}

// Gravity and the attractors turned into the particle's speed and direction;
// the pull of attractors that do not add to the motion goes to `extra`.
// Kept apart from the plain motion, which most particles have.
[[gnu::noinline]] void pull_particle(Particle& p, const ParticleType& type,
                                     const ParticleSystem& system, double& extra_x,
                                     double& extra_y) {
  double vx = p.speed * std::cos(p.direction * kDegrees);
  double vy = -p.speed * std::sin(p.direction * kDegrees);
  if (type.gravity != 0) {
    vx += type.gravity * std::cos(type.gravity_direction * kDegrees);
    vy -= type.gravity * std::sin(type.gravity_direction * kDegrees);
  }
  system.attractors.each([&](const ParticleAttractor& a) {
    if (a.force == 0 || a.distance == 0) return;
    const double d = std::hypot(a.x - p.x, a.y - p.y);
    if (!(d > 0 && d <= a.distance)) return;
    double scale = a.force / d;
    const double near = (a.distance - d) / a.distance;
    if (a.kind == 1) scale *= near;
    if (a.kind == 2) scale *= near * near;
    const double fx = scale * (a.x - p.x), fy = scale * (a.y - p.y);
    if (a.additive) {
      vx += fx, vy += fy;
    } else {
      extra_x += fx, extra_y += fy;
    }
  });
  p.speed = std::hypot(vx, vy);
  p.direction = direction_of(vx, vy);
}

inline void move_particle(Particle& p, const ParticleType& type, const ParticleSystem& system) {
  p.previous_x = p.x;
  p.previous_y = p.y;
  p.speed = std::max(p.speed + type.speed_increment, 0.0);
  p.direction += type.direction_increment;
  p.angle += type.angle_increment;
  double extra_x = 0, extra_y = 0;
  if (type.gravity != 0 || !system.attractors.empty()) {
    pull_particle(p, type, system, extra_x, extra_y);
  }
  double length = p.speed, direction = p.direction;
  if (type.speed_wiggle != 0 || type.direction_wiggle != 0) {
    length += wiggle_wave(p.age + 4 * std::int64_t{p.phase}, 5) * type.speed_wiggle;
    direction += wiggle_wave(p.age + 3 * std::int64_t{p.phase}, 6) * type.direction_wiggle;
  }
  if (length != p.step_length || direction != p.step_direction) {
    p.step_length = length, p.step_direction = direction;
    p.step_x = length * std::cos(direction * kDegrees);
    p.step_y = -length * std::sin(direction * kDegrees);
  }
  p.x += p.step_x + extra_x;
  p.y += p.step_y + extra_y;
}

void move_particles(ParticleSystem& system, TypeLookup& type_of) {
  for (Particle& p : system.particles) {
    if (const ParticleType* type = type_of(p.type)) move_particle(p, *type, system);
  }
}

void destroy_particles(ParticleSystem& system) {
  system.destroyers.each([&](const ParticleDestroyer& destroyer) {
    if (!destroyer.region.proper()) return;
    system.particles.erase_if(
        [&](const Particle& p) { return destroyer.region.holds(p.x, p.y, false); });
  });
}

void deflect_particles(ParticleSystem& system) {
  system.deflectors.each([&](const ParticleDeflector& deflector) {
    if (!deflector.region.proper()) return;
    for (Particle& p : system.particles) {
      if (!inside_bounds(deflector.region, p.x, p.y)) continue;
      if (deflector.kind == 0) {
        p.direction = 360 - p.direction;
        p.y = p.previous_y - (p.y - p.previous_y);
      } else {
        p.direction = 180 - p.direction;
        if (p.direction < 0) p.direction += 360;
        p.x = p.previous_x - (p.x - p.previous_x);
      }
      p.speed = std::max(p.speed - deflector.friction, 0.0);
    }
  });
}

void change_particles(ScriptEngine& engine, ParticleSystem& system, const ParticleTables& tables) {
  system.changers.each([&](const ParticleChanger& changer) {
    if (!changer.region.proper()) return;
    const ParticleType* target = tables.types.find(changer.type2);
    for (Particle& p : system.particles) {
      if (p.type != changer.type1 || !changer.region.holds(p.x, p.y, true)) continue;
      if (target == nullptr) {
        p.type = changer.type2;
        continue;
      }
      const Particle made = new_particle(engine, *target, changer.type2, p.x, p.y, -1);
      if (changer.kind == 0) {
        p = made;
      } else if (changer.kind == 1) {
        p.angle = made.angle, p.colour = made.colour, p.alpha = made.alpha;
        p.size = made.size, p.subimage = made.subimage;
      } else if (changer.kind == 2) {
        p.speed = made.speed, p.direction = made.direction;
      }
      p.type = changer.type2;
    }
  });
}

// The colour of a particle of two or three colours at its age.
std::int32_t colour_at_age(const ParticleType& type, const Particle& p) {
  const double life = p.lifetime;
  if (type.colour_mode == ColourMode::two) {
    return merged(type.colours[0], type.colours[1], std::min(p.age / life, 1.0));
  }
  const double t = std::min(2 * p.age / life, 2.0);
  return t < 1 ? merged(type.colours[0], type.colours[1], t)
               : merged(type.colours[1], type.colours[2], t - 1);
}

// Size, colour and alpha at a particle's age. Particles made together share
// their type, age and life, and so their colour and alpha: a run of them
// takes those worked out for the first.
class Appearance {
 public:
  void age(Particle& p, const ParticleType& type) {
    p.size = std::max(p.size + type.size_increment, 0.0);
    if (&type != last_type_ || p.age != last_age_ || p.lifetime != last_lifetime_) {
      last_type_ = &type, last_age_ = p.age, last_lifetime_ = p.lifetime;
      if (type.colour_mode == ColourMode::two || type.colour_mode == ColourMode::three) {
        last_colour_ = colour_at_age(type, p);
      }
      const double life = p.lifetime;
      const double t = life < 1 ? 1 : 2 * p.age / life;
      last_alpha_ = t < 1 ? (1 - t) * type.alphas[0] + t * type.alphas[1]
                          : (2 - t) * type.alphas[1] + (t - 1) * type.alphas[2];
    }
    if (type.colour_mode == ColourMode::two || type.colour_mode == ColourMode::three) {
      p.colour = last_colour_;
    }
    p.alpha = last_alpha_;
  }

 private:
  const ParticleType* last_type_ = nullptr;
  std::int32_t last_age_ = 0, last_lifetime_ = 0, last_colour_ = 0;
  double last_alpha_ = 1;
};

void age_appearance(ParticleSystem& system, TypeLookup& type_of) {
  Appearance appearance;
  for (Particle& p : system.particles) {
    if (const ParticleType* type = type_of(p.type)) appearance.age(p, *type);
  }
}

// Life, motion and appearance in one pass over the particles, for a system
// with no destroyers, deflectors or changers, which would act between the
// motion and the appearance. The particles come out as the separate passes
// leave them: only the life step draws random numbers, in the same order.
void live_move_and_age(ScriptEngine& engine, ParticleSystem& system, TypeLookup& type_of) {
  Appearance appearance;
  live(engine, system, type_of, [&](Particle& p) {
    if (const ParticleType* type = type_of(p.type)) {
      move_particle(p, *type, system);
      appearance.age(p, *type);
    }
  });
}

}  // namespace

bool ParticleRegion::holds(double x, double y, bool line_holds) const {
  if (!inside_bounds(*this, x, y)) return false;
  const double u = 2 * (x - (xmin + xmax) / 2) / (xmax - xmin);
  const double v = 2 * (y - (ymin + ymax) / 2) / (ymax - ymin);
  switch (shape) {
    case 1:
      return u * u + v * v <= 1;
    case 2:
      return std::fabs(u) + std::fabs(v) <= 1;
    case 3:
      return line_holds;
    default:
      return true;
  }
}

double wiggle_wave(std::int64_t k, int q) {
  double t = double(k % (4 * q)) / q;
  if (t > 2) t = 4 - t;
  return t - 1;
}

ParticleTables& particles_of(ScriptEngine& engine) {
  auto& tables = engine.library_tables[std::size_t(LibraryFamily::particles)];
  if (!tables) tables = std::make_unique<ParticleTables>();
  return static_cast<ParticleTables&>(*tables);
}

void create_particles(ScriptEngine& engine, ParticleSystem& system, double x, double y,
                      std::int32_t type, std::int64_t number, std::int64_t colour) {
  const ParticleType* found = particles_of(engine).types.find(type);
  if (found == nullptr) return;
  number = std::min<std::int64_t>(number, std::int64_t(room_left(system)));
  for (std::int64_t i = 0; i < number; ++i)
    system.particles.push_back(new_particle(engine, *found, type, x, y, colour));
}

void burst(ScriptEngine& engine, ParticleSystem& system, const ParticleEmitter& emitter,
           std::int32_t type, std::int64_t number) {
  const ParticleType* found = particles_of(engine).types.find(type);
  if (found == nullptr) return;
  const ParticleRegion& r = emitter.region;
  number = std::min<std::int64_t>(chance_count(engine, number), std::int64_t(room_left(system)));
  for (std::int64_t i = 0; i < number; ++i) {
    double u = 0, v = 0;
    for (;;) {
      u = distributed(engine, emitter.distribution);
      v = distributed(engine, emitter.distribution);
      if (emitter.distribution == 2 && r.shape != 3) {
        if (uniform(engine) >= 0.5) {
          v = uniform(engine);
        } else {
          u = uniform(engine);
        }
      }
      if (r.shape == 1 && (u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5) > 0.25) continue;
      if (r.shape == 2 && std::fabs(u - 0.5) + std::fabs(v - 0.5) > 0.5) continue;
      break;
    }
    const double x = r.xmin + u * (r.xmax - r.xmin);
    const double y = r.ymin + (r.shape == 3 ? u : v) * (r.ymax - r.ymin);
    system.particles.push_back(new_particle(engine, *found, type, x, y, -1));
  }
}

void update_system(ScriptEngine& engine, ParticleSystem& system) {
  TypeLookup type_of(particles_of(engine));
  if (system.destroyers.empty() && system.deflectors.empty() && system.changers.empty()) {
    live_move_and_age(engine, system, type_of);
  } else {
    live(engine, system, type_of, [](Particle&) {});
    move_particles(system, type_of);
    if (!system.destroyers.empty()) destroy_particles(system);
    if (!system.deflectors.empty()) deflect_particles(system);
    if (!system.changers.empty()) change_particles(engine, system, particles_of(engine));
    age_appearance(system, type_of);
  }
  system.emitters.each([&](const ParticleEmitter& emitter) {
    if (emitter.stream_number != 0) {
      burst(engine, system, emitter, emitter.stream_type, emitter.stream_number);
    }
  });
}

void update_all_systems(ScriptEngine& engine) {
  particles_of(engine).systems.each([&](ParticleSystem& system) {
    if (system.automatic_update) update_system(engine, system);
  });
}

}  // namespace kestrel
