#pragma once

#include <cstdint>

#include "run/Event_Action.h"

namespace kestrel {

class CInstance;
class Runner;
class ScriptEngine;

// Event types.
enum EventType : int {
  kEventCreate = 0,
  kEventDestroy = 1,
  kEventAlarm = 2,
  kEventStep = 3,
  kEventCollision = 4,
  kEventKeyboard = 5,
  kEventMouse = 6,
  kEventOther = 7,
  kEventDraw = 8,
  kEventKeyPress = 9,
  kEventKeyRelease = 10,
  kEventTrigger = 11,
};

// What walking an action list returns to say that the list stops.
inline constexpr int kStopIndex = 10000000;

struct FoundEvent {
  const ActionList* actions = nullptr;
  std::int32_t owner = -1;  // the object of the chain that defines the event
};

// The event of an object or its nearest ancestor that has actions for it. A
// collision with an object falls back to handlers for that object's ancestors.
FoundEvent find_inherited_event(const Runner& runner, std::int32_t object, int type, int number);

// Runs the event of `object` (or its ancestors) on self with other; nothing
// while a transfer is pending.
void perform_event(Runner& runner, CInstance& self, CInstance& other, std::int32_t object, int type,
                   int number);
// perform_event for the event as resolved for the object beforehand.
void perform_found_event(Runner& runner, CInstance& self, CInstance& other, const FoundEvent& found,
                         int type, int number);
// Runs the event on every instance of the room that is not destroyed.
void perform_event_all(Runner& runner, int type, int number);
// Runs an action list with the event context given; used for time line moments.
void run_action_list(Runner& runner, CInstance& self, CInstance& other, const ActionList& actions,
                     std::int32_t context_object, int type, int number);

// Turns the instance into an instance of another object that keeps its id and
// fields and joins the end of the lists, with the destroy and create events
// when asked; reports an object that does not exist and changes nothing.
void change_instance(Runner& runner, CInstance& instance, std::int32_t object, bool run_events);

}  // namespace kestrel
