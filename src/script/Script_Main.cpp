#include "script/Script_Main.h"

#include <algorithm>
#include <array>
#include <utility>

#include "data/code_origin.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

constexpr char kCr = '\r';
const std::string kNoText;

}  // namespace

void ScriptList::clear() {
  scripts_.clear();
  by_name_.clear();
}

void ScriptList::add(std::string name, std::string text) {
  by_name_.emplace(name, static_cast<std::int32_t>(scripts_.size()));
  scripts_.push_back(std::make_unique<CScript>(CScript{std::move(name), std::move(text), nullptr}));
}

bool ScriptList::compile_all(ScriptEngine& engine) {
  for (std::size_t index = 0; index < scripts_.size(); ++index) {
    const auto& script = scripts_[index];
    if (script == nullptr) continue;
    script->code = std::make_unique<CCode>(script->text, false,
                                           code_origin::script(static_cast<std::int32_t>(index)));
    if (!script->code->compile(engine)) {
      report_error(engine,
                   "COMPILATION ERROR in Script: " + script->name + kCr + engine.errors.last_text,
                   true);
      engine.errors.pending = false;
      return false;
    }
  }
  return true;
}

bool ScriptList::exists(std::int32_t number) const {
  return number >= 0 && static_cast<std::size_t>(number) < scripts_.size() &&
         scripts_[static_cast<std::size_t>(number)] != nullptr;
}

std::string ScriptList::name(std::int32_t number) const {
  return exists(number) ? scripts_[static_cast<std::size_t>(number)]->name : "<undefined>";
}

const std::string& ScriptList::text(std::int32_t number) const {
  return exists(number) ? scripts_[static_cast<std::size_t>(number)]->text : kNoText;
}

std::int32_t ScriptList::find(std::string_view name) const {
  const auto found = by_name_.find(std::string(name));
  return found == by_name_.end() ? -1 : found->second;
}

bool ScriptList::call(ScriptEngine& engine, std::int32_t number, ScriptInstance& self,
                      ScriptInstance& other, const RValue* arguments, int count,
                      RValue& result) const {
  ArgumentSlots slots;
  const int passed = std::clamp(count, 0, kMaxArguments);
  std::copy(arguments, arguments + passed, slots.begin());
  return call(engine, number, self, other, slots, result);
}

bool ScriptList::call(ScriptEngine& engine, std::int32_t number, ScriptInstance& self,
                      ScriptInstance& other, ArgumentSlots& slots, RValue& result) const {
  int left = 0;
  return call(engine, number, self, other, slots, slots_in_use(slots), left, result);
}

bool ScriptList::call(ScriptEngine& engine, std::int32_t number, ScriptInstance& self,
                      ScriptInstance& other, ArgumentSlots& slots, int passed, int& left,
                      RValue& result) const {
  left = 0;
  const CScript* script = compiled(number);
  if (script == nullptr) return false;
  const bool ran =
      call_with_argument_slots(engine, *script->code, self, other, slots, passed, left, result);
  if (!ran) note_script_failure(engine, *script);
  return ran;
}

void note_script_failure(ScriptEngine& engine, const CScript& script) {
  engine.errors.last_text = "In script " + script.name + ":" + kCr + engine.errors.last_text;
}

bool call_with_argument_slots(ScriptEngine& engine, const CCode& code, ScriptInstance& self,
                              ScriptInstance& other, const RValue* arguments, int count,
                              RValue& result) {
  ArgumentSlots slots;
  const int passed = std::clamp(count, 0, kMaxArguments);
  std::copy(arguments, arguments + passed, slots.begin());
  return call_with_argument_slots(engine, code, self, other, slots, result);
}

bool call_with_argument_slots(ScriptEngine& engine, const CCode& code, ScriptInstance& self,
                              ScriptInstance& other, ArgumentSlots& slots, RValue& result) {
  int left = 0;
  return call_with_argument_slots(engine, code, self, other, slots, slots_in_use(slots), left,
                                  result);
}

namespace {

void script_execute(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other,
                    int argument_count, RValue& result, const RValue* arguments) {
  const std::int32_t number = argument_count > 0 ? round_to_int32(arguments[0].real()) : -1;
  if (!engine.scripts.exists(number)) {
    report_action_error(engine, "Trying to execute non-existing script.", false);
    return;
  }
  const int count = std::min(argument_count - 1, kMaxArguments - 1);
  if (!engine.scripts.call(engine, number, self, other, arguments + 1, count, result)) {
    report_action_error(engine, engine.errors.last_text, false);
    engine.errors.pending = false;
  }
}

void script_exists(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   const RValue* arguments) {
  result.set_real(engine.scripts.exists(round_to_int32(arguments[0].real())) ? 1 : 0);
}

void script_get_name(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     const RValue* arguments) {
  result.set_text(engine.scripts.name(round_to_int32(arguments[0].real())));
}

void script_get_text(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     const RValue* arguments) {
  result.set_text(engine.scripts.text(round_to_int32(arguments[0].real())));
}

}  // namespace

void register_script_functions(ScriptEngine& engine) {
  engine.functions.add("script_execute", &script_execute, kAnyArgumentCount);
  engine.functions.add("script_exists", &script_exists, 1);
  engine.functions.add("script_get_name", &script_get_name, 1);
  engine.functions.add("script_name", &script_get_name, 1);
  engine.functions.add("script_get_text", &script_get_text, 1);
}

}  // namespace kestrel
