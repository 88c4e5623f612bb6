#include <algorithm>
#include <string>

#include "data/Runner_Load.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

using Args = const RValue*;

constexpr char kDeleteMissing[] = "Trying to delete non-existing timeline.";

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

ResourceList<CTimeLine>& time_lines_of(ScriptEngine& engine) {
  return runner_of(engine).game.timelines;
}

void timeline_exists(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(time_lines_of(e).exists(whole(a[0])) ? 1 : 0);
}
void timeline_name(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_text(time_lines_of(e).name(whole(a[0])));
}
void timeline_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args) {
  const int index = time_lines_of(e).add_new("__newtimeline");
  runner_of(e).prepare_time_line(index, false);
  r.set_real(index);
}
void timeline_delete(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  if (!time_lines_of(e).exists(index)) {
    report_action_error(e, kDeleteMissing, false);
    return;
  }
  // Instances that run it keep its index and find no moments.
  time_lines_of(e).remove(index);
  runner_of(e).prepare_time_line(index, false);
}
void timeline_clear(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  if (CTimeLine* line = time_lines_of(e).get(index)) {
    line->moments.clear();
    runner_of(e).prepare_time_line(index, false);
  }
}
void timeline_moment_clear(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args a) {
  const int index = whole(a[0]);
  const int step = whole(a[1]);
  CTimeLine* line = time_lines_of(e).get(index);
  if (line == nullptr) return;
  std::erase_if(line->moments, [step](const TimeLineMoment& m) { return m.step == step; });
  runner_of(e).prepare_time_line(index, false);
}
void timeline_moment_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  const int index = whole(a[0]);
  const int step = whole(a[1]);
  CTimeLine* line = time_lines_of(e).get(index);
  if (line == nullptr) return;
  auto& moments = line->moments;
  auto at = std::find_if(moments.begin(), moments.end(),
                         [step](const TimeLineMoment& m) { return m.step >= step; });
  const bool added_moment = at == moments.end() || at->step != step;
  if (added_moment) at = moments.insert(at, TimeLineMoment{step, {}});
  at->event.AddCodeAction(a[2].str());
  // Code that does not compile was reported; the time line stays as it was.
  if (!runner_of(e).prepare_time_line(index, false)) {
    if (added_moment) {
      moments.erase(at);
    } else {
      at->event.actions.pop_back();
    }
  }
}

}  // namespace

void register_time_line_functions(FunctionRegistry& functions) {
  functions.add("timeline_exists", &timeline_exists, 1);
  functions.add("timeline_name", &timeline_name, 1);
  functions.add("timeline_get_name", &timeline_name, 1);
  functions.add("timeline_add", &timeline_add, 0);
  functions.add("timeline_delete", &timeline_delete, 1);
  functions.add("timeline_clear", &timeline_clear, 1);
  functions.add("timeline_moment_clear", &timeline_moment_clear, 2);
  functions.add("timeline_moment_add", &timeline_moment_add, 3);
}

}  // namespace kestrel
