#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "data/Support_File.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_3D_Model.h"
#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Window.h"
#include "platform/error_dialog.h"
#include "run/Event_Action.h"
#include "run/IO_Main.h"
#include "run/Motion_Grid.h"
#include "run/Motion_Potential.h"
#include "run/Object_Lists.h"
#include "run/input_script.h"
#include "run/room_transition.h"
#include "run/run_fonts.h"
#include "run/run_room.h"
#include "script/script_engine.h"
#include "shell/game_information.h"
#include "shell/highscore_dialog.h"
#include "shell/message_dialog.h"
#include "shell/splash_screen.h"
#include "sound/Sound_Main.h"

namespace kestrel {

struct GameData;
struct OpenSplash;

// What a runner made without a temporary folder sees.
inline const TempDirectory kNoTempFolder{};

// The one pending request that the main loop carries out between steps.
inline constexpr std::int32_t kNoTransfer = -1;
inline constexpr std::int32_t kTransferEndGame = -100;
inline constexpr std::int32_t kTransferRestart = -200;
inline constexpr std::int32_t kTransferLoad = -300;
inline constexpr std::int32_t kTransferAbort = -400;

// Reports put a carriage return between their heading and the error text.
inline constexpr char kCr = '\r';

class Runner;
// Built-in functions and variables get the engine and the script's view of an
// instance; in a running game these are always the runner and its instances.
inline Runner& runner_of(ScriptEngine& engine);
inline CInstance& instance_of(ScriptInstance& instance) {
  return static_cast<CInstance&>(instance);
}

// Score, lives and health with how the window caption shows them.
struct GameScore {
  // Score and lives are whole numbers, as saved games hold them.
  std::int32_t score = 0;
  std::int32_t lives = -1;
  double health = 100;
  bool show_score = true;
  bool show_lives = false;
  bool show_health = false;
  // Set by the first assignment to show_score; from then on the caption shows
  // the score even while it is below 1.
  bool score_shown_explicitly = false;
  std::string caption_score = "Score: ";
  std::string caption_lives = "Lives: ";
  std::string caption_health = "Health: ";
  std::int32_t cursor_sprite = -1;
};

// All state of one running game, reachable from here so that a test can make
// a fresh game, run it and throw it away.
class Runner final : public ScriptHost {
 public:
  // The temporary folder is the program's; a game without one plays with an
  // empty folder path.
  // Game code changes the game's sprites, backgrounds, time lines, objects
  // and rooms in place while it plays.
  explicit Runner(GameData& game, const TempDirectory& temp_folder = kNoTempFolder);
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;
  ~Runner() override;

  // Compile the game's code before it starts; each is false after a fatal report.
  bool define_constants();
  // One constant of the game or of an extension package: false after the
  // message that its name or value is not valid.
  bool define_constant(std::string_view raw_name, std::string_view value_text);
  bool prepare_triggers();
  bool prepare_scripts();
  bool prepare_time_lines();
  bool prepare_objects();
  // After game code changed a time line or one event of an object: prepares
  // its actions again. A compile error is reported without ending the game
  // when not `fatal`, and false tells the caller to undo its change.
  bool prepare_time_line(std::int32_t time_line, bool fatal);
  bool prepare_event(std::int32_t object, int type, int number);
  // Drops the prepared actions of a deleted object.
  void forget_object(std::int32_t object);
  // Action lists that game code replaced while they may have been running
  // are kept until no action runs: the start of the next step.
  void release_retired_actions();
  // The object's own prepared actions for the event; null when it has none.
  const ActionList* event_actions(std::int32_t object, int type, int number) const;
  const ActionList* time_line_actions(std::int32_t time_line, int moment) const;
  // Null for a trigger that does not exist.
  const CCode* trigger_condition(int trigger) const;

  // A new instance with the next id, without events.
  CInstance& add_instance(std::int32_t object, double x, double y);
  // As add_instance, then its create event; reports a missing object.
  CInstance* create_instance(std::int32_t object, double x, double y);
  // Runs the destroy event and marks the instance; it leaves the lists after the step.
  void destroy_instance(CInstance& instance);

  std::int32_t instance_count() override;
  ScriptInstance* instance_at(std::int32_t position) override;
  std::int32_t family_count(std::int32_t object_index) override;
  ScriptInstance* family_at(std::int32_t object_index, std::int32_t position) override;
  ScriptInstance* find_instance(std::int32_t id) override;
  bool find_resource_name(std::string_view name, double& index) override;
  std::string object_name(std::int32_t index) override;
  std::string time_line_name(std::int32_t index) override;
  std::string event_name(std::int32_t type, std::int32_t number) override;
  bool show_error(std::string_view message, bool fatal) override;
  void clear_input() override { input.clear(); }
  void debug_message(std::string_view line) override;
  void end_game() override { pending_transfer = kTransferAbort; }
  std::int32_t game_id() override;
  void process_messages() override;

  RoomInstances& instances() { return room->instances; }
  // Texture ids of resources' images; -1 when there is none.
  int background_texture(std::int32_t background) const;
  int sprite_texture(std::int32_t sprite, int frame) const;
  // The room that stands in while no room of the game is current.
  RunRoom* blank_room() { return &blank_room_; }

