#include "run/room_lifecycle.h"

#include <algorithm>
#include <string>

#include "data/Runner_Load.h"
#include "data/code_origin.h"
#include "run/Event_Main.h"
#include "run/Extension_Main.h"
#include "run/Run_Command.h"
#include "run/Runner.h"
#include "run/room_draw.h"
#include "run/room_transition.h"
#include "script/Code_Error.h"
#include "script/Code_Exec.h"
#include "script/Function_Math.h"

namespace kestrel {
namespace {

// Other-event numbers of the game and room lifecycle.
constexpr int kGameStartEvent = 2;
constexpr int kGameEndEvent = 3;
constexpr int kRoomStartEvent = 4;
constexpr int kRoomEndEvent = 5;

// Compiles and runs a piece of code, reporting a failure with `what` (for
// example "creation code of room r1") after the kind of failure.
void run_code(Runner& runner, const std::string& text, const std::string& origin,
              const std::string& what, bool fatal, CInstance& self) {
  ScriptEngine& engine = runner.engine;
  CCode code(text, false, origin);
  if (!code.compile(engine)) {
    report_error(engine, "COMPILATION ERROR in " + what + kCr + engine.errors.last_text, fatal);
    engine.errors.pending = false;
    return;
  }
  RValue result;
  if (!execute(engine, code, &self, &self, result)) {
    report_error(engine, "EXECUTION ERROR in " + what + kCr + engine.errors.last_text, fatal);
    engine.errors.pending = false;
  }
}

// The instance that code with no instance of its own runs as.
CInstance scratch_instance(const Runner& runner) {
  return CInstance(runner.game, 0, 0, 0, 0);
}

std::int32_t order_position(const Runner& runner, std::int32_t room) {
  const auto& order = runner.game.room_order;
  const auto found = std::find(order.begin(), order.end(), room);
  return found == order.end() ? -1 : static_cast<std::int32_t>(found - order.begin());
}

}  // namespace

std::int32_t next_room(const Runner& runner, std::int32_t room) {
  const std::int32_t position = order_position(runner, room);
  const auto& order = runner.game.room_order;
  if (!runner.game.rooms.exists(room) || position < 0 ||
      position + 1 >= static_cast<std::int32_t>(order.size())) {
    return -1;
  }
  return order[static_cast<std::size_t>(position + 1)];
}

std::int32_t previous_room(const Runner& runner, std::int32_t room) {
  const std::int32_t position = order_position(runner, room);
  if (!runner.game.rooms.exists(room) || position <= 0) return -1;
  return runner.game.room_order[static_cast<std::size_t>(position - 1)];
}

void start_game(Runner& runner) {
  runner.event_lists.build(runner);
  runner.engine.globals.initialise();
  runner.score.score = 0;
  runner.score.lives = -1;
  runner.score.cursor_sprite = -1;
  runner.step_counter = 0;
  runner.transition_kind = 0;
  if (runner.fixed_seed)
    runner.engine.random_seed = *runner.fixed_seed;
  else
    randomize_seed(runner.engine);
  const auto& library_init = runner.game.library_init_code;
  for (std::size_t i = 0; i < library_init.size(); ++i) {
    if (library_init[i].empty()) continue;
    CInstance scratch = scratch_instance(runner);
    run_code(runner, library_init[i], code_origin::library_init(i), "library initialization code",
             true, scratch);
  }
  if (!call_extension_initializers(runner)) return;
  runner.room_copies.clear();
  runner.room_copies.resize(static_cast<std::size_t>(runner.game.rooms.count()));
  runner.carried.clear();
  if (runner.game.room_order.empty()) {
    report_error(runner.engine, "The game has no rooms.", true);
    runner.pending_transfer = kTransferAbort;
    return;
  }
  start_room(runner, runner.game.room_order.front(), true);
}

void end_game(Runner& runner) {
  end_room(runner, true);
  runner.room_copies.clear();
  runner.carried.clear();
  call_extension_finalizers(runner);
}

void end_room(Runner& runner, bool game_end) {
  capture_old_frame(runner);
  RoomInstances& instances = runner.instances();
  instances.remove_destroyed();
  const std::int32_t saved = runner.pending_transfer;
  runner.pending_transfer = kNoTransfer;
  perform_event_all(runner, kEventOther, kRoomEndEvent);
  if (game_end) perform_event_all(runner, kEventOther, kGameEndEvent);
  runner.pending_transfer = saved;

  runner.carried.clear();
  for (std::int32_t i = 0; i < instances.count(); ++i) {
    CInstance& instance = instances.at(i);
    if (instance.destroyed || !instance.persistent) continue;
    auto copy = std::make_unique<CInstance>(runner.game, instance.id, instance.object_index,
                                            instance.x(), instance.y());
    copy->assign(instance);
    runner.carried.push_back(std::move(copy));
    instance.destroyed = true;
  }
  const std::int32_t index = runner.room_index;
  if (index >= 0 && static_cast<std::size_t>(index) < runner.room_copies.size() &&
      !runner.room->settings.persistent) {
    runner.room = runner.blank_room();
    runner.room_copies[static_cast<std::size_t>(index)].reset();
  }
}

void start_room(Runner& runner, std::int32_t index, bool game_start) {
  runner.pending_transfer = kNoTransfer;
  runner.input.clear();
  if (runner.room_copies.size() <= static_cast<std::size_t>(index)) {
    runner.room_copies.resize(static_cast<std::size_t>(index) + 1);
  }
  auto& copy = runner.room_copies[static_cast<std::size_t>(index)];
  const bool existing = copy != nullptr;
  if (!existing) {
    const CRoom* definition = runner.game.rooms.get(index);
    copy = std::make_unique<RunRoom>(runner.game, definition != nullptr ? *definition : CRoom{});
    for (const RoomInstance& placed : copy->settings.instances) {
      CInstance& instance = copy->instances.add(placed.id, placed.object, placed.x, placed.y);
      instance.creation_code = placed.creation_code;
    }
  }
  runner.room_index = index;
  runner.room = copy.get();
  RoomInstances& instances = runner.instances();
  fit_region_to_room(runner);

  const auto carried_count = static_cast<std::int32_t>(runner.carried.size());
  for (auto& carried : runner.carried) {
    for (std::int32_t i = 0; i < instances.count(); ++i) {
      if (instances.at(i).id == carried->id) instances.at(i).destroyed = true;
    }
    CInstance& joined = runner.add_instance(carried->object_index, carried->x(), carried->y());
    joined.assign(*carried);
  }
  runner.carried.clear();

  if (!existing) {
    const std::string room_name = runner.game.rooms.name(index);
    const std::int32_t placed = instances.count() - carried_count;
    for (std::int32_t i = 0; i < placed && i < instances.count(); ++i) {
      CInstance& instance = instances.at(i);
      if (instance.destroyed) continue;
      if (!instance.creation_code.empty()) {
        run_code(
            runner, instance.creation_code,
            code_origin::instance_code(index, static_cast<std::size_t>(i)),
            "creation code for instance " + std::to_string(instance.id) + " in room " + room_name,
            false, instance);
      }
      perform_event(runner, instance, instance, instance.object_index, kEventCreate, 0);
    }
  }
  if (game_start) perform_event_all(runner, kEventOther, kGameStartEvent);
  if (!existing && !runner.room->settings.creation_code.empty()) {
    CInstance scratch = scratch_instance(runner);
    // Code that the game set while playing has no file.
    const CRoom* definition = runner.game.rooms.get(index);
    const std::string& code = runner.room->settings.creation_code;
    const bool as_made = definition != nullptr && definition->creation_code == code;
    run_code(runner, code, as_made ? code_origin::room_code(index) : std::string(),
             "creation code of room " + runner.game.rooms.name(index), false, scratch);
  }
  perform_event_all(runner, kEventOther, kRoomStartEvent);
  if (runner.pending_transfer == kNoTransfer && runner.automatic_draw) {
    redraw_room(runner);
    run_transition(runner);
    runner.transition_kind = 0;
  } else {
    drop_transition(runner);
  }
}

void goto_room(Runner& runner, std::int32_t index) {
  end_room(runner, false);
  start_room(runner, index, false);
}

void request_room(Runner& runner, std::int32_t index) {
  runner.pending_transfer = index;
  if (!runner.game.rooms.exists(index)) {
    report_action_error(runner.engine, "Unexisting room number: " + std::to_string(index), true);
    runner.pending_transfer = kTransferAbort;
  }
}

bool handle_transfer(Runner& runner) {
  const std::int32_t request = runner.pending_transfer;
  if (request == kNoTransfer) return runner.game_running;
  if (request >= 0) {
    goto_room(runner, request);
  } else if (request == kTransferRestart) {
    end_game(runner);
    start_game(runner);
  } else if (request == kTransferEndGame || request == kTransferAbort) {
    runner.game_running = false;
  } else if (request == kTransferLoad) {
    load_requested_game(runner);
  } else {
    runner.pending_transfer = kNoTransfer;
  }
  return runner.game_running;
}

}  // namespace kestrel
