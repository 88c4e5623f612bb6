#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/Background_Class.h"
#include "data/DataNew_Class.h"
#include "data/Extension_Class.h"
#include "data/Font_Class.h"
#include "data/Object_Class.h"
#include "data/Option_Main.h"
#include "data/Path_Class.h"
#include "data/Room_Class.h"
#include "data/Sound_Class.h"
#include "data/Sprite_Class.h"
#include "data/Support_Stream.h"
#include "data/TimeLine_Class.h"
#include "data/Trigger_Class.h"
#include "data/resource_list.h"

namespace kestrel {

inline constexpr char kCannotReadMessage[] = "Error: Cannot read the game file.";
inline constexpr char kNotValidMessage[] = "Error: Not a valid game file.";
inline constexpr char kWrongVersionMessage[] = "Error: Wrong version number.";
inline constexpr char kResourceDataMessage[] = "Error: Error in resource data.";
inline constexpr char kExtensionPackagesMessage[] = "Error in loading extension packages.";
inline constexpr char kCorruptedMessage[] = "Failed to load the game data. File seems corrupted.";

// Game data sits at the first of these offsets that holds the marker. A file
// of bare game data (as kestrel-dev build --data-only writes it) starts with
// the marker at offset 0.
inline constexpr std::size_t kFirstDataOffset = 1896448;
inline constexpr std::size_t kDataOffsetStep = 10000;

// The first probed offset at or after `size`: where data appended to a runner
// of that size goes.
std::size_t GameDataOffsetFor(std::size_t runner_size);

// A script as stored: its code is compiled when the game is prepared.
struct ScriptRecord {
  std::string text;

  bool Load(CStream& stream);
  void Save(CStream& stream) const;
  bool operator==(const ScriptRecord&) const = default;
};

struct GameInformation {
  int background_colour = 16777215;
  bool in_game_window = false;
  std::string caption = "Game Information";
  int left = -1;
  int top = -1;
  int width = 600;
  int height = 400;
  bool border = true;
  bool sizeable = true;
  bool stay_on_top = false;
  bool stop_game = true;
  std::string text;  // Rich Text Format

  bool Load(CStream& stream);
  void Save(CStream& stream) const;
  bool operator==(const GameInformation&) const = default;
};

// The parts of the file that only make the data harder to read: kept so a
// game is written back as it was read.
struct GameContainer {
  ScrambleKey key;
  std::vector<std::int32_t> body_padding;
  bool reserved_flag = false;

  bool operator==(const GameContainer&) const = default;
};

// What a builder uses when the project does not say: drawn from the game id,
// so the same project always gives the same bytes.
GameContainer DefaultContainer(std::int32_t game_id);

using Constant = std::pair<std::string, std::string>;  // name, value text

// Everything the game data holds.
struct GameData {
  bool debug_mode = false;
  GameSettings settings;
  std::string library_name;
  Bytes library;  // kept only when loading with keep_stored_form
  GameContainer container;
  std::int32_t game_id = 0;
  std::array<std::uint8_t, 16> guid{};

  std::vector<CExtensionPackage> extension_packages;
  std::vector<std::optional<CTrigger>> triggers;
  std::vector<Constant> constants;
  ResourceList<CSound> sounds;
  ResourceList<CSprite> sprites;
  ResourceList<CBackground> backgrounds;
  ResourceList<CPath> paths;
  ResourceList<ScriptRecord> scripts;
  ResourceList<CFont> fonts;
  ResourceList<CTimeLine> timelines;
  ResourceList<CObject> objects;
  ResourceList<CRoom> rooms;
  std::int32_t last_instance_id = 100000;
  std::int32_t last_tile_id = 10000000;
  std::vector<CDataFile> included_files;
  GameInformation information;
  std::vector<std::string> library_init_code;
  std::vector<std::int32_t> room_order;

  bool operator==(const GameData&) const = default;
};

struct LoadOptions {
  // The developer tool keeps what the runner has no use for: the library
  // block, and extension records exactly as stored (not tidied).
  bool keep_stored_form = false;
  // Called once the settings are read, before anything else: the loading
  // form takes its look from them.
  std::function<void(const GameSettings& settings)> settings_read = nullptr;
};

// Percent of the loading bar and the text shown with it.
using ProgressCallback = std::function<void(int percent, std::string_view text)>;

struct LoadResult {
  bool ok = false;
  std::vector<std::string> messages;  // shown in order, each in its own message box
};

// Reads the game data out of a whole file's bytes.
LoadResult ReadGame(Bytes file, GameData& game, const LoadOptions& options = {},
                    const ProgressCallback& progress = {});
LoadResult ReadGameFile(const std::filesystem::path& path, GameData& game,
                        const LoadOptions& options = {}, const ProgressCallback& progress = {});
// Where the data starts (the offset of the marker) when the file holds any.
std::optional<std::size_t> FindGameData(std::span<const std::uint8_t> file);

// The game data, from the marker on.
Bytes WriteGameData(const GameData& game);

}  // namespace kestrel
