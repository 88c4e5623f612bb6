#include "app/dev_options.h"

#include <cstdio>
#include <filesystem>

#include "project.h"

namespace kestrel::app {

const CLI::Validator& whole_number() {
  static const CLI::Validator validator(
      [](std::string& text) -> std::string {
        if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
          return "expected a whole number, got '" + text + "'";
        if (text.size() > 18) return "'" + text + "' is too large";
        return {};
      },
      "WHOLE NUMBER");
  return validator;
}

void add_example(CLI::App& command, const std::string& example) {
  command.footer("Example:\n  " + example);
}

bool load_game_to_play(const std::string& path, const char* command, GameData& game,
                       SourceMap& sources) {
  std::string error;
  if (std::filesystem::is_directory(path)) {
    if (tools::LoadProject(path, game, sources, error)) return true;
    std::fprintf(stderr, "kestrel-dev %s: %s\n", command, error.c_str());
    return false;
  }
  const LoadResult loaded = ReadGameFile(path, game);
  if (!loaded.ok) {
    for (const std::string& message : loaded.messages)
      std::fprintf(stderr, "kestrel-dev %s: %s\n", command, message.c_str());
    return false;
  }
  if (!tools::ReadSourceMap(path, sources, error) && !error.empty())
    std::fprintf(stderr, "kestrel-dev %s: %s\n", command, error.c_str());
  return true;
}

}  // namespace kestrel::app
