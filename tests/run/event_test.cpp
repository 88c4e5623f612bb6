#include <gtest/gtest.h>

#include "code_action.h"
#include "data/Runner_Load.h"
#include "game_code.h"
#include "run/Event_Main.h"
#include "run/Run_Main.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

// A question answered by code.
CAction ask(std::string text, bool is_not = false) {
  CAction action;
  action.question = true;
  action.execution_type = kExecuteCode;
  action.code = std::move(text);
  action.is_not = is_not;
  return action;
}

CAction marker(int kind) {
  CAction action;
  action.kind = kind;
  return action;
}

CAction repeat(std::string times) {
  CAction action = marker(kActionRepeat);
  action.argument_count = 1;
  action.argument_kinds = {0};
  action.argument_values = {std::move(times)};
  return action;
}

// Each action appends a letter to the instance's `log` variable.
CAction say(const char* letter) {
  return code_action(std::string("log += \"") + letter + "\"");
}

class EventTest : public ::testing::Test {
 protected:
  // Object i gets parent parents[i]; events are added before start().
  void objects(std::vector<int> parents) {
    for (int parent : parents) {
      CObject object;
      object.parent = parent;
      game_.objects.add("object" + std::to_string(game_.objects.count()), object);
    }
  }

  void on(int object, int type, int number, std::vector<CAction> actions) {
    game_.objects.get(object)->GetOrAddEvent(type, number)->actions = std::move(actions);
  }

  void start() {
    runner_ = std::make_unique<Runner>(game_);
    ASSERT_TRUE(runner_->prepare_objects());
  }

  CInstance& instance(int object) {
    CInstance& created = runner_->add_instance(object, 0, 0);
    created.variables.scalar_slot(runner_->engine.variable_index("log")) = RValue("");
    return created;
  }

  std::string log(CInstance& of) {
    return of.variables.scalar_slot(runner_->engine.variable_index("log")).str();
  }

  std::string run(int object, int type, int number) {
    CInstance& self = instance(object);
    perform_event(*runner_, self, self, object, type, number);
    return log(self);
  }

  GameData game_;
  std::unique_ptr<Runner> runner_;
};

TEST_F(EventTest, InheritedEventsRunWithTheOwnerAsEventObject) {
  objects({-1, 0, 1});
  on(0, kEventStep, 0, {code_action("log += string(event_object)")});
  start();
  EXPECT_EQ(run(2, kEventStep, 0), "0");
  EXPECT_EQ(run(2, kEventStep, 1), "") << "no begin-step event anywhere in the chain";
}

// The step asks for each instance which event its object runs; the answers
// are remembered, so every change of parents and events must reach them.
TEST_F(EventTest, EventsFollowChangesOfParentsAndEventsWhileTheGameRuns) {
  objects({-1, -1, -1});
  on(0, kEventStep, 0, {say("A")});
  on(1, kEventStep, 0, {say("B")});
  on(1, kEventDraw, 0, {say("D")});
  start();
  const struct {
    const char* code;
    std::string step;
    std::string draw;
  } changes[] = {
      {"", "", ""},
      {"object_set_parent(2, 0)", "A", ""},
      {"object_set_parent(2, 1)", "B", "D"},
      {"object_event_add(2, ev_step, ev_step_normal, 'log += \"C\"')", "C", "D"},
      {"object_event_clear(2, ev_step, ev_step_normal)", "B", "D"},
      {"object_event_clear(1, ev_draw, 0)", "B", ""},
      {"object_delete(1)", "", ""},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.code);
    run_game_code(*runner_, change.code, false);
    EXPECT_EQ(run(2, kEventStep, 0), change.step);
    EXPECT_EQ(run(2, kEventDraw, 0), change.draw);
  }
}

// A step finds each object's event once for all its instances; an event that
// game code replaces on the way runs in its new form for the instances after.
TEST_F(EventTest, AStepEventReplacedDuringTheStepReachesTheLaterInstances) {
  objects({-1});
  on(0, kEventStep, 0,
     {code_action("log += \"A\"; object_event_clear(0, ev_step, ev_step_normal);"
                  "object_event_add(0, ev_step, ev_step_normal, 'log += \"B\"')")});
  start();
  runner_->event_lists.build(*runner_);
  CInstance& first = instance(0);
  CInstance& second = instance(0);
  frame_step(*runner_);
  EXPECT_EQ(log(first), "A");
  EXPECT_EQ(log(second), "B");
}

TEST_F(EventTest, CollisionWithAChildUsesTheHandlerForItsAncestor) {
  objects({-1, -1, 1});
  on(0, kEventCollision, 1, {say("P")});
  start();
  EXPECT_EQ(run(0, kEventCollision, 2), "P");
  EXPECT_EQ(run(0, kEventCollision, 0), "");
}

