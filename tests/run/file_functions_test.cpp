#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "data/Runner_Load.h"
#include "game_code.h"
#include "lib/game_registry.h"
#include "lib/ini_file.h"
#include "platform/registry_store.h"
#include "run/Runner.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

void kill_and_wait(pid_t child) {
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

std::string contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each test plays in a game folder of its own, with a folder beside it that
// secure mode must never reach, and a registry store of its own.
class FileFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    work_ = fs::temp_directory_path() /
            ("kestrel-files-" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(work_);
    fs::create_directories(work_ / "game");
    fs::create_directories(work_ / "outside");
    fs::current_path(work_ / "game");
    setenv("KESTREL_DATA_HOME", (work_ / "data").c_str(), 1);
    game_.game_id = 4242;
    make_runner();
  }
  void TearDown() override {
    runner_.reset();
    fs::current_path(previous_);
    fs::remove_all(work_);
  }

  void make_runner() {
    runner_ = std::make_unique<Runner>(game_);
    runner_->engine.settings.errors.show_errors = false;
  }
  RValue eval(std::string_view expression) { return run_game_code(*runner_, expression, true); }
  double real(std::string_view expression) { return eval(expression).real(); }
  std::string text(std::string_view expression) { return eval(expression).str(); }
  void run(std::string_view statements) { run_game_code(*runner_, statements, false); }
  // Runs the statements and returns what they reported; "" for nothing.
  std::string reported(std::string_view statements) {
    return last_report_line(*runner_, statements);
  }

  fs::path previous_, work_;
  GameData game_;
  std::unique_ptr<Runner> runner_;
};

TEST_F(FileFunctions, HandlesThatAreNotOpenReportTheirMessages) {
  const struct {
    const char* code;
    const char* message;
  } cases[] = {
      {"file_bin_close(5)", "Trying to close unopened file."},
      {"file_bin_rewrite(0)", "Trying to rewrite unopened file."},
      {"file_bin_read_byte(33)", "File is not opened."},
      {"file_bin_seek(-1, 0)", "File is not opened."},
      {"file_text_close(40)", "Trying to close unexisting text file."},
      {"file_text_close(3)", ""},
      {"file_text_read_string(3)", "File is not opened for reading."},
      {"file_text_eof(0)", "File is not opened for reading."},
      {"file_text_write_string(3, 'x')", "File not opened for writing."},
      {"file_eof()", "File is not opened for reading."},
      {"file_read_real()", "File not opened for reading."},
      {"file_write_real(1)", "File not opened for writing."},
      {"ini_read_string('a', 'b', 'c')", "Trying to read from undefined INI file"},
      {"ini_write_real('a', 'b', 1)", "Trying to write to undefined INI file"},
      {"ini_section_delete('a')", "Trying to change undefined INI file"},
      {"ini_open('sub\\x.ini')", "INI files must be located in the same directory as the program"},
      {"export_include_file('none.txt')", "Trying to export non-existing file."},
      {"discard_include_file('none.txt')", "Trying to discard non-existing file."},
      {"execute_program('kestrel-no-such-program', '', 0)",
       "Cannot execute kestrel-no-such-program"},
  };
  for (const auto& c : cases) EXPECT_EQ(reported(c.code), c.message) << c.code;
  // A binary handle open for writing only cannot be read, and the other way round.
  run("global.w = file_bin_open('w.bin', 1); global.r = file_bin_open('w.bin', 0);");
  EXPECT_EQ(reported("file_bin_read_byte(global.w)"), "Error reading byte.");
  EXPECT_EQ(reported("file_bin_write_byte(global.r, 1)"), "Error writing byte.");
  EXPECT_EQ(reported("file_bin_read_byte(global.r)"), "Error reading byte.") << "at the end";
  EXPECT_EQ(reported("file_text_open_read('missing.txt')"), "");
  EXPECT_EQ(real("file_text_open_read('missing.txt')"), -1);
}

