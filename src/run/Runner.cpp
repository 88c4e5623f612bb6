#include "run/Runner.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "data/Event_Name.h"
#include "data/Runner_Load.h"
#include "data/code_origin.h"
#include "lib/Particle_Main.h"
#include "lib/game_registry.h"
#include "run/Event_Main.h"
#include "run/Run_Command.h"
#include "run/Run_Handle_Collision.h"
#include "run/functions/families.h"
#include "run/particle_draw.h"
#include "run/run_dialogs.h"
#include "run/run_fonts.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"

namespace kestrel {

Runner::Runner(GameData& game, const TempDirectory& temp_folder)
    : game(game),
      temp_folder(temp_folder),
      engine(this),
      sounds(game.sounds),
      sound(sounds, temp_folder,
            [this](const std::string& message) {
              if (show_message) show_message(message);
            }),
      paths(game.paths),
      fonts(game.fonts),
      room(&blank_room_),
      last_instance_id(game.last_instance_id),
      last_tile_id(game.last_tile_id),
      blank_room_(game, blank_definition_) {
  // Script names are known from the start, so that any code can call them.
  for (std::int32_t index = 0; index < game.scripts.count(); ++index) {
    if (const ScriptRecord* script = game.scripts.get(index)) {
      engine.scripts.add(game.scripts.name(index), script->text);
    } else {
      engine.scripts.add_empty();
    }
  }
  register_families(engine);
  // Particle systems are drawn and effects sized by the world around them.
  particles_of(engine).draw = [](ScriptEngine& engine, ParticleSystem& system) {
    draw_particle_system(runner_of(engine), system);
  };
  particles_of(engine).surroundings = [](ScriptEngine& engine) {
    const Runner& runner = runner_of(engine);
    const CRoom& room = runner.room->settings;
    return EffectSurroundings{double(room.speed), double(runner.fps), double(room.width),
                              double(room.height)};
  };
  engine.settings.secure_mode = secure_mode_preference();
}

std::int32_t Runner::game_id() {
  return game.game_id;
}

void Runner::debug_message(std::string_view line) {
  ScriptHost::debug_message(line);
  if (!debug_window_message) return;
  debug_window_message(line);
  // Someone is debugging: each line shows as soon as it is written.
  std::fflush(stdout);
}

Runner::~Runner() = default;

void Runner::process_messages() {
  if (platform::Window* window = layout.window()) window->pump_events(input);
}

namespace {

bool is_valid_constant_name(std::string_view name) {
  const auto letter = [](char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
  };
  if (name.empty() || !letter(name[0])) return false;
  return std::all_of(name.begin(), name.end(), [&](char c) {
    return letter(c) || std::isdigit(static_cast<unsigned char>(c));
  });
}

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

bool Runner::show_error(std::string_view message, bool fatal) {
  if (use_error_dialog && error_dialog_ == nullptr) error_dialog_ = platform::open_error_dialog();
  // Without a display the report is printed and the game goes on as if ignored.
  if (error_dialog_ == nullptr) return ScriptHost::show_error(message, fatal);
  return error_dialog_->show(message, fatal) == platform::ErrorChoice::Ignore;
}

bool Runner::define_constants() {
  for (const auto& [name, value_text] : game.constants) {
    if (!define_constant(name, value_text)) return false;
  }
  return true;
}

bool Runner::define_constant(std::string_view raw_name, std::string_view value_text) {
  const std::string name = trimmed(raw_name);
  const auto refuse = [&](const char* what) {
    if (show_message) show_message(std::string(what) + name + "  is not valid.");
    return false;
  };
  if (!is_valid_constant_name(name)) return refuse("Constant name ");
  CCode code(value_text, true);
  if (!code.compile(engine)) {
    engine.errors.pending = false;
    return refuse("Value for constant ");
  }
  // A value that fails while it is worked out is the string "ERROR", without a message.
  CInstance scratch(game, 0, 0, 0, 0);
  RValue value;
  execute_for_value(engine, code, &scratch, &scratch, value);
  engine.errors.pending = false;
  engine.constants.add(name, value);
  return true;
}

bool Runner::prepare_triggers() {
  trigger_conditions_.clear();
  for (const auto& trigger : game.triggers) {
    auto& condition = trigger_conditions_.emplace_back();
    if (!trigger) continue;
    condition = std::make_unique<CCode>(trigger->condition, false,
                                        code_origin::trigger(trigger_conditions_.size() - 1));
    if (!condition->compile(engine)) {
      report_error(engine,
                   "COMPILATION ERROR in condition of trigger " + trigger->name + kCr +
                       engine.errors.last_text,
                   true);
      engine.errors.pending = false;
      return false;
    }
  }
  return true;
}

bool Runner::prepare_scripts() {
  return engine.scripts.compile_all(engine);
}

bool Runner::prepare_time_lines() {
  time_lines_.clear();
  for (std::int32_t index = 0; index < game.timelines.count(); ++index) {
    if (!prepare_time_line(index, true)) return false;
  }
  return true;
}

bool Runner::prepare_time_line(std::int32_t index, bool fatal) {
  if (time_lines_.size() <= static_cast<std::size_t>(index)) {
    time_lines_.resize(static_cast<std::size_t>(index) + 1);
  }
  std::vector<ActionList> lists;
  if (const CTimeLine* line = game.timelines.get(index)) {
    lists.resize(line->moments.size());
    const ActionContext saved = engine.action;
    for (std::size_t m = 0; m < line->moments.size(); ++m) {
      engine.action = {index, kTimeLineEvent, line->moments[m].step, 0};
      // Moments that game code changed have no file of their own.
      const std::string origin = fatal ? code_origin::moment(index, m) : std::string();
      if (!prepare_actions(*this, line->moments[m].event.actions, origin, lists[m], fatal)) {
        engine.action = saved;
        return false;
      }
    }
    engine.action = saved;
  }
  // The moment running now may be one of the lists replaced.
  retired_time_lines_.push_back(std::move(time_lines_[static_cast<std::size_t>(index)]));
  time_lines_[static_cast<std::size_t>(index)] = std::move(lists);
  return true;
}

void Runner::release_retired_actions() {
  retired_time_lines_.clear();
  retired_events_.clear();
  retired_objects_.clear();
  event_lists.release_retired();
}

const ActionList* Runner::time_line_actions(std::int32_t time_line, int moment) const {
  if (time_line < 0 || static_cast<std::size_t>(time_line) >= time_lines_.size()) return nullptr;
  const auto& lists = time_lines_[static_cast<std::size_t>(time_line)];
  if (moment < 0 || static_cast<std::size_t>(moment) >= lists.size()) return nullptr;
  return &lists[static_cast<std::size_t>(moment)];
}

const CCode* Runner::trigger_condition(int trigger) const {
  if (trigger < 0 || static_cast<std::size_t>(trigger) >= trigger_conditions_.size()) {
    return nullptr;
  }
  return trigger_conditions_[static_cast<std::size_t>(trigger)].get();
}

bool Runner::prepare_objects() {
  event_lists.forget_resolved();
  prepared_.clear();
  prepared_.resize(static_cast<std::size_t>(game.objects.count()));
  for (std::int32_t index = 0; index < game.objects.count(); ++index) {
    const CObject* object = game.objects.get(index);
    if (object == nullptr) continue;
    for (int type = 0; type < static_cast<int>(object->events.size()); ++type) {
      for (const auto& [number, event] : object->events[static_cast<std::size_t>(type)]) {
        if (event.empty()) continue;
        engine.action = {index, type, number, 0};
        ActionList& list =
            prepared_[static_cast<std::size_t>(index)][static_cast<std::size_t>(type)][number];
        if (!prepare_actions(*this, event.actions, code_origin::event(index, type, number), list))
          return false;
      }
    }
  }
  return true;
}

bool Runner::prepare_event(std::int32_t object, int type, int number) {
  const CObject* stored = game.objects.get(object);
  if (stored == nullptr || type < 0 || type >= kEventKindCount) return false;
  if (prepared_.size() <= static_cast<std::size_t>(object)) {
    prepared_.resize(static_cast<std::size_t>(object) + 1);
  }
  ActionList fresh;
  const auto& events = stored->events[static_cast<std::size_t>(type)];
  if (const auto found = events.find(number); found != events.end()) {
    const ActionContext saved = engine.action;
    engine.action = {object, type, number, 0};
    const bool ok = prepare_actions(*this, found->second.actions, std::string(), fresh, false);
    engine.action = saved;
    if (!ok) return false;
  }
  // The event may be running now: its old actions stay until the step ends.
  ActionList& list =
      prepared_[static_cast<std::size_t>(object)][static_cast<std::size_t>(type)][number];
  retired_events_.push_back(std::move(list));
  list = std::move(fresh);
  event_lists.forget_resolved();
  return true;
}

void Runner::forget_object(std::int32_t object) {
  if (object < 0 || prepared_.size() <= static_cast<std::size_t>(object)) return;
  retired_objects_.push_back(std::move(prepared_[static_cast<std::size_t>(object)]));
  prepared_[static_cast<std::size_t>(object)] = ObjectEvents{};
  event_lists.forget_resolved();
}

const ActionList* Runner::event_actions(std::int32_t object, int type, int number) const {
  if (object < 0 || static_cast<std::size_t>(object) >= prepared_.size() || type < 0 ||
      type >= 12) {
    return nullptr;
  }
  const auto& events = prepared_[static_cast<std::size_t>(object)][static_cast<std::size_t>(type)];
  const auto found = events.find(number);
  return found != events.end() && !found->second.empty() ? &found->second : nullptr;
}

CInstance& Runner::add_instance(std::int32_t object, double x, double y) {
  return instances().add(++last_instance_id, object, x, y);
}

CInstance* Runner::create_instance(std::int32_t object, double x, double y) {
  if (!game.objects.exists(object)) {
    report_action_error(
        engine, "Creating instance for non-existing object: " + std::to_string(object), false);
    return nullptr;
  }
  CInstance& instance = add_instance(object, x, y);
  perform_event(*this, instance, instance, object, kEventCreate, 0);
  return &instance;
}

void Runner::destroy_instance(CInstance& instance) {
  perform_event(*this, instance, instance, instance.object_index, kEventDestroy, 0);
  instance.destroyed = true;
}

std::int32_t Runner::instance_count() {
  return instances().count();
}

ScriptInstance* Runner::instance_at(std::int32_t position) {
  return &instances().at(position);
}

std::int32_t Runner::family_count(std::int32_t object_index) {
  return static_cast<std::int32_t>(instances().family(object_index).size());
}

ScriptInstance* Runner::family_at(std::int32_t object_index, std::int32_t position) {
  return instances().family(object_index)[static_cast<std::size_t>(position)];
}

ScriptInstance* Runner::find_instance(std::int32_t id) {
  return instances().find(id);
}

bool Runner::find_resource_name(std::string_view name, double& index) {
  const std::string key(name);
  for (int found : {game.objects.find(key), game.sprites.find(key), sounds.find(key),
                    game.backgrounds.find(key), paths.find(key), fonts.list.find(key),
                    game.timelines.find(key), game.scripts.find(key), game.rooms.find(key),
                    FindTriggerByConstantName(game.triggers, name)}) {
    if (found >= 0) {
      index = found;
      return true;
    }
  }
  return false;
}

std::string Runner::object_name(std::int32_t index) {
  return game.objects.name(index);
}

platform::JoystickState Runner::joystick(int index) const {
  if (scripted_joysticks) return (*scripted_joysticks)[static_cast<std::size_t>(index)];
  platform::Window* window = layout.window();
  return window != nullptr ? window->joystick(index) : platform::JoystickState{};
}

int Runner::background_texture(std::int32_t background) const {
  if (background < 0 || static_cast<std::size_t>(background) >= background_textures.size()) {
    return -1;
  }
  return background_textures[static_cast<std::size_t>(background)];
}

int Runner::sprite_texture(std::int32_t sprite, int frame) const {
  if (sprite < 0 || static_cast<std::size_t>(sprite) >= sprite_textures.size()) return -1;
  const auto& frames = sprite_textures[static_cast<std::size_t>(sprite)];
  if (frame < 0 || static_cast<std::size_t>(frame) >= frames.size()) return -1;
  return frames[static_cast<std::size_t>(frame)];
}

std::string Runner::event_name(std::int32_t type, std::int32_t number) {
  return EventName(game, type, number);
}

std::string Runner::time_line_name(std::int32_t index) {
  return game.timelines.name(index);
}

}  // namespace kestrel
