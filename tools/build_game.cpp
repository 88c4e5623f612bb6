#include <fstream>
#include <iterator>

#include "data/Support_File.h"
#include "project.h"

namespace kestrel::tools {

namespace fs = std::filesystem;

bool BuildGame(const fs::path& project, const fs::path& output, const fs::path& runner,
               std::string& error) {
  GameData game;
  if (!ReadProject(project, game, error)) return false;
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
  return true;
}

}  // namespace kestrel::tools