TEST_F(FileFunctions, ThirtyTwoHandlesAtMostAndAClosedOneIsTheNextGiven) {
  run("for (i = 1; i <= 32; i += 1) global.h[i] = file_bin_open('f' + string(i), 2);");
  EXPECT_EQ(real("global.h[32]"), 32);
  EXPECT_EQ(reported("global.extra = file_bin_open('f33', 2)"),
            "Cannot open another file (maximum exceeded).");
  EXPECT_EQ(real("global.extra"), -1);
  run("file_bin_close(7)");
  EXPECT_EQ(real("file_bin_open('again', 0)"), 7);
  EXPECT_TRUE(fs::exists("again")) << "reading a missing file creates it";
  EXPECT_EQ(reported("file_bin_close(7); file_bin_close(7)"), "Trying to close unopened file.");
}

TEST_F(FileFunctions, BinaryBytesAndTextLinesGoToDiskAndBack) {
  run(R"(
    var b; b = file_bin_open('data.bin', 2);
    file_bin_write_byte(b, 300); file_bin_write_byte(b, -1); file_bin_write_byte(b, 7);
    global.size = file_bin_size(b); file_bin_seek(b, 1);
    global.byte = file_bin_read_byte(b); global.position = file_bin_position(b);
    file_bin_rewrite(b); global.rewritten = file_bin_size(b); file_bin_close(b);
    var t; t = file_text_open_write('notes.txt');
    file_text_write_string(t, 'score'); file_text_write_real(t, -2.5); file_text_writeln(t);
    file_text_write_real(t, 100); file_text_close(t);
    t = file_text_open_append('notes.txt'); file_text_write_string(t, 'x'); file_text_close(t);
    t = file_text_open_read('NOTES.TXT');
    global.first = file_text_read_string(t); file_text_readln(t);
    global.number = file_text_read_real(t); global.rest = file_text_read_string(t);
    global.at_end = file_text_eof(t); file_text_close(t); file_text_close(t);
  )");
  EXPECT_EQ(real("global.size"), 3);
  EXPECT_EQ(real("global.byte"), 255);
  EXPECT_EQ(real("global.position"), 2);
  EXPECT_EQ(real("global.rewritten"), 0);
  EXPECT_EQ(contents("notes.txt"), "score -2.500000\r\n 100x");
  EXPECT_EQ(text("global.first"), "score -2.500000");
  EXPECT_EQ(real("global.number"), 100);
  EXPECT_EQ(text("global.rest"), "") << "the x ended the number";
  EXPECT_EQ(real("global.at_end"), 1);

  run("file_open_write('legacy.txt'); file_write_real(0.25); file_writeln(); file_close();");
  run("file_open_read('legacy.txt'); global.value = file_read_real(); global.eoln = file_eoln();");
  EXPECT_EQ(real("global.value"), 0.25);
  EXPECT_EQ(real("global.eoln"), 1);
}

