#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>

#include "data/Runner_Load.h"
#include "game_code.h"
#include "graphics/image/BM32_PNG.h"
#include "lib/highscore_table.h"
#include "platform/web_page.h"
#include "run/Runner.h"
#include "run/run_dialogs.h"
#include "video_fixture.h"

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

TEST(FileFilter, PairsNamesWithTheirPatterns) {
  const std::vector<platform::FileFilter> filters =
      parse_file_filter("Text files|*.txt;*.log|All files|*.*|Odd");
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].name, "Text files");
  EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.txt", "*.log"}));
  EXPECT_EQ(filters[1].patterns, (std::vector<std::string>{"*.*"}));
  EXPECT_TRUE(parse_file_filter("").empty());
  EXPECT_TRUE(parse_file_filter("Nothing|").empty());
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
    return last_report_line(*runner_, statements);
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

TEST(SplashPicture, FitsTheAreaOrTakesTheFactorAndIsCentred) {
  const struct {
    int picture_width, picture_height;
    double scale;
    DialogRectangle expected;
  } cases[] = {{320, 240, -1, {0, 0, 640, 480}},
               {320, 240, 0.5, {240, 180, 160, 120}},
               {100, 400, 0, {260, 0, 120, 480}},
               {0, 10, -1, {0, 0, 0, 0}}};
  for (const auto& c : cases) {
    const DialogRectangle place =
        splash_picture_place(640, 480, c.picture_width, c.picture_height, c.scale);
    EXPECT_EQ(place.x, c.expected.x);
    EXPECT_EQ(place.y, c.expected.y);
    EXPECT_EQ(place.width, c.expected.width);
    EXPECT_EQ(place.height, c.expected.height);
  }
}

// One run's splash windows in turn on a 1024 x 768 screen: each negative
// position coordinate keeps where the window last was.
TEST(SplashWindow, KeepsEachCoordinateThePositionLeavesNegative) {
  const struct {
    const char* name;
    int x, y;
    bool full_screen;
    int width, height;
    DialogRectangle expected;
  } shows[] = {
      {"the first is centred", -1, -1, false, 640, 480, {192, 144, 640, 480}},
      {"y alone moves only the top", -1, 100, false, 640, 480, {192, 100, 640, 480}},
      {"a new size keeps the place", -1, -1, false, 320, 200, {192, 100, 320, 200}},
      {"x alone moves only the left", 10, -1, false, 320, 200, {10, 100, 320, 200}},
      {"full screen covers the screen", 50, 60, true, 320, 200, {0, 0, 1024, 768}},
      {"after full screen its corner stays", -1, 70, false, 320, 200, {0, 70, 320, 200}},
  };
  SplashSettings settings;
  SplashWindowPlace kept;
  for (const auto& show : shows) {
    SCOPED_TRACE(show.name);
    settings.x = show.x;
    settings.y = show.y;
    settings.full_screen = show.full_screen;
    const DialogRectangle place =
        place_splash_window(settings, kept, show.width, show.height, 1024, 768);
    EXPECT_EQ(place.x, show.expected.x);
    EXPECT_EQ(place.y, show.expected.y);
    EXPECT_EQ(place.width, show.expected.width);
    EXPECT_EQ(place.height, show.expected.height);
  }
}

