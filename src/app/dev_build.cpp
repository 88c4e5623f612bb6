#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "app/dev_options.h"
#include "platform/process.h"
#include "project.h"

namespace kestrel::app {

namespace {

struct BuildOptions {
  std::string project;
  std::string output;
  std::string runner;
  bool data_only = false;
  bool map = false;
};

int run_build(const BuildOptions& options) {
  std::filesystem::path runner;
  if (!options.data_only) {
    runner = options.runner.empty() ? platform::executable_path().parent_path() / "kestrel"
                                    : std::filesystem::path(options.runner);
  }
  std::string error;
  if (!tools::BuildGame(options.project, options.output, runner, options.map, error)) {
    std::fprintf(stderr, "kestrel-dev build: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

void add_build_command(CLI::App& app, int& status) {
  auto options = std::make_shared<BuildOptions>();
  auto* command = app.add_subcommand("build", "Build a project folder into a playable game");
  command->add_option("PROJECT", options->project, "The project folder")->required();
  command->add_option("-o,--output", options->output, "The game file to write")->required();
  command->add_flag("--data-only", options->data_only, "Write the game data without the runner");
  command->add_flag("--map", options->map,
                    "Also write OUT.map.json, so that reports name the project's files");
  command->add_option("--runner", options->runner,
                      "The runner to copy (default: kestrel beside kestrel-dev)");
  add_example(*command, "kestrel-dev build games/demo -o demo --map");
  command->callback([options, &status] { status = run_build(*options); });
}

}  // namespace kestrel::app
