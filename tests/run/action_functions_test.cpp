#include <gtest/gtest.h>

#include "data/Runner_Load.h"
#include "game_code.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

// The standard actions called as game code calls them, for self (id 100001)
// of object 0, which has no sprite.
class ActionFunctions : public testing::Test {
 protected:
  ActionFunctions() {
    game_.objects.add("obj_thing", CObject());
    runner_ = std::make_unique<Runner>(game_);
    runner_->engine.settings.errors.show_errors = false;
  }

  RValue eval(std::string_view expression) {
    runner_->engine.errors.error_last.clear();
    return run_game_code(*runner_, expression, true);
  }
  std::string last_error() const { return runner_->engine.errors.error_last; }

  GameData game_;
  std::unique_ptr<Runner> runner_;
};

TEST_F(ActionFunctions, QuestionsAnswerOneOrZero) {
  const struct {
    const char* question;
    double answer;
  } cases[] = {
      {"action_if_variable(1, 2, 1)", 1},
      {"action_if_variable(1, 2, 2)", 0},
      {"action_if_variable(3, 3.00000000000001, 0)", 1},
      {"action_if_variable(3, 3, 7)", 1},  // any other comparison is "equal to"
      {"action_if_variable(\"abc\", \"abd\", 1)", 1},
      {"action_if_variable(\"b\", \"B\", 2)", 1},  // case counts
      {"action_if_variable(\"b\", \"B\", 0)", 0},
      {"action_if_dice(1)", 1},
      {"action_if_dice(0.5)", 1},
      {"action_if(0.5)", 0.5},
      {"action_if_number(obj_thing, 0, 0)", 1},
      {"action_if_score(0, 0)", 1},
      {"action_if_health(100, 1)", 0},
      {"action_if_mouse(0)", 1},  // no button is down
  };
  for (const auto& c : cases) {
    EXPECT_EQ(eval(c.question).real(), c.answer) << c.question;
    EXPECT_EQ(last_error(), "") << c.question;
  }
}

TEST_F(ActionFunctions, WrongArgumentsAreReportedAndChangeNothing) {
  const struct {
    const char* call;
    const char* message;
  } cases[] = {
      {"action_if_variable(1, \"1\", 0)", "Cannot compare arguments."},
      {"action_move(\"0001\", 4)", "Wrong argument to action_move()."},
      {"action_sprite_set(7, 0, 1)", "Setting instance to non-existing sprite: 7"},
      {"action_draw_sprite(3, 0, 0, 0)", "Trying to draw a non-existing sprite."},
      {"action_draw_background(3, 0, 0, 0)", "Trying to draw a non-existing background."},
      {"action_create_object(9, 0, 0)", "Creating instance for non-existing object: 9"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(eval(c.call).real(), 0) << c.call;
    EXPECT_NE(last_error().find(c.message), std::string::npos) << c.call << ": " << last_error();
  }
}

TEST_F(ActionFunctions, RelativeAddsToTheValue) {
  eval("action_set_life(2)");
  runner_->action_relative = true;
  eval("action_set_life(-1)");
  EXPECT_EQ(eval("lives").real(), 1);
  eval("action_set_life(-1)");
  EXPECT_EQ(eval("lives").real(), 0);
  EXPECT_EQ(eval("action_if_life(1, 1)").real(), 1);
}

}  // namespace
}  // namespace kestrel
