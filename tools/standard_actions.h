#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/Action_Class.h"

namespace kestrel::tools {

// One of the standard actions that call an `action_` function, as the
// authoring tool stores it. A project names it by its function alone and the
// builder fills in the rest from here.
struct StandardAction {
  const char* function;
  bool relative_allowed;
  bool question;
  bool has_apply_to;
  // One letter per argument: 'e' an expression, 's' a text (an expression
  // when it starts with a quote), 'l' a text taken as it stands. Null for
  // the actions kept only so that old games load, which take anything.
  const char* argument_kinds;
  int action_id;
};

// The standard action that calls `function`, or null.
const StandardAction* FindStandardAction(std::string_view function);

// The stored form of a standard action with the maker's arguments; the
// relative, NOT and apply-to fields are left at their defaults.
CAction StandardFunctionAction(const StandardAction& standard, std::vector<std::string> arguments);

// The actions that shape an action list. A project writes them as
// {"block": "begin" | "end" | "else" | "exit"} and {"repeat": TIMES}.
inline constexpr const char* kBlockNames[] = {"begin", "end", "else", "exit"};
// The stored block action of one of kBlockNames, or an empty action for any other name.
CAction BlockAction(std::string_view name);
CAction RepeatAction(std::string times);

}  // namespace kestrel::tools