TEST_F(FileFunctions, FilesFoldersAndSearchesWithTheAttributeFilter) {
  std::ofstream("a.txt") << "a";
  std::ofstream("B.TXT") << "b";
  std::ofstream(".hidden.txt") << "h";
  fs::create_directory("folder.txt");
  run(R"(file_copy('a.txt', 'c.txt'); file_rename('c.txt', 'd.txt');
         file_rename('d.txt', 'a.txt'); file_delete('B.txt');
         directory_create('saves\deep\er');)");
  EXPECT_TRUE(fs::exists("d.txt")) << "a rename never replaces a file";
  EXPECT_FALSE(fs::exists("B.TXT")) << "deleted through the name in another case";
  EXPECT_TRUE(fs::is_directory("saves/deep/er"));
  EXPECT_EQ(real("file_exists('A.TXT')"), 1);
  EXPECT_EQ(real("file_exists('folder.txt')"), 0);
  EXPECT_EQ(real("directory_exists('Saves\\Deep')"), 1);
  EXPECT_EQ(real("file_attributes('folder.txt', fa_directory)"), 1);
  EXPECT_EQ(real("file_attributes('a.txt', fa_directory | fa_readonly)"), 0);
  EXPECT_EQ(real("file_attributes('nothing', fa_archive)"), -1);

  const auto found = [&](std::string_view mask, int attributes) {
    std::string names =
        text("file_find_first('" + std::string(mask) + "', " + std::to_string(attributes) + ")");
    for (std::string next; !(next = text("file_find_next()")).empty();) names += "," + next;
    return names;
  };
  EXPECT_EQ(found("*.txt", 0), "a.txt,d.txt");
  EXPECT_EQ(found("*.TXT", 16), "a.txt,d.txt,folder.txt");
  EXPECT_EQ(found("*.txt", 2), ".hidden.txt,a.txt,d.txt");
  EXPECT_EQ(found("*", 16), ".,..,a.txt,d.txt,folder.txt,saves");
  EXPECT_EQ(found("saves\\*.*", 16), ".,..,deep");
  EXPECT_EQ(found("?.txt", 0), "a.txt,d.txt");
  EXPECT_EQ(found("*.none", 0), "");
  run("file_find_close()");
  EXPECT_EQ(text("file_find_next()"), "");
}

TEST_F(FileFunctions, SecureModeRefusesEveryWriteOutsideTheFolder) {
  std::ofstream(work_ / "outside" / "target.txt") << "kept";
  std::ofstream("ok.txt") << "ok";
  fs::create_symlink(work_ / "outside" / "target.txt", "link.txt");
  fs::create_symlink(work_ / "outside", "away");
  game_.included_files.push_back([] {
    CDataFile file;
    file.file_name = "inc.txt";
    file.stored = true;
    file.data = Bytes{'i'};
    return file;
  }());
  make_runner();
  runner_->engine.settings.secure_mode = true;
  const std::string absolute = (work_ / "outside" / "abs.txt").string();
  const std::string names[] = {absolute,   "..\\outside\\x.txt", "../outside/x.txt", "C:\\x.txt",
                               "C:/x.txt", "sub\\x.txt",         "link.txt",         "away",
                               "..",       "away\\x.txt"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string q = "'" + name + "'";
    const struct {
      std::string code;
      std::string message;
    } cases[] = {
        {"file_text_open_write(" + q + ")", "In secure mode you cannot write file " + name},
        {"file_text_open_append(" + q + ")", "In secure mode you cannot append to file " + name},
        {"file_open_write(" + q + ")", "In secure mode you cannot write file " + name},
        {"file_open_append(" + q + ")", "In secure mode you cannot append to file " + name},
        {"file_bin_open(" + q + ", 1)", "In secure mode you cannot write file " + name},
        {"file_delete(" + q + ")", "In Secure mode you cannot delete file " + name},
        {"file_rename('ok.txt', " + q + ")",
         "In Secure mode you cannot rename file ok.txt into " + name},
        {"file_rename(" + q + ", 'ok2.txt')",
         "In Secure mode you cannot rename file " + name + " into ok2.txt"},
        {"file_copy('ok.txt', " + q + ")", "In Secure mode you cannot copy file ok.txt to " + name},
        {"directory_create(" + q + ")", "In Secure mode you cannot create directory " + name},
        {"execute_program(" + q + ", '', 0)", "In Secure mode you cannot execute program " + name},
        {"execute_shell(" + q + ", '')", "In Secure mode you cannot execute program " + name},
        {"registry_write_string_ext(" + q + ", 'n', 'v')",
         "In Secure mode you cannot write registry entries in " + name},
        {"export_include_file_location('inc.txt', " + q + ")",
         "In secure mode you cannot export a file to a location."},
    };
    for (const auto& c : cases) EXPECT_EQ(reported(c.code), c.message) << c.code;
    if (name != "link.txt" && name != "away" && name != "..") {
      EXPECT_EQ(reported("file_bin_open(" + q + ", 0)"),
                "In secure mode you cannot write file " + name)
          << "reading would create the missing file";
    }
  }
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(work_ / "outside")) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"target.txt"});
  EXPECT_EQ(contents(work_ / "outside" / "target.txt"), "kept");
  EXPECT_TRUE(fs::is_symlink("link.txt"));
  EXPECT_FALSE(fs::exists(work_ / "x.txt"));
  EXPECT_EQ(std::distance(fs::directory_iterator(work_ / "game"), fs::directory_iterator()), 3);

  // What stays in the folder works, and reading works everywhere.
  EXPECT_EQ(reported("file_text_close(file_text_open_write('plain.txt'))"), "");
  EXPECT_TRUE(fs::exists("plain.txt"));
  EXPECT_EQ(real("file_bin_open('link.txt', 0)"), 1);
  EXPECT_EQ(real("registry_write_real('allowed', 3) == 0 && registry_read_real('allowed')"), 1);
}

