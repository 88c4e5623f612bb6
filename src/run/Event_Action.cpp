#include "run/Event_Action.h"

#include <algorithm>
#include <array>
#include <string>

#include "data/Action_Class.h"
#include "data/code_origin.h"
#include "run/Runner.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Script_Main.h"
#include "script/extension_functions.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

bool prepare_one(Runner& runner, const CAction& stored, const std::string& origin, bool fatal,
                 PreparedAction& action) {
  ScriptEngine& engine = runner.engine;
  action.kind = stored.kind;
  action.execution = stored.execution_type;
  action.may_be_relative = stored.may_be_relative;
  action.relative = stored.relative;
  action.question = stored.question;
  action.has_apply_to = stored.has_apply_to;
  action.is_not = stored.is_not;
  action.apply_to = stored.apply_to;

  int argument_count = stored.argument_count;
  // Code and variable actions run code made from their arguments.
  if (stored.kind == kActionVariable || stored.kind == kActionCode) {
    action.kind = kActionNormal;
    argument_count = 0;
  }
  if (action.execution == kExecuteFunction) {
    action.function = engine.find_function(stored.function_name);
    if (action.function < 0 && runner.show_message) {
      runner.show_message("Failed to locate action function " + stored.function_name);
    }
  } else if (action.execution == kExecuteCode) {
    action.code = std::make_unique<CCode>(action_code_text(stored), false, origin);
    if (!action.code->compile(engine)) {
      report_action_error(
          engine, std::string("COMPILATION ERROR in code action") + kCr + engine.errors.last_text,
          fatal);
      engine.errors.pending = false;
      return false;
    }
  }
  for (int i = 0; i < argument_count && i < static_cast<int>(stored.argument_values.size()); ++i) {
    const std::string& text = stored.argument_values[static_cast<std::size_t>(i)];
    const int kind = i < static_cast<int>(stored.argument_kinds.size())
                         ? stored.argument_kinds[static_cast<std::size_t>(i)]
                         : 0;
    PreparedArgument& argument = action.arguments.emplace_back();
    if (!argument_is_expression(kind, text)) {
      argument.constant = RValue(text);
      continue;
    }
    auto expression = std::make_unique<CCode>(
        text, true, code_origin::argument(origin, static_cast<std::size_t>(i)));
    if (!expression->compile(engine)) {
      report_action_error(
          engine,
          "COMPILATION ERROR in argument " + std::to_string(i) + kCr + engine.errors.last_text,
          fatal);
      engine.errors.pending = false;
      return false;
    }
    if (expression->kind() == CodeKind::constant_expression) {
      argument.constant = expression->constant();
    } else {
      argument.expression = std::move(expression);
    }
  }
  return true;
}

void evaluate_arguments(Runner& runner, const PreparedAction& action, CInstance& self,
                        CInstance& other, std::array<RValue, kMaxArguments>& values) {
  for (std::size_t i = 0; i < action.arguments.size(); ++i) {
    const PreparedArgument& argument = action.arguments[i];
    if (argument.expression == nullptr) {
      values[i] = argument.constant;
    } else {
      execute_for_value(runner.engine, *argument.expression, &self, &other, values[i]);
    }
  }
}

// Only the slots the action fills are saved: code may leave the others changed.
void run_code_with_arguments(Runner& runner, const PreparedAction& action, CInstance& self,
                             CInstance& other, RValue& result) {
  ScriptEngine& engine = runner.engine;
  const std::size_t count = action.arguments.size();
  std::array<RValue, kMaxArguments> saved_arguments;
  std::copy_n(engine.arguments.begin(), count, saved_arguments.begin());
  std::array<RValue, kMaxArguments> values;
  evaluate_arguments(runner, action, self, other, values);
  std::copy_n(values.begin(), count, engine.arguments.begin());
  execute_and_report(engine, *action.code, &self, &other, result);
  std::copy_n(saved_arguments.begin(), count, engine.arguments.begin());
}

// A function action calls a built-in function, a script or an extension
// function by its stored id (an id that names nothing does nothing); a
// failing script or extension function is reported as the action's error.
void call_action_function(ScriptEngine& engine, std::int32_t function, CInstance& self,
                          CInstance& other, const RValue* arguments, int count, RValue& result) {
  bool called = true;
  if (function >= kFirstExtensionFunction) {
    called = engine.extensions.call(engine, function - kFirstExtensionFunction, self, other,
                                    arguments, count, result);
  } else if (function >= kFirstScriptFunction) {
    called = engine.scripts.call(engine, function - kFirstScriptFunction, self, other, arguments,
                                 count, result);
  } else if (function < engine.functions.size()) {
    engine.functions.at(function).handler(engine, self, other, count, result, arguments);
  }
  if (!called && engine.errors.pending) {
    report_action_error(engine, engine.errors.last_text, false);
    engine.errors.pending = false;
  }
}

}  // namespace

bool prepare_actions(Runner& runner, const std::vector<CAction>& stored, const std::string& origin,
                     ActionList& out, bool fatal) {
  out.clear();
  out.reserve(stored.size());
  for (std::size_t i = 0; i < stored.size(); ++i) {
    // A report names the action that failed.
    runner.engine.action.action = static_cast<std::int32_t>(i);
    if (!prepare_one(runner, stored[i], code_origin::action(origin, i), fatal, out.emplace_back()))
      return false;
  }
  return true;
}

void run_code_action(Runner& runner, const PreparedAction& action, CInstance& self,
                     CInstance& other, RValue& result) {
  const bool saved_relative = runner.action_relative;
  runner.action_relative = action.may_be_relative && action.relative;
  if (action.arguments.empty()) {
    // The common code action: no argument slots to fill and restore.
    execute_and_report(runner.engine, *action.code, &self, &other, result);
  } else {
    run_code_with_arguments(runner, action, self, other, result);
  }
  runner.action_relative = saved_relative;
}

void run_action(Runner& runner, const PreparedAction& action, CInstance& self, CInstance& other,
                bool& answer) {
  answer = false;
  if (action.execution == kExecuteNothing) return;
  RValue result;
  if (action.execution == kExecuteFunction) {
    if (action.function < 0) return;
    runner.action_relative = action.may_be_relative && action.relative;
    std::array<RValue, kMaxArguments> values;
    evaluate_arguments(runner, action, self, other, values);
    call_action_function(runner.engine, action.function, self, other, values.data(),
                         static_cast<int>(action.arguments.size()), result);
  } else {
    run_code_action(runner, action, self, other, result);
  }
  answer = (result.real() >= 0.5) != action.is_not;
}

}  // namespace kestrel
