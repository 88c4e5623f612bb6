#include "run/Event_Main.h"

#include "data/Runner_Load.h"
#include "run/Runner.h"
#include "script/Code_Exec.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

// Walks one action list; every routine returns the index to go on at, or
// kStopIndex when the list stops.
class ListWalker {
 public:
  ListWalker(Runner& runner, CInstance& self, CInstance& other, const ActionList& actions)
      : runner_(runner), self_(self), other_(other), actions_(actions) {}

  int execute_next(int i) {
    if (i >= count() || pending()) return kStopIndex;
    const PreparedAction& action = actions_[static_cast<std::size_t>(i)];
    int next;
    if (action.kind == kActionBeginBlock)
      next = block(i);
    else if (action.kind == kActionRepeat)
      next = repeat(i);
    else if (action.question)
      next = question(i);
    else
      next = normal(i);
    return pending() ? kStopIndex : next;
  }

 private:
  int count() const { return static_cast<int>(actions_.size()); }
  bool pending() const { return runner_.pending_transfer != kNoTransfer; }
  const PreparedAction& at(int i) const { return actions_[static_cast<std::size_t>(i)]; }

  // Runs the action on every instance it applies to; false as soon as a
  // transfer is pending. `answer` ends true only when every run answered true.
  bool apply(const PreparedAction& action, bool& answer) {
    answer = true;
    bool one = false;
    if (!action.has_apply_to || action.apply_to == -1) {
      run_action(runner_, action, self_, other_, one);
      answer = one;
      return true;
    }
    if (action.apply_to == -2) {
      run_action(runner_, action, other_, self_, one);
      answer = one;
      return true;
    }
    // The family list may grow while actions run; new instances are not visited.
    const auto& family = runner_.instances().family(action.apply_to);
    const std::size_t size = family.size();
    for (std::size_t k = 0; k < size && k < family.size(); ++k) {
      CInstance* target = family[k];
      if (target->destroyed) continue;
      run_action(runner_, action, *target, other_, one);
      if (pending()) return false;
      if (action.question && !one) {
        answer = false;
        return true;
      }
    }
    return true;
  }

  int normal(int i) {
    runner_.engine.action.action = i;
    const PreparedAction& action = at(i);
    if (action.kind == kActionExit) return kStopIndex;
    bool answer = false;
    if (!apply(action, answer)) return kStopIndex;
    return i + 1;
  }

  int question(int i) {
    runner_.engine.action.action = i;
    bool answer = false;
    if (!apply(at(i), answer)) return kStopIndex;
    int j = answer ? execute_next(i + 1) : skip_next(i + 1);
    if (j < count() && at(j).kind == kActionElse) {
      j = answer ? skip_next(j + 1) : execute_next(j + 1);
    }
    return pending() ? kStopIndex : j;
  }

  int block(int i) {
    int j = i + 1;
    while (j < count() && at(j).kind != kActionEndBlock) {
      j = execute_next(j);
      if (j == kStopIndex || pending()) return kStopIndex;
    }
    return j + 1;
  }

  int repeat(int i) {
    runner_.engine.action.action = i;
    const PreparedAction& action = at(i);
    RValue times;
    if (!action.arguments.empty()) {
      const PreparedArgument& argument = action.arguments.front();
      if (argument.expression == nullptr)
        times = argument.constant;
      else
        execute_for_value(runner_.engine, *argument.expression, &self_, &other_, times);
    }
    if (pending()) return kStopIndex;
    const std::int64_t n = round_to_int64(times.real());
    for (std::int64_t k = 0; k < n; ++k) {
      const int j = execute_next(i + 1);
      if (j == kStopIndex || pending()) return kStopIndex;
    }
    return skip_next(i + 1);
  }

  int skip_next(int i) {
    if (i >= count()) return kStopIndex;
    const PreparedAction& action = at(i);
    if (action.kind == kActionBeginBlock) {
      int depth = 0;
      for (int j = i; j < count(); ++j) {
        if (at(j).kind == kActionBeginBlock)
          ++depth;
        else if (at(j).kind == kActionEndBlock && --depth == 0)
          return j + 1;
      }
      return count() + 1;
    }
    if (action.question || action.kind == kActionRepeat) return skip_next(i + 1);
    return i + 1;
  }