TEST_F(FileFunctions, RegistryValuesByKindRootAndSecurePreference) {
  run(R"(registry_write_string('name', 'Ada'); registry_write_real('best', 12.5);
         registry_set_root(7); registry_write_string_ext('\Software\Other\', 'x', 'y');
         registry_set_root(1); registry_write_real_ext('Software\Other', 'x', 2);)");
  EXPECT_EQ(text("registry_read_string('NAME')"), "Ada");
  EXPECT_EQ(real("registry_read_real('best')"), 12.5);
  EXPECT_EQ(real("registry_read_real('name')"), 0) << "a string read as a real";
  EXPECT_EQ(text("registry_read_string('best')"), "") << "a real read as a string";
  EXPECT_EQ(real("registry_exists('best')"), 1);
  EXPECT_EQ(real("registry_exists('worst')"), 0);
  EXPECT_EQ(real("registry_read_real_ext('Software\\Other', 'x')"), 2);
  run("registry_set_root(0)");
  EXPECT_EQ(text("registry_read_string_ext('Software\\Other', 'x')"), "y")
      << "root 7 is the current user";
  EXPECT_EQ(text("registry_read_string_ext('Software\\Brimwold\\4242', 'name')"), "Ada");

  const auto store = platform::open_registry_store(registry_database_path(), false);
  ASSERT_NE(store, nullptr);
  EXPECT_TRUE(store->key_exists("HKEY_CURRENT_USER", "Software\\Brimwold"));
  EXPECT_FALSE(runner_->engine.settings.secure_mode);
  const std::string preferences = "Software\\Brimwold\\Version 8\\Preferences";
  store->write_value("HKEY_CURRENT_USER", preferences, "Warning",
                     {platform::StoredValue::kText, "1"});
  make_runner();
  EXPECT_TRUE(runner_->engine.settings.secure_mode);
  store->write_value("HKEY_CURRENT_USER", preferences, "BrimwoldRunning",
                     {platform::StoredValue::kBinary, std::string(4, '\0')});
  make_runner();
  EXPECT_FALSE(runner_->engine.settings.secure_mode);
}

TEST_F(FileFunctions, IniFilesReadWriteAndDeleteOnDisk) {
  std::ofstream("game.ini") << "[Sound]\r\nvolume=2,5\r\nname=letters\r\n";
  run(R"(ini_open('GAME.INI'); ini_write_real('Scores', 'best', 1500.25);
         ini_write_string('Sound', 'name', 'Ada'); ini_key_delete('Sound', 'volume');)");
  EXPECT_EQ(contents("game.ini"), "[Sound]\r\nname=Ada\r\n[Scores]\r\nbest=1500.25\r\n");
  std::ofstream("game.ini", std::ios::app) << "[More]\r\nhalf=2,5\r\nword=abc\r\n";
  EXPECT_EQ(real("ini_read_real('more', 'half', 0)"), 2.5);
  EXPECT_EQ(real("ini_read_real('more', 'word', 9)"), 0);
  EXPECT_EQ(real("ini_read_real('more', 'missing', 4)"), 4);
  EXPECT_EQ(text("ini_read_string('scores', 'best', '')"), "1500.25");
  EXPECT_EQ(real("ini_key_exists('Sound', 'volume')"), 0);
  EXPECT_EQ(real("ini_section_exists('more')"), 1);
  run("ini_section_delete('More'); ini_close(); ini_close();");
  EXPECT_EQ(real("file_exists('game.ini')"), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1)
      << "no temporary file is left behind";
}

TEST_F(FileFunctions, ProgramsTheCommandLineTheEnvironmentAndDisks) {
  std::ofstream("record.sh") << "#!/bin/sh\necho \"$#:$1|$2\" > ran.txt\n";
  fs::permissions("record.sh", fs::perms::owner_all);
  run("execute_program('record.sh', 'one \"two words\"', 1)");
  EXPECT_EQ(contents("ran.txt"), "2:one|two words\n");

  // Documents go to the desktop's opener, here a stand-in on the search path.
  fs::create_directory("bin");
  std::ofstream("bin/xdg-open") << "#!/bin/sh\necho \"$1\" > opening\nmv opening opened.txt\n";
  fs::permissions("bin/xdg-open", fs::perms::owner_all);
  const std::string path = std::getenv("PATH");
  setenv("PATH", ((fs::current_path() / "bin").string() + ":" + path).c_str(), 1);
  EXPECT_EQ(reported("execute_shell('readme.txt', '')"), "");
  setenv("PATH", path.c_str(), 1);
  for (int i = 0; i < 100 && !fs::exists("opened.txt"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(contents("opened.txt"), "readme.txt\n");

  runner_->engine.settings.command_line = {"/games/kestrel", "-level", "3"};
  EXPECT_EQ(real("parameter_count()"), 2);
  EXPECT_EQ(text("parameter_string(0)"), "/games/kestrel");
  EXPECT_EQ(text("parameter_string(2)"), "3");
  EXPECT_EQ(text("parameter_string(3)"), "");
  setenv("KESTREL_TEST_VALUE", "set", 1);
  EXPECT_EQ(text("environment_get_variable('KESTREL_TEST_VALUE')"), "set");
  EXPECT_EQ(text("environment_get_variable('KESTREL_TEST_UNSET')"), "");
  EXPECT_GT(real("disk_size()"), 0);
  EXPECT_EQ(real("disk_size('')"), real("disk_size()"));
  EXPECT_EQ(real("disk_size('c')"), real("disk_size()"));
  EXPECT_EQ(real("disk_free('Q')"), -1);
}

TEST_F(FileFunctions, IncludedFilesExportedDiscardedAndFreedAfterExport) {
  const auto included = [](std::string name, bool free_after) {
    CDataFile file;
    file.file_name = std::move(name);
    file.stored = true;
    file.data = Bytes{'d', 'a', 't', 'a'};
    file.free_after_export = free_after;
    file.overwrite = true;
    return file;
  };
  game_.included_files = {included("kept.txt", false), included("freed.txt", true),
                          included("dropped.txt", false)};
  make_runner();
  run(R"(export_include_file('freed.txt'); file_delete('freed.txt');
         export_include_file('freed.txt'); discard_include_file('dropped.txt');
         export_include_file('dropped.txt'); export_include_file_location('kept.txt', 'copy\x.txt');)");
  EXPECT_FALSE(fs::exists("freed.txt")) << "its data was freed by the first export";
  EXPECT_FALSE(fs::exists("dropped.txt"));
  EXPECT_EQ(contents("copy/x.txt"), "data");
}

TEST_F(FileFunctions, DatesThroughGameCode) {
  EXPECT_EQ(real("date_create_date(2023, 2, 29)"), 0);
  EXPECT_EQ(real("date_valid_date(2024, 2, 29)"), 1);
  EXPECT_EQ(real("date_create_date(65537, 1, 1)"), real("date_create_date(1, 1, 1)"));
  EXPECT_EQ(real("date_valid_date(2024, -1, 1)"), 0);
  EXPECT_EQ(real("date_create_datetime(2024, 1, 1, 24, 0, 0)"),
            real("date_create_date(2024, 1, 2)"));
  EXPECT_EQ(real("date_get_weekday(0)"), 7);
  EXPECT_EQ(real("date_compare_datetime(1, 1 + 0.5 / 86400000)"), 0);
  EXPECT_EQ(real("date_compare_datetime(1, 1 + 2 / 86400000)"), -1);
  EXPECT_EQ(real("date_compare_date(5.9, 5.1)"), 0);
  EXPECT_EQ(real("date_compare_time(5.75, 2.25)"), 1);
  EXPECT_EQ(real("date_get_day(date_inc_month(date_create_date(2023, 1, 31), 1))"), 28);
  EXPECT_EQ(real("date_get_hour_of_year(date_create_datetime(2024, 1, 2, 3, 0, 0))"), 27);
  EXPECT_EQ(real("date_get_second_of_year(date_create_datetime(2024, 1, 1, 0, 1, 5))"), 65);
  EXPECT_DOUBLE_EQ(real("date_inc_hour(1, 6)"), 1.25);
  EXPECT_DOUBLE_EQ(real("date_month_span(0, 30.4375)"), 1);
  EXPECT_EQ(real("date_days_in_year(date_create_date(1900, 5, 5))"), 365);
  EXPECT_EQ(real("date_is_today(date_current_datetime())"), 1);
  EXPECT_EQ(real("date_is_today(date_current_date() + 1)"), 0);
  EXPECT_EQ(text("date_datetime_string(date_create_date(2024, 3, 1))"),
            text("date_date_string(date_create_date(2024, 3, 1))"));
  EXPECT_NE(text("date_datetime_string(date_create_datetime(2024, 3, 1, 13, 5, 0))"),
            text("date_date_string(date_create_date(2024, 3, 1))"));
}

// A game killed at any moment of its saving leaves every registry value and
// its INI file either as they were or as they were going to be.
TEST_F(FileFunctions, AKilledGameLeavesWholeValuesAndAWholeIniFile) {
  constexpr int kKills = 20;
  double most_written = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    fs::remove("save.ini");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Runner runner(game_);
      run_game_code(runner, R"(ini_open('save.ini');
        for (i = 0; true; i += 1) {
          registry_write_real('a', i); registry_write_real('b', i);
          registry_write_string('text', string(i) + '|' + string(i));
          ini_write_real('Save', 'a', i); ini_write_string('Save', 'filler', string_repeat('x', 1000));
          ini_write_real('Save', 'b', i);
        })",
                    false);
      _exit(0);
    }
    // Once the game is saving, at a different moment each time.
    for (int wait = 0; wait < 1000 && !fs::exists("save.ini"); ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(7 * kill % 50));
    kill_and_wait(child);
    run("global.a = registry_read_real('a'); global.b = registry_read_real('b');"
        "global.t = registry_read_string('text');");
    const double a = real("global.a");
    const double b = real("global.b");
    EXPECT_TRUE(a == b || a == b + 1) << a << " " << b;
    most_written = std::max(most_written, a);
    const std::string t = text("global.t");
    EXPECT_TRUE(t.empty() || t.substr(0, t.find('|')) == t.substr(t.find('|') + 1)) << t;
    if (fs::exists("save.ini")) {
      const IniText ini(contents("save.ini"));
      ASSERT_TRUE(ini.value("Save", "a")) << contents("save.ini");
      const auto filler = ini.value("Save", "filler");
      if (filler) {
        EXPECT_EQ(*filler, std::string(1000, 'x'));
      }
    }
  }
  EXPECT_GT(most_written, 0) << "the game was killed before it wrote anything";
}

}  // namespace
}  // namespace kestrel
