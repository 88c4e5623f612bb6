#pragma once

#include <cstdint>

namespace kestrel {

class CInstance;
class CPath;
class Runner;

// How potential steps steer, set by mp_potential_settings.
struct PotentialSettings {
  double max_rotation = 30;   // degrees per step
  double rotation_step = 10;  // degrees between the directions tried
  double ahead = 3;           // how many steps ahead must be free
  bool on_spot = true;        // turn on the spot when no direction is free
};

// What a step keeps clear of: solid instances, every instance, or the
// instances of one object (or the instance with that id).
struct Obstacles {
  enum Kind { kSolid, kAll, kObject } kind = kSolid;
  std::int32_t object = -1;
};

// One step of at most `step` straight towards the goal, taken only when the
// place is free; true when the goal is reached.
bool linear_step(Runner& runner, CInstance& instance, double xgoal, double ygoal, double step,
                 const Obstacles& avoid);
// One step towards the goal that turns away from obstacles, by at most the
// settings' rotation; true when the goal is reached.
bool potential_step(Runner& runner, CInstance& instance, double xgoal, double ygoal, double step,
                    const Obstacles& avoid);

enum class Planner { kLinear, kPotential };

// The most steps a plan tries: an instance that cannot move, or turns on the
// spot for ever, gives up after these.
inline constexpr int kMaxPlanSteps = 10000;

// Writes into the path the route the instance's steps would take to the goal,
// and leaves the instance where and as it was; true when the goal was
// reached. The potential plan gives up once its route is longer than
// `factor` times the straight distance.
bool plan_path(Runner& runner, CInstance& instance, CPath& path, Planner planner, double xgoal,
               double ygoal, double step, double factor, const Obstacles& avoid);

}  // namespace kestrel
