#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/Code_Function.h"
#include "script/Code_Main.h"

namespace kestrel {

class FunctionRegistry;
class ScriptEngine;
struct ScriptInstance;

// Function indices from here on name scripts: 100000 + the script number.
inline constexpr std::int32_t kFirstScriptFunction = 100000;

// A script of the game: its name, its code text and, once compiled, its code.
struct CScript {
  std::string name;
  std::string text;
  std::unique_ptr<CCode> code;
};

// The game's scripts by number; a deleted script leaves an empty entry.
class ScriptList {
 public:
  void clear();
  void add(std::string name, std::string text);
  void add_empty() { scripts_.emplace_back(); }

  // Compiles every script in number order; at the first failure reports
  // "COMPILATION ERROR in Script: " as a fatal error and stops.
  bool compile_all(ScriptEngine& engine);

  bool exists(std::int32_t number) const;
  // The name, or "<undefined>".
  std::string name(std::int32_t number) const;
  const std::string& text(std::int32_t number) const;
  // -1 when no existing script has that name.
  std::int32_t find(std::string_view name) const;
  // The script of that number once compiled, or null.
  const CScript* compiled(std::int32_t number) const {
    if (number < 0 || static_cast<std::size_t>(number) >= scripts_.size()) return nullptr;
    const CScript* script = scripts_[static_cast<std::size_t>(number)].get();
    return script != nullptr && script->code != nullptr ? script : nullptr;
  }

  // Runs a script for self and other with its own argument slots; a failure
  // gives the result "ERROR" and puts an "In script" line before the error.
  bool call(ScriptEngine& engine, std::int32_t number, ScriptInstance& self, ScriptInstance& other,
            const RValue* arguments, int count, RValue& result) const;
  // As above with the call's slots made already; they are swapped in, so
  // afterwards they hold what the script left there.
  bool call(ScriptEngine& engine, std::int32_t number, ScriptInstance& self, ScriptInstance& other,
            ArgumentSlots& slots, RValue& result) const;
  // As above for slots whose first `passed` hold the arguments and whose
  // others are fresh; afterwards the first `left` may hold what the script
  // left there, and the others are fresh.
  bool call(ScriptEngine& engine, std::int32_t number, ScriptInstance& self, ScriptInstance& other,
            ArgumentSlots& slots, int passed, int& left, RValue& result) const;

 private:
  std::vector<std::unique_ptr<CScript>> scripts_;
  std::unordered_map<std::string, std::int32_t> by_name_;
};

// Puts the "In script" line of a failed script before its error.
void note_script_failure(ScriptEngine& engine, const CScript& script);

// Runs code for value with the call's arguments in the engine's argument
// slots (the unused ones 0) and puts the caller's slots back afterwards.
bool call_with_argument_slots(ScriptEngine& engine, const CCode& code, ScriptInstance& self,
                              ScriptInstance& other, const RValue* arguments, int count,
                              RValue& result);
// As above with the call's slots made already; they are swapped with the
// engine's, so afterwards they hold what the code left there.
bool call_with_argument_slots(ScriptEngine& engine, const CCode& code, ScriptInstance& self,
                              ScriptInstance& other, ArgumentSlots& slots, RValue& result);
// As above for slots whose first `passed` hold the arguments and whose
// others are fresh; afterwards the first `left` may hold what the code left
// there, and the others are fresh.
bool call_with_argument_slots(ScriptEngine& engine, const CCode& code, ScriptInstance& self,
                              ScriptInstance& other, ArgumentSlots& slots, int passed, int& left,
                              RValue& result);

// script_execute, script_exists, script_get_name, script_name, script_get_text.
void register_script_functions(ScriptEngine& engine);
// The variable_ functions: globals and the caller's own variables by name.
void register_variable_functions(FunctionRegistry& functions);

}  // namespace kestrel
