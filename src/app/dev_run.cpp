#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "data/Runner_Load.h"
#include "platform/window.h"
#include "run/game_driver.h"

namespace kestrel::app {

namespace {

struct RunOptions {
  std::string file;
  std::int64_t frames = -1;
  bool headless = false;
  bool real_time = false;
  std::optional<std::uint32_t> seed;
};

int run_game(const RunOptions& options) {
  GameData game;
  const LoadResult loaded = ReadGameFile(options.file, game);
  if (!loaded.ok) {
    for (const std::string& message : loaded.messages) {
      std::fprintf(stderr, "kestrel-dev run: %s\n", message.c_str());
    }
    return 1;
  }
  std::unique_ptr<platform::Window> window;
  if (options.headless) {
    window = platform::open_null_window({});
  } else {
    std::string error;
    window = platform::open_sdl_window({game.information.caption, 640, 480, false}, error);
    if (window == nullptr) {
      std::fprintf(stderr, "kestrel-dev run: %s\n", error.c_str());
      return 1;
    }
  }
  DriverOptions driver;
  driver.loop.max_steps = options.frames;
  driver.loop.real_time = options.real_time;
  driver.seed = options.seed;
  driver.developer = true;
  driver.show_failure = [](std::string_view message) {
    std::fprintf(stderr, "kestrel-dev run: %.*s\n", static_cast<int>(message.size()),
                 message.data());
  };
  const int status = play_loaded_game(game, *window, driver);
  std::fflush(stdout);
  return status;
}

}  // namespace

void add_run_command(CLI::App& app, int& status) {
  auto options = std::make_shared<RunOptions>();
  CLI::App* run = app.add_subcommand("run", "Play a game automatically");
  run->add_option("GAME", options->file, "Game file (a built game or bare game data)")->required();
  run->add_option("--frames", options->frames, "Stop after this many steps")
      ->check(CLI::NonNegativeNumber);
  run->add_flag("--headless", options->headless, "No window: nothing is drawn or shown");
  run->add_flag("--real-time", options->real_time, "Wait between steps as a player's game does");
  run->add_option("--seed", options->seed, "Seed of the random generator");
  run->callback([options, &status] { status = run_game(*options); });
}

}  // namespace kestrel::app
