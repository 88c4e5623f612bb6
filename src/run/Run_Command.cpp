#include "run/Run_Command.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "data/Runner_Load.h"
#include "data/Support_File.h"
#include "data/Support_Stream.h"
#include "run/Runner.h"
#include "run/room_draw.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

constexpr std::int32_t kSaveVersion = 540;

void save_back(CStream& stream, const CBack& back) {
  WriteBool(stream, back.visible);
  WriteBool(stream, back.foreground);
  WriteInt(stream, back.background);
  WriteReal(stream, back.x);
  WriteReal(stream, back.y);
  WriteBool(stream, back.htiled);
  WriteBool(stream, back.vtiled);
  for (double value : {back.xscale, back.yscale, back.hspeed, back.vspeed}) {
    WriteReal(stream, value);
  }
  WriteInt(stream, back.blend);
  WriteReal(stream, back.alpha);
}

void load_back(CStream& stream, CBack& back) {
  back.visible = ReadBool(stream);
  back.foreground = ReadBool(stream);
  back.background = ReadInt(stream);
  back.x = ReadReal(stream);
  back.y = ReadReal(stream);
  back.htiled = ReadBool(stream);
  back.vtiled = ReadBool(stream);
  for (double* value : {&back.xscale, &back.yscale, &back.hspeed, &back.vspeed}) {
    *value = ReadReal(stream);
  }
  back.blend = ReadInt(stream);
  back.alpha = ReadReal(stream);
}

void save_view(CStream& stream, const CView& view) {
  WriteBool(stream, view.visible);
  for (int value : {view.xview, view.yview, view.wview, view.hview, view.xport, view.yport,
                    view.wport, view.hport}) {
    WriteInt(stream, value);
  }
  WriteReal(stream, view.angle);
  for (int value : {view.hborder, view.vborder, view.hspeed, view.vspeed, view.object}) {
    WriteInt(stream, value);
  }
}

void load_view(CStream& stream, CView& view) {
  view.visible = ReadBool(stream);
  for (int* value : {&view.xview, &view.yview, &view.wview, &view.hview, &view.xport, &view.yport,
                     &view.wport, &view.hport}) {
    *value = ReadInt(stream);
  }
  view.angle = ReadReal(stream);
  for (int* value : {&view.hborder, &view.vborder, &view.hspeed, &view.vspeed, &view.object}) {
    *value = ReadInt(stream);
  }
}

void save_tile(CStream& stream, const RoomTile& tile) {
  WriteReal(stream, tile.x);
  WriteReal(stream, tile.y);
  for (int value : {tile.background, tile.left, tile.top, tile.width, tile.height}) {
    WriteInt(stream, value);
  }
  WriteReal(stream, tile.depth);
  WriteInt(stream, tile.id);
  WriteReal(stream, tile.xscale);
  WriteReal(stream, tile.yscale);
  WriteInt(stream, tile.blend);
  WriteReal(stream, tile.alpha);
  WriteBool(stream, tile.visible);
}

RoomTile load_tile(CStream& stream) {
  RoomTile tile;
  tile.x = ReadReal(stream);
  tile.y = ReadReal(stream);
  for (int* value : {&tile.background, &tile.left, &tile.top, &tile.width, &tile.height}) {
    *value = ReadInt(stream);
  }
  tile.depth = ReadReal(stream);
  tile.id = ReadInt(stream);
  tile.xscale = ReadReal(stream);
  tile.yscale = ReadReal(stream);
  tile.blend = ReadInt(stream);
  tile.alpha = ReadReal(stream);
  tile.visible = ReadBool(stream);
  return tile;
}