  Runner& runner_;
  CInstance& self_;
  CInstance& other_;
  const ActionList& actions_;
};

// An action that the walk would run once for self and other, with nothing
// to skip or repeat after it.
bool runs_alone(const PreparedAction& action) {
  return action.kind == kActionNormal && !action.question &&
         (!action.has_apply_to || action.apply_to == -1);
}

}  // namespace

FoundEvent find_inherited_event(const Runner& runner, std::int32_t object, int type, int number) {
  const auto own_chain = [&](int n) -> FoundEvent {
    std::int32_t a = object;
    for (int steps = 0; steps <= runner.game.objects.count() && runner.game.objects.exists(a);
         ++steps) {
      if (const ActionList* list = runner.event_actions(a, type, n)) return {list, a};
      a = runner.game.objects.get(a)->parent;
    }
    return {};
  };
  FoundEvent found = own_chain(number);
  if (found.actions != nullptr || type != kEventCollision) return found;
  // A collision with a child falls back to the handlers for its ancestors.
  const CObject* other = runner.game.objects.get(number);
  for (int steps = 0; other != nullptr && steps <= runner.game.objects.count(); ++steps) {
    const std::int32_t ancestor = other->parent;
    if (!runner.game.objects.exists(ancestor)) break;
    found = own_chain(ancestor);
    if (found.actions != nullptr) return found;
    other = runner.game.objects.get(ancestor);
  }
  return {};
}

void run_action_list(Runner& runner, CInstance& self, CInstance& other, const ActionList& actions,
                     std::int32_t context_object, int type, int number) {
  ActionContext& context = runner.engine.action;
  const ActionContext saved = context;
  context.object = context_object;
  context.event_type = type;
  context.event_number = number;
  if (actions.size() == 1 && runs_alone(actions.front())) {
    // The commonest list, one code action for self, runs without the walk.
    if (runner.pending_transfer == kNoTransfer) {
      context.action = 0;
      const PreparedAction& action = actions.front();
      if (action.execution == kExecuteCode) {
        RValue result;
        run_code_action(runner, action, self, other, result);
      } else {
        bool answer = false;
        run_action(runner, action, self, other, answer);
      }
    }
  } else {
    ListWalker walker(runner, self, other, actions);
    for (int i = 0; i < static_cast<int>(actions.size());) i = walker.execute_next(i);
  }
  // The running action's index is left as it ended.
  context.object = saved.object;
  context.event_type = saved.event_type;
  context.event_number = saved.event_number;
}

void perform_event(Runner& runner, CInstance& self, CInstance& other, std::int32_t object, int type,
                   int number) {
  if (runner.pending_transfer != kNoTransfer) return;
  perform_found_event(runner, self, other,
                      runner.event_lists.resolved(runner, object, type, number), type, number);
}

void perform_found_event(Runner& runner, CInstance& self, CInstance& other, const FoundEvent& found,
                         int type, int number) {
  if (runner.pending_transfer != kNoTransfer || found.actions == nullptr) return;
  run_action_list(runner, self, other, *found.actions, found.owner, type, number);
}

void perform_event_all(Runner& runner, int type, int number) {
  if (runner.pending_transfer != kNoTransfer) return;
  const std::int32_t count = runner.instances().count();
  for (std::int32_t i = 0; i < count && i < runner.instances().count(); ++i) {
    CInstance& instance = runner.instances().at(i);
    if (instance.destroyed) continue;
    perform_event(runner, instance, instance, instance.object_index, type, number);
  }
}

void change_instance(Runner& runner, CInstance& instance, std::int32_t object, bool run_events) {
  if (!runner.game.objects.exists(object)) {
    report_action_error(runner.engine,
                        "Asking to change into non-existing object: " + std::to_string(object),
                        false);
    return;
  }
  if (run_events) {
    perform_event(runner, instance, instance, instance.object_index, kEventDestroy, 0);
  }
  CInstance& changed = runner.add_instance(object, instance.x(), instance.y());
  changed.assign(instance);
  changed.set_object(object);
  runner.instances().refresh_tables();
  instance.destroyed = true;
  if (run_events) perform_event(runner, changed, changed, object, kEventCreate, 0);
}

}  // namespace kestrel
