#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/Action_Class.h"
#include "script/Code_Main.h"
#include "script/RValue.h"

namespace kestrel {

class CInstance;
class Runner;
class ScriptEngine;

// An argument ready to use: a constant, or an expression evaluated each run.
struct PreparedArgument {
  RValue constant;
  std::unique_ptr<CCode> expression;
};

// An action with its code compiled and its function found.
struct PreparedAction {
  int kind = kActionNormal;
  int execution = kExecuteNothing;
  bool may_be_relative = false;
  bool relative = false;
  bool question = false;
  bool has_apply_to = false;
  bool is_not = false;
  std::int32_t apply_to = -1;
  // A built-in function index; -1 when the function could not be found, and
  // such an action is skipped (a question then answers false).
  std::int32_t function = -1;
  std::vector<PreparedArgument> arguments;
  std::unique_ptr<CCode> code;
};

using ActionList = std::vector<PreparedAction>;

// Compiles an event's actions and finds their functions. A compile error is
// reported as an action error (fatal while the game is prepared, not when
// game code added the action) and the preparation fails; a function that
// cannot be found is told and its action skipped when it runs. `origin` is
// the code origin of the list (code_origin::event or code_origin::moment).
bool prepare_actions(Runner& runner, const std::vector<CAction>& stored, const std::string& origin,
                     ActionList& out, bool fatal = true);

// Runs a code action for self and other, its result left in `result`.
void run_code_action(Runner& runner, const PreparedAction& action, CInstance& self,
                     CInstance& other, RValue& result);

// Runs one action for self and other. For questions, `answer` is the result
// tested as true, inverted by the action's NOT.
void run_action(Runner& runner, const PreparedAction& action, CInstance& self, CInstance& other,
                bool& answer);

}  // namespace kestrel
