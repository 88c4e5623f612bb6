#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "app/dev_options.h"
#include "data/Runner_Load.h"
#include "project.h"

namespace kestrel::app {

namespace {

int run_info(const std::string& path) {
  GameData game;
  const LoadResult loaded = ReadGameFile(path, game, {.keep_stored_form = true});
  if (!loaded.ok) {
    for (const auto& message : loaded.messages)
      std::fprintf(stderr, "kestrel-dev info: %s: %s\n", path.c_str(), message.c_str());
    return 1;
  }
  std::fputs(tools::DescribeGame(game).c_str(), stdout);
  return 0;
}

}  // namespace

void add_info_command(CLI::App& app, int& status) {
  auto path = std::make_shared<std::string>();
  auto* command = app.add_subcommand("info", "Summarise a game: versions, settings, resources");
  command->add_option("GAME", *path, "A game, or any file with game data")->required();
  add_example(*command, "kestrel-dev info demo");
  command->callback([path, &status] { status = run_info(*path); });
}

}  // namespace kestrel::app
