#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/script_host.h"

namespace kestrel {

// A room of plain instances with named objects and rooms, for running code
// before the game world exists (kestrel-dev eval, tests, benchmarks). Objects
// have no parents, so an object's family is its own instances.
class StandInWorld : public ScriptHost {
 public:
  // Adds an object and returns its index.
  std::int32_t add_object(std::string name);
  void add_room(std::string name) { rooms_.push_back(std::move(name)); }
  // Adds an instance of an object with the next instance id.
  ScriptInstance& add_instance(std::int32_t object_index);

  std::int32_t instance_count() override;
  ScriptInstance* instance_at(std::int32_t position) override;
  std::int32_t family_count(std::int32_t object_index) override;
  ScriptInstance* family_at(std::int32_t object_index, std::int32_t position) override;
  ScriptInstance* find_instance(std::int32_t id) override;
  bool find_resource_name(std::string_view name, double& index) override;
  std::string object_name(std::int32_t index) override;
  std::string event_name(std::int32_t type, std::int32_t number) override;

 private:
  std::vector<std::string> objects_;
  std::vector<std::string> rooms_;
  std::vector<std::unique_ptr<ScriptInstance>> instances_;
  std::vector<std::vector<ScriptInstance*>> families_;
  std::int32_t next_id_ = 100001;
  // List positions of the last two successful id look-ups, tried first.
  std::int32_t recent_[2] = {0, 0};
};

}  // namespace kestrel
