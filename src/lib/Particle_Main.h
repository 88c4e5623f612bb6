#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "lib/Particle_Effect.h"
#include "lib/Particle_Form.h"
#include "script/script_engine.h"

namespace kestrel {

enum class ColourMode { one, two, three, rgb, hsv, mix };

// The appearance and motion rules particles are made with.
struct ParticleType {
  std::int32_t shape = 0;
  std::int32_t sprite = -1;
  bool animate = true;
  bool stretch = false;
  bool random_subimage = false;
  double size_min = 1, size_max = 1, size_increment = 0, size_wiggle = 0;
  double xscale = 1, yscale = 1;
  std::int32_t life_min = 100, life_max = 100;
  std::int32_t step_type = 0, step_number = 0;
  std::int32_t death_type = 0, death_number = 0;
  double speed_min = 0, speed_max = 0, speed_increment = 0, speed_wiggle = 0;
  double direction_min = 0, direction_max = 0, direction_increment = 0, direction_wiggle = 0;
  double angle_min = 0, angle_max = 0, angle_increment = 0, angle_wiggle = 0;
  bool angle_relative = false;
  double gravity = 0, gravity_direction = 270;
  ColourMode colour_mode = ColourMode::one;
  std::int32_t colours[3] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
  std::int32_t ranges[6] = {0, 0, 0, 0, 0, 0};  // min and max of r, g, b (or h, s, v)
  double alphas[3] = {1, 1, 1};
  bool additive = false;
};

struct Particle {
  std::int32_t type = 0;
  std::int32_t age = 0;
  std::int32_t lifetime = 0;
  double x = 0, y = 0, previous_x = 0, previous_y = 0;
  double speed = 0, direction = 0, angle = 0;
  std::int32_t colour = 0;
  double alpha = 1;
  double size = 1;
  std::int32_t subimage = 0;
  std::int32_t phase = 0;
  // The last step's length and direction and the move they make, so a
  // particle whose motion does not change needs no trigonometry.
  double step_length = 0, step_direction = 0, step_x = 0, step_y = 0;
};

// A system's live particles, oldest first. The oldest are the first to
// die, so the dead at the front are dropped by moving where the list
// starts rather than by moving every particle after them.
class ParticleList {
 public:
  using iterator = std::vector<Particle>::iterator;
  using const_iterator = std::vector<Particle>::const_iterator;

  std::size_t size() const { return items_.size() - start_; }
  bool empty() const { return size() == 0; }
  Particle& operator[](std::size_t i) { return items_[start_ + i]; }
  const Particle& operator[](std::size_t i) const { return items_[start_ + i]; }
  const Particle& front() const { return items_[start_]; }
  const Particle& back() const { return items_.back(); }
  iterator begin() { return items_.begin() + std::ptrdiff_t(start_); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin() + std::ptrdiff_t(start_); }
  const_iterator end() const { return items_.end(); }
  auto rbegin() const { return std::make_reverse_iterator(end()); }
  auto rend() const { return std::make_reverse_iterator(begin()); }

  void push_back(const Particle& p) { items_.push_back(p); }
  void clear() { items_.clear(), start_ = 0; }
  // Keeps the `count` particles from position `first` on.
  void keep(std::size_t first, std::size_t count) {
    items_.resize(start_ + first + count);
    start_ += first;
    // The dropped front is given back once it is most of the storage.
    if (start_ > items_.size() / 2) {
      items_.erase(items_.begin(), items_.begin() + std::ptrdiff_t(start_));
      start_ = 0;
    }
  }
  template <class Predicate>
  void erase_if(Predicate&& dies) {
    const auto kept = std::remove_if(begin(), end(), dies);
    keep(0, std::size_t(kept - begin()));
  }

