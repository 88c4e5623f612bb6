#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "data/Runner_Load.h"
#include "data/code_origin.h"

namespace kestrel::tools {

// Reads a project folder into game data. False and a message that names the
// file (and the line in JSON) on any fault. With `sources`, notes the file of
// every piece of code, relative to the folder.
bool ReadProject(const std::filesystem::path& folder, GameData& game, std::string& error,
                 SourceMap* sources = nullptr);

// Writes game data as a project folder. The folder is made beside the target
// and renamed into place, so a failed extraction leaves nothing behind; an
// existing target must be empty.
bool WriteProject(const GameData& game, const std::filesystem::path& folder, std::string& error);

// Writes files, named by their paths inside the folder, as a new folder in
// the same way.
bool WriteFolder(const std::filesystem::path& folder,
                 const std::map<std::string, std::string>& files, std::string& error);

// Reads a project folder and loads its game data as a built game's data is
// loaded, for playing it without building; `sources` names its code files.
bool LoadProject(const std::filesystem::path& folder, GameData& game, SourceMap& sources,
                 std::string& error);

// Builds the project into a playable file: the runner's bytes, padding up to
// the first probed offset, then the game data. With no runner, the data alone.
// `with_map` also writes the source map beside it (SourceMapPath).
bool BuildGame(const std::filesystem::path& project, const std::filesystem::path& output,
               const std::filesystem::path& runner, bool with_map, std::string& error);

// The source map of a built game: OUT.map.json for OUT. It holds the game
// file's size and CRC-32, and each code origin's file in the project.
std::filesystem::path SourceMapPath(const std::filesystem::path& game_file);
bool WriteSourceMap(const SourceMap& sources, const std::filesystem::path& game_file,
                    std::string& error);
// False when the game has no map, or with a warning when its map cannot be
// used (made for another build, unreadable); `sources` is then untouched.
bool ReadSourceMap(const std::filesystem::path& game_file, SourceMap& sources,
                   std::string& warning);

// The summary kestrel-dev info prints: versions, settings, counts and names.
std::string DescribeGame(const GameData& game);

}  // namespace kestrel::tools
