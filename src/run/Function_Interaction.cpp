#include "data/Runner_Load.h"
#include "run/Event_Main.h"
#include "run/Function_Game.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

Runner& as_runner(ScriptEngine& engine) {
  return static_cast<Runner&>(engine.host());
}
CInstance& as_instance(ScriptInstance& instance) {
  return static_cast<CInstance&>(instance);
}

// Calls `visit` for every live instance a specifier names, until it returns false.
template <class Visit>
void for_each_named(Runner& runner, ScriptInstance& self, ScriptInstance& other,
                    std::int32_t specifier, Visit visit) {
  const auto live = [](ScriptInstance* instance) {
    return instance != nullptr && !instance->destroyed;
  };
  if (specifier == kSelf || specifier == kOther) {
    ScriptInstance& named = specifier == kSelf ? self : other;
    if (live(&named)) visit(as_instance(named));
    return;
  }
  RoomInstances& instances = runner.instances();
  if (specifier == kAll) {
    for (std::int32_t i = 0; i < instances.count(); ++i) {
      if (live(&instances.at(i)) && !visit(instances.at(i))) return;
    }
  } else if (specifier >= kFirstInstanceId) {
    CInstance* found = instances.find(specifier);
    if (live(found)) visit(*found);
  } else if (specifier >= 0) {
    const auto& family = instances.family(specifier);
    for (std::size_t k = 0; k < family.size(); ++k) {
      if (live(family[k]) && !visit(*family[k])) return;
    }
  }
}

void instance_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     const RValue* arguments) {
  CInstance* created = as_runner(engine).create_instance(round_to_int32(arguments[2].real()),
                                                         arguments[0].real(), arguments[1].real());
  result.set_real(created != nullptr ? created->id : kNoone);
}

void instance_destroy(ScriptEngine& engine, ScriptInstance& self, ScriptInstance&, int, RValue&,
                      const RValue*) {
  as_runner(engine).destroy_instance(as_instance(self));
}

void instance_exists(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                     RValue& result, const RValue* arguments) {
  bool found = false;
  for_each_named(as_runner(engine), self, other, round_to_int32(arguments[0].real()),
                 [&](CInstance&) { return !(found = true); });
  result.set_real(found ? 1 : 0);
}

void instance_number(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                     RValue& result, const RValue* arguments) {
  int count = 0;
  for_each_named(as_runner(engine), self, other, round_to_int32(arguments[0].real()),
                 [&](CInstance&) { return ++count > 0; });
  result.set_real(count);
}

void event_perform(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                   const RValue* arguments) {
  perform_event(as_runner(engine), as_instance(self), as_instance(other), self.object_index,
                round_to_int32(arguments[0].real()), round_to_int32(arguments[1].real()));
}

void event_user(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int, RValue&,
                const RValue* arguments) {
  perform_event(as_runner(engine), as_instance(self), as_instance(other), self.object_index,
                kEventOther, round_to_int32(arguments[0].real()) + 10);
}

void event_perform_object(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                          RValue&, const RValue* arguments) {
  perform_event(as_runner(engine), as_instance(self), as_instance(other),
                round_to_int32(arguments[0].real()), round_to_int32(arguments[1].real()),
                round_to_int32(arguments[2].real()));
}

void event_inherited(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other, int,
                     RValue&, const RValue*) {
  Runner& runner = as_runner(engine);
  const CObject* owner = runner.game.objects.get(engine.action.object);
  if (owner == nullptr || !runner.game.objects.exists(owner->parent)) return;
  perform_event(runner, as_instance(self), as_instance(other), owner->parent,
                engine.action.event_type, engine.action.event_number);
}

}  // namespace

void register_interaction_functions(FunctionRegistry& functions) {
  functions.add("instance_create", &instance_create, 3);
  functions.add("instance_destroy", &instance_destroy, 0);
  functions.add("instance_exists", &instance_exists, 1);
  functions.add("instance_number", &instance_number, 1);
  functions.add("event_perform", &event_perform, 2);
  functions.add("event_user", &event_user, 1);
  functions.add("event_perform_object", &event_perform_object, 3);
  functions.add("event_inherited", &event_inherited, 0);
}

}  // namespace kestrel
