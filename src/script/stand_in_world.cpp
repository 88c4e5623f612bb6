#include "script/stand_in_world.h"

namespace kestrel {

std::int32_t StandInWorld::add_object(std::string name) {
  objects_.push_back(std::move(name));
  families_.emplace_back();
  return static_cast<std::int32_t>(objects_.size()) - 1;
}

ScriptInstance& StandInWorld::add_instance(std::int32_t object_index) {
  auto instance = std::make_unique<ScriptInstance>();
  instance->id = next_id_++;
  instance->object_index = object_index;
  ScriptInstance& added = *instance;
  instances_.push_back(std::move(instance));
  families_.at(object_index).push_back(&added);
  return added;
}

std::int32_t StandInWorld::instance_count() {
  return static_cast<std::int32_t>(instances_.size());
}

ScriptInstance* StandInWorld::instance_at(std::int32_t position) {
  if (position < 0 || position >= instance_count()) return nullptr;
  return instances_[position].get();
}

std::int32_t StandInWorld::family_count(std::int32_t object_index) {
  if (object_index < 0 || object_index >= static_cast<std::int32_t>(families_.size())) return 0;
  return static_cast<std::int32_t>(families_[object_index].size());
}

ScriptInstance* StandInWorld::family_at(std::int32_t object_index, std::int32_t position) {
  if (position < 0 || position >= family_count(object_index)) return nullptr;
  return families_[object_index][position];
}

ScriptInstance* StandInWorld::find_instance(std::int32_t id) {
  for (std::int32_t& recent : recent_) {
    ScriptInstance* instance = instance_at(recent);
    if (instance && instance->id == id) return instance;
  }
  for (std::int32_t position = instance_count() - 1; position >= 0; --position) {
    if (instances_[position]->id == id) {
      recent_[1] = recent_[0];
      recent_[0] = position;
      return instances_[position].get();
    }
  }
  return nullptr;
}

bool StandInWorld::find_resource_name(std::string_view name, double& index) {
  for (const auto* names : {&objects_, &rooms_}) {
    for (std::size_t i = 0; i < names->size(); ++i) {
      if ((*names)[i] == name) {
        index = static_cast<double>(i);
        return true;
      }
    }
  }
  return false;
}

std::string StandInWorld::object_name(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(objects_.size())) return "<undefined>";
  return objects_[index];
}

std::string StandInWorld::event_name(std::int32_t type, std::int32_t number) {
  return type == 0 ? "Create Event" : ScriptHost::event_name(type, number);
}

}  // namespace kestrel
