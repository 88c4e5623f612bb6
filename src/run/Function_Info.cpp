#include "run/Function_Info.h"

#include <filesystem>
#include <string>

#include "run/Runner.h"
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

void show_game_information(Runner& runner) {
  InformationHost host{runner.layout.window(), runner.graphics, runner.layout, runner.input,
                       runner.player_present};
  std::string error;
  if (!runner.information.show(host, error) && runner.show_message) runner.show_message(error);
  runner.input.clear();
}

void register_information_functions(FunctionRegistry& functions) {
  functions.add("show_info", &show_info, 0);
  functions.add("action_show_info", &show_info, 0);
  functions.add("load_info", &load_info, 1);
}

}  // namespace kestrel
