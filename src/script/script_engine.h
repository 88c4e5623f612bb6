#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/Code_Constant.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"
#include "script/Code_Variable.h"
#include "script/RValue.h"
#include "script/Script_Main.h"
#include "script/Variable_BuiltIn.h"
#include "script/Variable_Main.h"
#include "script/code_cache.h"
#include "script/extension_functions.h"
#include "script/family_state.h"
#include "script/script_host.h"

namespace kestrel {

class SourceMap;

struct ScriptSettings {
  bool uninitialized_as_zero = false;
  bool debug_mode = false;
  ErrorSettings errors;
  // Under the developer tool every report also goes to standard error.
  bool echo_reports = false;
  // The project files of the game's code, when the game came from a project
  // folder or has a source map beside it; null otherwise.
  const SourceMap* sources = nullptr;
  // The player's preference that keeps games away from files, libraries and
  // extension packages.
  bool secure_mode = false;
  // The program's command line as the game sees it: the program's path, then
  // the game's parameters.
  std::vector<std::string> command_line;
};

// Guards that keep hostile or runaway code from exhausting the machine. The
// defaults suit games; tests and the fuzzer tighten them.
struct ScriptLimits {
  // Code executions nested inside one another (execute_string, scripts).
  std::int32_t max_nesting = 400;
  // Nesting of brackets, blocks and operators the parser accepts.
  std::int32_t max_parse_depth = 400;
  // The longest string an operator of running code may make.
  std::size_t max_string_length = kMaxStringLength;
};

// The tables of one library family (data structures, particles) for one
// running game. The family makes them on first use and they go with the
// engine, so a fresh game starts without any.
class LibraryTables {
 public:
  virtual ~LibraryTables() = default;
};
enum class LibraryFamily { data_structures, particles, count };

// argument0..argument15 are the built-in variables from this index on.
inline constexpr std::int32_t kFirstArgumentVariable = 1;

// All state of the script engine: settings, names, globals, constants, the
// registries, the error state and the argument slots. The runner owns one;
// a test can make a fresh one and throw it away.
class ScriptEngine {
 public:
  // Registers the core built-in constants, variables and functions.
  explicit ScriptEngine(ScriptHost* host = nullptr);
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  ScriptHost& host() { return *host_; }
  void set_host(ScriptHost* host) { host_ = host ? host : &default_host_; }

  // The compiler's name look-up: built-in names first, then the user table
  // (which adds a new name), so a user variable never shadows a built-in one.
  std::int32_t variable_index(std::string_view name);
  // The name of a variable index, built-in or user.
  std::string variable_name(std::int32_t index) const;
  // The function index of a callable name, or -1.
  std::int32_t find_function(std::string_view name) const;
  // The argument count the compiler checks a call against (kNoSuchFunction
  // for an index that names nothing, which accepts any count).
  int argument_count(std::int32_t function_index) const;

  ScriptSettings settings;
  ScriptLimits limits;
  VariableNameTable user_names;
  BuiltinVariables builtin_variables;
  Globals globals;
  ConstantTable constants;
  FunctionRegistry functions;
  ScriptList scripts;
  ExtensionFunctions extensions;
  ErrorState errors;
  ActionContext action;
  FamilyStates families;
  // The arguments of the running script, read as argument0..argument15.
  ArgumentSlots arguments;
  // Every argument slot from this one on is fresh. Script calls swap only
  // the slots below it; whoever writes a slot raises it, and every execution
  // entered from outside the executor raises it to what it finds.
  std::int32_t arguments_in_use = 0;
  void note_argument_written(std::int32_t slot) {
    if (slot >= arguments_in_use) arguments_in_use = slot + 1;
  }

  // Statements, calls and created array elements (one per 16) left before
  // code fails; -1: no limit.
  std::int64_t steps_left = -1;
  // Code executions running inside one another.
  std::int32_t nesting = 0;
  // The empty local variable list of the execution at a nesting depth. The
  // lists stay between executions, so that calls reuse their storage.
  CVariableList& locals_at(std::int32_t depth) {
    const auto at = static_cast<std::size_t>(depth);
    return at < locals_.size() ? *locals_[at] : new_locals_at(depth);
  }
  // Built-in and extension calls whose arguments are being evaluated or
  // passed, one inside another.
  std::int32_t call_depth = 0;
  // The argument buffer of the built-in call at a depth. Every slot a call
  // does not pass is real 0, so a call fills and clears only what it passes.
  ArgumentSlots& call_arguments_at(std::int32_t depth) {
    const auto at = static_cast<std::size_t>(depth);
    return at < call_arguments_.size() ? *call_arguments_[at] : new_call_arguments_at(depth);
  }
  // The programs of execute_string and execute_file.
  CodeCache compiled_texts;
  std::uint32_t random_seed = 0;  // the one random generator state of the whole program
  std::array<std::unique_ptr<LibraryTables>, static_cast<std::size_t>(LibraryFamily::count)>
      library_tables;

 private:
  // The storage of a depth first reached, made with that of the depths before it.
  CVariableList& new_locals_at(std::int32_t depth);
  ArgumentSlots& new_call_arguments_at(std::int32_t depth);

  ScriptHost default_host_;
  ScriptHost* host_;
  std::vector<std::unique_ptr<CVariableList>> locals_;
  std::vector<std::unique_ptr<ArgumentSlots>> call_arguments_;
};

}  // namespace kestrel
