#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/Variable_Class.h"

namespace kestrel {

// The part of an instance that code sees directly: its identity, its
// destroyed mark and its user variables. The world's instance record
// extends it; built-in variable getters reach the rest through it.
struct ScriptInstance {
  std::int32_t id = 0;
  std::int32_t object_index = 0;
  bool destroyed = false;  // marked for removal at the end of the step
  CVariableList variables;
};

// What the script engine needs from the game around it: the instances of the
// current room, the resource names that compile to constants, the names used
// in error reports, and where reports and debug messages go. Every member has
// an answer for a game without a world, so the engine runs on its own.
class ScriptHost {
 public:
  virtual ~ScriptHost() = default;

  // The room's instance list, destroyed ones included (callers skip them).
  virtual std::int32_t instance_count() { return 0; }
  virtual ScriptInstance* instance_at(std::int32_t position) { return nullptr; }
  // The instances of an object and of its descendants, in family-table order.
  virtual std::int32_t family_count(std::int32_t object_index) { return 0; }
  virtual ScriptInstance* family_at(std::int32_t object_index, std::int32_t position) {
    return nullptr;
  }
  // The instance with that id, destroyed or not; null when there is none.
  virtual ScriptInstance* find_instance(std::int32_t id) { return nullptr; }

  // A resource name that code reads as that resource's index.
  virtual bool find_resource_name(std::string_view name, double& index) { return false; }

  // Names for the action context of error reports.
  virtual std::string object_name(std::int32_t index) { return "<undefined>"; }
  virtual std::string time_line_name(std::int32_t index) { return "<undefined>"; }
  virtual std::string event_name(std::int32_t type, std::int32_t number) {
    return "<Unknown Event>";
  }

  // Shows a report to the player; true when the player chose to ignore it.
  virtual bool show_error(std::string_view message, bool fatal);
  // Forgets held keys and buttons, as after every report.
  virtual void clear_input() {}
  // A fatal report asks the run to end.
  virtual void end_game() {}
  // One line of show_debug_message output.
  virtual void debug_message(std::string_view line);
  // The game's id, which names its registry key.
  virtual std::int32_t game_id() { return 0; }
  // Keeps the game window answering while game code waits (for a program it
  // started, or in a sleep); the game itself does not advance.
  virtual void process_messages() {}
};

}  // namespace kestrel
