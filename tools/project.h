#pragma once

#include <filesystem>
#include <string>

#include "data/Runner_Load.h"

namespace kestrel::tools {

// Reads a project folder into game data. False and a message that names the
// file (and the line in JSON) on any fault.
bool ReadProject(const std::filesystem::path& folder, GameData& game, std::string& error);

// Writes game data as a project folder. The folder is made beside the target
// and renamed into place, so a failed extraction leaves nothing behind; an
// existing target must be empty.
bool WriteProject(const GameData& game, const std::filesystem::path& folder, std::string& error);

// Builds the project into a playable file: the runner's bytes, padding up to
// the first probed offset, then the game data. With no runner, the data alone.
bool BuildGame(const std::filesystem::path& project, const std::filesystem::path& output,
               const std::filesystem::path& runner, std::string& error);

// The summary kestrel-dev info prints: versions, settings, counts and names.
std::string DescribeGame(const GameData& game);

}  // namespace kestrel::tools
