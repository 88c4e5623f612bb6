#include <iterator>
#include <string>
#include <type_traits>

#include "data/Runner_Load.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

using Args = const RValue*;

constexpr char kDuplicateMissing[] = "Trying to duplicate non-existing room.";
constexpr char kAssignFailed[] = "Error assigning a room.";
constexpr char kNoBackground[] = "Background does not exist.";

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

ResourceList<CRoom>& rooms_of(ScriptEngine& engine) {
  return runner_of(engine).game.rooms;
}
// The definition in the list; the room being played is a copy and keeps its settings.
CRoom* room_at(ScriptEngine& engine, const RValue& index) {
  return rooms_of(engine).get(whole(index));
}

void room_exists(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(rooms_of(e).exists(whole(a[0])) ? 1 : 0);
}
void room_name(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_text(rooms_of(e).name(whole(a[0])));
}

template <auto field>
void room_set(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  CRoom* room = room_at(e, a[0]);
  if (room == nullptr) return;
  using Field = std::remove_reference_t<decltype(room->*field)>;
  if constexpr (std::is_same_v<Field, bool>) {
    room->*field = is_true(a[1]);
  } else if constexpr (std::is_same_v<Field, std::string>) {
    room->*field = a[1].str();
  } else {
    room->*field = whole(a[1]);
  }
}

void room_set_background_color(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                               Args a) {
  if (CRoom* room = room_at(e, a[0])) {
    room->colour = whole(a[1]);
    room->show_colour = is_true(a[2]);
  }
}
void room_set_background(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  CRoom* room = room_at(e, a[0]);
  const int slot = whole(a[1]);
  if (room == nullptr || slot < 0 || slot >= kRoomBackgroundSlots) return;
  CBack& back = room->backgrounds[static_cast<std::size_t>(slot)];
  back.visible = is_true(a[2]);
  back.foreground = is_true(a[3]);
  back.background = whole(a[4]);
  back.x = a[5].real();
  back.y = a[6].real();
  back.htiled = is_true(a[7]);
  back.vtiled = is_true(a[8]);
  back.hspeed = a[9].real();
  back.vspeed = a[10].real();
  back.alpha = a[11].real();
  back.xscale = 1;
  back.yscale = 1;
}
void room_set_view(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  CRoom* room = room_at(e, a[0]);
  const int index = whole(a[1]);
  if (room == nullptr || index < 0 || index >= kRoomViews) return;
  CView& view = room->views[static_cast<std::size_t>(index)];
  view.visible = is_true(a[2]);
  int* const fields[] = {&view.xview,  &view.yview,  &view.wview, &view.hview,   &view.xport,
                         &view.yport,  &view.wport,  &view.hport, &view.hborder, &view.vborder,
                         &view.hspeed, &view.vspeed, &view.object};
  for (std::size_t i = 0; i < std::size(fields); ++i) *fields[i] = whole(a[3 + i]);
}
void room_set_view_enabled(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args a) {
  if (CRoom* room = room_at(e, a[0])) room->views_enabled = is_true(a[1]);
}

void room_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args) {
  r.set_real(rooms_of(e).add_new("__newroom"));
}
void room_duplicate(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const int index = rooms_of(e).duplicate("__newroom", whole(a[0]));
  if (index < 0) report_action_error(e, kDuplicateMissing, false);
  r.set_real(index);
}
void room_assign(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  const bool assigned = rooms_of(e).assign(whole(a[0]), whole(a[1]));
  if (!assigned) report_action_error(e, kAssignFailed, false);
  r.set_real(assigned ? 1 : 0);
}

void room_instance_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  CRoom* room = room_at(e, a[0]);
  if (room == nullptr) {
    r.set_real(-1);
    return;
  }
  const std::int32_t id = ++runner_of(e).last_instance_id;
  room->instances.push_back({whole(a[1]), whole(a[2]), whole(a[3]), id, ""});
  r.set_real(id);
}
void room_instance_clear(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (CRoom* room = room_at(e, a[0])) room->instances.clear();
}

// (ind, back, left, top, width, height, x, y, depth[, xscale, yscale, alpha])
template <bool extended>
void room_tile_add(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue& r, Args a) {
  r.set_real(-1);
  CRoom* room = room_at(e, a[0]);
  if (room == nullptr) return;
  Runner& runner = runner_of(e);
  const int background = whole(a[1]);
  if (!runner.game.backgrounds.exists(background)) {
    report_action_error(e, kNoBackground, false);
    return;
  }
  RoomTile tile;
  tile.background = background;
  tile.left = whole(a[2]);
  tile.top = whole(a[3]);
  tile.width = whole(a[4]);
  tile.height = whole(a[5]);
  tile.x = a[6].real();
  tile.y = a[7].real();
  tile.depth = a[8].real();
  if constexpr (extended) {
    tile.xscale = a[9].real();
    tile.yscale = a[10].real();
    tile.alpha = a[11].real();
  }
  tile.id = ++runner.last_tile_id;
  room->tiles.push_back(tile);
  r.set_real(tile.id);
}
void room_tile_clear(ScriptEngine& e, ScriptInstance&, ScriptInstance&, int, RValue&, Args a) {
  if (CRoom* room = room_at(e, a[0])) room->tiles.clear();
}

}  // namespace

void register_room_functions(FunctionRegistry& functions) {
  static const struct {
    const char* name;
    BuiltinFunction handler;
    int count;
  } kFunctions[] = {
      {"room_exists", &room_exists, 1},
      {"room_name", &room_name, 1},
      {"room_get_name", &room_name, 1},
      {"room_set_width", &room_set<&CRoom::width>, 2},
      {"room_set_height", &room_set<&CRoom::height>, 2},
      {"room_set_caption", &room_set<&CRoom::caption>, 2},
      {"room_set_persistent", &room_set<&CRoom::persistent>, 2},
      {"room_set_code", &room_set<&CRoom::creation_code>, 2},
      {"room_set_background_color", &room_set_background_color, 3},
      {"room_set_background", &room_set_background, 12},
      {"room_set_view", &room_set_view, 16},
      {"room_set_view_enabled", &room_set_view_enabled, 2},
      {"room_add", &room_add, 0},
      {"room_duplicate", &room_duplicate, 1},
      {"room_assign", &room_assign, 2},
      {"room_instance_add", &room_instance_add, 4},
      {"room_instance_clear", &room_instance_clear, 1},
      {"room_tile_add", &room_tile_add<false>, 9},
      {"room_tile_add_ext", &room_tile_add<true>, 12},
      {"room_tile_clear", &room_tile_clear, 1},
  };
  for (const auto& function : kFunctions) {
    functions.add(function.name, function.handler, function.count);
  }
}

}  // namespace kestrel
