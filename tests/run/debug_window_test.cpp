#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "data/Runner_Load.h"
#include "game_code.h"
#include "platform/window.h"
#include "run/Debug_Info.h"
#include "run/Debug_Main.h"
#include "run/Run_Main.h"
#include "run/Runner.h"
#include "run/debug_form_icons.h"
#include "run/room_lifecycle.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

TEST(DebugToolIcons, EveryToolBarCommandHasAPictureOfItsOwn) {
  std::vector<std::vector<std::uint32_t>> seen;
  for (std::size_t i = 0; i < kToolBarCommands; ++i) {
    const std::string_view caption = kDebugCommands[i].caption;
    SCOPED_TRACE(caption);
    const PixelCanvas icon = debug_tool_icon(kDebugCommands[i].command);
    ASSERT_EQ(icon.width, kDebugIconSize);
    ASSERT_EQ(icon.height, kDebugIconSize);
    ASSERT_EQ(icon.argb.size(), std::size_t(kDebugIconSize) * kDebugIconSize);
    // Shapes stand free: the button's face shows at the corners.
    EXPECT_EQ(icon.argb.front() >> 24, 0u);
    EXPECT_EQ(icon.argb.back() >> 24, 0u);
    const auto opaque = std::count_if(icon.argb.begin(), icon.argb.end(),
                                      [](std::uint32_t pixel) { return pixel >> 24 == 0xFF; });
    EXPECT_GT(opaque, kDebugIconSize);
    EXPECT_EQ(std::find(seen.begin(), seen.end(), icon.argb), seen.end());
    seen.push_back(icon.argb);
  }
}

