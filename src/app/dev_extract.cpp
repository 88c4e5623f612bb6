#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "app/dev_options.h"
#include "data/Runner_Load.h"
#include "project.h"

namespace kestrel::app {

namespace {

struct ExtractOptions {
  std::string game;
  std::string output;
};

int run_extract(const ExtractOptions& options) {
  GameData game;
  const LoadResult loaded = ReadGameFile(options.game, game, {.keep_stored_form = true});
  if (!loaded.ok) {
    for (const auto& message : loaded.messages)
      std::fprintf(stderr, "kestrel-dev extract: %s: %s\n", options.game.c_str(), message.c_str());
    return 1;
  }
  std::string error;
  if (!tools::WriteProject(game, options.output, error)) {
    std::fprintf(stderr, "kestrel-dev extract: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

void add_extract_command(CLI::App& app, int& status) {
  auto options = std::make_shared<ExtractOptions>();
  auto* command = app.add_subcommand("extract", "Take a game file apart into a project folder");
  command->add_option("GAME", options->game, "A game, or any file with game data")->required();
  command->add_option("-o,--output", options->output, "The project folder to make")->required();
  add_example(*command, "kestrel-dev extract demo -o demo_project");
  command->callback([options, &status] { status = run_extract(*options); });
}

}  // namespace kestrel::app
