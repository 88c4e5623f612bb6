#include "run/Run_Handle_Collision.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "data/Runner_Load.h"
#include "run/Event_Main.h"
#include "run/Function_Game.h"
#include "run/Runner.h"
#include "run/collision_grid.h"

namespace kestrel {
namespace {

// Where the instance's mask lies; false when it has no usable mask sprite.
bool placement_of(const Runner& runner, const CInstance& instance, MaskPlacement& placed) {
  const CSprite* sprite =
      runner.game.sprites.get(instance.mask() >= 0 ? instance.mask() : instance.sprite());
  if (sprite == nullptr || sprite->images.empty() || sprite->masks.empty()) return false;
  std::size_t frame = 0;
  if (sprite->masks.size() > 1) {
    const auto count = static_cast<std::int64_t>(sprite->masks.size());
    std::int64_t index = static_cast<std::int64_t>(std::floor(instance.image_index)) % count;
    if (index < 0) index += count;
    frame = static_cast<std::size_t>(index);
  }
  placed.mask = &sprite->masks[frame];
  placed.x = round_to_int32(instance.x());
  placed.y = round_to_int32(instance.y());
  placed.xorig = sprite->xorig;
  placed.yorig = sprite->yorig;
  placed.xscale = instance.xscale();
  placed.yscale = instance.yscale();
  placed.angle = instance.angle();
  placed.box = box_of(instance);
  return true;
}

bool boxes_overlap(const CInstance& a, const CInstance& b) {
  return a.bbox_right() + 1 > b.bbox_left() && b.bbox_right() + 1 > a.bbox_left() &&
         a.bbox_bottom() + 1 > b.bbox_top() && b.bbox_bottom() + 1 > a.bbox_top();
}

// A shape given by two corners, in either order.
struct Corners {
  double left, top, right, bottom;
  Corners(double x1, double y1, double x2, double y2)
      : left(std::min(x1, x2)),
        top(std::min(y1, y2)),
        right(std::max(x1, x2)),
        bottom(std::max(y1, y2)) {}
};

bool box_meets(const CInstance& instance, const Corners& shape) {
  return !instance.destroyed && instance.bbox_right() + 1 > shape.left &&
         instance.bbox_left() <= shape.right && instance.bbox_bottom() + 1 > shape.top &&
         instance.bbox_top() <= shape.bottom;
}

// The pixel test of the instance's mask against a shape in whole pixels.
template <class MaskTest>
bool mask_meets(const Runner& runner, const CInstance& instance, MaskTest test) {
  MaskPlacement placed;
  return placement_of(runner, instance, placed) && test(placed);
}

bool meets_rectangle(const Runner& runner, const CInstance& instance, const Corners& shape,
                     bool precise) {
  if (!box_meets(instance, shape)) return false;
  return !precise || mask_meets(runner, instance, [&](const MaskPlacement& placed) {
    return MaskHitsRectangle(placed, round_to_int32(shape.left), round_to_int32(shape.top),
                             round_to_int32(shape.right), round_to_int32(shape.bottom));
  });
}

// The ellipse inscribed in the corners' rectangle.
bool meets_ellipse(const Runner& runner, const CInstance& instance, const Corners& shape,
                   bool precise) {
  const int left = round_to_int32(shape.left), right = round_to_int32(shape.right);
  const int top = round_to_int32(shape.top), bottom = round_to_int32(shape.bottom);
  if (left == right || top == bottom) return meets_rectangle(runner, instance, shape, precise);
  if (!box_meets(instance, shape)) return false;
  const double cx = (shape.left + shape.right) / 2, cy = (shape.top + shape.bottom) / 2;
  const double rx = (shape.right - shape.left) / 2, ry = (shape.bottom - shape.top) / 2;
  const auto inside = [&](double x, double y) {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1;
  };
  const double box_left = instance.bbox_left(), box_right = instance.bbox_right();
  const double box_top = instance.bbox_top(), box_bottom = instance.bbox_bottom();
  // The boxes overlap; the ellipse misses the box only past one of its corners.
  const bool touches = (box_left <= cx && cx <= box_right) || (box_top <= cy && cy <= box_bottom) ||
                       inside(box_left, box_top) || inside(box_right, box_top) ||
                       inside(box_left, box_bottom) || inside(box_right, box_bottom);
  if (!touches) return false;
  return !precise || mask_meets(runner, instance, [&](const MaskPlacement& placed) {
    return MaskHitsEllipse(placed, left, top, right, bottom);
  });
}

bool meets_line(const Runner& runner, const CInstance& instance, double x1, double y1, double x2,
                double y2, bool precise) {
  if (!box_meets(instance, Corners(x1, y1, x2, y2))) return false;
  if (x1 > x2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  // The part of the line between the box's left and right edges; a vertical
  // line already lies between them.
  const double left = instance.bbox_left(), right = instance.bbox_right() + 1;
  if (x1 != x2) {
    const double slope = (y2 - y1) / (x2 - x1);
    if (x1 < left) {
      y1 += (left - x1) * slope;
      x1 = left;
    }
    if (x2 > right) {
      y2 -= (x2 - right) * slope;
      x2 = right;
    }
  }
  const double top = instance.bbox_top(), bottom = instance.bbox_bottom() + 1;
  if ((y1 < top && y2 < top) || (y1 >= bottom && y2 >= bottom)) return false;
  return !precise || mask_meets(runner, instance, [&](const MaskPlacement& placed) {
    return MaskHitsLine(placed, round_to_int32(x1), round_to_int32(y1), round_to_int32(x2),
                        round_to_int32(y2));
  });
}

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

// Whether self would collide at (x, y) with an instance `counts` accepts.
template <class Counts>
bool meets_at(Runner& runner, CInstance& self, double x, double y, Counts counts) {
  const double old_x = self.x(), old_y = self.y();
  self.set_position(x, y);
  bool met = false;
  RoomInstances& instances = runner.instances();
  for (std::int32_t i = 0; i < instances.count() && !met; ++i) {
    const CInstance& other = instances.at(i);
    met = counts(other) && instances_collide(runner, self, other, true);
  }
  self.set_position(old_x, old_y);
  return met;
}

bool place_free_at(Runner& runner, CInstance& self, double x, double y) {
  return !meets_at(runner, self, x, y, [](const CInstance& other) { return other.solid; });
}

bool place_empty_at(Runner& runner, CInstance& self, double x, double y) {
  return !meets_at(runner, self, x, y, [](const CInstance&) { return true; });
}

void move_back(CInstance& instance) {
  instance.set_position(instance.xprevious, instance.yprevious);
  instance.path_position = instance.path_positionprevious;
}

}  // namespace

bool instance_covers_point(const Runner& runner, const CInstance& instance, double px, double py,
                           bool precise) {
  if (instance.destroyed || px < instance.bbox_left() || px >= instance.bbox_right() + 1 ||
      py < instance.bbox_top() || py >= instance.bbox_bottom() + 1) {
    return false;
  }
  if (!precise) return true;
  MaskPlacement placed;
  return placement_of(runner, instance, placed) &&
         MaskHits(placed, round_to_int32(px), round_to_int32(py));
}

bool instances_collide(const Runner& runner, const CInstance& a, const CInstance& b, bool precise) {
  if (&a == &b || a.destroyed || b.destroyed || !boxes_overlap(a, b)) return false;
  if (!precise) return true;
  MaskPlacement placed_a, placed_b;
  return placement_of(runner, a, placed_a) && placement_of(runner, b, placed_b) &&
         MasksCollide(placed_a, placed_b);
}

void run_collision_events(Runner& runner) {
  // The grid only skips pairs whose boxes cannot overlap; the pairs that are
  // tested, and so the events, come in the same order as without it.
  CollisionGrid grid;
  std::vector<std::uint32_t> near;
  for (const auto& [object_a, object_b] : runner.event_lists.collision_pairs()) {
    // Fetched again after every event: an instance of an object made at run
    // time can move the tables.
    const std::vector<CInstance*>* as = &runner.instances().exact(object_a);
    const std::vector<CInstance*>* bs = &runner.instances().exact(object_b);
    grid.build(*bs);
    for (std::size_t i = 0; i < as->size(); ++i) {
      CInstance& p = *(*as)[i];
      if (p.destroyed) continue;
      const std::size_t first = object_a == object_b ? i : 0;
      grid.candidates(box_of(p), first, near);
      std::size_t c = 0;
      while (c < near.size()) {
        const std::size_t j = near[c++];
        CInstance& q = *(*bs)[j];
        if (!instances_collide(runner, p, q, true)) continue;
        const bool solid = p.solid || q.solid;
        if (solid) {
          move_back(p);
          move_back(q);
        }
        perform_event(runner, p, q, p.object_index, kEventCollision, q.object_index);
        perform_event(runner, q, p, q.object_index, kEventCollision, p.object_index);
        if (solid) {
          p.set_position(p.x() + p.hspeed(), p.y() + p.vspeed());
          q.set_position(q.x() + q.hspeed(), q.y() + q.vspeed());
          if (instances_collide(runner, p, q, true)) {
            move_back(p);
            move_back(q);
          }
        }
        // The events may have moved, made or changed instances, self included.
        as = &runner.instances().exact(object_a);
        bs = &runner.instances().exact(object_b);
        grid.refresh(*bs);
        grid.candidates(box_of(p), j + 1, near);
        c = 0;
      }
    }
  }
}

namespace {

using Args = const RValue*;

void place_free(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(place_free_at(runner_of(e), instance_of(self), a[0].real(), a[1].real()) ? 1 : 0);
}

void place_empty(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(place_empty_at(runner_of(e), instance_of(self), a[0].real(), a[1].real()) ? 1 : 0);
}

// The first instance matching the specifier that self would meet at (x, y).
std::int32_t first_met(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, Args a) {
  Runner& runner = runner_of(e);
  CInstance& me = instance_of(self);
  const double old_x = me.x(), old_y = me.y();
  me.set_position(a[0].real(), a[1].real());
  std::int32_t found = kNoone;
  for_each_candidate(runner, self, other, round_to_int32(a[2].real()), [&](CInstance& candidate) {
    if (!instances_collide(runner, me, candidate, true)) return true;
    found = candidate.id;
    return false;
  });
  me.set_position(old_x, old_y);
  return found;
}

void place_meeting(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                   Args a) {
  r.set_real(first_met(e, self, other, a) != kNoone ? 1 : 0);
}

void instance_place(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                    Args a) {
  r.set_real(first_met(e, self, other, a));
}

// The first instance matching the specifier that meets a shape, self left
// out when `not_me`; noone when there is none.
template <class Meets>
std::int32_t first_meeting(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other,
                           std::int32_t specifier, bool not_me, Meets meets) {
  Runner& runner = runner_of(e);
  std::int32_t found = kNoone;
  for_each_candidate(runner, self, other, specifier, [&](CInstance& candidate) {
    if ((not_me && &candidate == &self) || !meets(runner, candidate)) return true;
    found = candidate.id;
    return false;
  });
  return found;
}

std::int32_t first_at_point(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, double x,
                            double y, std::int32_t specifier) {
  return first_meeting(e, self, other, specifier, false,
                       [&](const Runner& runner, const CInstance& candidate) {
                         return instance_covers_point(runner, candidate, x, y, true);
                       });
}

void position_empty(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                    Args a) {
  r.set_real(first_at_point(e, self, other, a[0].real(), a[1].real(), kAll) == kNoone ? 1 : 0);
}

void position_meeting(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                      Args a) {
  r.set_real(first_at_point(e, self, other, a[0].real(), a[1].real(),
                            round_to_int32(a[2].real())) != kNoone
                 ? 1
                 : 0);
}

void instance_position(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                       Args a) {
  r.set_real(first_at_point(e, self, other, a[0].real(), a[1].real(), round_to_int32(a[2].real())));
}

// Calls `act` for every instance of the room list that covers the point.
// Instances that the actions add are not visited, so that one whose event
// makes a new instance at the point cannot go on for ever.
template <class Act>
void for_each_at_point(Runner& runner, double x, double y, Act act) {
  RoomInstances& instances = runner.instances();
  const std::int32_t count = instances.count();
  for (std::int32_t i = 0; i < count && i < instances.count(); ++i) {
    CInstance& instance = instances.at(i);
    if (instance_covers_point(runner, instance, x, y, true)) act(instance);
  }
}

void position_destroy(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  Runner& runner = runner_of(e);
  for_each_at_point(runner, a[0].real(), a[1].real(),
                    [&](CInstance& instance) { runner.destroy_instance(instance); });
}

void position_change(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  Runner& runner = runner_of(e);
  const std::int32_t object = round_to_int32(a[2].real());
  const bool run_events = is_true(a[3]);
  for_each_at_point(runner, a[0].real(), a[1].real(), [&](CInstance& instance) {
    change_instance(runner, instance, object, run_events);
  });
}

void collision_point(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                     Args a) {
  const double x = a[0].real(), y = a[1].real();
  const bool precise = is_true(a[3]);
  r.set_real(first_meeting(e, self, other, round_to_int32(a[2].real()), is_true(a[4]),
                           [&](const Runner& runner, const CInstance& candidate) {
                             return instance_covers_point(runner, candidate, x, y, precise);
                           }));
}

// collision_rectangle and collision_ellipse: two corners, then obj, prec, notme.
template <auto meets>
void collision_in_corners(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int,
                          RValue& r, Args a) {
  const Corners shape(a[0].real(), a[1].real(), a[2].real(), a[3].real());
  const bool precise = is_true(a[5]);
  r.set_real(first_meeting(e, self, other, round_to_int32(a[4].real()), is_true(a[6]),
                           [&](const Runner& runner, const CInstance& candidate) {
                             return meets(runner, candidate, shape, precise);
                           }));
}

void collision_circle(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                      Args a) {
  const double x = a[0].real(), y = a[1].real(), radius = a[2].real();
  const Corners shape(x - radius, y - radius, x + radius, y + radius);
  const bool precise = is_true(a[4]);
  r.set_real(first_meeting(e, self, other, round_to_int32(a[3].real()), is_true(a[5]),
                           [&](const Runner& runner, const CInstance& candidate) {
                             return meets_ellipse(runner, candidate, shape, precise);
                           }));
}

void collision_line(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int, RValue& r,
                    Args a) {
  const bool precise = is_true(a[5]);
  r.set_real(first_meeting(e, self, other, round_to_int32(a[4].real()), is_true(a[6]),
                           [&](const Runner& runner, const CInstance& candidate) {
                             return meets_line(runner, candidate, a[0].real(), a[1].real(),
                                               a[2].real(), a[3].real(), precise);
                           }));
}

// Moves one pixel at a time in a direction, up to `max_distance` (1000 when
// it is 0 or less): into contact while the next place is free, or out while
// the current one is not.
template <bool into_contact, bool solid_only>
void move_until(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&, Args a) {
  Runner& runner = runner_of(e);
  CInstance& me = instance_of(self);
  const auto free_at = [&](double x, double y) {
    return solid_only ? place_free_at(runner, me, x, y) : place_empty_at(runner, me, x, y);
  };
  const double radians = a[0].real() * std::numbers::pi / 180;
  const double dx = std::cos(radians), dy = -std::sin(radians);
  const std::int64_t steps = a[1].real() <= 0 ? 1000 : round_to_int64(a[1].real());
  if (free_at(me.x(), me.y()) != into_contact) return;
  for (std::int64_t i = 0; i < steps; ++i) {
    if (into_contact) {
      if (!free_at(me.x() + dx, me.y() + dy)) return;
      me.set_position(me.x() + dx, me.y() + dy);
    } else {
      me.set_position(me.x() + dx, me.y() + dy);
      if (free_at(me.x(), me.y())) return;
    }
  }
}

void move_contact(ScriptEngine& e, ScriptInstance& self, ScriptInstance& other, int count,
                  RValue& r, Args a) {
  const RValue arguments[2] = {a[0], RValue(-1.0)};
  if (place_free_at(runner_of(e), instance_of(self), instance_of(self).x(),
                    instance_of(self).y())) {
    move_until<true, true>(e, self, other, count, r, arguments);
  } else {
    move_until<false, true>(e, self, other, count, r, arguments);
  }
}

// Bounces off solid instances (or all instances), precisely by trying
// directions ten degrees apart, or by the horizontal and vertical speeds.
template <bool solid_only>
void move_bounce(ScriptEngine& e, ScriptInstance& self, ScriptInstance&, int, RValue&, Args a) {
  Runner& runner = runner_of(e);
  CInstance& me = instance_of(self);
  const auto free_at = [&](double x, double y) {
    return solid_only ? place_free_at(runner, me, x, y) : place_empty_at(runner, me, x, y);
  };
  bool bounced = false;
  if (!free_at(me.x(), me.y())) {
    me.set_position(me.xprevious, me.yprevious);
    bounced = true;
  }
  const double x0 = me.x(), y0 = me.y();
  if (is_true(a[0])) {
    const double base = std::nearbyint(me.direction() / 10) * 10;
    const auto free_towards = [&](double angle) {
      const double radians = std::numbers::pi * angle / 180;
      return free_at(x0 + std::cos(radians) * me.speed(), y0 - std::sin(radians) * me.speed());
    };
    double a1 = base;
    for (int i = 0; i < 35; ++i) {
      a1 -= 10;
      if (free_towards(a1)) break;
      bounced = true;
    }
    double a2 = base;
    for (int i = 0; i < 35; ++i) {
      a2 += 10;
      if (free_towards(a2)) break;
      bounced = true;
    }
    if (bounced) me.set_direction(a1 + a2 + 180 - base);
    return;
  }
  const bool h = !free_at(x0 + me.hspeed(), y0);
  const bool v = !free_at(x0, y0 + me.vspeed());
  const bool d = !free_at(x0 + me.hspeed(), y0 + me.vspeed());
  if ((h && v) || (!h && !v && d)) {
    me.set_hspeed(-me.hspeed());
    me.set_vspeed(-me.vspeed());
  } else if (h) {
    me.set_hspeed(-me.hspeed());
  } else if (v) {
    me.set_vspeed(-me.vspeed());
  }
}

}  // namespace

void register_collision_functions(FunctionRegistry& functions) {
  functions.add("place_free", &place_free, 2);
  functions.add("place_empty", &place_empty, 2);
  functions.add("place_meeting", &place_meeting, 3);
  functions.add("instance_place", &instance_place, 3);
  functions.add("position_empty", &position_empty, 2);
  functions.add("position_meeting", &position_meeting, 3);
  functions.add("instance_position", &instance_position, 3);
  functions.add("position_destroy", &position_destroy, 2);
  functions.add("position_change", &position_change, 4);
  functions.add("collision_point", &collision_point, 5);
  functions.add("collision_rectangle", &collision_in_corners<meets_rectangle>, 7);
  functions.add("collision_ellipse", &collision_in_corners<meets_ellipse>, 7);
  functions.add("collision_circle", &collision_circle, 6);
  functions.add("collision_line", &collision_line, 7);
  functions.add("move_contact_solid", &move_until<true, true>, 2);
  functions.add("move_contact_all", &move_until<true, false>, 2);
  functions.add("move_outside_solid", &move_until<false, true>, 2);
  functions.add("move_outside_all", &move_until<false, false>, 2);
  functions.add("move_contact", &move_contact, 1);
  functions.add("move_bounce_solid", &move_bounce<true>, 1);
  functions.add("move_bounce", &move_bounce<true>, 1);
  functions.add("move_bounce_all", &move_bounce<false>, 1);
}

}  // namespace kestrel