TEST(DebugValueText, WritesRealsWithTheFewestDecimalsThatHoldThem) {
  struct Case {
    RValue value;
    const char* text;
  };
  const Case cases[] = {
      {RValue("a\tb"), "a\tb"},
      {RValue(3.0), "3"},
      {RValue(-2.0), "-2"},
      {RValue(3.0000000000001), "3"},
      {RValue(-1e-13), "0"},
      {RValue(0.5), "0.50"},
      {RValue(-1.25), "-1.25"},
      {RValue(0.07), "0.07"},
      {RValue(0.125), "0.1250"},
      {RValue(0.000001), "0.000001"},
      {RValue(1.5e-7), "0.00000015"},
      {RValue(1.0 / 3.0), "0.3333333333"},
      {RValue(2.0 / 3.0), "0.6666666667"},
      {RValue(12345678901.5), "1.23456789E10"},
      {RValue(1e20), "1E20"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(debug_value_text(c.value), c.text) << c.value.real();
  }
}

TEST(DebugLine, PadsTheNameToTwentyAndDropsNuls) {
  EXPECT_EQ(debug_line("x", "5"), "x:                  5\r\n");
  EXPECT_EQ(debug_line("nineteen_characters", "1"), "nineteen_characters:1\r\n");
  EXPECT_EQ(debug_line("a_name_longer_than_twenty", "1"), "a_name_longer_than_twenty:1\r\n");
  EXPECT_EQ(debug_line("s", std::string_view("a\0b", 3)), "s:                  ab\r\n");
  EXPECT_EQ(kDebugSeparator, std::string(32, '_') + "\r\n");
}

TEST(WatchFile, KeepsEveryExpressionOnTheWayThroughAFile) {
  const fs::path folder = fs::path(testing::TempDir()) / "kestrel_watch_test";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::vector<std::string> expressions = {"x + 1", "global.score_of[2]",
                                                "string(\"a b\") + ' '", "", "instance_count"};
  std::string error;
  ASSERT_TRUE(write_watch_file(folder / "w.txt", expressions, error)) << error;
  std::vector<std::string> back;
  ASSERT_TRUE(read_watch_file(folder / "w.txt", back, error)) << error;
  EXPECT_EQ(back, expressions);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
      << "nothing left beside the file";

  struct Case {
    const char* text;
    std::vector<std::string> expressions;
  };
  const Case cases[] = {
      {"", {}},
      {"a\nb\r\nc", {"a", "b", "c"}},
      {"a\r\n\r\n", {"a", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_watch_file(c.text), c.expressions) << c.text;

  EXPECT_FALSE(read_watch_file(folder / "missing.txt", back, error));
  EXPECT_NE(error.find("missing.txt"), std::string::npos) << error;
  EXPECT_FALSE(write_watch_file(folder / "no" / "w.txt", expressions, error));
  EXPECT_NE(error.find("Cannot save the watch file"), std::string::npos) << error;
  fs::remove_all(folder);
}

// A game in debug mode with one room holding an instance (100001) of
// obj_thing at 10, 20. A single step of the debugger adds one to
// global.steps.
class DebugWindow : public testing::Test {
 protected:
  void SetUp() override {
    game_.debug_mode = true;
    game_.objects.add("obj_thing", CObject{});
    CRoom room;
    room.instances.push_back({10, 20, 0, 100001, ""});
    game_.rooms.add("room_first", room);
    game_.room_order = {0};
    game_.last_instance_id = 100001;
    runner_ = std::make_unique<Runner>(game_);
    runner_->engine.settings.errors.show_errors = false;
    runner_->engine.settings.debug_mode = true;
    ASSERT_TRUE(runner_->prepare_objects());
    runner_->layout.attach(window_.get());
    start_game(*runner_);
    runner_->game_running = true;
    session_ = std::make_unique<DebugSession>(*runner_, [this] { run("global.steps += 1"); });
    run("global.steps = 0");
  }

  void run(std::string_view statements) { run_game_code(*runner_, statements, false); }
  std::vector<std::string> values() const {
    std::vector<std::string> values;
    for (const DebugWatch& watch : session_->watches()) values.push_back(watch.value);
    return values;
  }

  GameData game_;
  std::unique_ptr<platform::Window> window_ = platform::open_null_window({});
  std::unique_ptr<Runner> runner_;
  std::unique_ptr<DebugSession> session_;
};

TEST_F(DebugWindow, CommandsAreEnabledAsTheGameRunsOrIsPaused) {
  using enum DebugCommand;
  struct Case {
    bool running, paused;
    std::vector<DebugCommand> on, off;
  };
  const Case cases[] = {
      {true, false, {pause, restart, stop, watch_add, show_messages}, {run, step}},
      {true, true, {run, step, restart, stop, execute_code}, {pause}},
      {false, false, {watch_clear, set_speed}, {run, pause, step, restart, stop}},
  };
  for (const Case& c : cases) {
    runner_->game_running = c.running;
    runner_->game_paused = c.paused;
    for (DebugCommand on : c.on) EXPECT_TRUE(session_->enabled(on)) << static_cast<int>(on);
    for (DebugCommand off : c.off) EXPECT_FALSE(session_->enabled(off)) << static_cast<int>(off);
  }
}

TEST_F(DebugWindow, PauseStepRunRestartAndStopDriveTheLoopFlags) {
  session_->perform(DebugCommand::step);
  EXPECT_EQ(run_game_code(*runner_, "global.steps", true).real(), 0) << "no step while running";
  session_->perform(DebugCommand::pause);
  EXPECT_TRUE(runner_->game_paused);
  session_->perform(DebugCommand::watch_add, "global.steps");
  session_->perform(DebugCommand::step);
  session_->perform(DebugCommand::step);
  EXPECT_EQ(values(), std::vector<std::string>{"2"}) << "watches follow each step";
  session_->perform(DebugCommand::run);
  EXPECT_FALSE(runner_->game_paused);

  session_->perform(DebugCommand::pause);
  session_->perform(DebugCommand::restart);
  EXPECT_EQ(runner_->pending_transfer, kTransferRestart);
  EXPECT_FALSE(runner_->game_paused) << "a paused game resumes to restart at once";

  session_->perform(DebugCommand::pause);
  session_->close();
  EXPECT_FALSE(runner_->game_running) << "closing the window stops a paused game";
  EXPECT_FALSE(runner_->game_paused);

  runner_->game_running = true;
  session_->close();
  EXPECT_TRUE(runner_->game_running) << "a running game goes on without the window";
}

TEST_F(DebugWindow, TheMainLoopWaitsWhilePausedStepsAndRestartsAtOnce) {
  DebugSession session(*runner_, [this] { single_step(*runner_, *window_); });
  std::vector<std::string> log;
  LoopOptions loop;
  loop.real_time = false;
  loop.max_steps = 6;
  loop.after_step = [&](std::int64_t steps) {
    log.push_back("step " + std::to_string(steps));
    if (steps == 2) session.perform(DebugCommand::pause);
  };
  loop.while_paused = [&] {
    const std::int32_t before = runner_->step_counter;
    session.perform(DebugCommand::step);
    log.push_back("single " + std::to_string(runner_->step_counter - before));
    run("global.kept = 1");
    session.perform(DebugCommand::restart);
  };
  main_loop(*runner_, *window_, loop);
  EXPECT_EQ(log, (std::vector<std::string>{"step 1", "step 2", "single 1", "step 3", "step 4",
                                           "step 5", "step 6"}));
  EXPECT_EQ(runner_->step_counter, 4) << "the restart came before the next step";
  EXPECT_EQ(run_game_code(*runner_, "variable_global_exists('kept')", true).real(), 0);

  log.clear();
  loop.after_step = [&](std::int64_t steps) {
    log.push_back("step " + std::to_string(steps));
    session.perform(DebugCommand::pause);
  };
  loop.while_paused = [&] { session.perform(DebugCommand::stop); };
  main_loop(*runner_, *window_, loop);
  EXPECT_EQ(log, std::vector<std::string>{"step 1"});
  EXPECT_FALSE(runner_->game_running);
}

TEST_F(DebugWindow, WatchesAreAddedChangedDeletedAndEvaluated) {
  run("global.name = 'ada'; global.half = 1.5");
  session_->perform(DebugCommand::watch_add, "global.name + '!'");
  session_->perform(DebugCommand::watch_add, "");
  session_->perform(DebugCommand::watch_add, "1 +");
  session_->perform(DebugCommand::watch_change, "global.half * 3", 2);
  session_->perform(DebugCommand::watch_add, "x + id + undefined_thing");
  EXPECT_EQ(values(), (std::vector<std::string>{"ada!", "COMPILE ERROR", "4.50", "0"}))
      << "the temporary instance is at 0, 0 with id 0; a failing watch shows what was left";
  EXPECT_EQ(runner_->engine.errors.error_last, "") << "watches report nothing";

  session_->perform(DebugCommand::watch_change, "global.half", 1);
  session_->perform(DebugCommand::watch_delete, "", 0);
  session_->perform(DebugCommand::watch_delete, "", 3);
  EXPECT_EQ(
      session_->watch_expressions(),
      (std::vector<std::string>{"global.half", "global.half * 3", "x + id + undefined_thing"}));
  session_->perform(DebugCommand::watch_clear);
  EXPECT_TRUE(session_->watches().empty());

  const fs::path file = fs::path(testing::TempDir()) / "kestrel_debug_watches.txt";
  session_->perform(DebugCommand::watch_add, "global.half");
  session_->perform(DebugCommand::watch_save, file.string());
  session_->perform(DebugCommand::watch_load, file.string());
  EXPECT_EQ(values(), (std::vector<std::string>{"1.50", "1.50"})) << "loading appends";
  session_->perform(DebugCommand::watch_load, (file.string() + ".missing"));
  EXPECT_NE(session_->take_alert(), "");
  EXPECT_EQ(session_->take_alert(), "") << "an alert is shown once";
  fs::remove(file);
}

TEST_F(DebugWindow, ExecutesCodeAndSetsTheSpeed) {
  session_->perform(DebugCommand::execute_code, "global.made = id + x + 7");
  EXPECT_EQ(run_game_code(*runner_, "global.made", true).real(), 7);
  EXPECT_EQ(session_->kept_code(), "global.made = id + x + 7");
  EXPECT_EQ(session_->take_alert(), "");
  session_->perform(DebugCommand::execute_code, "global.made = (");
  EXPECT_EQ(session_->take_alert(), "COMPILE ERROR");
  EXPECT_EQ(session_->kept_code(), "global.made = (") << "offered again to be put right";

  struct Case {
    const char* answer;
    int speed;
  };
  for (const Case c : {Case{"45", 45}, Case{"fast", 45}, Case{"12.5", 45}, Case{"", 45},
                       Case{"+60", 60}, Case{"-3", -3}}) {
    session_->perform(DebugCommand::set_speed, c.answer);
    EXPECT_EQ(runner_->room->settings.speed, c.speed) << c.answer;
  }
}

TEST_F(DebugWindow, InformationWindowsShowTheGame) {
  run("global.counter = 3; with (100001) { hp = 'full'; speed = 2 }");
  session_->perform(DebugCommand::show_global);
  const std::string global = session_->global_window()->text;
  EXPECT_EQ(session_->global_window()->caption, "Global Variables");
  EXPECT_TRUE(global.starts_with("mouse_x:            ")) << global;
  EXPECT_NE(global.find("room_speed:         30\r\n"), std::string::npos);
  EXPECT_NE(global.find("\r\n" + std::string(kDebugSeparator) + "score:"), std::string::npos);
  EXPECT_TRUE(global.ends_with("steps:              0\r\ncounter:            3\r\n")) << global;

  session_->perform(DebugCommand::show_instances);
  EXPECT_EQ(session_->instances_window()->text, "   Id     Object Name    Sprite Name\r\n" +
                                                    std::string(36, '_') +
                                                    "\r\n100001      obj_thing    <undefined>\r\n");

  session_->perform(DebugCommand::show_local, "100001");
  session_->perform(DebugCommand::show_local, "obj_thing");
  std::vector<DebugInfoWindow>& locals = session_->local_windows();
  ASSERT_EQ(locals.size(), 2u);
  EXPECT_EQ(locals[0].caption, "Local Variables for 100001");
  EXPECT_EQ(locals[1].caption, "Local Variables for obj_thing");
  for (const DebugInfoWindow& local : locals) {
    EXPECT_TRUE(local.text.starts_with("x:                  10\r\ny:                  20\r\n"))
        << local.text;
    EXPECT_NE(local.text.find("speed:              2\r\n"), std::string::npos);
    EXPECT_TRUE(local.text.ends_with("hp:                 full\r\n")) << local.text;
  }

  runner_->create_instance(0, 5, 6);
  run("with (100001) instance_destroy()");
  session_->refresh();
  EXPECT_EQ(locals[0].text, "NO SUCH INSTANCE EXISTS");
  EXPECT_TRUE(locals[1].text.starts_with("x:                  5\r\n"))
      << "a window opened by object name shows the next instance of that object";
  EXPECT_EQ(session_->status()[1], "2 inst") << "the destroyed one leaves the list after the step";
  EXPECT_EQ(session_->status()[2], "mouse id: ");
}

TEST_F(DebugWindow, LocalWindowsAreReusedAndAtMostAHundred) {
  for (int i = 0; i < 101; ++i) session_->perform(DebugCommand::show_local, "100001");
  EXPECT_EQ(session_->local_windows().size(), kMaxLocalWindows);
  session_->local_windows()[7].visible = false;
  session_->perform(DebugCommand::show_local, "obj_thing");
  EXPECT_EQ(session_->local_windows().size(), kMaxLocalWindows);
  EXPECT_EQ(session_->local_windows()[7].caption, "Local Variables for obj_thing");
  EXPECT_TRUE(session_->local_windows()[7].visible);
}

TEST_F(DebugWindow, DebugMessagesGoToTheMessagesWindow) {
  EXPECT_EQ(session_->messages_window(), nullptr);
  run("show_debug_message('hello'); show_debug_message(2.5)");
  ASSERT_NE(session_->messages_window(), nullptr);
  EXPECT_EQ(session_->messages_window()->caption, "Messages");
  EXPECT_FALSE(session_->messages_window()->visible) << "made on first use, shown when asked";
  EXPECT_EQ(session_->messages_window()->text, "hello\r\n\r\n2.50\r\n\r\n");
  session_->perform(DebugCommand::show_messages);
  EXPECT_TRUE(session_->messages_window()->visible);
}

}  // namespace
}  // namespace kestrel
