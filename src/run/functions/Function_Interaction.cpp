#include <algorithm>
#include <cmath>
#include <limits>

#include "data/Runner_Load.h"
#include "run/Event_Main.h"
#include "run/Run_Handle_Collision.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Error.h"
#include "script/Function_Math.h"

namespace kestrel {
namespace {

// Calls `visit` for every live instance a specifier names, until it returns false.
template <class Visit>
void for_each_named(Runner& runner, ScriptInstance& self, ScriptInstance& other,
                    std::int32_t specifier, Visit visit) {
  const auto live = [](ScriptInstance* instance) {
    return instance != nullptr && !instance->destroyed;
  };
  if (specifier == kSelf || specifier == kOther) {
    ScriptInstance& named = specifier == kSelf ? self : other;
    if (live(&named)) visit(instance_of(named));
    return;
  }
  RoomInstances& instances = runner.instances();
  if (specifier == kAll) {
    for (std::int32_t i = 0; i < instances.count(); ++i) {
      if (live(&instances.at(i)) && !visit(instances.at(i))) return;
    }
  } else if (specifier >= kFirstInstanceId) {
    CInstance* found = instances.find(specifier);
    if (live(found)) visit(*found);
  } else if (specifier >= 0) {
    const auto& family = instances.family(specifier);
    for (std::size_t k = 0; k < family.size(); ++k) {
      if (live(family[k]) && !visit(*family[k])) return;
    }
  }
}

void instance_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     const RValue* arguments) {
  CInstance* created = runner_of(engine).create_instance(round_to_int32(arguments[2].real()),
                                                         arguments[0].real(), arguments[1].real());
  result.set_real(created != nullptr ? created->id : kNoone);
}

void instance_destroy(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue&,
                      const RValue*) {
  runner_of(engine).destroy_instance(instance_of(self));
}

void instance_exists(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                     RValue& result, const RValue* arguments) {
  bool found = false;
  for_each_named(runner_of(engine), self, other, round_to_int32(arguments[0].real()),
                 [&](CInstance&) { return !(found = true); });
  result.set_real(found ? 1 : 0);
}

void instance_number(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                     RValue& result, const RValue* arguments) {
  int count = 0;
  for_each_named(runner_of(engine), self, other, round_to_int32(arguments[0].real()),
                 [&](CInstance&) { return ++count > 0; });
  result.set_real(count);
}

void event_perform(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                   const RValue* arguments) {
  perform_event(runner_of(engine), instance_of(self), instance_of(other), self.object_index,
                round_to_int32(arguments[0].real()), round_to_int32(arguments[1].real()));
}

void event_user(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                const RValue* arguments) {
  perform_event(runner_of(engine), instance_of(self), instance_of(other), self.object_index,
                kEventOther, round_to_int32(arguments[0].real()) + 10);
}

void event_perform_object(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                          RValue&, const RValue* arguments) {
  perform_event(runner_of(engine), instance_of(self), instance_of(other),
                round_to_int32(arguments[0].real()), round_to_int32(arguments[1].real()),
                round_to_int32(arguments[2].real()));
}

void event_inherited(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                     RValue&, const RValue*) {
  Runner& runner = runner_of(engine);
  const CObject* owner = runner.game.objects.get(engine.action.object);
  if (owner == nullptr || !runner.game.objects.exists(owner->parent)) return;
  perform_event(runner, instance_of(self), instance_of(other), owner->parent,
                engine.action.event_type, engine.action.event_number);
}

void instance_copy(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue& result,
                   const RValue* arguments) {
  Runner& runner = runner_of(engine);
  CInstance& original = instance_of(self);
  CInstance& copy = runner.add_instance(original.object_index, original.x(), original.y());
  const std::int32_t id = copy.id;
  copy.assign(original);
  copy.id = id;
  runner.instances().refresh_id(copy);
  if (is_true(arguments[0])) {
    perform_event(runner, copy, copy, copy.object_index, kEventCreate, 0);
  }
  result.set_real(id);
}

void instance_change(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue&,
                     const RValue* arguments) {
  change_instance(runner_of(engine), instance_of(self), round_to_int32(arguments[0].real()),
                  is_true(arguments[1]));
}

void instance_sprite(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue&,
                     const RValue* arguments) {
  const std::int32_t sprite = round_to_int32(arguments[0].real());
  if (!runner_of(engine).game.sprites.exists(sprite)) {
    report_action_error(
        engine, "Setting instance to non-existing sprite: " + std::to_string(sprite), false);
    return;
  }
  instance_of(self).set_sprite(sprite);
}

void instance_find(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                   RValue& result, const RValue* arguments) {
  std::int64_t n = round_to_int64(arguments[1].real());
  std::int32_t found = kNoone;
  for_each_named(runner_of(engine), self, other, round_to_int32(arguments[0].real()),
                 [&](CInstance& instance) {
                   if (n-- > 0) return true;
                   found = instance.id;
                   return false;
                 });
  result.set_real(found);
}

// The nearest (or furthest) instance a specifier names; ids name no candidates.
template <bool nearest>
void instance_by_distance(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                          RValue& result, const RValue* arguments) {
  const double x = arguments[0].real();
  const double y = arguments[1].real();
  const std::int32_t specifier = round_to_int32(arguments[2].real());
  double best = nearest ? 10000000000.0 : -1.0;
  std::int32_t found = kNoone;
  if (specifier < kFirstInstanceId) {
    for_each_named(runner_of(engine), self, other, specifier, [&](CInstance& instance) {
      const double dx = instance.x() - x;
      const double dy = instance.y() - y;
      const double distance = dx * dx + dy * dy;
      if (nearest ? distance < best : distance > best) {
        best = distance;
        found = instance.id;
      }
      return true;
    });
  }
  result.set_real(found);
}

// Marks instances to move between the active and the deactivated list.
void set_deactivate(Runner& runner, ScriptInstance& self, ScriptInstance& other,
                    std::int32_t specifier, bool deactivate) {
  if (deactivate) {
    for_each_named(runner, self, other, specifier, [](CInstance& instance) {
      instance.deactivate = true;
      return true;
    });
  } else {
    for (const auto& instance : runner.instances().deactivated()) {
      const bool named = specifier == kAll || instance->id == specifier ||
                         (specifier >= 0 && specifier < kFirstInstanceId &&
                          runner.instances().is_of_family(*instance, specifier)) ||
                         (specifier == kSelf && instance.get() == &self) ||
                         (specifier == kOther && instance.get() == &other);
      if (named) instance->deactivate = false;
    }
  }
  runner.instances().sync_deactivated();
}

void instance_deactivate_all(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                             RValue&, const RValue* arguments) {
  Runner& runner = runner_of(engine);
  RoomInstances& instances = runner.instances();
  for (std::int32_t i = 0; i < instances.count(); ++i) instances.at(i).deactivate = true;
  if (is_true(arguments[0])) instance_of(self).deactivate = false;
  instances.sync_deactivated();
}

void instance_deactivate_object(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other,
                                int, RValue&, const RValue* arguments) {
  set_deactivate(runner_of(engine), self, other, round_to_int32(arguments[0].real()), true);
}

void instance_activate_all(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                           RValue&, const RValue*) {
  set_deactivate(runner_of(engine), self, other, kAll, false);
}

void instance_activate_object(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other,
                              int, RValue&, const RValue* arguments) {
  set_deactivate(runner_of(engine), self, other, round_to_int32(arguments[0].real()), false);
}

// Whether the instance lies outside the rectangle, by its box when it has a
// sprite or mask, else by its position.
bool outside_region(const CInstance& instance, double left, double top, double width,
                    double height) {
  if (instance.has_mask_sprite()) {
    return instance.bbox_right() < left || left + width < instance.bbox_left() ||
           instance.bbox_bottom() < top || top + height < instance.bbox_top();
  }
  return instance.x() < left || instance.x() > left + width || instance.y() < top ||
         instance.y() > top + height;
}

void instance_deactivate_region(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int,
                                RValue&, const RValue* arguments) {
  RoomInstances& instances = runner_of(engine).instances();
  const bool inside = is_true(arguments[4]);
  for (std::int32_t i = 0; i < instances.count(); ++i) {
    CInstance& instance = instances.at(i);
    if (outside_region(instance, arguments[0].real(), arguments[1].real(), arguments[2].real(),
                       arguments[3].real()) != inside) {
      instance.deactivate = true;
    }
  }
  if (is_true(arguments[5])) instance_of(self).deactivate = false;
  instances.sync_deactivated();
}

void instance_activate_region(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                              const RValue* arguments) {
  RoomInstances& instances = runner_of(engine).instances();
  const bool inside = is_true(arguments[4]);
  for (const auto& instance : instances.deactivated()) {
    if (outside_region(*instance, arguments[0].real(), arguments[1].real(), arguments[2].real(),
                       arguments[3].real()) != inside) {
      instance->deactivate = false;
    }
  }
  instances.sync_deactivated();
}

void motion_set(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&,
                const RValue* arguments) {
  instance_of(self).set_direction(arguments[0].real());
  instance_of(self).set_speed(arguments[1].real());
}

void motion_add(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&,
                const RValue* arguments) {
  instance_of(self).add_motion(arguments[0].real(), arguments[1].real());
}

void move_towards_point(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&,
                        const RValue* arguments) {
  CInstance& instance = instance_of(self);
  instance.set_hspeed(arguments[0].real() - instance.x());
  instance.set_vspeed(arguments[1].real() - instance.y());
  instance.set_speed(arguments[2].real());
}

double snapped(double value, double snap) {
  return snap > 0 ? round_half_even(value / snap) * snap : value;
}

void move_snap(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue&,
               const RValue* arguments) {
  CInstance& instance = instance_of(self);
  instance.set_position(snapped(instance.x(), arguments[0].real()),
                        snapped(instance.y(), arguments[1].real()));
}

// Up to 100 random places, snapped down to the grid, until one is free of
// solid instances; the instance's box stays inside the room.
void move_random(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue&,
                 const RValue* arguments) {
  Runner& runner = runner_of(engine);
  CInstance& instance = instance_of(self);
  const CRoom& room = runner.room->settings;
  double xmin = 0, xmax = room.width, ymin = 0, ymax = room.height;
  if (instance.has_mask_sprite()) {
    xmin = std::round(instance.x() - instance.bbox_left());
    xmax = std::round(room.width + instance.x() - instance.bbox_right());
    ymin = std::round(instance.y() - instance.bbox_top());
    ymax = std::round(room.height + instance.y() - instance.bbox_bottom());
  }
  // A box wider than the room leaves one place to try.
  const auto pick = [&](double low, double high, double snap) {
    const double value =
        low + double(random_below(engine, std::max<std::int64_t>(std::int64_t(high - low), 1)));
    return snap >= 1 ? std::floor(value / snap) * snap : value;
  };
  for (int attempt = 0; attempt < 100; ++attempt) {
    const double x = pick(xmin, xmax, arguments[0].real());
    const double y = pick(ymin, ymax, arguments[1].real());
    if (place_free_at(runner, instance, x, y)) {
      instance.set_position(x, y);
      return;
    }
  }
}

void place_snapped(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue& result,
                   const RValue* arguments) {
  const CInstance& instance = instance_of(self);
  const bool on_grid =
      std::abs(instance.x() - snapped(instance.x(), arguments[0].real())) < 0.001 &&
      std::abs(instance.y() - snapped(instance.y(), arguments[1].real())) < 0.001;
  result.set_real(on_grid ? 1 : 0);
}

double wrapped(double value, double size, double margin) {
  if (value < -margin) value += size + 2 * margin;
  if (value > size + margin) value -= size + 2 * margin;
  return value;
}

void move_wrap(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue&,
               const RValue* arguments) {
  CInstance& instance = instance_of(self);
  const CRoom& room = runner_of(engine).room->settings;
  const double margin = arguments[2].real();
  const double x = is_true(arguments[0]) ? wrapped(instance.x(), room.width, margin) : instance.x();
  const double y =
      is_true(arguments[1]) ? wrapped(instance.y(), room.height, margin) : instance.y();
  instance.set_position(x, y);
}

double box_gap(double low, double high, double point) {
  if (point > high) return point - high;
  if (point < low) return point - low;
  return 0;
}

void distance_to_point(ScriptEngine&, ScriptInstance& self, ScriptInstance&, int, RValue& result,
                       const RValue* arguments) {
  const CInstance& instance = instance_of(self);
  const double dx = box_gap(instance.bbox_left(), instance.bbox_right(), arguments[0].real());
  const double dy = box_gap(instance.bbox_top(), instance.bbox_bottom(), arguments[1].real());
  result.set_real(std::sqrt(dx * dx + dy * dy));
}

double boxes_gap(double self_low, double self_high, double other_low, double other_high) {
  if (self_high < other_low) return other_low - self_high;
  if (other_high < self_low) return other_high - self_low;
  return 0;
}

void distance_to_object(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                        RValue& result, const RValue* arguments) {
  const CInstance& me = instance_of(self);
  double best = 1000000;
  bool any = false;
  for_each_named(
      runner_of(engine), self, other, round_to_int32(arguments[0].real()), [&](CInstance& target) {
        if (&target == &me) return true;
        const double dx =
            boxes_gap(me.bbox_left(), me.bbox_right(), target.bbox_left(), target.bbox_right());
        const double dy =
            boxes_gap(me.bbox_top(), me.bbox_bottom(), target.bbox_top(), target.bbox_bottom());
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (!any || distance < best) best = distance;
        any = true;
        return true;
      });
  result.set_real(best);
}

}  // namespace

