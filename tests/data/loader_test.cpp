#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/Runner_Load.h"

namespace kestrel {
namespace {

// The body's sections as bytes, each replaceable by a test.
enum SectionIndex {
  kExtensions,
  kTriggers,
  kConstants,
  kSounds,
  kSprites,
  kBackgrounds,
  kPaths,
  kScripts,
  kFonts,
  kTimeLines,
  kObjects,
  kRooms,
  kIncluded,
  kInformation,
  kLibraryInit,
  kRoomOrder,
  kSectionCount
};

Bytes Ints(std::initializer_list<std::int32_t> values) {
  CStream stream;
  for (auto value : values) WriteInt(stream, value);
  return stream.release();
}

// One list entry: a compressed block with the exists flag, name and record.
Bytes ListWithEntry(std::int32_t list_version, const Bytes& record, bool named = true) {
  CStream entry;
  WriteBool(entry, true);
  if (named) WriteString(entry, "thing");
  entry.write(record);
  CStream list;
  WriteInt(list, list_version);
  WriteInt(list, 1);
  WriteCompressedBlock(list, entry.bytes());
  return list.release();
}

struct GameBytes {
  std::array<Bytes, kSectionCount> sections;
  std::int32_t header_version = 800;
  std::int32_t settings_version = 800;
  Bytes settings_block;
  Bytes fixed_body = Ints({2, 7, 7, 0, 42, 1, 2, 3, 4});  // padding, flag, id, guid

  GameBytes() {
    sections[kExtensions] = Ints({700, 0});
    sections[kTriggers] = Ints({800, 0});
    sections[kConstants] = Ints({800, 0});
    for (int list = kSounds; list <= kObjects; ++list) sections[list] = Ints({800, 0});
    sections[kRooms] = Ints({800, 0, 100000, 10000000});
    sections[kIncluded] = Ints({800, 0});
    CStream information;
    WriteInt(information, 800);
    CStream record;
    GameInformation{}.Save(record);
    WriteCompressedBlock(information, record.bytes());
    sections[kInformation] = information.release();
    sections[kLibraryInit] = Ints({500, 0});
    sections[kRoomOrder] = Ints({700, 1, 0});
    CStream settings;
    GameSettings{}.Write(settings);
    settings.seek(4);
    settings_block = Bytes(settings.bytes().begin() + 4, settings.bytes().end());
  }

  // The data from the marker on.
  Bytes Data() const {
    CStream body;
    body.write(fixed_body);
    for (const Bytes& section : sections) body.write(section);
    CStream out;
    WriteInt(out, GameDataMarker);
    WriteInt(out, header_version);
    WriteBool(out, false);
    WriteInt(out, settings_version);
    out.write(settings_block);
    WriteString(out, "D3DX8.dll");
    WriteCompressedBlock(out, Bytes{'M', 'Z'});
    ScrambleGameData(out, body.bytes(), MakeScrambleKey(5));
    return out.release();
  }

