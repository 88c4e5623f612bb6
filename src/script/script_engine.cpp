#include "script/script_engine.h"

#include <fstream>
#include <string>
#include <utility>

#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "script/Function_Math.h"

namespace kestrel {

namespace {

constexpr char kCr = '\r';

// The argument slots: argument0..argument15 and the array `argument`, whose
// index is clamped to element 0 outside 0..15.
template <int Slot>
bool get_argument(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value = engine.arguments[Slot];
  return true;
}
template <int Slot>
bool set_argument(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  engine.arguments[Slot] = value;
  engine.note_argument_written(Slot);
  return true;
}
std::size_t argument_slot(std::int32_t flat_index) {
  return flat_index >= 0 && flat_index < kMaxArguments ? static_cast<std::size_t>(flat_index) : 0;
}
bool get_argument_array(ScriptEngine& engine, ScriptInstance&, std::int32_t flat_index,
                        RValue& value) {
  value = engine.arguments[argument_slot(flat_index)];
  return true;
}
bool set_argument_array(ScriptEngine& engine, ScriptInstance&, std::int32_t flat_index,
                        const RValue& value) {
  const std::size_t slot = argument_slot(flat_index);
  engine.arguments[slot] = value;
  engine.note_argument_written(static_cast<std::int32_t>(slot));
  return true;
}

template <int... Slots>
void add_argument_variables(BuiltinVariables& variables, std::integer_sequence<int, Slots...>) {
  (variables.add("argument" + std::to_string(Slots), &get_argument<Slots>, &set_argument<Slots>),
   ...);
}

bool get_error_occurred(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_real(engine.errors.error_occurred ? 1.0 : 0.0);
  return true;
}
bool set_error_occurred(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  engine.errors.error_occurred = value.real() >= 0.5;
  return true;
}
bool get_error_last(ScriptEngine& engine, ScriptInstance&, std::int32_t, RValue& value) {
  value.set_text(engine.errors.error_last);
  return true;
}
bool set_error_last(ScriptEngine& engine, ScriptInstance&, std::int32_t, const RValue& value) {
  engine.errors.error_last = value.str();
  return true;
}

// Runs a text as a program for the caller's self and other, with the values
// after the first argument in its own argument slots; a compile failure is
// reported under `what`.
void execute_text(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other,
                  std::string_view text, const char* what, int argument_count, RValue& result,
                  const RValue* arguments) {
  const std::array<RValue, kMaxArguments> saved = engine.arguments;
  const std::int32_t saved_in_use = engine.arguments_in_use;
  for (int i = 0; i < kMaxArguments; ++i) {
    engine.arguments[i] = i + 1 < argument_count ? arguments[i + 1] : RValue();
  }
  if (const std::shared_ptr<const CCode> code = engine.compiled_texts.program(engine, text)) {
    execute_and_report(engine, *code, &self, &other, result);
  } else {
    report_error(
        engine, std::string("COMPILATION ERROR in ") + what + kCr + engine.errors.last_text, false);
    engine.errors.pending = false;
  }
  engine.arguments = saved;
  engine.arguments_in_use = saved_in_use;
}

// execute_string(code, arguments...)
void execute_string(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other,
                    int argument_count, RValue& result, const RValue* arguments) {
  if (argument_count == 0) return;
  execute_text(engine, self, other, arguments[0].text(), "string to be executed", argument_count,
               result, arguments);
}

// execute_file(file name, arguments...): the file's lines, each ended by a
// carriage return, run as execute_string runs its text.
void execute_file(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other,
                  int argument_count, RValue& result, const RValue* arguments) {
  if (argument_count == 0) return;
  std::ifstream file(std::string(arguments[0].text()), std::ios::binary);
  if (!file) {
    report_action_error(engine, "Trying to execute non-existing file.", false);
    return;
  }
  std::string text;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text += line;
    text += kCr;
  }
  execute_text(engine, self, other, text, "file to be executed", argument_count, result, arguments);
}

void show_debug_message(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                        const RValue* arguments) {
  if (!engine.settings.debug_mode) return;
  const RValue& value = arguments[0];
  engine.host().debug_message(value.is_string() ? value.str() : real_to_text(value.real()));
}

void register_core(ScriptEngine& engine) {
  add_builtin_constants(engine.constants);
  BuiltinVariables& variables = engine.builtin_variables;
  // Registered first, so that argument0 gets kFirstArgumentVariable.
  variables.add("argument", &get_argument_array, &set_argument_array);
  add_argument_variables(variables, std::make_integer_sequence<int, kMaxArguments>());
  variables.add("error_occurred", &get_error_occurred, &set_error_occurred);
  variables.add("error_last", &get_error_last, &set_error_last);
  engine.functions.add("execute_string", &execute_string, kAnyArgumentCount);
  engine.functions.add("execute_file", &execute_file, kAnyArgumentCount);
  engine.functions.add("show_debug_message", &show_debug_message, 1);
}

}  // namespace

ScriptEngine::ScriptEngine(ScriptHost* host) : host_(host ? host : &default_host_) {
  register_core(*this);
  register_math_functions(functions);
  register_script_functions(*this);
  register_variable_functions(functions);
}

namespace {

// The storage kept for a nesting depth, made on first use; it stays at one
// address however deep later calls go.
template <class Storage>
Storage& kept_at(std::vector<std::unique_ptr<Storage>>& kept, std::int32_t depth) {
  while (kept.size() <= static_cast<std::size_t>(depth))
    kept.push_back(std::make_unique<Storage>());
  return *kept[static_cast<std::size_t>(depth)];
}

}  // namespace

CVariableList& ScriptEngine::new_locals_at(std::int32_t depth) {
  return kept_at(locals_, depth);
}

ArgumentSlots& ScriptEngine::new_call_arguments_at(std::int32_t depth) {
  return kept_at(call_arguments_, depth);
}

std::int32_t ScriptEngine::variable_index(std::string_view name) {
  const std::int32_t builtin = builtin_variables.index_of(name);
  return builtin >= 0 ? builtin : user_names.index_of(name);
}

std::string ScriptEngine::variable_name(std::int32_t index) const {
  if (index < kUserVariableThreshold) return std::string(builtin_variables.name_of(index));
  return std::string(user_names.name_of(index));
}

std::int32_t ScriptEngine::find_function(std::string_view name) const {
  // A script hides a built-in function of the same name.
  const std::int32_t script = scripts.find(name);
  if (script >= 0) return kFirstScriptFunction + script;
  const std::int32_t extension = extensions.find(name);
  if (extension >= 0) return kFirstExtensionFunction + extension;
  return functions.find(name);
}

int ScriptEngine::argument_count(std::int32_t function_index) const {
  if (function_index >= kFirstExtensionFunction) {
    return extensions.argument_count(function_index - kFirstExtensionFunction);
  }
  if (function_index >= kFirstScriptFunction) return kAnyArgumentCount;
  return functions.argument_count(function_index);
}

}  // namespace kestrel
