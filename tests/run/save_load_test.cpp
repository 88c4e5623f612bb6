#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/Runner_Load.h"
#include "data/Support_File.h"
#include "data/Support_Stream.h"
#include "game_code.h"
#include "platform/window.h"
#include "run/Run_Command.h"
#include "run/Runner.h"
#include "run/room_lifecycle.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// A game of two rooms: the first persistent with one placed instance of
// obj_thing, the second empty.
class SaveLoad : public testing::Test {
 protected:
  void SetUp() override {
    game_.game_id = 77;
    game_.objects.add("obj_thing", CObject{});
    CRoom first;
    first.persistent = true;
    first.instances.push_back({10, 20, 0, 100001, ""});
    game_.rooms.add("room_first", first);
    game_.rooms.add("room_second", CRoom{});
    game_.room_order = {0, 1};
    game_.last_instance_id = 100001;
    runner_ = std::make_unique<Runner>(game_);
    runner_->engine.settings.errors.show_errors = false;
    ASSERT_TRUE(runner_->prepare_objects());
    runner_->layout.attach(window_.get());
    start_game(*runner_);
    file_ = fs::path(testing::TempDir()) / "kestrel_save_test.sav";
    fs::remove(file_);
  }
  void TearDown() override { fs::remove(file_); }

  RValue eval(std::string_view text, bool expression = true) {
    return run_game_code(*runner_, text, expression);
  }
  void run(std::string_view statements) { eval(statements, false); }
  double real(std::string_view expression) { return eval(expression).real(); }
  std::string last_error() const { return runner_->engine.errors.error_last; }

  GameData game_;
  std::unique_ptr<platform::Window> window_ = platform::open_null_window({});
  std::unique_ptr<Runner> runner_;
  fs::path file_;
};

TEST_F(SaveLoad, ALoadedGameGoesOnWhereItWasSaved) {
  run("global.g = 5; score = 42; lives = 3; health = 12.5;"
      "with (100001) { x = 30; hp = 'full'; alarm[3] = 9; }");
  runner_->step_counter = 17;
  goto_room(*runner_, 1);
  const std::int32_t other = runner_->create_instance(0, 1, 2)->id;
  save_game(*runner_, file_.string());
  ASSERT_EQ(last_error(), "");

  run("global.g = 6; score = 1; with (all) instance_destroy()");
  goto_room(*runner_, 0);
  run("with (100001) x = 99");
  runner_->create_instance(0, 0, 0);
  load_game(*runner_, file_.string());

  ASSERT_EQ(last_error(), "");
  EXPECT_EQ(runner_->room_index, 1);
  EXPECT_EQ(runner_->step_counter, 17);
  EXPECT_EQ(real("global.g + score * 10 + lives * 1000 + health * 10000"), 5 + 420 + 3000 + 125000);
  EXPECT_EQ(real("instance_exists(" + std::to_string(other) + ")"), 1);
  EXPECT_EQ(real("instance_number(obj_thing)"), 1) << "only the saved room's instance";
  EXPECT_EQ(real("instance_create(0, 0, obj_thing)"), other + 1)
      << "ids go on from the saved counter";

  // The persistent room the player had left keeps its state from the save.
  goto_room(*runner_, 0);
  EXPECT_EQ(real("(100001).x"), 30);
  EXPECT_EQ(eval("(100001).hp").str(), "full");
  EXPECT_EQ(real("(100001).alarm[3]"), 9);
}

// A file that cannot be loaded is reported and changes nothing.
TEST_F(SaveLoad, AFileThatCannotBeLoadedLeavesTheGameAsItWas) {
  save_game(*runner_, file_.string());
  const Bytes saved = *ReadWholeFile(file_);
  CInstance& placed = runner_->instances().at(0);
  placed.object_index = 99;
  save_game(*runner_, file_.string());
  placed.object_index = 0;
  const Bytes unknown_object = *ReadWholeFile(file_);
  const auto with_header = [](std::int32_t version, std::int32_t game_id) {
    CStream stream;
    WriteInt(stream, version);
    WriteInt(stream, game_id);
    return stream.bytes();
  };
  struct Case {
    const char* what;
    Bytes content;
    std::string message;
  };
  const Case cases[] = {
      {"another version", with_header(541, 77), "Cannot load game saved with other version."},
      {"another game", with_header(540, 78), "This is a save file for a different game!"},
      {"cut short", Bytes(saved.begin(), saved.begin() + saved.size() / 2),
       "Failed to load game from file " + file_.string()},
      {"only the header", with_header(540, 77), "Failed to load game from file " + file_.string()},
      {"an instance of an object the game lacks", unknown_object,
       "Failed to load game from file " + file_.string()},
  };
  goto_room(*runner_, 1);
  run("global.g = 6");
  for (const Case& c : cases) {
    std::ofstream(file_, std::ios::binary)
        .write(reinterpret_cast<const char*>(c.content.data()),
               static_cast<std::streamsize>(c.content.size()));
    runner_->engine.errors.error_last.clear();
    load_game(*runner_, file_.string());
    EXPECT_NE(last_error().find(c.message), std::string::npos) << c.what << ": " << last_error();
    EXPECT_EQ(runner_->room_index, 1) << c.what;
    EXPECT_EQ(real("global.g"), 6) << c.what;
  }

  runner_->engine.errors.error_last.clear();
  fs::remove(file_);
  load_game(*runner_, file_.string());
  EXPECT_EQ(last_error(), "") << "a missing file is no error";
}

TEST_F(SaveLoad, SecureModeSavesOnlyBesideTheGame) {
  runner_->engine.settings.secure_mode = true;
  for (const char* name : {"saves/slot.sav", "saves\\slot.sav"}) {
    runner_->engine.errors.error_last.clear();
    save_game(*runner_, name);
    EXPECT_NE(last_error().find(std::string("In secure mode you cannot save game to file ") + name),
              std::string::npos)
        << last_error();
  }
  const fs::path plain = "kestrel_secure_save_test.sav";
  runner_->engine.errors.error_last.clear();
  save_game(*runner_, plain.string());
  EXPECT_EQ(last_error(), "");
  EXPECT_TRUE(fs::exists(plain));
  fs::remove(plain);
}

TEST_F(SaveLoad, ALoadRequestWaitsForTheStepToEnd) {
  save_game(*runner_, file_.string());
  goto_room(*runner_, 1);
  run("game_load('" + file_.string() + "')");
  EXPECT_EQ(runner_->room_index, 1);
  EXPECT_EQ(runner_->pending_transfer, kTransferLoad);
  handle_transfer(*runner_);
  EXPECT_EQ(runner_->room_index, 0);
  EXPECT_EQ(runner_->pending_transfer, kNoTransfer);
}

}  // namespace
}  // namespace kestrel
