// Any bytes given to the game reader must end in a result, never a crash, a
// hang or an allocation the input does not justify. A game that loads must
// then start and play a few steps headless, its code held to a step budget.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "data/Runner_Load.h"
#include "platform/window.h"
#include "run/game_driver.h"

namespace {

constexpr std::int64_t kSteps = 4;
constexpr std::int64_t kStepBudget = 20000;

}  // namespace

// Whatever a played game writes (its files, saves, error log and registry)
// lands in a folder of this run's own.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("kestrel_game_data_fuzz_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  setenv("KESTREL_DATA_HOME", folder.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  const Bytes bytes(data, data + size);
  {
    GameData stored;
    ReadGame(bytes, stored, {.keep_stored_form = true});
  }
  GameData game;
  if (!ReadGame(bytes, game).ok) return 0;
  static const std::unique_ptr<platform::Window> window = platform::open_null_window({});
  DriverOptions options;
  options.loop.max_steps = kSteps;
  options.loop.real_time = false;
  options.seed = 1;
  options.developer = true;
  options.silent = true;
  options.step_budget = kStepBudget;
  options.secure_mode = true;
  play_loaded_game(game, *window, options);
  return 0;
}
