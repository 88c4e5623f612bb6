#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "data/Runner_Load.h"
#include "data/code_origin.h"

namespace kestrel::app {

// Accepts only whole numbers of at least 0 and says so plainly otherwise.
const CLI::Validator& whole_number();

// Ends a subcommand's --help with an example of its use.
void add_example(CLI::App& command, const std::string& example);

// The game to play from a project folder (built in memory), or from a game
// file with its source map when one beside it fits. On failure the messages
// are printed after "kestrel-dev COMMAND: " and false is returned.
bool load_game_to_play(const std::string& path, const char* command, GameData& game,
                       SourceMap& sources);

}  // namespace kestrel::app
