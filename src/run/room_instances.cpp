#include "run/room_instances.h"

#include <algorithm>

#include "data/Runner_Load.h"

namespace kestrel {
namespace {

const std::vector<CInstance*> kNone;

}  // namespace

CInstance& RoomInstances::add(std::int32_t id, std::int32_t object, double x, double y) {
  list_.push_back(std::make_unique<CInstance>(*game_, id, object, x, y));
  CInstance& instance = *list_.back();
  enter_tables(instance);
  return instance;
}

void RoomInstances::adopt(std::unique_ptr<CInstance> instance, bool deactivated) {
  if (deactivated) {
    deactivated_.push_back(std::move(instance));
    return;
  }
  list_.push_back(std::move(instance));
  enter_tables(*list_.back());
}

void RoomInstances::enter_tables(CInstance& instance) {
  by_id_[instance.id] = &instance;
  const std::int32_t object = instance.object_index;
  // An instance of an object the game lacks (placed so by a damaged room) is
  // in no object's table: sizing the tables by its number could ask for any
  // amount of memory.
  if (object < 0 || object >= game_->objects.count()) return;
  const auto needed = static_cast<std::size_t>(game_->objects.count());
  while (exact_.size() < needed) {
    exact_.push_back(std::make_unique<std::vector<CInstance*>>());
    family_.push_back(std::make_unique<std::vector<CInstance*>>());
  }
  exact_[static_cast<std::size_t>(object)]->push_back(&instance);
  // A parent chain that loops back on itself ends after every object has been visited once.
  std::int32_t ancestor = object;
  for (int steps = 0; ancestor >= 0 && steps <= game_->objects.count(); ++steps) {
    if (static_cast<std::size_t>(ancestor) >= family_.size()) break;
    family_[static_cast<std::size_t>(ancestor)]->push_back(&instance);
    const CObject* record = game_->objects.get(ancestor);
    ancestor = record != nullptr ? record->parent : -1;
  }
}

void RoomInstances::rebuild_tables() {
  for (auto& entry : exact_) entry->clear();
  for (auto& entry : family_) entry->clear();
  by_id_.clear();
  for (auto& instance : list_) enter_tables(*instance);
}

void RoomInstances::remove_destroyed() {
  const auto destroyed = [](const auto& i) { return i->destroyed; };
  // Most steps destroy nothing; the partition would allocate a buffer each time.
  if (std::none_of(list_.begin(), list_.end(), destroyed)) return;
  const auto first_destroyed = std::stable_partition(list_.begin(), list_.end(),
                                                     [](const auto& i) { return !i->destroyed; });
  list_.erase(first_destroyed, list_.end());
  rebuild_tables();
}

void RoomInstances::sort_by_depth() {
  const auto deeper_first = [](const auto& a, const auto& b) { return a->depth > b->depth; };
  if (std::is_sorted(list_.begin(), list_.end(), deeper_first)) return;
  std::stable_sort(list_.begin(), list_.end(), deeper_first);
}

void RoomInstances::sync_deactivated() {
  const auto to_deactivate = [](const auto& i) { return i->deactivate; };
  const auto to_activate = [](const auto& i) { return !i->deactivate; };
  if (std::none_of(list_.begin(), list_.end(), to_deactivate) &&
      std::none_of(deactivated_.begin(), deactivated_.end(), to_activate)) {
    return;
  }
  const auto leaving = std::stable_partition(list_.begin(), list_.end(), to_activate);
  const auto returning =
      std::stable_partition(deactivated_.begin(), deactivated_.end(), to_deactivate);
  std::vector<std::unique_ptr<CInstance>> going(std::make_move_iterator(leaving),
                                                std::make_move_iterator(list_.end()));
  list_.erase(leaving, list_.end());
  list_.insert(list_.end(), std::make_move_iterator(returning),
               std::make_move_iterator(deactivated_.end()));
  deactivated_.erase(returning, deactivated_.end());
  deactivated_.insert(deactivated_.end(), std::make_move_iterator(going.begin()),
                      std::make_move_iterator(going.end()));
  rebuild_tables();
}

const std::vector<CInstance*>& RoomInstances::none() {
  return kNone;
}

bool RoomInstances::is_of_family(const CInstance& instance, std::int32_t object) const {
  std::int32_t ancestor = instance.object_index;
  for (int steps = 0; ancestor >= 0 && steps <= game_->objects.count(); ++steps) {
    if (ancestor == object) return true;
    const CObject* record = game_->objects.get(ancestor);
    ancestor = record != nullptr ? record->parent : -1;
  }
  return false;
}

CInstance* RoomInstances::find(std::int32_t id) const {
  const auto found = by_id_.find(id);
  return found != by_id_.end() ? found->second : nullptr;
}

}  // namespace kestrel
