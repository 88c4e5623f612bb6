#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dev_options.h"
#include "data/Runner_Load.h"
#include "platform/process.h"
#include "platform/window.h"
#include "png_io.h"
#include "run/Runner.h"
#include "run/game_driver.h"
#include "run/input_script.h"

namespace kestrel::app {

namespace {

struct RunOptions {
  std::string game;
  std::vector<std::string> screenshots;  // each STEP:FILE
  std::string input_file;
  std::int64_t frames = -1;
  bool headless = false;
  bool draw = false;
  bool real_time = false;
  bool audio = false;
  bool debug_window = false;
  std::optional<std::uint32_t> seed;
};

// Writes the drawn region as a PNG file (through a temporary file).
bool save_screenshot(Runner& runner, const std::string& file) {
  Capture capture;
  if (!runner.graphics.capture(0, 0, runner.graphics.region_width(),
                               runner.graphics.region_height(), capture)) {
    std::fprintf(stderr,
                 "kestrel-dev run: nothing was drawn for %s (a headless run draws nothing)\n",
                 file.c_str());
    return false;
  }
  TBitmap32 image{capture.width, capture.height, {}};
  image.pixels.resize(capture.argb.size() * 4);
  std::memcpy(image.pixels.data(), capture.argb.data(), image.pixels.size());
  for (std::size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
  const std::vector<std::uint8_t> png = tools::EncodePng(image);
  const std::filesystem::path temporary = file + ".part";
  {
    std::ofstream out(temporary, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!out) {
      std::fprintf(stderr, "kestrel-dev run: cannot write %s\n", file.c_str());
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, file, error);
  return !error;
}

int run_game(const RunOptions& options) {
  GameData game;
  SourceMap sources;
  if (!load_game_to_play(options.game, "run", game, sources)) return 1;
  std::unique_ptr<platform::Window> window;
  if (options.headless) {
    window = platform::open_null_window({});
  } else {
    std::string error;
    window =
        platform::open_sdl_window({game.information.caption, 640, 480, false, options.draw}, error);
    if (window == nullptr) {
      std::fprintf(stderr, "kestrel-dev run: %s\n", error.c_str());
      return 1;
    }
  }
  const TempDirectory temp_folder = TempDirectory::Create(
      TempDirectory::ProcessPlaces(platform::executable_path().parent_path()));
  DriverOptions driver;
  driver.temp_folder = &temp_folder;
  driver.loop.max_steps = options.frames;
  driver.loop.real_time = options.real_time;
  driver.seed = options.seed;
  driver.developer = true;
  driver.silent = (options.headless || options.draw) && !options.audio;
  driver.sources = &sources;
  driver.debug_window = options.debug_window || game.debug_mode;
  // Only a player at a window that waits between steps can answer a wait for a key.
  driver.player_present = options.real_time && !options.headless;
  InputScript input;
  if (!options.input_file.empty()) {
    std::ifstream in(options.input_file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string error = "cannot read the file";
    if (!in || !input.parse(text, error)) {
      std::fprintf(stderr, "kestrel-dev run: %s: %s\n", options.input_file.c_str(), error.c_str());
      return 2;
    }
    driver.input_script = &input;
  }
  std::map<std::int64_t, std::string> shots;
  for (const std::string& shot : options.screenshots) {
    const auto colon = shot.find(':');
    std::string step = shot.substr(0, colon);
    if (colon == std::string::npos || colon + 1 == shot.size() || !whole_number()(step).empty()) {
      std::fprintf(stderr, "kestrel-dev run: --screenshot: expected STEP:FILE, got '%s'\n",
                   shot.c_str());
      return 2;
    }
    shots[std::stoll(step)] = shot.substr(colon + 1);
  }
  int status = 0;
  driver.after_step = [&shots, &status](Runner& runner, std::int64_t steps) {
    const auto shot = shots.find(steps);
    if (shot != shots.end() && !save_screenshot(runner, shot->second)) status = 1;
  };
  driver.show_failure = [](std::string_view message) {
    std::fprintf(stderr, "kestrel-dev run: %.*s\n", static_cast<int>(message.size()),
                 message.data());
  };
  const int played = play_loaded_game(game, *window, driver);
  std::fflush(stdout);
  return played != kGameEnded ? played : status;
}

}  // namespace

void add_run_command(CLI::App& app, int& status) {
  auto options = std::make_shared<RunOptions>();
  CLI::App* run = app.add_subcommand("run", "Play a game automatically");
  run->add_option("GAME", options->game,
                  "A project folder (built in memory), a built game or bare game data")
      ->required();
  run->add_option("--frames", options->frames, "Stop after this many steps")->check(whole_number());
  run->add_flag("--headless", options->headless,
                "No window: nothing is drawn or shown, and no sound is heard");
  CLI::Option* draw = run->add_flag(
      "--draw", options->draw,
      "Draw with the real graphics device, off screen where there is no display; no sound");
  draw->excludes("--headless");
  run->add_flag("--audio", options->audio,
                "Play sounds on the sound card in a headless or drawing run");
  run->add_flag("--real-time", options->real_time, "Wait between steps as a player's game does");
  run->add_flag("--debug-window", options->debug_window,
                "Show the debug window beside the game, as a game in debug mode does")
      ->excludes("--headless");
  run->add_option("--seed", options->seed, "Seed of the random generator")
      ->check(whole_number())
      ->check(CLI::Range(0u, 0xFFFFFFFFu));
  run->add_option("--screenshot", options->screenshots,
                  "STEP:FILE: save the frame drawn in that step as a PNG file");
  run->add_option("--input", options->input_file,
                  "FILE: key, mouse and wheel input by step (docs/input-file.md)");
  add_example(*run, "kestrel-dev run games/demo --headless --frames 300 --seed 1");
  run->callback([options, &status] { status = run_game(*options); });
}

}  // namespace kestrel::app
