#include <optional>

#include "net/multiplayer_session.h"
#include "run/Runner.h"
#include "run/functions/families.h"

namespace kestrel {
namespace {

using Args = const RValue*;

MultiplayerSession& session(ScriptEngine& engine) {
  return engine.families.get<MultiplayerSession>();
}

const platform::SessionGuid& game_guid(ScriptEngine& engine) {
  return runner_of(engine).game.guid;
}

std::int32_t integer(const RValue& value) {
  return round_to_int32(value.real());
}

void answer(RValue& result, bool success) {
  result.set_real(success ? 1 : 0);
}

// A player given by name is looked up among the session's players; none when
// no player has that name.
std::optional<std::int32_t> player_argument(MultiplayerSession& state, const RValue& player) {
  if (!player.is_string()) return integer(player);
  const std::int32_t id = state.player_named(player.str());
  if (id == 0) return std::nullopt;
  return id;
}

void mplay_init_tcpip(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      Args args) {
  answer(result, session(engine).connect_tcpip(args[0].str()));
}

// IPX, modem and serial links have no carrier here: they fail as a connection
// that could not be made does, leaving everything as it was.
void mplay_init_unavailable(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result,
                            Args) {
  answer(result, false);
}

void mplay_connect_status(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                          RValue& result, Args) {
  result.set_real(session(engine).connection());
}

void mplay_end(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  session(engine).end();
}

void mplay_session_mode(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                        Args args) {
  session(engine).set_migrate_host(integer(args[0]) != 0);
}

void mplay_session_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                          RValue& result, Args args) {
  answer(result, session(engine).create_session(game_guid(engine), args[0].str(), integer(args[1]),
                                                args[2].str()));
}

void mplay_session_find(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args) {
  result.set_real(session(engine).find_sessions(game_guid(engine)));
}

void mplay_session_name(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args args) {
  result.set_text(session(engine).session_name(integer(args[0])));
}

void mplay_session_join(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args args) {
  answer(result, session(engine).join_session(integer(args[0]), args[1].str()));
}

void mplay_session_status(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                          RValue& result, Args) {
  result.set_real(session(engine).session());
}

void mplay_session_end(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  session(engine).end_session();
}

void mplay_player_find(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                       Args) {
  result.set_real(session(engine).find_players());
}

void mplay_player_name(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                       Args args) {
  result.set_text(session(engine).player_name(integer(args[0])));
}

void mplay_player_id(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     Args args) {
  result.set_real(session(engine).player_id(integer(args[0])));
}

void mplay_data_write(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      Args args) {
  answer(result, session(engine).write_data(integer(args[0]), args[1]));
}

void mplay_data_read(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     Args args) {
  result = session(engine).read_data(integer(args[0]));
}

void mplay_data_mode(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                     Args args) {
  session(engine).set_guaranteed_data(integer(args[0]) != 0);
}

template <bool kGuaranteed>
void mplay_message_send(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args args) {
  MultiplayerSession& state = session(engine);
  const std::optional<std::int32_t> to = player_argument(state, args[0]);
  answer(result, to && state.send_message(*to, integer(args[1]), args[2], kGuaranteed));
}

void mplay_message_receive(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                           RValue& result, Args args) {
  MultiplayerSession& state = session(engine);
  const std::optional<std::int32_t> from = player_argument(state, args[0]);
  answer(result, from && state.receive_message(*from));
}

void mplay_message_id(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      Args) {
  result.set_real(session(engine).current_message().id);
}

void mplay_message_value(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                         RValue& result, Args) {
  result = session(engine).current_message().value;
}

void mplay_message_player(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                          RValue& result, Args) {
  result.set_real(session(engine).current_message().player);
}

void mplay_message_name(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args) {
  result.set_text(session(engine).current_sender_name());
}

void mplay_message_count(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                         RValue& result, Args args) {
  result.set_real(session(engine).count_messages(integer(args[0])));
}

void mplay_message_clear(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                         Args args) {
  session(engine).clear_messages(integer(args[0]));
}

void mplay_ipaddress(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result, Args) {
  result.set_text(platform::local_ip_address());
}

}  // namespace

void register_multiplayer_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("mplay_init_ipx", &mplay_init_unavailable, 0);
  f.add("mplay_init_tcpip", &mplay_init_tcpip, 1);
  f.add("mplay_init_modem", &mplay_init_unavailable, 2);
  f.add("mplay_init_serial", &mplay_init_unavailable, 5);
  f.add("mplay_connect_status", &mplay_connect_status, 0);
  f.add("mplay_end", &mplay_end, 0);
  f.add("mplay_session_mode", &mplay_session_mode, 1);
  f.add("mplay_session_create", &mplay_session_create, 3);
  f.add("mplay_session_find", &mplay_session_find, 0);
  f.add("mplay_session_name", &mplay_session_name, 1);
  f.add("mplay_session_join", &mplay_session_join, 2);
  f.add("mplay_session_status", &mplay_session_status, 0);
  f.add("mplay_session_end", &mplay_session_end, 0);
  f.add("mplay_player_find", &mplay_player_find, 0);
  f.add("mplay_player_name", &mplay_player_name, 1);
  f.add("mplay_player_id", &mplay_player_id, 1);
  f.add("mplay_data_write", &mplay_data_write, 2);
  f.add("mplay_data_read", &mplay_data_read, 1);
  f.add("mplay_data_mode", &mplay_data_mode, 1);
  f.add("mplay_message_send", &mplay_message_send<false>, 3);
  f.add("mplay_message_send_guaranteed", &mplay_message_send<true>, 3);
  f.add("mplay_message_receive", &mplay_message_receive, 1);
  f.add("mplay_message_id", &mplay_message_id, 0);
  f.add("mplay_message_value", &mplay_message_value, 0);
  f.add("mplay_message_player", &mplay_message_player, 0);
  f.add("mplay_message_name", &mplay_message_name, 0);
  f.add("mplay_message_count", &mplay_message_count, 1);
  f.add("mplay_message_clear", &mplay_message_clear, 1);
  f.add("mplay_ipaddress", &mplay_ipaddress, 0);
}

}  // namespace kestrel