void register_interaction_functions(FunctionRegistry& functions) {
  functions.add("instance_create", &instance_create, 3);
  functions.add("instance_copy", &instance_copy, 1);
  functions.add("instance_destroy", &instance_destroy, 0);
  functions.add("instance_change", &instance_change, 2);
  functions.add("instance_sprite", &instance_sprite, 1);
  functions.add("instance_find", &instance_find, 2);
  functions.add("instance_nearest", &instance_by_distance<true>, 3);
  functions.add("instance_furthest", &instance_by_distance<false>, 3);
  functions.add("instance_deactivate_all", &instance_deactivate_all, 1);
  functions.add("instance_deactivate_object", &instance_deactivate_object, 1);
  functions.add("instance_deactivate_region", &instance_deactivate_region, 6);
  functions.add("instance_activate_all", &instance_activate_all, 0);
  functions.add("instance_activate_object", &instance_activate_object, 1);
  functions.add("instance_activate_region", &instance_activate_region, 5);
  functions.add("motion_set", &motion_set, 2);
  functions.add("motion_add", &motion_add, 2);
  functions.add("move_towards_point", &move_towards_point, 3);
  functions.add("move_snap", &move_snap, 2);
  functions.add("place_snapped", &place_snapped, 2);
  functions.add("move_wrap", &move_wrap, 3);
  functions.add("move_random", &move_random, 2);
  functions.add("distance_to_point", &distance_to_point, 2);
  functions.add("distance_to_object", &distance_to_object, 1);
  functions.add("instance_exists", &instance_exists, 1);
  functions.add("instance_number", &instance_number, 1);
  functions.add("event_perform", &event_perform, 2);
  functions.add("event_user", &event_user, 1);
  functions.add("event_perform_object", &event_perform_object, 3);
  functions.add("event_inherited", &event_inherited, 0);
}

}  // namespace kestrel