void save_room(CStream& stream, RunRoom& room) {
  const CRoom& settings = room.settings;
  WriteInt(stream, kSaveVersion);
  WriteString(stream, settings.caption);
  WriteInt(stream, settings.width);
  WriteInt(stream, settings.height);
  WriteInt(stream, settings.speed);
  WriteBool(stream, settings.persistent);
  WriteInt(stream, settings.colour);
  WriteBool(stream, settings.show_colour);
  WriteString(stream, settings.creation_code);
  WriteInt(stream, kRoomBackgroundSlots);
  for (const CBack& back : settings.backgrounds) save_back(stream, back);
  WriteBool(stream, settings.views_enabled);
  WriteInt(stream, kRoomViews);
  for (const CView& view : settings.views) save_view(stream, view);
  RoomInstances& instances = room.instances;
  WriteInt(stream, instances.count());
  for (std::int32_t i = 0; i < instances.count(); ++i) instances.at(i).Save(stream);
  WriteInt(stream, static_cast<std::int32_t>(instances.deactivated().size()));
  for (const auto& instance : instances.deactivated()) instance->Save(stream);
  WriteInt(stream, static_cast<std::int32_t>(settings.tiles.size()));
  for (const RoomTile& tile : settings.tiles) save_tile(stream, tile);
}

// Reads `count` instance records into the room; a damaged count ends with the
// stream instead of allocating. Every instance is of an object of this game.
bool load_instances(CStream& stream, const GameData& game, RoomInstances& instances,
                    bool deactivated) {
  const std::int32_t count = ReadInt(stream);
  for (std::int32_t i = 0; i < count && !stream.failed(); ++i) {
    auto instance = std::make_unique<CInstance>(game, 0, -1, 0, 0);
    if (!instance->Load(stream) || !game.objects.exists(instance->object_index)) return false;
    instances.adopt(std::move(instance), deactivated);
  }
  return !stream.failed();
}

// The room's definition gives what the record leaves out (the placed
// instances, how backgrounds stretch); the record gives everything else.
std::unique_ptr<RunRoom> load_room(CStream& stream, const GameData& game, std::int32_t index) {
  const CRoom* definition = game.rooms.get(index);
  auto room = std::make_unique<RunRoom>(game, definition != nullptr ? *definition : CRoom{});
  CRoom& settings = room->settings;
  if (ReadInt(stream) != kSaveVersion) return nullptr;
  settings.caption = ReadString(stream);
  settings.width = ReadInt(stream);
  settings.height = ReadInt(stream);
  settings.speed = ReadInt(stream);
  settings.persistent = ReadBool(stream);
  settings.colour = ReadInt(stream);
  settings.show_colour = ReadBool(stream);
  settings.creation_code = ReadString(stream);
  if (ReadInt(stream) != kRoomBackgroundSlots) return nullptr;
  for (CBack& back : settings.backgrounds) load_back(stream, back);
  settings.views_enabled = ReadBool(stream);
  if (ReadInt(stream) != kRoomViews) return nullptr;
  for (CView& view : settings.views) load_view(stream, view);
  if (!load_instances(stream, game, room->instances, false) ||
      !load_instances(stream, game, room->instances, true)) {
    return nullptr;
  }
  const std::int32_t tiles = ReadInt(stream);
  settings.tiles.clear();
  for (std::int32_t i = 0; i < tiles && !stream.failed(); ++i) {
    settings.tiles.push_back(load_tile(stream));
  }
  if (stream.failed()) return nullptr;
  return room;
}

// Everything a save file holds, read in full before any of it replaces the
// running game.
struct SavedGame {
  std::int32_t room_index = 0;
  std::int32_t transition_kind = 0;
  std::int32_t score = 0;
  std::int32_t lives = 0;
  double health = 0;
  std::int32_t cursor_sprite = -1;
  std::int32_t step_counter = 0;
  bool automatic_draw = true;
  Globals globals;
  std::vector<std::unique_ptr<RunRoom>> rooms;
  std::int32_t last_instance_id = 0;
  std::int32_t last_tile_id = 0;
};

bool read_saved_game(CStream& stream, const GameData& game, SavedGame& saved) {
  saved.room_index = ReadInt(stream);
  saved.transition_kind = ReadInt(stream);
  saved.score = ReadInt(stream);
  saved.lives = ReadInt(stream);
  saved.health = ReadReal(stream);
  saved.cursor_sprite = ReadInt(stream);
  saved.step_counter = ReadInt(stream);
  saved.automatic_draw = ReadBool(stream);
  if (!saved.globals.load(stream)) return false;
  const std::int32_t count = ReadInt(stream);
  for (std::int32_t index = 0; index < count && !stream.failed(); ++index) {
    std::unique_ptr<RunRoom>& room = saved.rooms.emplace_back();
    if (!ReadBool(stream)) continue;
    room = load_room(stream, game, index);
    if (room == nullptr) return false;
  }
  saved.last_instance_id = ReadInt(stream);
  saved.last_tile_id = ReadInt(stream);
  if (stream.failed()) return false;
  // The game goes on in the saved current room, so that one must be there.
  return saved.room_index >= 0 && static_cast<std::size_t>(saved.room_index) < saved.rooms.size() &&
         saved.rooms[static_cast<std::size_t>(saved.room_index)] != nullptr;
}

