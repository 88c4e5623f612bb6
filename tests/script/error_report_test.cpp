#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "script/Code_Error.h"
#include "script_fixture.h"

namespace kestrel {
namespace {

TEST(CodeErrorText, ProgramErrorsShowTheLineAndACaret) {
  EXPECT_EQ(format_code_error("x = #", true, 1, "Unexpected symbol."),
            "Error in code at line 1:\r   x = #\r  ^\rat position 1: Unexpected symbol.");
  // With CR LF line ends the LF counts as a column of the next line.
  EXPECT_EQ(format_code_error("a = 1\r\nb", true, 8, "M"),
            "Error in code at line 2:\r   \nb\r   ^\rat position 2: M");
  // A lone LF ends a line too; positions beyond the text are clamped.
  EXPECT_EQ(format_code_error("a\nbc", true, 99, "M"),
            "Error in code at line 2:\r   bc\r   ^\rat position 2: M");
  EXPECT_EQ(format_code_error("", true, 0, "M"),
            "Error in code at line 1:\r   \r ^\rat position 0: M");
}

TEST(CodeErrorText, ExpressionErrorsShowTheWholeText) {
  EXPECT_EQ(format_code_error("1 / 0", false, 5, "Division by 0."),
            "Error in expression:1 / 0\r position 5: Division by 0.");
}

class Reports : public ScriptFixture {
 protected:
  Reports() {
    original_ = std::filesystem::current_path();
    folder_ =
        std::filesystem::temp_directory_path() /
        ("kestrel_reports_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
    engine.settings.errors.log_errors = true;
    engine.action = ActionContext{0, 3, 0, 1};
  }
  ~Reports() override {
    std::filesystem::current_path(original_);
    std::filesystem::remove_all(folder_);
  }
  std::string log() const {
    std::ifstream file(folder_ / "game_errors.log", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::filesystem::path original_;
  std::filesystem::path folder_;
};

TEST_F(Reports, TheFirstReportStartsTheLogAndLaterOnesAppend) {
  {
    std::ofstream stale(folder_ / "game_errors.log");
    stale << "from the previous run";
  }
  report_error(engine, "one", false);
  report_error(engine, "two", false);
  EXPECT_EQ(log(), "one\r\n\r\n\r\ntwo\r\n\r\n\r\n");
  EXPECT_TRUE(engine.errors.error_occurred);
  EXPECT_EQ(engine.errors.error_last, "two");
  EXPECT_FALSE(engine.errors.aborting);
}

TEST_F(Reports, ActionErrorsCarryTheEventContext) {
  report_action_error(engine, "boom", false);
  EXPECT_EQ(engine.errors.error_last,
            "ERROR in\r\naction number 2\r\nof <Unknown Event>\r\nfor object obj_a:\r\n\r\nboom");
  engine.action = ActionContext{0, 0, 0, 0};
  report_action_error(engine, "again", true);
  EXPECT_EQ(
      engine.errors.error_last,
      "FATAL ERROR in\r\naction number 1\r\nof Create Event\r\nfor object obj_a:\r\n\r\nagain");
  EXPECT_TRUE(engine.errors.aborting);
  report_error(engine, "after the end", false);  // dropped once the game is ending
  EXPECT_EQ(engine.errors.error_last.find("after"), std::string::npos);
  EXPECT_EQ(log().find("after"), std::string::npos);
}

TEST_F(Reports, TimeLineMomentsNameTheStep) {
  engine.action = ActionContext{4, kTimeLineEvent, 30, 0};
  report_action_error(engine, "late", false);
  EXPECT_EQ(
      engine.errors.error_last,
      "ERROR in\r\naction number 1\r\nat time step 30\r\nof time line <undefined>:\r\n\r\nlate");
}

TEST_F(Reports, AbortOnAllErrorsMakesEveryReportFatal) {
  engine.settings.errors.abort_on_all_errors = true;
  report_error(engine, "minor", false);
  EXPECT_TRUE(engine.errors.aborting);
}

// A host whose player presses Abort, or Ignore.
class AnsweringHost : public StandInWorld {
 public:
  explicit AnsweringHost(bool ignore) : ignore_(ignore) {}
  bool show_error(std::string_view, bool fatal) override {
    ++shown;
    return ignore_ && !fatal;
  }
  void end_game() override { ended = true; }
  int shown = 0;
  bool ended = false;

 private:
  bool ignore_;
};

TEST_F(Reports, AShownErrorEndsTheGameUnlessIgnored) {
  for (const bool ignore : {true, false}) {
    ScriptEngine fresh;
    AnsweringHost host(ignore);
    fresh.set_host(&host);
    report_error(fresh, "shown", false);
    EXPECT_EQ(host.shown, 1);
    EXPECT_EQ(host.ended, !ignore);
    EXPECT_EQ(fresh.errors.aborting, !ignore);
  }
}

TEST_F(Reports, ARunTimeErrorIsReportedOnceWithTheCodeLine) {
  CCode code("a = 1;\r\nb = c", false);
  ASSERT_TRUE(code.compile(engine));
  EXPECT_FALSE(execute_and_report(engine, code, self, self, result));
  EXPECT_FALSE(engine.errors.pending);
  EXPECT_EQ(log(),
            "ERROR in\r\naction number 2\r\nof <Unknown Event>\r\nfor object obj_a:\r\n\r\n"
            "Error in code at line 2:\r   \nb = c\r       ^\rat position 6: Unknown variable c"
            "\r\n\r\n\r\n");
}

TEST_F(ScriptFixture, OnlyTheFirstErrorOfACompileIsRecorded) {
  EXPECT_FALSE(run("x = #; y = @"));
  EXPECT_EQ(error(), "Unexpected symbol.");
  EXPECT_NE(engine.errors.last_text.find("position 5:"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
