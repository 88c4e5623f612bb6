#pragma once

namespace kestrel {

class CInstance;
class FunctionRegistry;
class Runner;

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

// place_, position_, collision_, move_contact, move_outside and bounce functions.
void register_collision_functions(FunctionRegistry& functions);

}  // namespace kestrel
