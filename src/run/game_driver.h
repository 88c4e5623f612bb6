#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run/Run_Main.h"

namespace kestrel {

struct GameData;
class InputScript;
class Runner;
class SourceMap;
class TempDirectory;
namespace platform {
class Window;
}

struct DriverOptions {
  LoopOptions loop;
  // A fixed seed for the random generator instead of the clock.
  std::optional<std::uint32_t> seed;
  // The developer tool: every debug message is printed and every report goes
  // to standard error instead of a window.
  bool developer = false;
  // Called after each step, as LoopOptions::after_step, with the runner.
  std::function<void(Runner& runner, std::int64_t steps)> after_step;
  // Shows a message of the preparation to the player, such as the failure of
  // a phase.
  std::function<void(std::string_view message)> show_failure;
  // Input played as if by a player, for automated runs and replays; none while null.
  InputScript* input_script = nullptr;
  // Whether someone can end a wait for a key or a button.
  bool player_present = false;
  // Sounds play through the null audio device instead of the sound card.
  bool silent = false;
  // The project files of the game's code, for reports; none while null.
  const SourceMap* sources = nullptr;
  // Each phase of the preparation with how far the start has come, in percent.
  std::function<void(int percent, std::string_view text)> show_progress;
  // The program's temporary folder, made before the game was loaded; none
  // while null.
  const TempDirectory* temp_folder = nullptr;
  // The game's command line: its program's path, then its parameters.
  std::vector<std::string> command_line;
  // Statements, calls and created array elements that the game's code may
  // run while the game starts, and again in each step, before it fails with
  // a report; -1: no limit. Automated runs of games nobody has checked set
  // one, so that runaway code ends.
  std::int64_t step_budget = -1;
  // Plays in secure mode whatever the player's preference says.
  bool secure_mode = false;
  // Shows the debug window beside the game window, where there is a screen.
  bool debug_window = false;
};

enum DriverStatus : int { kGameEnded = 0, kGameFailed = 1 };

// Prepares a loaded game (compiles its code, phase by phase) and plays it in
// the window until it ends. A phase that fails shows its message and the game
// does not start.
int play_loaded_game(GameData& game, platform::Window& window, const DriverOptions& options);

// The preparation alone, for tests that drive the runner step by step.
bool prepare_game(Runner& runner, const DriverOptions& options);

}  // namespace kestrel
