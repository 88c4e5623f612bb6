#include "lib/game_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

struct NameCase {
  const char* name;
  const char* file;
  const char* path;
  const char* dir;
  const char* drive;
  const char* ext;
};

// Backslash and colon separate; a slash is part of a name.
TEST(FileNames, SplitAsTheGamesSystemSplitsThem) {
  const NameCase cases[] = {
      {"C:\\games\\level.txt", "level.txt", "C:\\games\\", "C:\\games", "C:", ".txt"},
      {"C:\\level.txt", "level.txt", "C:\\", "C:\\", "C:", ".txt"},
      {"C:level.txt", "level.txt", "C:", "C:", "C:", ".txt"},
      {"saves\\a.b\\slot", "slot", "saves\\a.b\\", "saves\\a.b", "", ""},
      {"\\\\server\\share\\dir\\f.dat", "f.dat", "\\\\server\\share\\dir\\",
       "\\\\server\\share\\dir", "\\\\server\\share", ".dat"},
      {"\\\\server", "server", "\\\\", "\\\\", "\\\\server", ""},
      {"\\top.ini", "top.ini", "\\", "\\", "", ".ini"},
      {"data/level.txt", "data/level.txt", "", "", "", ".txt"},
      {"archive.tar.gz", "archive.tar.gz", "", "", "", ".gz"},
      {"noext", "noext", "", "", "", ""},
      {"", "", "", "", "", ""},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(filename_name(c.name), c.file);
    EXPECT_EQ(filename_path(c.name), c.path);
    EXPECT_EQ(filename_dir(c.name), c.dir);
    EXPECT_EQ(filename_drive(c.name), c.drive);
    EXPECT_EQ(filename_ext(c.name), c.ext);
  }
}

TEST(FileNames, ChangeExtReplacesOrAppends) {
  EXPECT_EQ(filename_change_ext("C:\\a\\b.txt", ".ini"), "C:\\a\\b.ini");
  EXPECT_EQ(filename_change_ext("C:\\a.d\\b", ".ini"), "C:\\a.d\\b.ini");
  EXPECT_EQ(filename_change_ext("b.tar.gz", ""), "b.tar");
}

class NamesOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    // ctest runs the tests of this fixture side by side: each needs its own folder.
    work_ = fs::temp_directory_path() /
            ("kestrel-names-" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(work_);
    fs::create_directories(work_ / "Saves" / "Slot1");
    std::ofstream(work_ / "Saves" / "Slot1" / "Game.SAV") << "x";
    fs::current_path(work_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(work_);
  }
  fs::path previous_, work_;
};

TEST_F(NamesOnDisk, BackslashesAndCaseFindTheOneExistingEntry) {
  EXPECT_EQ(system_path("saves\\slot1\\game.sav"), fs::path("Saves/Slot1/Game.SAV"));
  // What does not exist keeps the game's spelling below the part that matched.
  EXPECT_EQ(system_path("SAVES\\new\\file.txt"), fs::path("Saves/new/file.txt"));
  std::ofstream("game.sav") << "y";
  std::ofstream("GAME.sav") << "z";
  EXPECT_EQ(system_path("Game.Sav"), fs::path("Game.Sav")) << "two candidates: the exact name";
}

TEST_F(NamesOnDisk, SecureModeWritesOnlyAmongTheFoldersOwnEntries) {
  fs::create_symlink("/tmp", "outside");
  fs::create_symlink("Saves/Slot1/Game.SAV", "deeper");
  fs::create_symlink("score.txt", "alias");
  const struct {
    const char* name;
    bool allowed;
  } cases[] = {
      {"score.txt", true},
      {"Saves", true},
      {"saves\\x.txt", false},
      {"Saves/x.txt", false},
      {"/tmp/x.txt", false},
      {"..", false},
      {".", false},
      {"C:x.txt", true},
      {"C:\\x.txt", false},
      {"outside", false},
      {"deeper", false},
      {"alias", true},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(secure_mode_allows_write(c.name), c.allowed) << c.name;
}

}  // namespace
}  // namespace kestrel
