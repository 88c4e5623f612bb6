#include <string>
#include <type_traits>

#include "data/Runner_Load.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

using Args = const RValue*;

constexpr char kMissingParent[] = "Setting a non-existing parent.";
constexpr char kParentCycle[] = "Creating a cycle in the parent relation.";
constexpr char kDeleteMissing[] = "Trying to delete non-existing object.";

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

ResourceList<CObject>& objects_of(ScriptEngine& engine) {
  return runner_of(engine).game.objects;
}

// Whether `ancestor` is among the parents of `object`, however far up.
bool is_ancestor(const ResourceList<CObject>& objects, int object, int ancestor) {
  const CObject* record = objects.get(object);
  // A chain is never longer than the list, so a damaged one ends too.
  for (int steps = 0; record != nullptr && record->parent >= 0 && steps <= objects.count();
       ++steps) {
    if (record->parent == ancestor) return true;
    record = objects.get(record->parent);
  }
  return false;
}

// Which objects have which events, and who belongs to whose family, follow
// every change of parents and events.
void relations_changed(Runner& runner) {
  runner.event_lists.build(runner);
  for (auto& room : runner.room_copies) {
    if (room != nullptr) room->instances.refresh_tables();
  }
  runner.instances().refresh_tables();
}

void object_exists(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(objects_of(e).exists(whole(a[0])) ? 1 : 0);
}
void object_name(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_text(objects_of(e).name(whole(a[0])));
}
// A field of the object record; -1 for an object that does not exist.
template <auto field>
void object_get(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const CObject* object = objects_of(e).get(whole(a[0]));
  r.set_real(object != nullptr ? static_cast<double>(object->*field) : -1);
}
template <auto field>
void object_set(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  CObject* object = objects_of(e).get(whole(a[0]));
  if (object == nullptr) return;
  using Field = std::remove_reference_t<decltype(object->*field)>;
  if constexpr (std::is_same_v<Field, bool>) {
    object->*field = is_true(a[1]);
  } else {
    object->*field = whole(a[1]);
  }
}

void object_is_ancestor(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(is_ancestor(objects_of(e), whole(a[0]), whole(a[1])) ? 1 : 0);
}
void object_set_parent(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  const int parent = whole(a[1]);
  ResourceList<CObject>& objects = objects_of(e);
  CObject* object = objects.get(index);
  if (object == nullptr) return;
  if (parent >= 0 && !objects.exists(parent)) {
    report_action_error(e, kMissingParent, false);
    return;
  }
  if (parent >= 0 && (parent == index || is_ancestor(objects, parent, index))) {
    report_action_error(e, kParentCycle, false);
    return;
  }
  object->parent = parent < 0 ? -1 : parent;
  relations_changed(runner_of(e));
}

void object_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args) {
  const int index = objects_of(e).add_new("__newobject");
  relations_changed(runner_of(e));
  r.set_real(index);
}
void object_delete(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  if (!objects_of(e).exists(index)) {
    report_action_error(e, kDeleteMissing, false);
    return;
  }
  // Its instances stay, with no events of their own.
  objects_of(e).remove(index);
  runner_of(e).forget_object(index);
  relations_changed(runner_of(e));
}

void object_event_clear(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  const int type = whole(a[1]);
  const int number = whole(a[2]);
  CObject* object = objects_of(e).get(index);
  if (object == nullptr || type < 0 || type >= kEventKindCount) return;
  auto& events = object->events[static_cast<std::size_t>(type)];
  const auto found = events.find(number);
  if (found == events.end() || found->second.empty()) return;
  found->second.actions.clear();
  runner_of(e).prepare_event(index, type, number);
  relations_changed(runner_of(e));
}
void object_event_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  const int type = whole(a[1]);
  const int number = whole(a[2]);
  CObject* object = objects_of(e).get(index);
  if (object == nullptr) return;
  CEvent* event = object->GetOrAddEvent(type, number);
  if (event == nullptr) return;
  event->AddCodeAction(a[3].str());
  // Code that does not compile was reported; the event stays as it was.
  if (!runner_of(e).prepare_event(index, type, number)) {
    event->actions.pop_back();
    return;
  }
  relations_changed(runner_of(e));
}

}  // namespace

void register_object_functions(FunctionRegistry& functions) {
  static const struct {
    const char* name;
    BuiltinFunction handler;
    int count;
  } kFunctions[] = {
      {"object_exists", &object_exists, 1},
      {"object_name", &object_name, 1},
      {"object_get_name", &object_name, 1},
      {"object_get_sprite", &object_get<&CObject::sprite>, 1},
      {"object_get_solid", &object_get<&CObject::solid>, 1},
      {"object_get_visible", &object_get<&CObject::visible>, 1},
      {"object_get_depth", &object_get<&CObject::depth>, 1},
      {"object_get_persistent", &object_get<&CObject::persistent>, 1},
      {"object_get_mask", &object_get<&CObject::mask>, 1},
      {"object_get_parent", &object_get<&CObject::parent>, 1},
      {"object_is_ancestor", &object_is_ancestor, 2},
      {"object_set_sprite", &object_set<&CObject::sprite>, 2},
      {"object_set_solid", &object_set<&CObject::solid>, 2},
      {"object_set_visible", &object_set<&CObject::visible>, 2},
      {"object_set_depth", &object_set<&CObject::depth>, 2},
      {"object_set_persistent", &object_set<&CObject::persistent>, 2},
      {"object_set_mask", &object_set<&CObject::mask>, 2},
      {"object_set_parent", &object_set_parent, 2},
      {"object_add", &object_add, 0},
      {"object_delete", &object_delete, 1},
      {"object_event_clear", &object_event_clear, 3},
      {"object_event_add", &object_event_add, 4},
  };
  for (const auto& function : kFunctions) {
    functions.add(function.name, function.handler, function.count);
  }
}

}  // namespace kestrel
