#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "run/Event_Main.h"

namespace kestrel {

class Runner;

// For every event, the objects that have it themselves or through their
// parents, in ascending order: the order in which a step runs that event.
class ObjectEventLists {
 public:
  // Game code may rebuild the lists while a step walks them: the lists it
  // replaces stay until release_retired(), called when no step runs.
  void build(const Runner& runner);
  void release_retired() { retired_.clear(); }

  // find_inherited_event, remembered per object and event until the next
  // build or forget_resolved(): the step asks the same for every instance.
  FoundEvent resolved(const Runner& runner, std::int32_t object, int type, int number) {
    if (object >= 0 && static_cast<std::size_t>(object) < resolved_.size() && type >= 0 &&
        type < 12 && number >= 0) {
      const auto& numbers =
          resolved_[static_cast<std::size_t>(object)][static_cast<std::size_t>(type)];
      if (static_cast<std::size_t>(number) < numbers.size() &&
          numbers[static_cast<std::size_t>(number)].known) {
        return numbers[static_cast<std::size_t>(number)].found;
      }
    }
    return resolve(runner, object, type, number);
  }
  // Called whenever prepared actions are replaced or dropped.
  void forget_resolved() {
    resolved_.clear();
    ++generation_;
  }
  // Changes whenever what resolved() answers may change, so that a walk may
  // keep an answer while this stays the same.
  std::uint64_t generation() const { return generation_; }

  // Empty for an event number outside the listed range.
  const std::vector<std::int32_t>& objects(int type, int number) const;
  // Pairs (a, b), a <= b, where either object has a collision event with the other.
  const std::vector<std::pair<std::int32_t, std::int32_t>>& collision_pairs() const {
    return collision_pairs_;
  }

 private:
  FoundEvent resolve(const Runner& runner, std::int32_t object, int type, int number);

  using Lists = std::array<std::vector<std::vector<std::int32_t>>, 12>;
  using Pairs = std::vector<std::pair<std::int32_t, std::int32_t>>;
  Lists lists_;
  Pairs collision_pairs_;
  std::vector<std::pair<Lists, Pairs>> retired_;
  struct Resolved {
    FoundEvent found;
    bool known = false;
  };
  // By object, type and event number; numbers past the table's reach are
  // resolved each time.
  std::vector<std::array<std::vector<Resolved>, 12>> resolved_;
  std::uint64_t generation_ = 0;
};

}  // namespace kestrel
