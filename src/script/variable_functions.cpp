#include <array>

#include "script/Code_Error.h"
#include "script/Script_Main.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

// Where a variable function reads or writes: the globals or the caller's own
// variables, by name and element.
struct Place {
  bool global = false;
  std::int32_t variable = 0;
  std::int32_t flat = 0;
};

// Turns a name and up to two indices into a place; false after reporting an
// index the element storage cannot hold.
bool locate(ScriptEngine& engine, bool global, const RValue& name, const RValue* indices,
            int index_count, Place& place) {
  place.global = global;
  place.variable = engine.variable_index(name.text());
  std::int32_t flat = 0;
  for (int i = 0; i < index_count; ++i) {
    const std::int64_t index = round_to_int64(indices[i].real());
    if (index >= kArrayRowWidth) {
      report_action_error(engine, "Array index >= 32000", false);
      return false;
    }
    if (index < 0) {
      report_action_error(engine, "Negative array index", false);
      return false;
    }
    flat = flat * kArrayRowWidth + static_cast<std::int32_t>(index);
  }
  place.flat = flat;
  return true;
}

bool is_builtin(std::int32_t variable) {
  return variable < kUserVariableThreshold;
}

// Reads a place; false when the variable or element is missing.
bool read(ScriptEngine& engine, ScriptInstance& self, const Place& place, RValue& value) {
  if (!place.global && is_builtin(place.variable)) {
    const BuiltinVariable& builtin = engine.builtin_variables.at(place.variable);
    return builtin.getter != nullptr && builtin.getter(engine, self, place.flat, value);
  }
  const CVariableList& list = place.global ? engine.globals.list() : self.variables;
  const RValue* found = list.get(place.variable, place.flat);
  if (found == nullptr) return false;
  value = *found;
  return true;
}

void write(ScriptEngine& engine, ScriptInstance& self, const Place& place, const RValue& value) {
  if (!place.global && is_builtin(place.variable)) {
    // A read-only built-in variable is silently left as it is.
    const BuiltinVariable& builtin = engine.builtin_variables.at(place.variable);
    if (builtin.setter != nullptr) builtin.setter(engine, self, place.flat, value);
    return;
  }
  CVariableList& list = place.global ? engine.globals.list() : self.variables;
  list.set(place.variable, place.flat, value);
}

template <bool global>
void variable_exists(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int,
                     RValue& result, const RValue* arguments) {
  Place place;
  RValue ignored;
  bool found =
      locate(engine, global, arguments[0], nullptr, 0, place) && read(engine, self, place, ignored);
  if (global && engine.settings.uninitialized_as_zero) found = true;
  result.set_real(found ? 1 : 0);
}

template <bool global, int index_count>
void variable_get(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue& result,
                  const RValue* arguments) {
  Place place;
  if (!locate(engine, global, arguments[0], arguments + 1, index_count, place)) return;
  if (!read(engine, self, place, result)) result = RValue();
}

template <bool global, int index_count>
void variable_set(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue&,
                  const RValue* arguments) {
  Place place;
  if (!locate(engine, global, arguments[0], arguments + 1, index_count, place)) return;
  write(engine, self, place, arguments[1 + index_count]);
}

}  // namespace

void register_variable_functions(FunctionRegistry& functions) {
  functions.add("variable_global_exists", &variable_exists<true>, 1);
  functions.add("variable_local_exists", &variable_exists<false>, 1);
  functions.add("variable_global_get", &variable_get<true, 0>, 1);
  functions.add("variable_global_array_get", &variable_get<true, 1>, 2);
  functions.add("variable_global_array2_get", &variable_get<true, 2>, 3);
  functions.add("variable_local_get", &variable_get<false, 0>, 1);
  functions.add("variable_local_array_get", &variable_get<false, 1>, 2);
  functions.add("variable_local_array2_get", &variable_get<false, 2>, 3);
  functions.add("variable_global_set", &variable_set<true, 0>, 2);
  functions.add("variable_global_array_set", &variable_set<true, 1>, 3);
  functions.add("variable_global_array2_set", &variable_set<true, 2>, 4);
  functions.add("variable_local_set", &variable_set<false, 0>, 2);
  functions.add("variable_local_array_set", &variable_set<false, 1>, 3);
  functions.add("variable_local_array2_set", &variable_set<false, 2>, 4);
}

}  // namespace kestrel
