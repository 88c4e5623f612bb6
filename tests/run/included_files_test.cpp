#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/Runner_Load.h"
#include "run/DataNew_Main.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

CDataFile included(std::string name, int kind, std::string text, bool overwrite = false) {
  CDataFile file;
  file.file_name = std::move(name);
  file.stored = true;
  file.data = Bytes(text.begin(), text.end());
  file.export_kind = kind;
  file.overwrite = overwrite;
  return file;
}

// Each test runs in a working folder of its own, beside the game's temporary folder.
class IncludedFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    work_ = fs::temp_directory_path() /
            ("kestrel-included-" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(work_);
    fs::create_directories(work_ / "temp");
    fs::current_path(work_);
    TempDirectoryPlaces places;
    places.system_temp = work_ / "temp";
    temp_ = TempDirectory::Create(places);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(work_);
  }

  fs::path previous_, work_;
  TempDirectory temp_;
};

TEST_F(IncludedFiles, ExportedWhereTheirKindSaysAndRemovedAtTheEnd) {
  GameData game;
  game.included_files.push_back(included("in_temp.txt", 1, "one"));
  game.included_files.push_back(included("level.txt", 2, "two"));
  CDataFile kept = included("kept.txt", 3, "three");
  kept.export_folder = "out\\deeper";
  kept.remove_at_end = false;
  game.included_files.push_back(kept);
  game.included_files.push_back(included("never.txt", 0, "none"));
  Runner runner(game, temp_);

  export_included_files(runner);
  EXPECT_EQ(contents(temp_.path() / "in_temp.txt"), "one");
  EXPECT_EQ(contents("level.txt"), "two");
  EXPECT_EQ(contents("out/deeper/kept.txt"), "three");
  EXPECT_FALSE(fs::exists("never.txt"));

  remove_included_files(runner);
  EXPECT_FALSE(fs::exists(temp_.path() / "in_temp.txt"));
  EXPECT_FALSE(fs::exists("level.txt"));
  EXPECT_TRUE(fs::exists("out/deeper/kept.txt")) << "not marked to be removed";
}

TEST_F(IncludedFiles, APlayersFileIsNeitherOverwrittenNorRemoved) {
  std::ofstream("scores.txt") << "the player's";
  GameData game;
  game.included_files.push_back(included("scores.txt", 2, "the game's"));
  // Kept after the export, so that it can be exported again.
  game.included_files.front().free_after_export = false;
  Runner runner(game, temp_);
  export_included_files(runner);
  remove_included_files(runner);
  EXPECT_EQ(contents("scores.txt"), "the player's");

  game.included_files.front().overwrite = true;
  export_included_files(runner);
  EXPECT_EQ(contents("scores.txt"), "the game's");
}

TEST_F(IncludedFiles, SecureModeRefusesFoldersWithAReport) {
  GameData game;
  game.included_files.push_back(included("sub/file.txt", 2, "x"));
  CDataFile elsewhere = included("file.txt", 3, "y");
  elsewhere.export_folder = "out";
  game.included_files.push_back(elsewhere);
  game.included_files.push_back(included("plain.txt", 2, "z"));
  Runner runner(game, temp_);
  runner.engine.settings.secure_mode = true;
  runner.engine.settings.errors.show_errors = false;

  export_included_files(runner);
  EXPECT_FALSE(fs::exists("sub/file.txt"));
  EXPECT_FALSE(fs::exists("out/file.txt"));
  EXPECT_EQ(contents("plain.txt"), "z");
  EXPECT_EQ(runner.engine.errors.error_last,
            "In secure mode you cannot export a data file to an indicated directory.");
}

}  // namespace
}  // namespace kestrel
