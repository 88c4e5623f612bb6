#include "run/Motion_Path.h"

#include <cmath>
#include <numbers>

namespace kestrel {
namespace {

constexpr std::int32_t kEndRestart = 1;
constexpr std::int32_t kEndContinue = 2;
constexpr std::int32_t kEndReverse = 3;

// A path the instance can move along: existing, with a length.
const CPath* followable(const Runner& runner, std::int32_t index) {
  const CPath* path = runner.paths.get(index);
  return path != nullptr && path->length > 0 ? path : nullptr;
}

// An offset from the path's own frame into the room: turned by the
// instance's orientation and scaled.
PointD oriented(const CInstance& instance, double dx, double dy) {
  const double a = std::numbers::pi * instance.path_orientation / 180;
  const double c = std::cos(a), s = std::sin(a);
  return {(dx * c + dy * s) * instance.path_scale, (dy * c - dx * s) * instance.path_scale};
}

}  // namespace

void path_start(Runner& runner, CInstance& instance, std::int32_t path, double speed,
                std::int32_t end_action, bool absolute, double scale, double orientation) {
  instance.path_index = path;
  if (path < 0) return;
  const CPath* found = followable(runner, path);
  if (found == nullptr) {
    instance.path_index = -1;
    return;
  }
  instance.path_speed = speed;
  instance.path_position = speed >= 0 ? 0 : 1;
  instance.path_positionprevious = instance.path_position;
  instance.path_scale = scale;
  if (scale < 0) {
    instance.path_index = -1;
    return;
  }
  instance.path_orientation = orientation;
  instance.path_endaction = end_action;
  // The origin is where the path's first point sits, chosen so that the
  // instance starts exactly on the end it leaves from, even when that end is
  // the last point.
  const PathPoint start = found->PositionAt(instance.path_position);
  if (absolute) instance.set_position(start.x, start.y);
  const PathPoint first = found->PositionAt(0);
  const PointD offset = oriented(instance, start.x - first.x, start.y - first.y);
  instance.path_xorigin = instance.x() - offset.x;
  instance.path_yorigin = instance.y() - offset.y;
}

bool path_step(Runner& runner, CInstance& instance) {
  if (instance.path_index < 0 || instance.path_speed == 0) return false;
  const CPath* path = followable(runner, instance.path_index);
  if (path == nullptr) return false;
  const double factor =
      path->PositionAt(instance.path_position).speed / (100 * instance.path_scale);
  instance.path_position += instance.path_speed * factor / path->length;

  double& position = instance.path_position;
  const bool ended = position >= 1 || position <= 0;
  if (ended) {
    switch (instance.path_endaction) {
      case kEndRestart:
        position += position < 0 ? 1 : -1;
        break;
      case kEndContinue: {
        const PathPoint first = path->PositionAt(0), last = path->PositionAt(1);
        const PointD d = oriented(instance, last.x - first.x, last.y - first.y);
        const double sign = position < 0 ? -1 : 1;
        instance.path_xorigin += sign * d.x;
        instance.path_yorigin += sign * d.y;
        position -= sign;
        break;
      }
      case kEndReverse:
        if (position < 0) {
          position = -position;
          instance.path_speed = std::abs(instance.path_speed);
        } else {
          position = 2 - position;
          instance.path_speed = -std::abs(instance.path_speed);
        }
        break;
      default:  // stop, as for any other value
        position = position >= 1 ? 1 : 0;
        instance.path_index = -1;
        break;
    }
  }

  const PathPoint at = path->PositionAt(position);
  const PathPoint start = path->PositionAt(0);
  const PointD offset = oriented(instance, at.x - start.x, at.y - start.y);
  const double x = instance.path_xorigin + offset.x, y = instance.path_yorigin + offset.y;
  instance.set_hspeed(x - instance.x());
  instance.set_vspeed(y - instance.y());
  instance.set_speed(0);
  instance.set_position(x, y);
  return ended;
}

}  // namespace kestrel
