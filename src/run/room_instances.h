#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "run/Instance_Class.h"

namespace kestrel {

struct GameData;

// The instances of one run-time room: the instance list in its order (live
// instances and destroyed ones not yet removed), the deactivated list, and per
// object the instances of exactly that object and those of its whole family.
class RoomInstances {
 public:
  explicit RoomInstances(const GameData& game) : game_(&game) {}

  // Appends a new instance with the object's properties; runs no event.
  CInstance& add(std::int32_t id, std::int32_t object, double x, double y);
  // Appends an instance made elsewhere (a saved game's) to the list or to the
  // deactivated list.
  void adopt(std::unique_ptr<CInstance> instance, bool deactivated);
  // Frees every destroyed instance, keeping the order of the others.
  void remove_destroyed();
  // Greatest depth first, equal depths in their order; only the list is sorted.
  void sort_by_depth();
  // Moves instances between the list and the deactivated list as their
  // deactivate flags ask.
  void sync_deactivated();

  std::int32_t count() const { return static_cast<std::int32_t>(list_.size()); }
  CInstance& at(std::int32_t position) { return *list_[static_cast<std::size_t>(position)]; }
  // The instances of exactly this object; empty for an unknown object.
  const std::vector<CInstance*>& exact(std::int32_t object) const {
    if (object < 0 || static_cast<std::size_t>(object) >= exact_.size()) return none();
    return *exact_[static_cast<std::size_t>(object)];
  }
  // The instances of this object and of every object that descends from it.
  const std::vector<CInstance*>& family(std::int32_t object) const {
    if (object < 0 || static_cast<std::size_t>(object) >= family_.size()) return none();
    return *family_[static_cast<std::size_t>(object)];
  }
  const std::vector<std::unique_ptr<CInstance>>& deactivated() const { return deactivated_; }
  // The newest active instance with that id, destroyed or not.
  CInstance* find(std::int32_t id) const;
  // Whether the instance's object is `object` or descends from it.
  bool is_of_family(const CInstance& instance, std::int32_t object) const;
  // After an instance took another's id: the id look-up finds it.
  void refresh_id(CInstance& instance) { by_id_[instance.id] = &instance; }
  // After an instance changed its object: its tables follow.
  void refresh_tables() { rebuild_tables(); }

 private:
  static const std::vector<CInstance*>& none();
  void rebuild_tables();
  void enter_tables(CInstance& instance);

  const GameData* game_;
  std::vector<std::unique_ptr<CInstance>> list_;
  std::vector<std::unique_ptr<CInstance>> deactivated_;
  // Each list has a place of its own, so that a table that grows for an
  // object added while a loop walks another object's list leaves that list
  // where it is; the step looks lists up once per instance, so this is
  // quicker to index than a deque.
  using Table = std::vector<std::unique_ptr<std::vector<CInstance*>>>;
  Table exact_;
  Table family_;
  std::unordered_map<std::int32_t, CInstance*> by_id_;
};

}  // namespace kestrel
