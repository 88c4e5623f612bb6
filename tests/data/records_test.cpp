#include <gtest/gtest.h>

#include <cstring>

#include "data/Runner_Load.h"

namespace kestrel {
namespace {

Bytes Ints(std::initializer_list<std::int32_t> values) {
  CStream stream;
  for (auto value : values) WriteInt(stream, value);
  return stream.release();
}

// A game with every kind of resource and every field away from its default.
GameData FullGame() {
  GameData game;
  game.debug_mode = true;
  game.settings.StartFullscreen = true;
  game.settings.Scaling = -1;
  game.settings.ShowProgressBar = true;
  game.settings.LoadingBackImage = Bytes{'B', 'M', 1};
  game.settings.LoadingImage = Bytes{'B', 'M', 2};
  game.settings.LoadingAlpha = 128;
  game.library_name = "D3DX8.dll";
  game.library = Bytes{'M', 'Z', 0, 1};
  game.game_id = 777;
  game.container = DefaultContainer(777);
  game.guid[3] = 9;

  CExtensionPackage& package = game.extension_packages.emplace_back();
  package.name = "Pack";
  package.folder_name = "pack";
  package.seed = 123457;
  CExtensionFile& script = package.files.emplace_back();
  script.file_name = "funcs.ks";
  script.kind = 2;
  script.data = Bytes{'#', 'd', 'e', 'f', 'i', 'n', 'e', ' ', 'f', '\r', '\n', 'x'};
  CExtensionFunction& function = script.functions.emplace_back();
  function.name = " f ";
  function.argument_count = 6;
  function.argument_types[0] = 1;
  script.constants.push_back({"PACK_MAX", "10"});
  package.files.emplace_back().kind = 3;

  game.triggers.emplace_back();
  game.triggers.push_back(CTrigger{"when", "x > 1", 2, "trig_when"});
  game.constants = {{"max_lives", "3"}, {"name", "\"x\""}};

  CSound sound;
  sound.kind = 1;
  sound.file_type = ".wav";
  sound.file_name = "jump.wav";
  sound.data = Bytes{'R', 'I', 'F', 'F'};
  sound.volume = 0.5;
  game.sounds.add("snd_jump", sound);
  game.sounds.add_empty();

  CSprite sprite;
  sprite.xorig = 1;
  sprite.images.push_back({2, 2, Bytes{0, 0, 0, 0, 1, 1, 1, 255, 2, 2, 2, 255, 3, 3, 3, 0}});
  sprite.images.push_back({2, 2, Bytes(16, 255)});
  sprite.MakeMasks(true, {});
  game.sprites.add("spr_a", sprite);

  CBackground background;
  background.image = {4, 1, Bytes(16, 90)};
  game.backgrounds.add("bg", background);

  CPath path;
  path.kind = 1;
  path.closed = false;
  path.points = {{0, 0, 100}, {100, 0, 50}, {100, 100, 100}};
  path.Recompute();
  game.paths.add("path", path);
  game.scripts.add("scr", {"return argument0"});

  CFont font;
  font.font_name = "Arial";
  font.glyphs[65] = {1, 2, 3, 4, 5, -6};
  font.image_width = 3;
  font.image_height = 2;
  font.image = {1, 2, 3, 4, 5, 6};
  game.fonts.add("fnt", font);

  CAction code;
  code.library_id = 1;
  code.action_id = 603;
  code.kind = 7;
  code.execution_type = 2;
  code.argument_kinds = {1};
  code.argument_values = {"x += 1"};
  CTimeLine timeline;
  timeline.moments.push_back({5, {{code}}});
  game.timelines.add("tl", timeline);

  CObject object;
  object.sprite = 0;
  object.parent = -1;
  object.GetOrAddEvent(4, 3)->actions.push_back(code);
  object.GetOrAddEvent(0, 0)->actions.push_back(code);
  game.objects.add("obj", object);

  CRoom room;
  room.caption = "Level";
  room.backgrounds[0].visible = true;
  room.backgrounds[0].background = 0;
  room.views[7].object = 0;
  room.instances.push_back({10, 20, 0, 100001, "speed = 2"});
  room.tiles.push_back({32, 64, 0, 0, 0, 4, 1, 1000, 10000001});
  game.rooms.add("room", room);
  game.last_instance_id = 100001;
  game.last_tile_id = 10000001;

  CDataFile included;
  included.file_name = "readme.txt";
  included.stored = true;
  included.data = Bytes{'h', 'i'};
  included.export_kind = 3;
  game.included_files.push_back(included);
  game.information.caption = "Help";
  game.information.text = "{\\rtf1 hi}";
  game.library_init_code = {"", "x = 1"};
  game.room_order = {0};
  return game;
}

TEST(RecordsTest, EveryFieldSurvivesWritingAndReading) {
  const GameData game = FullGame();
  GameData read;
  const LoadResult result = ReadGame(WriteGameData(game), read, {.keep_stored_form = true});
  ASSERT_TRUE(result.ok) << result.messages[0];
  EXPECT_EQ(read.settings, game.settings);
  EXPECT_EQ(read.extension_packages, game.extension_packages);
  EXPECT_EQ(read.sprites, game.sprites);
  EXPECT_EQ(read.objects, game.objects);
  EXPECT_EQ(read.rooms, game.rooms);
  EXPECT_EQ(read, game);
  EXPECT_EQ(WriteGameData(read), WriteGameData(game));
}

TEST(RecordsTest, RunnerTidiesExtensionFunctions) {
  GameData read;
  ASSERT_TRUE(ReadGame(WriteGameData(FullGame()), read).ok);
  const CExtensionFunction& function = read.extension_packages[0].files[0].functions[0];
  EXPECT_EQ(function.name, "f");
  EXPECT_EQ(function.external_name, "f");
  EXPECT_EQ(function.argument_types[0], 2) << "six arguments are all passed as reals";
  EXPECT_EQ(function.code, "x");
  EXPECT_FALSE(read.extension_packages[0].files[1].data) << "kind 3 files carry no data";
}

TEST(RecordsTest, ScriptFileSectionsGoToTheirFunctions) {
  CExtensionFile file;
  const std::string text =
      "// comment\r\n// more\r\n#define f\r\na = 1\r\nb = 2\r\n#define  g \r\nc";
  file.data = Bytes(text.begin(), text.end());
  file.functions.resize(3);
  file.functions[0].external_name = "f";
  file.functions[1].external_name = "g";
  file.functions[2].external_name = "h";
  file.functions[2].code = "stale";
  AssignScriptFileCode(file);
  EXPECT_EQ(file.functions[0].code, "a = 1\r\nb = 2");
  EXPECT_EQ(file.functions[1].code, "c");
  EXPECT_EQ(file.functions[2].code, "");
}

TEST(RecordsTest, MaskRecordStoresLeftRightBottomTop) {
  CStream stream(Ints({800, 2, 1, 5, 6, 7, 8, 1, 0}));
  TMask mask;
  ASSERT_TRUE(mask.Load(stream));
  EXPECT_EQ(mask.box, (MaskBox{5, 8, 6, 7}));
  EXPECT_TRUE(mask.bit(0, 0));
  EXPECT_FALSE(mask.bit(1, 0));
}

TEST(RecordsTest, BadImageAndMaskRecordsLeaveTheSpriteReadable) {
  // Image 1 has a wrong version, image 2 a pixel block that is too short; the
  // sprite goes on reading and keeps both empty.
  CStream stream;
  stream.write(Ints({800, 3, 4, 2, 700, 800, 2, 2, 4, 0x01020304, 1, 900, 900}));
  stream.seek(0);
  ASSERT_TRUE(CSprite{}.Load(stream));
  stream.seek(0);
  CSprite sprite;
  sprite.Load(stream);
  ASSERT_EQ(sprite.images.size(), 2u);
  EXPECT_FALSE(sprite.images[0].has_pixels());
  EXPECT_FALSE(sprite.images[1].has_pixels());
  ASSERT_EQ(sprite.masks.size(), 2u);
  EXPECT_EQ(sprite.masks[0].width, 0);
}

TEST(RecordsTest, ObjectEventsAreSparseAndFoundOnlyWithActions) {
  CObject object;
  object.GetOrAddEvent(4, 3)->actions.emplace_back();
  object.GetOrAddEvent(2, 1);
  EXPECT_EQ(object.FindEvent(4, 1), nullptr);
  EXPECT_NE(object.FindEvent(4, 3), nullptr);
  EXPECT_EQ(object.FindEvent(2, 1), nullptr);
  EXPECT_FALSE(object.HasEventsOfKind(2));
  EXPECT_EQ(object.GetOrAddEvent(12, 0), nullptr);
  EXPECT_EQ(object.GetOrAddEvent(0, -1), nullptr);

  // Events of kinds beyond 11 and a huge event number cost no memory.
  CStream stream(Ints({430, -1, 0,  1,  0,  0,  -1,         -1,  12, -1, -1, -1,  -1, -1,
                       -1,  -1, -1, -1, -1, -1, 2147483647, 400, 0,  -1, 0,  400, 0,  -1}));
  ASSERT_TRUE(object.Load(stream));
  EXPECT_EQ(object.events[11].size(), 1u);
  EXPECT_EQ(object.events[11].begin()->first, 2147483647);
}

TEST(RecordsTest, ActionsKeepAtMostEightArguments) {
  CStream stream;
  stream.write(Ints({440, 1, 2, 0, 0, 0, 1, 1}));
  WriteString(stream, "f");
  WriteString(stream, "");
  stream.write(Ints({10, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -1, 0, 9}));
  for (int i = 0; i < 9; ++i) WriteString(stream, std::to_string(i));
  WriteBool(stream, true);
  stream.seek(0);
  CAction action;
  ASSERT_TRUE(action.Load(stream));
  EXPECT_EQ(action.argument_kinds.size(), 8u);
  EXPECT_EQ(action.argument_values.size(), 8u);
  EXPECT_EQ(action.argument_values[7], "7");
  EXPECT_TRUE(action.is_not) << "the fields after the lists stay in step";
}

TEST(RecordsTest, RoomStretchScalesAndExtraSlotsAreDropped) {
  CRoom room;
  room.width = 640;
  room.backgrounds[0].stretch = true;
  room.backgrounds[0].background = 3;
  CStream stream;
  room.Save(stream);
  stream.seek(0);
  CRoom read;
  ASSERT_TRUE(read.Load(stream, [](int index) -> std::optional<std::pair<int, int>> {
    if (index == 3) return std::pair{320, 0};
    return std::nullopt;
  }));
  EXPECT_EQ(read.backgrounds[0].xscale, 2);
  EXPECT_EQ(read.backgrounds[0].yscale, 1) << "a background of height 0 keeps the scale";

  CStream nine;
  nine.write(Ints({541, 0, 10, 10, 30, 0, 0, 1, 0, 9}));
  for (int slot = 0; slot < 9; ++slot) nine.write(Ints({1, 0, slot, 0, 0, 1, 1, 0, 0, 0}));
  nine.write(Ints({0, 0, 1, 5, 6, 0, 100001, 0, 0}));
  nine.seek(0);
  ASSERT_TRUE(read.Load(nine, {}));
  EXPECT_EQ(read.backgrounds[7].background, 7);
  ASSERT_EQ(read.instances.size(), 1u);
  EXPECT_EQ(read.instances[0].x, 5);
}

TEST(RecordsTest, PathsRecomputeTheirCurve) {
  CPath straight;
  straight.points = {{0, 0, 100}, {100, 0, 100}};
  straight.Recompute();
  ASSERT_EQ(straight.computed.size(), 3u);
  EXPECT_EQ(straight.length, 200);

  CPath smooth;
  smooth.kind = 1;
  smooth.closed = false;
  smooth.points = {{0, 0, 100}, {50, 0, 100}};
  smooth.Recompute();
  EXPECT_EQ(smooth.computed.size(), 2u);
  smooth.points.push_back({50, 50, 100});
  smooth.precision = 0;
  smooth.Recompute();
  EXPECT_EQ(smooth.computed.size(), 2u);
  smooth.closed = true;
  smooth.Recompute();
  EXPECT_TRUE(smooth.computed.empty());

  // A stored precision far beyond the authoring tool's range stays bounded.
  smooth.precision = 60;
  smooth.points = {{0, 0, 100}, {1e300, 0, 100}, {1e300, 1e300, 100}};
  smooth.Recompute();
  EXPECT_LE(smooth.computed.size(), 3u * 255 + 1);
}

TEST(RecordsTest, FontGlyphImageMustFitItsBlock) {
  CFont font;
  font.image_width = 4;
  font.image_height = 4;
  font.image = Bytes(16, 1);
  CStream stream;
  font.Save(stream);
  Bytes bytes = stream.release();
  bytes.resize(bytes.size() - 1);
  const std::int32_t shorter = 15;
  std::memcpy(bytes.data() + bytes.size() - 15 - 4, &shorter, 4);
  CStream truncated(bytes);
  EXPECT_FALSE(CFont{}.Load(truncated));
}

}  // namespace
}  // namespace kestrel
