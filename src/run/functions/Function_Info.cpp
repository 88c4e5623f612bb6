#include <filesystem>
#include <string>

#include "run/Run_Main.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

void show_info(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
               const RValue*) {
  show_game_information(runner_of(engine));
}

void load_info(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
               const RValue* arguments) {
  const std::filesystem::path file(arguments[0].str());
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(file, ignored)) return;
  std::string error;
  if (!runner_of(engine).information.load(file, error)) report_error(engine, error, false);
}

}  // namespace

void register_information_functions(FunctionRegistry& functions) {
  functions.add("show_info", &show_info, 0);
  functions.add("action_show_info", &show_info, 0);
  functions.add("load_info", &load_info, 1);
}

}  // namespace kestrel
