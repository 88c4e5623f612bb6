#include "run/game_driver.h"

#include "data/Runner_Load.h"
#include "platform/audio.h"
#include "platform/process.h"
#include "platform/window.h"
#include "run/DataNew_Main.h"
#include "run/Extension_Main.h"
#include "run/Runner.h"
#include "run/debug_form.h"
#include "run/input_script.h"
#include "run/room_draw.h"
#include "run/room_lifecycle.h"

namespace kestrel {
namespace {

// Starts the game's sound on the sound card and prepares the sounds marked
// for preloading. A machine without a sound card plays on without sound, and
// the player is told once.
bool prepare_sounds(Runner& runner) {
  // Without a device the player gets the one message games have always
  // shown; why the device did not open is of no use to them.
  std::string error;
  runner.sound.start(runner.silent ? platform::open_null_audio()
                                   : platform::open_sdl_audio({}, error));
  runner.sound.prepare_all();
  return true;
}

}  // namespace

bool prepare_game(Runner& runner, const DriverOptions& options) {
  ScriptEngine& engine = runner.engine;
  const GameSettings& settings = runner.game.settings;
  engine.settings.debug_mode = runner.game.debug_mode || options.developer;
  engine.settings.uninitialized_as_zero = settings.UninitializedAsZero;
  engine.settings.errors.show_errors = settings.ShowErrors && !options.developer;
  engine.settings.errors.log_errors = settings.LogErrors;
  engine.settings.errors.abort_on_all_errors = settings.AbortOnAllErrors;
  engine.settings.echo_reports = options.developer;
  engine.settings.sources = options.sources;
  engine.settings.command_line = options.command_line;
  engine.settings.secure_mode = engine.settings.secure_mode || options.secure_mode;
  engine.steps_left = options.step_budget;
  runner.input.close_button_is_escape = settings.CloseAsEscape;
  runner.fixed_seed = options.seed;
  runner.use_error_dialog = !options.developer;
  runner.player_present = options.player_present;
  if (options.player_present) runner.open_in_browser = &platform::open_with_desktop;
  runner.silent = options.silent;
  runner.show_message = options.show_failure;

  struct Phase {
    int percent;
    const char* progress;
    bool (*run)(Runner& runner);
    const char* failure;
  };
  static constexpr Phase kPhases[] = {
      {50, "Extracting included files",
       [](Runner& r) {
         export_included_files(r);
         return true;
       },
       "Failed to extract the included files."},
      {55, "Preparing extension pacakges", &prepare_extension_packages,
       "Failed to prepare extension packages."},
      {60, "Preparing constants", [](Runner& r) { return r.define_constants(); },
       "Failed to define the constants."},
      {61, "Preparing triggers", [](Runner& r) { return r.prepare_triggers(); },
       "Failed to prepare triggers."},
      {62, "Compiling scripts", [](Runner& r) { return r.prepare_scripts(); },
       "Failed to compile the scripts."},
      {70, "Compiling time line actions", [](Runner& r) { return r.prepare_time_lines(); },
       "Failed to compile the actions in the time lines."},
      {72, "Compiling object actions", [](Runner& r) { return r.prepare_objects(); },
       "Failed to compile the actions in the objects."},
      {80, "Preparing sounds", &prepare_sounds, "Failed to prepare the sounds."},
  };
  for (const Phase& phase : kPhases) {
    if (options.show_progress) options.show_progress(phase.percent, phase.progress);
    if (phase.run(runner)) continue;
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
  runner.graphics.set_synchronization(settings.UseVSync);
  prepare_textures(runner);
}

}  // namespace

int play_loaded_game(GameData& game, platform::Window& window, const DriverOptions& options) {
  Runner runner(game, options.temp_folder ? *options.temp_folder : kNoTempFolder);
  if (runner.temp_folder.created()) {
    ExportExtensionFiles(game.extension_packages, runner.temp_folder.path());
  }
  if (!prepare_game(runner, options)) return kGameFailed;
  if (options.show_progress) options.show_progress(90, "Preparing graphics");
  prepare_graphics(runner, window);
  if (options.show_progress) options.show_progress(100, "Ready");
  runner.game_running = true;
  runner.engine.steps_left = options.step_budget;
  // The first room's creation may already ask its questions.
  if (options.input_script != nullptr) {
    runner.next_dialog_answer = [&script = *options.input_script] { return script.next_answer(); };
  }
  start_game(runner);
  LoopOptions loop = options.loop;
  if (options.input_script != nullptr) {
    InputScript& script = *options.input_script;
    loop.before_step = [&](std::int64_t step) { script.deliver_due(runner, step); };
    runner.next_scripted_input = [&] { return script.deliver_next(runner); };
  }
  if (options.step_budget >= 0) {
    loop.before_step = [&, deliver = std::move(loop.before_step)](std::int64_t step) {
      runner.engine.steps_left = options.step_budget;
      if (deliver) deliver(step);
    };
  }
  if (options.after_step) {
    loop.after_step = [&](std::int64_t steps) { options.after_step(runner, steps); };
  }
  std::unique_ptr<DebugForm> debug_form;
  if (options.debug_window) {
    std::string error;
    debug_form = DebugForm::open(runner, window, error);
    if (!error.empty() && options.show_failure) {
      options.show_failure("The debug window cannot be shown: " + error);
    }
  }
  if (debug_form != nullptr) {
    loop.after_step = [&, after = std::move(loop.after_step)](std::int64_t steps) {
      if (after) after(steps);
      debug_form->after_step();
    };
    loop.while_paused = [&] { debug_form->while_paused(); };
  }
  main_loop(runner, window, loop);
  if (!runner.game_running) end_game(runner);
  runner.sound.stop();
  remove_included_files(runner);
  return runner.engine.errors.aborting ? kGameFailed : kGameEnded;
}

}  // namespace kestrel
