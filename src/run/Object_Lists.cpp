#include "run/Object_Lists.h"

#include "data/Runner_Load.h"
#include "run/Event_Main.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

// Event numbers from here on (collisions with objects of high indices) are
// not remembered, which bounds the table of each object.
constexpr int kResolvedNumbers = 1024;

// The highest event number listed for each event type; triggers list one per trigger.
int highest_number(const Runner& runner, int type) {
  switch (type) {
    case kEventAlarm:
      return 12;
    case kEventStep:
      return 16;
    case kEventKeyboard:
    case kEventMouse:
    case kEventOther:
    case kEventKeyPress:
    case kEventKeyRelease:
      return 128;
    case kEventTrigger:
      return static_cast<int>(runner.game.triggers.size()) - 1;
    default:
      return 0;
  }
}

}  // namespace

void ObjectEventLists::build(const Runner& runner) {
  const std::int32_t object_count = runner.game.objects.count();
  retired_.emplace_back(std::move(lists_), std::move(collision_pairs_));
  forget_resolved();
  lists_ = {};
  collision_pairs_ = {};
  for (int type = 0; type < 12; ++type) {
    auto& by_number = lists_[static_cast<std::size_t>(type)];
    by_number.assign(static_cast<std::size_t>(std::max(highest_number(runner, type) + 1, 0)), {});
    if (type == kEventCollision) continue;
    for (std::size_t number = 0; number < by_number.size(); ++number) {
      for (std::int32_t object = 0; object < object_count; ++object) {
        if (find_inherited_event(runner, object, type, static_cast<int>(number)).actions) {
          by_number[number].push_back(object);
        }
      }
    }
  }
  collision_pairs_.clear();
  for (std::int32_t a = 0; a < object_count; ++a) {
    if (!runner.game.objects.exists(a)) continue;
    for (std::int32_t b = a; b < object_count; ++b) {
      if (!runner.game.objects.exists(b)) continue;
      if (find_inherited_event(runner, a, kEventCollision, b).actions ||
          find_inherited_event(runner, b, kEventCollision, a).actions) {
        collision_pairs_.emplace_back(a, b);
      }
    }
  }
}

FoundEvent ObjectEventLists::resolve(const Runner& runner, std::int32_t object, int type,
                                     int number) {
  if (object < 0 || object >= runner.game.objects.count() || type < 0 || type >= 12 || number < 0 ||
      number >= kResolvedNumbers) {
    return find_inherited_event(runner, object, type, number);
  }
  if (resolved_.size() <= static_cast<std::size_t>(object)) {
    resolved_.resize(static_cast<std::size_t>(object) + 1);
  }
  auto& numbers = resolved_[static_cast<std::size_t>(object)][static_cast<std::size_t>(type)];
  if (numbers.size() <= static_cast<std::size_t>(number)) {
    numbers.resize(static_cast<std::size_t>(number) + 1);
  }
  Resolved& entry = numbers[static_cast<std::size_t>(number)];
  if (!entry.known) entry = {find_inherited_event(runner, object, type, number), true};
  return entry.found;
}

const std::vector<std::int32_t>& ObjectEventLists::objects(int type, int number) const {
  static const std::vector<std::int32_t> none;
  if (type < 0 || type >= 12 || number < 0) return none;
  const auto& by_number = lists_[static_cast<std::size_t>(type)];
  return static_cast<std::size_t>(number) < by_number.size()
             ? by_number[static_cast<std::size_t>(number)]
             : none;
}

}  // namespace kestrel
