#pragma once

#include <string>

#include "data/Action_Class.h"
#include "run/Event_Action.h"

namespace kestrel {

// An action that runs a piece of code, as the editor stores it.
inline CAction code_action(std::string text) {
  CAction action;
  action.kind = kActionCode;
  action.execution_type = kExecuteCode;
  action.argument_count = 1;
  action.argument_kinds = {1};
  action.argument_values = {std::move(text)};
  return action;
}

}  // namespace kestrel