TEST_F(EventTest, QuestionsBlocksElseRepeatAndExit) {
  struct Case {
    const char* name;
    std::vector<CAction> actions;
    std::string expected;
  };
  const Case cases[] = {
      {"false question skips what it governs and the else is its own",
       {ask("return 0"), ask("return 1"), say("B"), marker(kActionElse), say("C")},
       "C"},
      {"true questions: the else belongs to the inner one",
       {ask("return 1"), ask("return 1"), say("B"), marker(kActionElse), say("C")},
       "B"},
      {"NOT inverts the answer", {ask("return 1", true), say("A"), say("B")}, "B"},
      {"repeat runs the following block",
       {repeat("3"), marker(kActionBeginBlock), say("A"), say("B"), marker(kActionEndBlock),
        say("C")},
       "ABABABC"},
      {"repeat zero skips it",
       {repeat("0"), marker(kActionBeginBlock), say("A"), marker(kActionEndBlock), say("C")},
       "C"},
      {"exit inside a block inside a repeat stops the event",
       {repeat("3"), marker(kActionBeginBlock), say("A"), marker(kActionExit),
        marker(kActionEndBlock), say("C")},
       "A"},
      {"a block without its end runs to the list end",
       {marker(kActionBeginBlock), say("A"), say("B")},
       "AB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    game_ = GameData{};
    objects({-1});
    on(0, kEventStep, 0, c.actions);
    start();
    EXPECT_EQ(run(0, kEventStep, 0), c.expected);
  }
}

TEST_F(EventTest, ApplyToRunsForEveryInstanceOfTheFamily) {
  objects({-1, -1, 1});
  CAction mark = say("X");
  mark.has_apply_to = true;
  mark.apply_to = 1;
  CAction none = ask("return 0");
  none.has_apply_to = true;
  none.apply_to = 0;  // object 0 has no instances: the question answers true
  on(0, kEventStep, 0, {mark, none, say("T")});
  start();
  CInstance& child = instance(2);
  CInstance& parent = instance(1);
  CInstance& self = instance(0);
  perform_event(*runner_, self, self, 0, kEventStep, 0);
  EXPECT_EQ(log(child), "X");
  EXPECT_EQ(log(parent), "X");
  EXPECT_EQ(log(self), "") << "the instances of object 0 are not asked: there are none";
}

TEST_F(EventTest, APendingTransferStopsTheList) {
  objects({-1});
  on(0, kEventStep, 0, {say("A"), code_action("log += \"B\""), say("C")});
  start();
  CInstance& self = instance(0);
  runner_->pending_transfer = 3;
  perform_event(*runner_, self, self, 0, kEventStep, 0);
  EXPECT_EQ(log(self), "");
}

// A list of one code action runs without the walk over the list; it must see
// the context the walk gives, leave the context as the walk leaves it, and
// stop for a pending transfer as the walk does.
TEST_F(EventTest, ALoneActionRunsAsAnActionInAList) {
  const char* context =
      "log += string(event_object) + string(event_type) + "
      "string(event_number) + string(event_action)";
  objects({-1, 0});
  on(0, kEventStep, 2, {code_action(context)});
  on(0, kEventAlarm, 1, {say("A"), code_action(context)});
  start();
  runner_->engine.action = {7, 8, 9, 5};
  EXPECT_EQ(run(1, kEventStep, 2), "0320");
  EXPECT_EQ(runner_->engine.action.object, 7);
  EXPECT_EQ(runner_->engine.action.event_type, 8);
  EXPECT_EQ(runner_->engine.action.event_number, 9);
  EXPECT_EQ(runner_->engine.action.action, 0) << "the action index is left as it ended";
  EXPECT_EQ(run(1, kEventAlarm, 1), "A0211");

  CInstance& self = instance(0);
  runner_->pending_transfer = 3;
  run_action_list(*runner_, self, self, *runner_->event_actions(0, kEventStep, 2), 0,
                  kTimeLineEvent, 0);
  EXPECT_EQ(log(self), "");
}

TEST_F(EventTest, AnUnknownActionFunctionIsToldAndSkipped) {
  objects({-1});
  CAction unknown;
  unknown.question = true;
  unknown.execution_type = kExecuteFunction;
  unknown.function_name = "action_from_nowhere";
  on(0, kEventStep, 0, {unknown, say("A"), marker(kActionElse), say("B")});
  runner_ = std::make_unique<Runner>(game_);
  std::vector<std::string> told;
  runner_->show_message = [&told](std::string_view message) { told.emplace_back(message); };
  ASSERT_TRUE(runner_->prepare_objects());
  EXPECT_EQ(told,
            std::vector<std::string>({"Failed to locate action function action_from_nowhere"}));
  EXPECT_EQ(run(0, kEventStep, 0), "B") << "the skipped question answers false";
}

TEST_F(EventTest, ACompileErrorInACodeActionFailsThePreparation) {
  objects({-1});
  on(0, kEventStep, 0, {code_action("x = ")});
  runner_ = std::make_unique<Runner>(game_);
  runner_->engine.settings.errors.show_errors = false;
  EXPECT_FALSE(runner_->prepare_objects());
  EXPECT_EQ(runner_->pending_transfer, kTransferAbort);
}

}  // namespace
}  // namespace kestrel
