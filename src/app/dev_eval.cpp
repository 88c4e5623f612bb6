#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/dev_options.h"
#include "data/Runner_Load.h"
#include "data/Support_File.h"
#include "data/code_origin.h"
#include "platform/process.h"
#include "platform/window.h"
#include "project_format.h"
#include "run/Event_Main.h"
#include "run/game_driver.h"

namespace kestrel::app {

namespace {

struct EvalOptions {
  std::string file;
  bool uninitialized_zero = false;
  bool audio = false;
  bool draw = false;
  std::int64_t frames = 0;
};

// An empty game around the code: object obj_eval (index 0), whose Create
// event runs the text as its one code action, and its one instance in
// room_eval (640 x 480).
GameData eval_game(const std::string& text, const EvalOptions& options) {
  GameData game;
  game.debug_mode = true;
  game.settings.ShowErrors = false;
  game.settings.LogErrors = true;
  game.settings.UninitializedAsZero = options.uninitialized_zero;
  CObject object;
  object.GetOrAddEvent(kEventCreate, 0)->actions.push_back(tools::StandardCodeAction(text));
  game.objects.add("obj_eval", object);
  CRoom room;
  room.instances.push_back({0, 0, 0, game.last_instance_id + 1, ""});
  game.last_instance_id += 1;
  game.rooms.add("room_eval", room);
  game.room_order = {0};
  return game;
}

// Reports point into the file the code was read from.
SourceMap eval_sources(const std::filesystem::path& file) {
  SourceMap sources;
  sources.set_root(file.parent_path());
  sources.add(code_origin::action(code_origin::event(0, kEventCreate, 0), 0),
              {file.filename().generic_string()});
  return sources;
}

int run_eval(const EvalOptions& options) {
  std::ifstream file(options.file, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "kestrel-dev eval: cannot read %s\n", options.file.c_str());
    return 2;
  }
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  GameData game = eval_game(text, options);
  std::unique_ptr<platform::Window> window;
  if (options.draw) {
    std::string error;
    window = platform::open_sdl_window({"kestrel-dev eval", 640, 480, false, true}, error);
    if (window == nullptr) {
      std::fprintf(stderr, "kestrel-dev eval: %s\n", error.c_str());
      return 1;
    }
  } else {
    window = platform::open_null_window({});
  }
  const TempDirectory temp_folder = TempDirectory::Create(
      TempDirectory::ProcessPlaces(platform::executable_path().parent_path()));
  const SourceMap sources = eval_sources(options.file);
  DriverOptions driver;
  driver.temp_folder = &temp_folder;
  driver.sources = &sources;
  driver.loop.max_steps = options.frames;
  driver.loop.real_time = false;
  driver.developer = true;
  driver.silent = !options.audio;
  driver.show_failure = [](std::string_view message) {
    std::fprintf(stderr, "kestrel-dev eval: %.*s\n", static_cast<int>(message.size()),
                 message.data());
  };
  const int status = play_loaded_game(game, *window, driver);
  std::fflush(stdout);
  return status;
}

}  // namespace

void add_eval_command(CLI::App& app, int& status) {
  auto options = std::make_shared<EvalOptions>();
  CLI::App* eval = app.add_subcommand("eval", "Compile and run one piece of code in an empty game");
  eval->add_option("FILE", options->file, "File holding the code")->required();
  eval->add_flag("--uninitialized-zero", options->uninitialized_zero,
                 "Read uninitialised variables as 0");
  eval->add_option("--frames", options->frames, "Steps to run after the Create event")
      ->check(whole_number());
  eval->add_flag("--audio", options->audio, "Play sounds on the sound card");
  eval->add_flag("--draw", options->draw,
                 "Draw with the real graphics device (off screen where there is no display), "
                 "so that drawing and surfaces can be read back");
  add_example(*eval, "kestrel-dev eval tests/eval/world.ks --frames 2");
  add_example(*eval, "kestrel-dev eval tests/eval/surfaces.ks --draw");
  eval->callback([options, &status] { status = run_eval(*options); });
}

}  // namespace kestrel::app
