#include "run/Run_Command.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/room_lifecycle.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

void room_goto(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
               const RValue* arguments) {
  request_room(runner_of(engine), round_to_int32(arguments[0].real()));
}

void room_goto_next(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                    const RValue*) {
  Runner& runner = runner_of(engine);
  const std::int32_t next = next_room(runner, runner.room_index);
  if (next < 0) {
    report_action_error(engine, "Moving to next room after the last room.", true);
    runner.pending_transfer = kTransferAbort;
    return;
  }
  request_room(runner, next);
}

void room_goto_previous(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                        const RValue*) {
  Runner& runner = runner_of(engine);
  const std::int32_t previous = previous_room(runner, runner.room_index);
  if (previous < 0) {
    report_action_error(engine, "Moving to previous room before the first room.", true);
    runner.pending_transfer = kTransferAbort;
    return;
  }
  request_room(runner, previous);
}

void room_restart(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                  const RValue*) {
  Runner& runner = runner_of(engine);
  request_room(runner, runner.room_index);
}

void room_next(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
               const RValue* arguments) {
  result.set_real(next_room(runner_of(engine), round_to_int32(arguments[0].real())));
}

void room_previous(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   const RValue* arguments) {
  result.set_real(previous_room(runner_of(engine), round_to_int32(arguments[0].real())));
}

void game_end(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, const RValue*) {
  runner_of(engine).pending_transfer = kTransferEndGame;
}

void game_restart(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                  const RValue*) {
  runner_of(engine).pending_transfer = kTransferRestart;
}

void game_save(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
               const RValue* arguments) {
  save_game(runner_of(engine), arguments[0].str());
}

void game_load(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
               const RValue* arguments) {
  request_load(runner_of(engine), arguments[0].str());
}

}  // namespace

void register_game_functions(FunctionRegistry& functions) {
  functions.add("room_goto", &room_goto, 1);
  functions.add("room_goto_previous", &room_goto_previous, 0);
  functions.add("room_goto_next", &room_goto_next, 0);
  functions.add("room_previous", &room_previous, 1);
  functions.add("room_next", &room_next, 1);
  functions.add("room_restart", &room_restart, 0);
  functions.add("game_end", &game_end, 0);
  functions.add("game_restart", &game_restart, 0);
  for (const char* name : {"game_save", "action_save_game"}) functions.add(name, &game_save, 1);
  for (const char* name : {"game_load", "action_load_game"}) functions.add(name, &game_load, 1);
}

}  // namespace kestrel