TEST_F(Dialogs, SplashScreensReportTheirFilesAndCloseWithoutAPlayer) {
  const fs::path picture = data_ / "picture.png";
  const fs::path damaged = data_ / "damaged.png";
  const fs::path text = data_ / "notes.txt";
  fs::create_directories(data_);
  const std::vector<std::uint32_t> red(12, 0xFFFF0000);
  const std::vector<std::uint8_t> png = EncodePng(4, 3, red, false);
  std::ofstream(picture, std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  std::ofstream(damaged) << "not a picture";
  std::ofstream(text) << "Plain text, not rich text.";

  EXPECT_EQ(reported("splash_show_image('missing.png', 0)"), "Image file not found.");
  EXPECT_EQ(reported("splash_show_text('missing.txt', 0)"), "Text file not found.");
  EXPECT_TRUE(reported("splash_show_image('" + damaged.string() + "', 0)")
                  .starts_with("Cannot read the image file " + damaged.string() + ": "));

  testing::internal::CaptureStderr();
  EXPECT_EQ(reported("splash_show_image('" + picture.string() + "', 100)"), "");
  answers_.push_back({DialogAnswer::Kind::Cancel, 0, "", "answer cancel"});
  EXPECT_EQ(reported("show_text('" + text.string() + "', 0, c_white, 0)"), "");
  const std::string notes = testing::internal::GetCapturedStderr();
  EXPECT_EQ(notes, "No answer for the dialog splash screen \"" + picture.string() +
                       "\": it takes Escape.\n");
  EXPECT_TRUE(answers_.empty());

  run("show_image('" + picture.string() + "', 1, 0)");
  EXPECT_TRUE(runner_->splash_settings.full_screen);
  EXPECT_FALSE(runner_->splash_settings.main);
  run("action_splash_settings('Cap', 0, 1, 0, 1)");
  const SplashSettings& settings = runner_->splash_settings;
  EXPECT_EQ(settings.caption, "Cap");
  EXPECT_FALSE(settings.full_screen);
  EXPECT_TRUE(settings.main);
  EXPECT_FALSE(settings.close_button);
  EXPECT_TRUE(settings.stop_key);
  EXPECT_FALSE(settings.stop_mouse);
}

TEST_F(Dialogs, SplashVideosReportWhatTheyCannotPlayAndTheGameGoesOn) {
  fs::create_directories(data_);
  const std::string video = (data_ / "clip.avi").string();
  const std::string damaged = (data_ / "damaged.avi").string();
  std::string error;
  ASSERT_TRUE(fixtures::write_test_video(video, {32, 24, 4, 10, true}, error)) << error;
  {
    std::ifstream in(video, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    // The header of the container and nothing of its pictures.
    std::ofstream(damaged, std::ios::binary) << bytes.substr(0, 300);
  }
  const std::string long_name = (data_ / (std::string(127, 'v') + ".avi")).string();

  const struct {
    std::string code;
    std::string report;
  } failures[] = {
      {"splash_show_video('missing.avi', 0)", "Video file not found (or name too long)."},
      {"splash_show_video('" + long_name + "', 0)", "Video file not found (or name too long)."},
      {"action_splash_video('missing.avi', 0)", "Video file not found (or name too long)."},
      {"splash_show_video('" + damaged + "', 1)", "Cannot play the video file " + damaged + ": "},
  };
  for (const auto& c : failures) {
    SCOPED_TRACE(c.code);
    EXPECT_TRUE(reported(c.code).starts_with(c.report));
  }

  testing::internal::CaptureStderr();
  EXPECT_EQ(reported("show_video('" + video + "', 1, 1)"), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "No answer for the dialog splash screen \"" + video + "\": it takes Escape.\n");
  EXPECT_TRUE(runner_->splash_settings.full_screen);
  EXPECT_FALSE(runner_->splash_settings.main);
  answers_.push_back({DialogAnswer::Kind::Cancel, 0, "", "answer cancel"});
  EXPECT_EQ(reported("action_show_video('" + video + "', 0, 0)"), "");
  EXPECT_TRUE(answers_.empty());
  EXPECT_FALSE(runner_->splash_settings.full_screen);
  EXPECT_TRUE(runner_->splash_settings.main);
}

TEST_F(Dialogs, WebPagesGoToTheBrowserOnlyWhereTheRunHasOne) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(reported("action_webpage('http://127.0.0.1:9/')"), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "No browser in this run: the web page \"http://127.0.0.1:9/\" is not opened.\n");

  std::vector<std::string> opened;
  bool opens = true;
  runner_->open_in_browser = [&](const std::string& address) {
    opened.push_back(address);
    return opens;
  };
  EXPECT_EQ(reported("action_webpage('file:///tmp/a.html')"), "");
  EXPECT_EQ(reported("action_splash_web('file:///tmp/b.html', 1)"), "");
  opens = false;
  EXPECT_EQ(reported("action_webpage('file:///tmp/c.html')"), "Failed to open the webpage.");
  runner_->engine.settings.secure_mode = true;
  EXPECT_EQ(reported("action_splash_web('file:///tmp/d.html', 1)"),
            "In secure mode you cannot open webpages.");
  EXPECT_EQ(opened, (std::vector<std::string>{"file:///tmp/a.html", "file:///tmp/b.html",
                                              "file:///tmp/c.html"}));
}

TEST_F(Dialogs, WebSplashesCloseWithoutAPlayer) {
  if (!platform::web_page_windows_built()) GTEST_SKIP() << "pages go to the browser in this build";
  testing::internal::CaptureStderr();
  EXPECT_EQ(reported("splash_show_web('file:///tmp/page.html', 100)"), "");
  answers_.push_back({DialogAnswer::Kind::Cancel, 0, "", "answer cancel"});
  EXPECT_EQ(reported("action_splash_web('file:///tmp/page.html', 0)"), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "No answer for the dialog web page \"file:///tmp/page.html\": it takes Escape.\n");
  EXPECT_TRUE(answers_.empty());
}

}  // namespace
}  // namespace kestrel
