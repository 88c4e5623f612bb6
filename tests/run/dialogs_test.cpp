#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>

#include "data/Runner_Load.h"
#include "game_code.h"
#include "lib/highscore_table.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

TEST(HighscoreEntry, EncodesTheScoreBytesThenTheNameAsLetterPairs) {
  const std::string text = encode_highscore_entry({"abc", 1000}, 0);
  EXPECT_EQ(text, "OJAFADAEAFAGAHAIAJAKALAMANAOAPBAHCHEHG");
  const std::optional<HighscoreEntry> back = decode_highscore_entry(text, 0);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->name, "abc");
  EXPECT_EQ(back->score, 1000);

  const std::string other_game = encode_highscore_entry({"abc", 1000}, 77);
  EXPECT_NE(other_game, text);
  EXPECT_EQ(decode_highscore_entry(other_game, 77)->score, 1000);
  EXPECT_EQ(decode_highscore_entry(encode_highscore_entry({"x\xe9", 2147483647}, 5), 5)->name,
            "x\xe9");
  EXPECT_FALSE(decode_highscore_entry("ABCD", 0).has_value());
}

// Each test plays with a registry store of its own and answers its dialogs
// from a list, as an input file would.
class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = fs::temp_directory_path() /
            ("kestrel-dialogs-" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(data_);
    setenv("KESTREL_DATA_HOME", data_.c_str(), 1);
    game_.game_id = 3100;
    make_runner();
  }
  void TearDown() override {
    runner_.reset();
    fs::remove_all(data_);
  }
  void make_runner() {
    runner_ = std::make_unique<Runner>(game_);
    runner_->engine.settings.errors.show_errors = false;
    runner_->next_dialog_answer = [this]() -> std::optional<DialogAnswer> {
      if (answers_.empty()) return std::nullopt;
      DialogAnswer answer = answers_.front();
      answers_.pop_front();
      return answer;
    };
  }
  void answer_text(std::string text) {
    answers_.push_back({DialogAnswer::Kind::Text, 0, std::move(text), "answer text"});
  }
  RValue eval(std::string_view expression) { return run_game_code(*runner_, expression, true); }
  void run(std::string_view statements) { run_game_code(*runner_, statements, false); }
  std::string reported(std::string_view statements) {
    runner_->engine.errors.error_last.clear();
    run(statements);
    const std::string& last = runner_->engine.errors.error_last;
    const std::size_t line = last.rfind('\n');
    return line == std::string::npos ? last : last.substr(line + 1);
  }
  std::string table() {
    std::string lines;
    for (int rank = 1; rank <= 10; ++rank) {
      lines += eval("highscore_name(" + std::to_string(rank) + ")").str() + " " +
               std::to_string(
                   static_cast<int>(eval("highscore_value(" + std::to_string(rank) + ")").real())) +
               (rank < 10 ? "," : "");
    }
    return lines;
  }

  fs::path data_;
  GameData game_;
  std::unique_ptr<Runner> runner_;
  std::deque<DialogAnswer> answers_;
};

TEST_F(Dialogs, HighscoresInsertBelowEqualScoresAndStayWithTheirGame) {
  EXPECT_EQ(eval("highscore_name(1)").str(), "<nobody>");
  run("highscore_clear(); highscore_add('ann', 50); highscore_add('bob', 80);"
      "highscore_add('cat', 50); highscore_add('dan', -3)");
  EXPECT_EQ(table(),
            "bob 80,ann 50,cat 50,<nobody> 0,<nobody> 0,<nobody> 0,<nobody> 0,<nobody> 0,"
            "<nobody> 0,<nobody> 0");
  make_runner();
  EXPECT_EQ(eval("highscore_name(3)").str(), "cat");
  game_.game_id = 3101;
  make_runner();
  EXPECT_EQ(eval("highscore_value(1)").real(), 0);

  run("highscore_clear(); for (i = 0; i < 10; i += 1) highscore_add('same', 7);"
      "highscore_add('late', 7)");
  EXPECT_EQ(eval("highscore_name(10)").str(), "same");
  EXPECT_EQ(eval("highscore_name(0)").str(), "<nobody>");
}

TEST_F(Dialogs, HighscoreShowTakesTheTypedNameAndAddCurrentPrompts) {
  run("highscore_clear(); highscore_add('ann', 50)");
  answer_text("Zoe");
  run("highscore_show(60)");
  EXPECT_EQ(eval("highscore_name(1)").str(), "Zoe");
  EXPECT_EQ(eval("highscore_value(1)").real(), 60);

  answer_text("Max");
  run("score = 55; highscore_add_current()");
  EXPECT_EQ(eval("highscore_name(2)").str(), "Max");
  EXPECT_EQ(eval("highscore_name(3)").str(), "ann");

  // No answer: the prompt's preset name.
  testing::internal::CaptureStderr();
  run("score = 1; highscore_add_current()");
  const std::string note = testing::internal::GetCapturedStderr();
  EXPECT_EQ(eval("highscore_name(4)").str(), "player");
  EXPECT_EQ(note,
            "No answer for the dialog \"You reached a place in the highscore table....\": it "
            "takes button 2 (\"OK\") with the text \"player\".\n");
}

TEST_F(Dialogs, LookSettersReportMissingResourcesAndRoundAlpha) {
  EXPECT_EQ(reported("message_background(3)"), "Trying to set a non-existing message background");
  EXPECT_EQ(reported("message_button(-1)"), "Trying to set a non-existing message button");
  run("message_alpha(0.5)");
  EXPECT_EQ(runner_->message_look.alpha, 128);
  run("message_alpha(7)");
  EXPECT_EQ(runner_->message_look.alpha, 255);
  run("message_text_font('', -1, 255, 3)");
  EXPECT_EQ(runner_->message_look.text_font.name, "Arial");
  EXPECT_EQ(runner_->message_look.text_font.colour, 255);
  EXPECT_EQ(runner_->message_look.text_font.style, 3);
}

TEST_F(Dialogs, MessageTextsFollowTheirValue) {
  answers_.push_back({DialogAnswer::Kind::Cancel, 0, "", "answer cancel"});
  testing::internal::CaptureStderr();
  run("show_message(3); show_message(2.5); show_message('a#b\\\\#c')");
  const std::string notes = testing::internal::GetCapturedStderr();
  EXPECT_EQ(notes,
            "No answer for the dialog \"2.50\": it takes button 2 (\"OK\").\n"
            "No answer for the dialog \"a...\": it takes button 2 (\"OK\").\n");
}

}  // namespace
}  // namespace kestrel
