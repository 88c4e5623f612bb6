#include "project.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

namespace kestrel::tools {
namespace {

namespace fs = std::filesystem;

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const fs::path& path) {
  const Bytes bytes = ReadAll(path);
  return {bytes.begin(), bytes.end()};
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class ProjectTest : public testing::Test {
 protected:
  void SetUp() override {
    scratch_ = fs::temp_directory_path() /
               ("kestrel_tools_test_" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
  }
  void TearDown() override { fs::remove_all(scratch_); }

  Bytes Build(const fs::path& project, const fs::path& runner = {}) {
    const fs::path out = scratch_ / "built.game";
    std::string error;
    EXPECT_TRUE(BuildGame(project, out, runner, false, error)) << error;
    return ReadAll(out);
  }

  const fs::path project_ = KESTREL_TEST_PROJECT;
  fs::path scratch_;
};

TEST_F(ProjectTest, BuildGivesAGameWithEveryResourceKind) {
  GameData game;
  const LoadResult loaded = ReadGame(Build(project_), game);
  ASSERT_TRUE(loaded.ok) << loaded.messages[0];
  EXPECT_EQ(game.game_id, 424242);
  EXPECT_EQ(game.settings.LoadingAlpha, 200);
  EXPECT_TRUE(game.settings.LoadingImage);
  EXPECT_EQ(game.sounds.count(), 2);
  EXPECT_FALSE(game.sounds.exists(1));
  EXPECT_EQ(game.scripts.name(2), "scr_hello");
  ASSERT_TRUE(game.sprites.get(0));
  EXPECT_EQ(game.sprites.get(0)->images.size(), 2u);
  EXPECT_EQ(game.sprites.get(1)->box, (MaskBox{0, 0, 31, 31}));
  ASSERT_TRUE(game.fonts.get(0));
  EXPECT_GT(game.fonts.get(0)->glyphs['W'].shift, 0) << "glyphs are rendered at build time";
  EXPECT_GT(game.fonts.get(0)->image_width, 0);
  const CObject* player = game.objects.get(0);
  ASSERT_TRUE(player);
  EXPECT_EQ(player->sprite, 0);
  ASSERT_TRUE(player->FindEvent(4, 1)) << "the collision names obj_wall";
  EXPECT_EQ(player->FindEvent(0, 0)->actions[0].argument_values[0],
            "lives = max_lives;\nhspeed = 2;\n");
  EXPECT_EQ(player->FindEvent(11, 0)->actions[0].apply_to, -2);
  const CRoom* room = game.rooms.get(0);
  ASSERT_TRUE(room);
  EXPECT_EQ(room->backgrounds[0].xscale, 10) << "stretched over 640 from 64";
  EXPECT_EQ(room->instances[1].object, 1);
  EXPECT_EQ(game.extension_packages[0].files[0].functions[0].code, "return argument0 * 2;\r\n");
  EXPECT_EQ(game.triggers[0]->moment, 2);
  EXPECT_FALSE(game.triggers[1]);
  EXPECT_EQ(game.room_order, std::vector<std::int32_t>{0});
}

TEST_F(ProjectTest, InfoListsTheGame) {
  GameData game;
  ASSERT_TRUE(ReadGame(Build(project_), game).ok);
  const std::string info = DescribeGame(game);
  EXPECT_THAT(info, testing::HasSubstr("game id: 424242"));
  EXPECT_THAT(info, testing::HasSubstr("scripts: 2 (3 slots)\n  0 scr_add\n  2 scr_hello\n"));
  EXPECT_THAT(info, testing::HasSubstr("objects: 2 (2 slots)\n  0 obj_player\n  1 obj_wall\n"));
}

TEST_F(ProjectTest, BuildExtractBuildIsByteIdentical) {
  const Bytes first = Build(project_);
  GameData game;
  ASSERT_TRUE(ReadGame(first, game, {.keep_stored_form = true}).ok);
  std::string error;
  ASSERT_TRUE(WriteProject(game, scratch_ / "extracted", error)) << error;
  EXPECT_EQ(Build(scratch_ / "extracted"), first);

  GameData original, extracted;
  ASSERT_TRUE(ReadProject(project_, original, error)) << error;
  ASSERT_TRUE(ReadProject(scratch_ / "extracted", extracted, error)) << error;
  EXPECT_EQ(extracted, original) << "the extracted folder describes the same game";
  EXPECT_FALSE(WriteProject(game, scratch_ / "extracted", error)) << "a full folder is kept";
}

TEST_F(ProjectTest, ForeignContainerAndUnmodelledFieldsSurvive) {
  GameData game;
  std::string error;
  ASSERT_TRUE(ReadProject(project_, game, error)) << error;
  game.container.key = MakeScrambleKey(99);
  game.container.reserved_flag = true;
  game.library_name = "D3DX8.dll";
  game.library = {'M', 'Z', 1};
  game.sprites.get(0)->masks[0].bits[0] ^= 1;  // a mask no tolerance would give
  game.fonts.get(0)->glyphs[65].shift += 1;    // glyphs the installed face does not give
  CAction odd;
  odd.kind = 5;
  odd.argument_values = {"3"};
  game.objects.get(1)->GetOrAddEvent(7, 10)->actions.push_back(odd);
  const Bytes data = WriteGameData(game);
  GameData read;
  ASSERT_TRUE(ReadGame(data, read, {.keep_stored_form = true}).ok);
  ASSERT_TRUE(WriteProject(read, scratch_ / "foreign", error)) << error;
  GameData again;
  ASSERT_TRUE(ReadProject(scratch_ / "foreign", again, error)) << error;
  EXPECT_EQ(again, read);
  EXPECT_EQ(WriteGameData(again), data);
}

TEST_F(ProjectTest, RunnerIsPaddedToTheFirstProbedOffset) {
  const fs::path runner = scratch_ / "runner";
  WriteText(runner, std::string(1000, 'R'));
  const Bytes file = Build(project_, runner);
  EXPECT_EQ(FindGameData(file), kFirstDataOffset);
  EXPECT_EQ(file[999], 'R');
  EXPECT_EQ(file[1000], 0);
  EXPECT_TRUE((fs::status(scratch_ / "built.game").permissions() & fs::perms::owner_exec) !=
              fs::perms::none);
  EXPECT_EQ(GameDataOffsetFor(kFirstDataOffset + 1), kFirstDataOffset + kDataOffsetStep);
}

// Every piece of code is noted with its file, and its text is that file's
// text (an extension script's function starts its lines further down).
TEST_F(ProjectTest, SourcesNameTheFileOfEveryPieceOfCode) {
  GameData game;
  SourceMap sources;
  std::string error;
  ASSERT_TRUE(ReadProject(project_, game, error, &sources)) << error;
  for (auto& package : game.extension_packages) package.Tidy();
  int pieces = 0;
  for_each_code(game, [&](const std::string& origin, const std::string& text, bool) {
    ++pieces;
    const SourceFile* file = sources.find(origin);
    ASSERT_NE(file, nullptr) << origin;
    std::string file_text = ReadText(project_ / file->path);
    for (int line = 0; line < file->lines_before; ++line)
      file_text.erase(0, file_text.find('\n') + 1);
    file_text.erase(0, static_cast<std::size_t>(file->columns_before));
    EXPECT_EQ(file_text.substr(0, text.size()), text) << origin;
  });
  EXPECT_GE(pieces, 5);
  EXPECT_EQ(sources.describe(code_origin::script(2), 3, 7, "Unknown variable z"),
            "scripts/scr_hello.ks:3:7: Unknown variable z");
}

struct ProjectFault {
  const char* name;
  std::function<void(const fs::path&)> damage;
  std::string expected;  // the start of the message, after the project folder
};

TEST_F(ProjectTest, FaultsNameTheFileAndLine) {
  const ProjectFault faults[] = {
      {"broken json",
       [](const fs::path& p) {
         WriteText(p / "paths/path_loop.json", "{\n  \"kind\": \"smooth\",\n  oops\n}");
       },
       "/paths/path_loop.json:3: parse error"},
      {"unknown key",
       [](const fs::path& p) {
         WriteText(p / "sounds/snd_jump.json", "{\n  \"kind\": \"normal\",\n  \"volum\": 1\n}");
       },
       "/sounds/snd_jump.json:3: unknown key \"volum\""},
      {"misspelt key of a list",
       [](const fs::path& p) {
         WriteText(p / "objects/obj_wall/object.json", "{\n\"evnts\": [{\"event\": \"create\"}]}");
       },
       "/objects/obj_wall/object.json:2: unknown key \"evnts\""},
      {"wrong kind of value",
       [](const fs::path& p) {
         WriteText(p / "fonts/fnt_main.json", "{\"font\": \"DejaVu Sans\",\n\"size\": \"big\"}");
       },
       "/fonts/fnt_main.json:2: expected a whole number"},
      {"unknown name",
       [](const fs::path& p) {
         WriteText(p / "objects/obj_wall/object.json", "{\n\"sprite\": \"spr_missing\"}");
       },
       "/objects/obj_wall/object.json:2: none of the sprites is named \"spr_missing\""},
      {"missing code file",
       [](const fs::path& p) { fs::remove(p / "objects/obj_player/create.ks"); },
       "/objects/obj_player/create.ks: cannot read the file"},
      {"unreadable image",
       [](const fs::path& p) { WriteText(p / "sprites/spr_wall/0.png", "not a png"); },
       "/sprites/spr_wall/0.png: not a readable PNG image"},
      {"unreadable sound",
       [](const fs::path& p) { WriteText(p / "sounds/snd_jump.wav", "RIFF...."); },
       "/sounds/snd_jump.wav: not a readable WAV sound"},
      {"unknown action",
       [](const fs::path& p) {
         WriteText(p / "objects/obj_wall/object.json",
                   "{\"events\": [{\"event\": \"create\", \"actions\": [\n"
                   "{\"function\": \"action_teleport\"}]}]}");
       },
       "/objects/obj_wall/object.json:2: 'action_teleport' is no standard action"},
      {"wrong argument count of an action",
       [](const fs::path& p) {
         WriteText(p / "objects/obj_wall/object.json",
                   "{\"events\": [{\"event\": \"create\", \"actions\": [\n"
                   "{\"function\": \"action_move_to\", \"arguments\": [\"1\"]}]}]}");
       },
       "/objects/obj_wall/object.json:2: action_move_to takes 2 arguments, not 1"},
      {"relative action that cannot be",
       [](const fs::path& p) {
         WriteText(p / "objects/obj_wall/object.json",
                   "{\"events\": [{\"event\": \"create\", \"actions\": [\n"
                   "{\"function\": \"action_end_game\", \"relative\": true}]}]}");
       },
       "/objects/obj_wall/object.json:2: action_end_game cannot be relative"},
      {"unknown block",
       [](const fs::path& p) {
         WriteText(p / "objects/obj_wall/object.json",
                   "{\"events\": [{\"event\": \"create\", \"actions\": [\n"
                   "{\"block\": \"middle\"}]}]}");
       },
       "/objects/obj_wall/object.json:2: 'middle' is none of begin, end, else and exit"},
      {"unreadable code file",
       [](const fs::path& p) {
         fs::remove(p / "objects/obj_player/create.ks");
         fs::create_directory(p / "objects/obj_player/create.ks");
       },
       "/objects/obj_player/create.ks: cannot read the file"},
      {"parents in a cycle",
       [](const fs::path& p) {
         WriteText(p / "objects/obj_wall/object.json", "{\"parent\": \"obj_player\"}");
         const fs::path player = p / "objects/obj_player/object.json";
         std::string text = ReadText(player);
         text.replace(text.find("\"depth\""), 0, "\"parent\": \"obj_wall\", ");
         WriteText(player, text);
       },
       "/objects/obj_player/object.json:3: the parents of obj_player come back to obj_player"},
      {"file outside the project",
       [](const fs::path& p) {
         WriteText(p / "triggers/trig_low.json",
                   "{\"name\": \"t\", \"condition\": \"../../x.ks\"}");
       },
       "/triggers/trig_low.json:1: expected a file name inside the project"},
  };
  for (const ProjectFault& fault : faults) {
    const fs::path copy = scratch_ / "copy";
    fs::remove_all(copy);
    fs::copy(project_, copy, fs::copy_options::recursive);
    fault.damage(copy);
    GameData game;
    std::string error;
    EXPECT_FALSE(ReadProject(copy, game, error)) << fault.name;
    EXPECT_THAT(error, testing::StartsWith(copy.string() + fault.expected)) << fault.name;
  }
}

}  // namespace
}  // namespace kestrel::tools
