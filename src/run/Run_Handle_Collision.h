#pragma once

#include <algorithm>
#include <cstdint>

#include "run/Runner.h"

namespace kestrel {

// Whether two instances overlap: by their boxes, and with `precise` by the
// pixels of their masks. An instance never collides with itself, and a
// destroyed one with nothing.
bool instances_collide(const Runner& runner, const CInstance& a, const CInstance& b, bool precise);

// Whether the instance covers the room point: by its box, and with
// `precise` by its mask's pixel there.
bool instance_covers_point(const Runner& runner, const CInstance& instance, double px, double py,
                           bool precise);

// The collision events of a step: every pair of objects that has an event,
// with solid instances put back before and tried again after their events.
void run_collision_events(Runner& runner);

// A shape given by two corners, in either order.
struct Corners {
  double left, top, right, bottom;
  Corners(double x1, double y1, double x2, double y2)
      : left(std::min(x1, x2)),
        top(std::min(y1, y2)),
        right(std::max(x1, x2)),
        bottom(std::max(y1, y2)) {}
};

// Whether the instance meets the shape: by its box, and with `precise` by its
// mask's pixels. Destroyed instances meet nothing.
bool meets_rectangle(const Runner& runner, const CInstance& instance, const Corners& shape,
                     bool precise);
// The ellipse inscribed in the corners' rectangle.
bool meets_ellipse(const Runner& runner, const CInstance& instance, const Corners& shape,
                   bool precise);
bool meets_line(const Runner& runner, const CInstance& instance, double x1, double y1, double x2,
                double y2, bool precise);

// Whether the instance, put at (x, y), would meet no solid instance, or no
// instance at all.
bool place_free_at(Runner& runner, CInstance& self, double x, double y);
bool place_empty_at(Runner& runner, CInstance& self, double x, double y);
// The first instance the specifier names that self, put at (x, y), would
// meet; noone when there is none.
std::int32_t instance_met_at(Runner& runner, CInstance& self, ScriptInstance& other, double x,
                             double y, std::int32_t specifier);

// The instances a specifier names, in room list order (family order for an
// object), destroyed ones left out; stops when `visit` returns false.
template <class Visit>
void for_each_candidate(Runner& runner, ScriptInstance& self, ScriptInstance& other,
                        std::int32_t specifier, Visit visit) {
  RoomInstances& instances = runner.instances();
  if (specifier == kSelf) specifier = self.id;
  if (specifier == kOther) specifier = other.id;
  if (specifier == kAll) {
    for (std::int32_t i = 0; i < instances.count(); ++i) {
      if (!instances.at(i).destroyed && !visit(instances.at(i))) return;
    }
  } else if (specifier >= kFirstInstanceId) {
    CInstance* found = instances.find(specifier);
    if (found != nullptr && !found->destroyed) visit(*found);
  } else if (specifier >= 0) {
    const auto& family = instances.family(specifier);
    for (std::size_t k = 0; k < family.size(); ++k) {
      if (!family[k]->destroyed && !visit(*family[k])) return;
    }
  }
}

}  // namespace kestrel
