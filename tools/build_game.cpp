#include <fstream>
#include <iterator>

#include "data/Support_File.h"
#include "project.h"

namespace kestrel::tools {

namespace fs = std::filesystem;

bool LoadProject(const fs::path& folder, GameData& game, SourceMap& sources, std::string& error) {
  GameData read;
  sources = SourceMap();
  sources.set_root(folder);
  if (!ReadProject(folder, read, error, &sources)) return false;
  // Through the game data and its loader, so the folder plays exactly as its
  // built game does.
  const LoadResult loaded = ReadGame(WriteGameData(read), game);
  if (loaded.ok) return true;
  error = folder.string() + ": ";
  for (const std::string& message : loaded.messages) error += message;
  return false;
}

bool BuildGame(const fs::path& project, const fs::path& output, const fs::path& runner,
               bool with_map, std::string& error) {
  GameData game;
  SourceMap sources;
  sources.set_root(project);
  if (!ReadProject(project, game, error, &sources)) return false;
  std::string bytes;
  if (!runner.empty()) {
    std::ifstream in(runner, std::ios::binary);
    if (!in) {
      error = runner.string() + ": cannot read the runner";
      return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    bytes.resize(GameDataOffsetFor(bytes.size()), '\0');
  }
  const Bytes data = WriteGameData(game);
  bytes.append(data.begin(), data.end());
  if (!WriteFileAtomically(output, bytes, error)) return false;
  if (!runner.empty()) {
    std::error_code code;
    fs::permissions(output, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, code);
    if (code) {
      error = output.string() + ": cannot make it runnable: " + code.message();
      return false;
    }
  }
  return !with_map || WriteSourceMap(sources, output, error);
}

}  // namespace kestrel::tools