 private:
  std::vector<Particle> items_;
  std::size_t start_ = 0;  // the particles before it are dead
};

// A rectangle of the room with a shape inside it, for emitters, destroyers
// and changers.
struct ParticleRegion {
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  std::int32_t shape = 0;  // ps_shape_rectangle, ellipse, diamond, line
  bool proper() const { return xmin < xmax && ymin < ymax; }
  // Inside the bounds and, for the ellipse and the diamond, inside the shape.
  bool holds(double x, double y, bool line_holds) const;
};

struct ParticleEmitter {
  ParticleRegion region;
  std::int32_t distribution = 0;  // ps_distr_linear, gaussian, invgaussian
  std::int32_t stream_type = 0;
  std::int32_t stream_number = 0;
};

struct ParticleAttractor {
  double x = 0, y = 0, force = 0, distance = 0;
  std::int32_t kind = 0;  // ps_force_constant, linear, quadratic
  bool additive = true;
};

struct ParticleDestroyer {
  ParticleRegion region;
};

struct ParticleDeflector {
  ParticleRegion region;
  std::int32_t kind = 0;  // ps_deflect_vertical, horizontal
  double friction = 0;
};

struct ParticleChanger {
  ParticleRegion region;
  std::int32_t type1 = -1, type2 = -1;
  std::int32_t kind = 0;  // ps_change_all, shape, motion
};

// A table of slots numbered from 0: a new entry takes the first free slot.
template <class Entry>
class SlotTable {
 public:
  std::int32_t create(Entry entry = Entry()) {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      if (!slots_[i]) {
        slots_[i] = std::make_unique<Entry>(std::move(entry));
        return std::int32_t(i);
      }
    }
    slots_.push_back(std::make_unique<Entry>(std::move(entry)));
    return std::int32_t(slots_.size() - 1);
  }
  Entry* find(std::int32_t id) const {
    if (id < 0 || id >= std::int32_t(slots_.size())) return nullptr;
    return slots_[std::size_t(id)].get();
  }
  void destroy(std::int32_t id) {
    if (find(id) != nullptr) slots_[std::size_t(id)].reset();
  }
  void clear() { slots_.clear(); }
  bool empty() const {
    for (const auto& slot : slots_) {
      if (slot) return false;
    }
    return true;
  }
  template <class Visit>
  void each(Visit&& visit) const {
    for (const auto& slot : slots_) {
      if (slot) visit(*slot);
    }
  }

 private:
  std::vector<std::unique_ptr<Entry>> slots_;
};

class ParticleTypes;

// A container of live particles with its depth, position and the emitters,
// attractors, destroyers, deflectors and changers that act on them.
struct ParticleSystem {
  // Particles a system holds at most: a runaway stream is cut off here
  // instead of taking the machine's memory.
  static constexpr std::size_t kMaxParticles = 200000;

  ParticleList particles;
  SlotTable<ParticleEmitter> emitters;
  SlotTable<ParticleAttractor> attractors;
  SlotTable<ParticleDestroyer> destroyers;
  SlotTable<ParticleDeflector> deflectors;
  SlotTable<ParticleChanger> changers;
  bool old_to_new = true;
  double depth = 0;
  double x = 0, y = 0;
  bool automatic_update = true;
  bool automatic_draw = true;

  // Everything back to a fresh system's state.
  void clear() { *this = ParticleSystem(); }
};

// Every particle type and system of one running game.
struct ParticleTables : LibraryTables {
  SlotTable<ParticleType> types;
  SlotTable<ParticleSystem> systems;
  // Draws one system now; the game's room drawing sets it, and without it
  // part_system_drawit draws nothing.
  void (*draw)(ScriptEngine& engine, ParticleSystem& system) = nullptr;
  // The room and its pace, which effects scale with; the runner sets it.
  EffectSurroundings (*surroundings)(ScriptEngine& engine) = nullptr;
  // The systems below and above the instances that effects use, and their
  // types by kind and size (-1 until first used).
  std::array<std::int32_t, 2> effect_systems;
  std::array<std::int32_t, 12 * 3 * 2> effect_types;
  // The system, types and emitters of the particle actions: one system, and
  // slots 0..15 of types and emitters (-1 while empty).
  static constexpr int kActionSlots = 16;
  std::int32_t action_system = -1;
  std::array<std::int32_t, kActionSlots> action_types;
  std::array<std::int32_t, kActionSlots> action_emitters;
  // The device textures of the built-in shapes, made with the game's other
  // textures (-1 before).
  std::array<int, kParticleShapeCount> shape_textures;

  ParticleTables() {
    shape_textures.fill(-1);
    effect_systems.fill(-1);
    effect_types.fill(-1);
    action_types.fill(-1);
    action_emitters.fill(-1);
  }
};

ParticleTables& particles_of(ScriptEngine& engine);

// Makes `number` particles of a type at a point (none for a type that does
// not exist); a colour of -1 keeps the type's own.
void create_particles(ScriptEngine& engine, ParticleSystem& system, double x, double y,
                      std::int32_t type, std::int64_t number, std::int64_t colour = -1);
// Emits from an emitter's region; a negative number -n emits one particle
// with chance 1/n.
void burst(ScriptEngine& engine, ParticleSystem& system, const ParticleEmitter& emitter,
           std::int32_t type, std::int64_t number);
// One step of a system: life, motion, destroyers, deflectors, changers,
// appearance and streams.
void update_system(ScriptEngine& engine, ParticleSystem& system);
// Every existing system that updates itself, in id order.
void update_all_systems(ScriptEngine& engine);

// The wave between -1 and 1 that wiggles follow, at step k of a period of
// 4q steps: k / q, mirrored above 2, minus 1.
double wiggle_wave(std::int64_t k, int q);

}  // namespace kestrel
