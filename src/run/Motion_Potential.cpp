#include "run/Motion_Potential.h"

#include <cmath>
#include <numbers>

#include "run/Run_Handle_Collision.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

bool is_free(Runner& runner, CInstance& instance, double x, double y, const Obstacles& avoid) {
  switch (avoid.kind) {
    case Obstacles::kAll:
      return place_empty_at(runner, instance, x, y);
    case Obstacles::kObject:
      return instance_met_at(runner, instance, instance, x, y, avoid.object) == kNoone;
    case Obstacles::kSolid:
      break;
  }
  return place_free_at(runner, instance, x, y);
}

void move_to(CInstance& instance, double x, double y) {
  instance.set_direction(direction_of(x - instance.x(), y - instance.y()));
  instance.set_position(x, y);
}

double radians(double degrees) {
  return degrees * std::numbers::pi / 180;
}

// The angle between two directions, 0..180.
double turn_between(double a, double b) {
  const double difference =
      std::abs(std::fmod(std::fmod(a, 360) + 360, 360) - std::fmod(std::fmod(b, 360) + 360, 360));
  return difference > 180 ? 360 - difference : difference;
}

}  // namespace

bool linear_step(Runner& runner, CInstance& instance, double xgoal, double ygoal, double step,
                 const Obstacles& avoid) {
  const double x = instance.x(), y = instance.y();
  if (x == xgoal && y == ygoal) return true;
  const double distance = std::hypot(xgoal - x, ygoal - y);
  const bool reaches = distance <= step;
  const double f = reaches ? 1 : step / distance;
  const double cx = x + (xgoal - x) * f, cy = y + (ygoal - y) * f;
  if (is_free(runner, instance, cx, cy, avoid)) move_to(instance, cx, cy);
  return reaches;
}

bool potential_step(Runner& runner, CInstance& instance, double xgoal, double ygoal, double step,
                    const Obstacles& avoid) {
  const double x = instance.x(), y = instance.y();
  if (x == xgoal && y == ygoal) return true;
  if (std::hypot(xgoal - x, ygoal - y) <= step) {
    if (is_free(runner, instance, xgoal, ygoal, avoid)) move_to(instance, xgoal, ygoal);
    return true;
  }
  const PotentialSettings& settings = runner.potential;
  const double goal = direction_of(xgoal - x, ygoal - y);
  const auto try_direction = [&](double d) {
    if (turn_between(d, instance.direction()) > settings.max_rotation) return false;
    const double dx = std::cos(radians(d)), dy = -std::sin(radians(d));
    const double ahead = step * settings.ahead;
    if (!is_free(runner, instance, x + dx * ahead, y + dy * ahead, avoid)) return false;
    if (!is_free(runner, instance, x + dx * step, y + dy * step, avoid)) return false;
    instance.set_direction(d);
    instance.set_position(x + dx * step, y + dy * step);
    return true;
  };
  for (double a = 0; a < 180; a += settings.rotation_step) {
    if (try_direction(goal - a) || try_direction(goal + a)) return false;
  }
  if (settings.on_spot) instance.set_direction(instance.direction() + settings.max_rotation);
  return false;
}

bool plan_path(Runner& runner, CInstance& instance, CPath& path, Planner planner, double xgoal,
               double ygoal, double step, double factor, const Obstacles& avoid) {
  const bool potential = planner == Planner::kPotential;
  if (step <= 0 || (potential && factor < 1)) return false;
  const double x0 = instance.x(), y0 = instance.y(), direction = instance.direction();
  const double limit = factor * std::hypot(xgoal - x0, ygoal - y0);
  path.kind = 0;
  path.closed = false;
  path.points.assign(1, {x0, y0, 100});
  double length = 0;
  bool reached = false;
  for (int i = 0; i < kMaxPlanSteps && !reached; ++i) {
    const double x = instance.x(), y = instance.y();
    reached = potential ? potential_step(runner, instance, xgoal, ygoal, step, avoid)
                        : linear_step(runner, instance, xgoal, ygoal, step, avoid);
    if (reached) break;
    const bool moved = instance.x() != x || instance.y() != y;
    if (!potential && !moved) break;
    path.points.push_back({instance.x(), instance.y(), 100});
    length += std::hypot(instance.x() - x, instance.y() - y);
    if (potential && length > limit) break;
  }
  if (reached) path.points.push_back({xgoal, ygoal, 100});
  path.Recompute();
  instance.set_position(x0, y0);
  instance.set_direction(direction);
  return reached;
}

}  // namespace kestrel