  // As appended to a runner: padding up to the first probed offset.
  Bytes File(std::size_t offset = kFirstDataOffset) const {
    Bytes file(offset, 0);
    Bytes data = Data();
    file.insert(file.end(), data.begin(), data.end());
    return file;
  }
};

LoadResult Load(Bytes file, GameData& game) {
  return ReadGame(std::move(file), game);
}

TEST(LoaderTest, EmptyGameLoadsWithItsFixedFields) {
  GameData game;
  const LoadResult result = Load(GameBytes{}.File(), game);
  ASSERT_TRUE(result.ok) << (result.messages.empty() ? "" : result.messages[0]);
  EXPECT_EQ(game.game_id, 42);
  EXPECT_EQ(game.container.body_padding, (std::vector<std::int32_t>{7, 7}));
  EXPECT_FALSE(game.container.reserved_flag);
  EXPECT_EQ(game.room_order, std::vector<std::int32_t>{0});
  EXPECT_EQ(game.library_name, "D3DX8.dll");
  EXPECT_TRUE(game.library.empty()) << "the runner passes over the library block";
}

TEST(LoaderTest, MarkerIsFoundAtLaterProbesAndAtTheStartOfBareData) {
  GameData game;
  EXPECT_TRUE(Load(GameBytes{}.File(kFirstDataOffset + 20000), game).ok);
  EXPECT_TRUE(Load(GameBytes{}.Data(), game).ok);
  Bytes off_grid = GameBytes{}.File(kFirstDataOffset + 4);
  EXPECT_EQ(Load(off_grid, game).messages, std::vector<std::string>{kNotValidMessage});
}

TEST(LoaderTest, ProgressFollowsTheSections) {
  std::vector<std::pair<int, std::string>> calls;
  GameData game;
  ReadGame(GameBytes{}.File(), game, {}, [&](int percent, std::string_view text) {
    calls.emplace_back(percent, std::string(text));
  });
  ASSERT_EQ(calls.size(), 17u);
  EXPECT_EQ(calls.front(), (std::pair<int, std::string>{1, "Reading data"}));
  EXPECT_EQ(calls[1], (std::pair<int, std::string>{0, "Loading extension packages"}));
  EXPECT_EQ(calls[9], (std::pair<int, std::string>{34, "Loading fonts"}));
  EXPECT_EQ(calls.back(), (std::pair<int, std::string>{49, "Loading room order"}));
}

using Messages = std::vector<std::string>;

struct FailureCase {
  const char* name;
  std::function<Bytes()> file;
  Messages expected;
};

Bytes WithSection(SectionIndex index, Bytes section) {
  GameBytes game;
  game.sections[index] = std::move(section);
  return game.File();
}

Bytes Truncated(Bytes file, std::size_t keep) {
  file.resize(keep);
  return file;
}

TEST(LoaderTest, FailuresEndWithTheirMessage) {
  const Messages not_valid{kNotValidMessage}, version{kWrongVersionMessage},
      resource{kResourceDataMessage}, corrupted{kCorruptedMessage};
  const FailureCase cases[] = {
      {"short file", [] { return Bytes(1000, 0); }, not_valid},
      {"no marker", [] { return Bytes(kFirstDataOffset + 30000, 1); }, not_valid},
      {"header version",
       [] {
         GameBytes game;
         game.header_version = 810;
         return game.File();
       },
       version},
      {"settings version",
       [] {
         GameBytes game;
         game.settings_version = 700;
         return game.File();
       },
       resource},
      {"settings block not zlib",
       [] {
         GameBytes game;
         game.settings_block = Ints({4, 1});
         return game.File();
       },
       resource},
      {"settings block too short",
       [] {
         GameBytes game;
         CStream block;
         WriteCompressedBlock(block, Ints({1, 0, 0}));
         game.settings_block = block.release();
         return game.File();
       },
       resource},
      {"extension package version",
       [] {
         return WithSection(kExtensions, Ints({700, 1, 600}));
       },
       {kExtensionPackagesMessage, kResourceDataMessage}},
      {"extension list version",
       [] {
         return WithSection(kExtensions, Ints({800, 0}));
       },
       {kExtensionPackagesMessage, kResourceDataMessage}},
      {"trigger version",
       [] { return WithSection(kTriggers, ListWithEntry(800, Ints({700}), false)); }, resource},
      {"sprite list version",
       [] {
         return WithSection(kSprites, Ints({801, 0}));
       },
       resource},
      {"sprite record version",
       [] {
         return WithSection(kSprites, ListWithEntry(800, Ints({700, 0, 0, 0, 0})));
       },
       resource},
      {"background record version",
       [] {
         return WithSection(kBackgrounds, ListWithEntry(800, Ints({800, 800, 0, 0})));
       },
       resource},
      {"object record version",
       [] { return WithSection(kObjects, ListWithEntry(800, Ints({431}))); }, resource},
      {"room record version", [] { return WithSection(kRooms, ListWithEntry(800, Ints({540}))); },
       resource},
      {"path record version", [] { return WithSection(kPaths, ListWithEntry(800, Ints({500}))); },
       resource},
      {"time line record version",
       [] { return WithSection(kTimeLines, ListWithEntry(800, Ints({400}))); }, resource},
      {"room order empty",
       [] {
         return WithSection(kRoomOrder, Ints({700, 0}));
       },
       resource},
      {"library init version",
       [] {
         return WithSection(kLibraryInit, Ints({800, 0}));
       },
       resource},
      {"sound record cut short",
       [] {
         return WithSection(kSounds, ListWithEntry(800, Ints({800, 0})));
       },
       corrupted},
      {"list entry not zlib",
       [] {
         return WithSection(kScripts, Ints({800, 1, 8, 1, 2}));
       },
       corrupted},
      {"count beyond the data",
       [] {
         return WithSection(kConstants, Ints({800, 2147483647}));
       },
       corrupted},
      {"truncated body",
       [] {
         Bytes file = GameBytes{}.File();
         return Truncated(file, file.size() - 10);
       },
       corrupted},
      {"truncated after the marker",
       [] { return Truncated(GameBytes{}.File(), kFirstDataOffset + 6); }, corrupted},
  };
  for (const FailureCase& failure : cases) {
    GameData game;
    const LoadResult result = Load(failure.file(), game);
    EXPECT_FALSE(result.ok) << failure.name;
    EXPECT_EQ(result.messages, failure.expected) << failure.name;
  }
}

TEST(LoaderTest, UnreadableFileCannotBeRead) {
  GameData game;
  EXPECT_EQ(ReadGameFile("/nonexistent/kestrel/game", game).messages, Messages{kCannotReadMessage});
}

TEST(LoaderTest, BitFlipsNeverCrash) {
  GameData model;
  model.sprites.add("s").images.push_back({2, 1, Bytes(8, 200)});
  model.scripts.add("a", {"return 1"});
  model.room_order = {0};
  model.rooms.add("r");
  const Bytes data = WriteGameData(model);
  for (std::size_t at = 0; at < data.size(); at += 3) {
    Bytes flipped = data;
    flipped[at] ^= 0x40;
    GameData game;
    const LoadResult result = ReadGame(flipped, game);
    EXPECT_TRUE(result.ok || !result.messages.empty()) << at;
  }
}

TEST(LoaderTest, EmptySlotsKeepTheirIndex) {
  GameData model;
  model.sprites.add("first");
  model.sprites.add_empty();
  model.sprites.add("third");
  model.room_order = {0};
  GameData game;
  ASSERT_TRUE(ReadGame(WriteGameData(model), game).ok);
  EXPECT_EQ(game.sprites.count(), 3);
  EXPECT_TRUE(game.sprites.exists(0));
  EXPECT_FALSE(game.sprites.exists(1));
  EXPECT_EQ(game.sprites.name(1), "<undefined>");
  EXPECT_EQ(game.sprites.find("third"), 2);
}

}  // namespace
}  // namespace kestrel
