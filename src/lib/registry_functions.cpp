#include "lib/game_registry.h"
#include "lib/library_functions.h"
#include "script/Code_Error.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

constexpr const char* kSecureRegistryWrite = "In Secure mode you cannot write registry entries in ";

using Args = const RValue*;

GameRegistry& registry(ScriptEngine& engine) {
  return engine.families.get<GameRegistry>();
}

std::string own_key(ScriptEngine& engine) {
  return GameRegistry::game_key(engine.host().game_id());
}

// --- The game's own key, which secure mode leaves open ---

void registry_write_string(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args args) {
  registry(engine).write_string(GameRegistry::kCurrentUser, own_key(engine), args[0].str(),
                                args[1].str());
}

void registry_write_real(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                         Args args) {
  registry(engine).write_real(GameRegistry::kCurrentUser, own_key(engine), args[0].str(),
                              args[1].real());
}

void registry_read_string(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                          RValue& result, Args args) {
  result.set_text(
      registry(engine).read_string(GameRegistry::kCurrentUser, own_key(engine), args[0].str()));
}

void registry_read_real(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args args) {
  result.set_real(
      registry(engine).read_real(GameRegistry::kCurrentUser, own_key(engine), args[0].str()));
}

void registry_exists(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     Args args) {
  const bool found =
      registry(engine).exists(GameRegistry::kCurrentUser, own_key(engine), args[0].str());
  result.set_real(found ? 1 : 0);
}

// --- Any key under the chosen root ---

bool ext_write_refused(ScriptEngine& engine, const RValue& key) {
  if (!engine.settings.secure_mode) return false;
  report_action_error(engine, kSecureRegistryWrite + key.str(), false);
  return true;
}

void registry_write_string_ext(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                               Args args) {
  if (ext_write_refused(engine, args[0])) return;
  GameRegistry& store = registry(engine);
  store.write_string(store.root(), args[0].str(), args[1].str(), args[2].str());
}

void registry_write_real_ext(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                             Args args) {
  if (ext_write_refused(engine, args[0])) return;
  GameRegistry& store = registry(engine);
  store.write_real(store.root(), args[0].str(), args[1].str(), args[2].real());
}

void registry_read_string_ext(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                              RValue& result, Args args) {
  GameRegistry& store = registry(engine);
  result.set_text(store.read_string(store.root(), args[0].str(), args[1].str()));
}

void registry_read_real_ext(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                            RValue& result, Args args) {
  GameRegistry& store = registry(engine);
  result.set_real(store.read_real(store.root(), args[0].str(), args[1].str()));
}

void registry_exists_ext(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                         RValue& result, Args args) {
  GameRegistry& store = registry(engine);
  result.set_real(store.exists(store.root(), args[0].str(), args[1].str()) ? 1 : 0);
}

void registry_set_root(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                       Args args) {
  registry(engine).set_root(round_to_int32(args[0].real()));
}

}  // namespace

void register_registry_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("registry_write_string", &registry_write_string, 2);
  f.add("registry_write_real", &registry_write_real, 2);
  f.add("registry_read_string", &registry_read_string, 1);
  f.add("registry_read_real", &registry_read_real, 1);
  f.add("registry_exists", &registry_exists, 1);
  f.add("registry_write_string_ext", &registry_write_string_ext, 3);
  f.add("registry_write_real_ext", &registry_write_real_ext, 3);
  f.add("registry_read_string_ext", &registry_read_string_ext, 2);
  f.add("registry_read_real_ext", &registry_read_real_ext, 2);
  f.add("registry_exists_ext", &registry_exists_ext, 2);
  f.add("registry_set_root", &registry_set_root, 1);
}

}  // namespace kestrel