void restore(Runner& runner, SavedGame& saved) {
  runner.room_index = saved.room_index;
  runner.transition_kind = saved.transition_kind;
  runner.score.score = saved.score;
  runner.score.lives = saved.lives;
  runner.score.health = saved.health;
  runner.score.cursor_sprite = saved.cursor_sprite;
  runner.step_counter = saved.step_counter;
  runner.automatic_draw = saved.automatic_draw;
  runner.engine.globals = std::move(saved.globals);
  runner.carried.clear();
  runner.room_copies = std::move(saved.rooms);
  runner.room = runner.room_copies[static_cast<std::size_t>(runner.room_index)].get();
  runner.last_instance_id = saved.last_instance_id;
  runner.last_tile_id = saved.last_tile_id;
  fit_region_to_room(runner);
}

}  // namespace

std::string quick_save_file(const Runner& runner) {
  return "_save" + std::to_string(runner.game.game_id) + ".sav";
}

void save_game(Runner& runner, const std::string& file_name) {
  if (runner.engine.settings.secure_mode && file_name.find_first_of("\\/") != std::string::npos) {
    report_action_error(runner.engine, "In secure mode you cannot save game to file " + file_name,
                        false);
    return;
  }
  CStream stream;
  WriteInt(stream, kSaveVersion);
  WriteInt(stream, runner.game.game_id);
  WriteInt(stream, runner.room_index);
  WriteInt(stream, runner.transition_kind);
  WriteInt(stream, runner.score.score);
  WriteInt(stream, runner.score.lives);
  WriteReal(stream, runner.score.health);
  WriteInt(stream, runner.score.cursor_sprite);
  WriteInt(stream, runner.step_counter);
  WriteBool(stream, runner.automatic_draw);
  runner.engine.globals.save(stream);
  WriteInt(stream, static_cast<std::int32_t>(runner.room_copies.size()));
  for (const auto& room : runner.room_copies) {
    WriteBool(stream, room != nullptr);
    if (room != nullptr) save_room(stream, *room);
  }
  WriteInt(stream, runner.last_instance_id);
  WriteInt(stream, runner.last_tile_id);
  const Bytes& bytes = stream.bytes();
  std::string ignored;
  if (!WriteFileAtomically(file_name, {reinterpret_cast<const char*>(bytes.data()), bytes.size()},
                           ignored)) {
    report_action_error(runner.engine, "Failed to save game to file " + file_name, false);
  }
}

void load_game(Runner& runner, const std::string& file_name) {
  std::error_code ignored;
  if (!std::filesystem::exists(file_name, ignored)) return;
  std::optional<Bytes> bytes = ReadWholeFile(file_name);
  if (!bytes) {
    report_action_error(runner.engine, "Failed to load game from file " + file_name, false);
    return;
  }
  CStream stream(std::move(*bytes));
  if (ReadInt(stream) != kSaveVersion) {
    report_action_error(runner.engine, "Cannot load game saved with other version.", false);
    return;
  }
  if (ReadInt(stream) != runner.game.game_id) {
    report_action_error(runner.engine, "This is a save file for a different game!", false);
    return;
  }
  SavedGame saved;
  if (!read_saved_game(stream, runner.game, saved)) {
    report_action_error(runner.engine, "Failed to load game from file " + file_name, false);
    return;
  }
  restore(runner, saved);
}

void request_load(Runner& runner, std::string file_name) {
  runner.pending_load_file = std::move(file_name);
  runner.pending_transfer = kTransferLoad;
}

void load_requested_game(Runner& runner) {
  runner.pending_transfer = kNoTransfer;
  runner.input.clear();
  load_game(runner, std::exchange(runner.pending_load_file, {}));
}

}  // namespace kestrel
