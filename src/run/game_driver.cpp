#include "run/game_driver.h"

#include "data/Runner_Load.h"
#include "platform/window.h"
#include "run/Runner.h"
#include "run/room_draw.h"
#include "run/room_lifecycle.h"

namespace kestrel {

bool prepare_game(Runner& runner, const DriverOptions& options) {
  ScriptEngine& engine = runner.engine;
  const GameSettings& settings = runner.game.settings;
  engine.settings.debug_mode = runner.game.debug_mode || options.developer;
  engine.settings.uninitialized_as_zero = settings.UninitializedAsZero;
  engine.settings.errors.show_errors = settings.ShowErrors && !options.developer;
  engine.settings.errors.log_errors = settings.LogErrors;
  engine.settings.errors.abort_on_all_errors = settings.AbortOnAllErrors;
  engine.settings.echo_reports = options.developer;
  runner.input.close_button_is_escape = settings.CloseAsEscape;
  runner.fixed_seed = options.seed;
  runner.show_message = options.show_failure;

  struct Phase {
    bool (Runner::*run)();
    const char* failure;
  };
  static constexpr Phase kPhases[] = {
      {&Runner::define_constants, "Failed to define the constants."},
      {&Runner::prepare_triggers, "Failed to prepare triggers."},
      {&Runner::prepare_scripts, "Failed to compile the scripts."},
      {&Runner::prepare_time_lines, "Failed to compile the actions in the time lines."},
      {&Runner::prepare_objects, "Failed to compile the actions in the objects."},
  };
  for (const Phase& phase : kPhases) {
    if ((runner.*phase.run)()) continue;
    if (options.show_failure) options.show_failure(phase.failure);
    return false;
  }
  return true;
}

namespace {

// Lays out the window as the game's settings ask and makes the textures.
void prepare_graphics(Runner& runner, platform::Window& window) {
  const GameSettings& settings = runner.game.settings;
  GameWindow& layout = runner.layout;
  layout.attach(&window);
  layout.set_region_scale(settings.Scaling / 100.0, false);
  layout.set_sizeable(settings.AllowResize);
  layout.set_stayontop(settings.StayOnTop);
  layout.set_color(settings.ColourOutsideRoom);
  layout.set_showborder(!settings.NoWindowBorder);
  layout.set_showicons(!settings.NoCaptionButtons);
  layout.set_fullscreen(settings.StartFullscreen);
  runner.graphics.attach(&window.device(), 640, 480);
  runner.graphics.set_texture_interpolation(settings.InterpolatePixels);
  prepare_textures(runner);
}

}  // namespace

int play_loaded_game(const GameData& game, platform::Window& window, const DriverOptions& options) {
  Runner runner(game);
  if (!prepare_game(runner, options)) return kGameFailed;
  prepare_graphics(runner, window);
  runner.game_running = true;
  start_game(runner);
  LoopOptions loop = options.loop;
  if (options.after_step) {
    loop.after_step = [&](std::int64_t steps) { options.after_step(runner, steps); };
  }
  main_loop(runner, window, loop);
  if (!runner.game_running) end_game(runner);
  return runner.engine.errors.aborting ? kGameFailed : kGameEnded;
}

}  // namespace kestrel