  GameData& game;
  const TempDirectory& temp_folder;
  ScriptEngine engine;
  InputState input;
  Graphics graphics;
  DrawingState drawing;
  SurfaceTable surfaces{graphics};
  // 3D drawing: the primitive being built, the saved world transforms, the models.
  Primitive3D primitive_3d{graphics, -1, 0};
  TransformStack transform_stack;
  ModelTable models;
  GameWindow layout;
  // The game's sounds as game code changes them, and their playback.
  ResourceList<CSound> sounds;
  SoundSystem sound;
  // The game's paths as game code changes them.
  ResourceList<CPath> paths;
  // Motion planning grids by id, an empty slot for a destroyed one; and how
  // potential steps steer.
  std::vector<std::unique_ptr<CGrid>> grids;
  PotentialSettings potential;
  std::vector<int> background_textures;
  std::vector<std::vector<int>> sprite_textures;
  // The game's fonts as game code changes them, with their glyph textures.
  RunFonts fonts;
  ObjectEventLists event_lists;
  // The room being run; a blank one until the game starts.
  RunRoom* room;
  std::int32_t room_index = -1;
  // Run-time rooms by room index: the current one, and persistent ones kept
  // for their next visit.
  std::vector<std::unique_ptr<RunRoom>> room_copies;
  // Persistent instances on their way to the next room.
  std::vector<std::unique_ptr<CInstance>> carried;
  std::int32_t pending_transfer = kNoTransfer;
  // The file a load request names, read when the request is carried out.
  std::string pending_load_file;
  // The relative flag of the action running now, read by the action functions.
  bool action_relative = false;
  std::int32_t last_instance_id;
  std::int32_t last_tile_id;
  // The mouse in the room, taken once per step, and where it was the step before.
  PointD mouse;
  PointD mouse_previous;
  GameScore score;
  std::int32_t step_counter = 0;
  // The main loop presents each step's frame while this is on.
  bool automatic_draw = true;
  // The view being drawn; 0 outside drawing.
  std::int32_t view_current = 0;
  // The transition of the next room change and its length in steps.
  std::int32_t transition_kind = 0;
  std::int32_t transition_steps = 80;
  RoomTransitionState transitions;
  // Called after each presented frame of a room transition with its number
  // (0 to transition_steps); none while unset.
  std::function<void(int frame)> on_transition_frame;
  std::int32_t fps = 0;
  bool game_running = false;
  // Set by the debug window: the main loop stops stepping, and the game
  // keeps its state until it runs again.
  bool game_paused = false;
  // The debug window's message list, while the window exists.
  std::function<void(std::string_view line)> debug_window_message;
  // The game information and the text game code may have given it.
  GameInformationWindow information{game.information};
  // Shows a message to the player (a message box, or standard error under the
  // developer tool); none while unset.
  std::function<void(std::string_view)> show_message;
  // The player's program shows reports in the error dialog; automated runs
  // print them.
  bool use_error_dialog = false;
  // Included files this run wrote, to be deleted at the end of the program.
  std::vector<std::filesystem::path> exported_files;
  // Included files whose data this run released (freed after their export,
  // or discarded): they count as not stored.
  std::set<std::size_t> released_included_files;
  // Set by automated runs so that a game plays the same way every time.
  std::optional<std::uint32_t> fixed_seed;
  // Whether someone can end a wait for a key or a button; only the player's
  // program says so, so that automated runs and tests never block on one.
  bool player_present = false;
  // Has the desktop's browser open an address; set only where a player is
  // present, so that automated runs and tests never start one.
  std::function<bool(const std::string& address)> open_in_browser;
  // Automated runs play their sounds through the null audio device, so that
  // they neither need nor disturb a sound card.
  bool silent = false;
  // Set by runs with scripted input: while the game waits for a key or a
  // button, delivers the next scripted input ahead of its step; false when
  // none is left.
  std::function<bool()> next_scripted_input;
  // Set by runs with scripted input: the answer for the next dialog, taken
  // before any player is asked; none when the script has no more.
  std::function<std::optional<DialogAnswer>()> next_dialog_answer;
  // The message dialog's look as game code set it.
  MessageLook message_look;
  HighscoreLook highscore_look;
  SplashSettings splash_settings;
  SplashWindowPlace splash_window_place;
  // The splash in a window of its own that the game does not wait for
  // (interrupt off); none while null.
  std::unique_ptr<OpenSplash> open_splash;
  // Set by runs whose script moves joysticks: the game sees these two in
  // place of the controllers.
  std::optional<std::array<platform::JoystickState, 2>> scripted_joysticks;
  // The first (0) or second (1) joystick as the game sees it; not present
  // without a window.
  platform::JoystickState joystick(int index) const;

 private:
  std::unique_ptr<platform::ErrorDialog> error_dialog_;
  using ObjectEvents = std::array<std::map<int, ActionList>, 12>;
  std::vector<ObjectEvents> prepared_;
  std::vector<std::vector<ActionList>> time_lines_;
  std::vector<std::vector<ActionList>> retired_time_lines_;
  std::vector<ActionList> retired_events_;
  std::vector<ObjectEvents> retired_objects_;
  std::vector<std::unique_ptr<CCode>> trigger_conditions_;
  CRoom blank_definition_;
  RunRoom blank_room_;
};

inline Runner& runner_of(ScriptEngine& engine) {
  return static_cast<Runner&>(engine.host());
}

}  // namespace kestrel
