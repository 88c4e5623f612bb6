#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "script/script_engine.h"
#include "script/stand_in_world.h"

namespace kestrel::app {

namespace {

struct EvalOptions {
  std::string file;
  bool uninitialized_zero = false;
  int frames = 0;
};

// Runs the file's text the way a game would: given to execute_string by the
// first code action of the Create event of the one obj_eval instance in
// room_eval. Until the game world exists, a stand-in room plays its part and
// the steps after the Create event have nothing to run.
int run_eval(const EvalOptions& options) {
  std::ifstream file(options.file, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "kestrel-dev eval: cannot read %s\n", options.file.c_str());
    return 2;
  }
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};

  StandInWorld world;
  const std::int32_t object = world.add_object("obj_eval");
  world.add_room("room_eval");
  ScriptInstance& instance = world.add_instance(object);

  ScriptEngine engine(&world);
  engine.settings.debug_mode = true;
  engine.settings.errors.show_errors = false;
  engine.settings.errors.log_errors = true;
  engine.settings.echo_reports = true;
  engine.settings.uninitialized_as_zero = options.uninitialized_zero;
  engine.action = ActionContext{object, 0, 0, 0};

  const FunctionEntry& execute_string =
      engine.functions.at(engine.functions.find("execute_string"));
  RValue arguments[kMaxArguments];
  arguments[0].set_text(text);
  RValue result;
  execute_string.handler(engine, instance, instance, 1, result, arguments);
  std::fflush(stdout);
  return engine.errors.aborting ? 1 : 0;
}

}  // namespace

void add_eval_command(CLI::App& app, int& status) {
  auto options = std::make_shared<EvalOptions>();
  CLI::App* eval = app.add_subcommand("eval", "Compile and run one piece of code in an empty game");
  eval->add_option("FILE", options->file, "File holding the code")->required();
  eval->add_flag("--uninitialized-zero", options->uninitialized_zero,
                 "Read uninitialised variables as 0");
  eval->add_option("--frames", options->frames, "Steps to run after the Create event")
      ->check(CLI::NonNegativeNumber);
  eval->callback([options, &status] { status = run_eval(*options); });
}

}  // namespace kestrel::app
