#include <cmath>
#include <numbers>

#include "run/Event_Main.h"
#include "run/Run_Handle_Collision.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Function.h"

namespace kestrel {
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
  return instance_met_at(runner_of(e), instance_of(self), other, a[0].real(), a[1].real(),
                         round_to_int32(a[2].real()));
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
