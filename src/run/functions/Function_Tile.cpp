#include <algorithm>

#include "data/Runner_Load.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

using Args = const RValue*;
using Tiles = std::vector<RoomTile>;

constexpr char kNoSuchTile[] = "Tile does not exist.";

Tiles& tiles_of(ScriptEngine& engine) {
  return runner_of(engine).room->settings.tiles;
}
int whole(const RValue& value) {
  return round_to_int32(value.real());
}

// Whether the point lies on the tile's part; the right and bottom edges count
// only when `edges` is set. Scales are not applied.
bool covers(const RoomTile& tile, double x, double y, bool edges) {
  if (x < tile.x || y < tile.y) return false;
  return edges ? x <= tile.x + tile.width && y <= tile.y + tile.height
               : x < tile.x + tile.width && y < tile.y + tile.height;
}

RoomTile* tile_with_id(ScriptEngine& engine, const RValue& id) {
  Tiles& tiles = tiles_of(engine);
  const int wanted = whole(id);
  const auto found = std::find_if(tiles.begin(), tiles.end(),
                                  [wanted](const RoomTile& tile) { return tile.id == wanted; });
  return found == tiles.end() ? nullptr : &*found;
}

// The tile named by the first argument, reported when there is none.
RoomTile* existing_tile(ScriptEngine& engine, Args args) {
  RoomTile* tile = tile_with_id(engine, args[0]);
  if (tile == nullptr) report_action_error(engine, kNoSuchTile, false);
  return tile;
}

template <auto field>
void tile_get(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
              Args args) {
  if (const RoomTile* tile = existing_tile(engine, args)) result.set_real(tile->*field);
}

void tile_get_visible(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      Args args) {
  if (const RoomTile* tile = existing_tile(engine, args)) result.set_real(tile->visible ? 1 : 0);
}

// A setter of one tile: the changes it makes take the call's arguments after the id.
template <void (*change)(RoomTile&, Args)>
void tile_set(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  if (RoomTile* tile = existing_tile(engine, args)) change(*tile, args + 1);
}
void set_visible(RoomTile& tile, Args args) {
  tile.visible = is_true(args[0]);
}
void set_background(RoomTile& tile, Args args) {
  tile.background = whole(args[0]);
}
void set_region(RoomTile& tile, Args args) {
  tile.left = whole(args[0]);
  tile.top = whole(args[1]);
  tile.width = whole(args[2]);
  tile.height = whole(args[3]);
}
void set_position(RoomTile& tile, Args args) {
  tile.x = args[0].real();
  tile.y = args[1].real();
}
void set_depth(RoomTile& tile, Args args) {
  tile.depth = args[0].real();
}
void set_scale(RoomTile& tile, Args args) {
  tile.xscale = args[0].real();
  tile.yscale = args[1].real();
}
void set_blend(RoomTile& tile, Args args) {
  tile.blend = whole(args[0]);
}
void set_alpha(RoomTile& tile, Args args) {
  tile.alpha = args[0].real();
}

void tile_add(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
              Args args) {
  Runner& runner = runner_of(engine);
  result.set_real(-1);
  const int background = whole(args[0]);
  if (!runner.game.backgrounds.exists(background)) {
    report_action_error(engine, "Background does not exist.", false);
    return;
  }
  RoomTile tile;
  tile.background = background;
  set_region(tile, args + 1);
  tile.x = args[5].real();
  tile.y = args[6].real();
  tile.depth = args[7].real();
  tile.id = ++runner.last_tile_id;
  runner.room->settings.tiles.push_back(tile);
  result.set_real(tile.id);
}

void tile_exists(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                 Args args) {
  result.set_real(tile_with_id(engine, args[0]) != nullptr ? 1 : 0);
}

void tile_delete(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  const RoomTile* tile = existing_tile(engine, args);
  if (tile == nullptr) return;
  Tiles& tiles = tiles_of(engine);
  tiles.erase(tiles.begin() + (tile - tiles.data()));
}

// The first tile in list order that the test accepts: its id, or -1.
template <class Test>
void find_first(ScriptEngine& engine, RValue& result, Test test) {
  const Tiles& tiles = tiles_of(engine);
  const auto found = std::find_if(tiles.begin(), tiles.end(), test);
  result.set_real(found == tiles.end() ? -1 : found->id);
}

// Foreground tiles are those in front of depth 0; a tile at depth 0 is found
// as a background tile but removed either way.
void tile_find(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
               Args args) {
  const double x = args[0].real(), y = args[1].real();
  const bool foreground = args[2].real() >= 0.5;
  find_first(engine, result, [&](const RoomTile& tile) {
    return (foreground ? tile.depth < 0 : tile.depth >= 0) && covers(tile, x, y, false);
  });
}

void tile_delete_at(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                    Args args) {
  const double x = args[0].real(), y = args[1].real();
  const bool foreground = args[2].real() >= 0.5;
  std::erase_if(tiles_of(engine), [&](const RoomTile& tile) {
    return (foreground ? tile.depth <= 0 : tile.depth >= 0) && covers(tile, x, y, true);
  });
}

// Layers: every tile whose depth is exactly the one given.
template <class Change>
void for_layer(ScriptEngine& engine, const RValue& depth, Change change) {
  for (RoomTile& tile : tiles_of(engine)) {
    if (tile.depth == depth.real()) change(tile);
  }
}
template <bool shown>
void tile_layer_visible(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                        Args args) {
  for_layer(engine, args[0], [](RoomTile& tile) { tile.visible = shown; });
}
void tile_layer_delete(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                       Args args) {
  std::erase_if(tiles_of(engine),
                [&](const RoomTile& tile) { return tile.depth == args[0].real(); });
}
void tile_layer_shift(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      Args args) {
  for_layer(engine, args[0], [&](RoomTile& tile) {
    tile.x += args[1].real();
    tile.y += args[2].real();
  });
}
void tile_layer_depth(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      Args args) {
  const double depth = args[1].real();
  for_layer(engine, args[0], [depth](RoomTile& tile) { tile.depth = depth; });
}
void tile_layer_find(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     Args args) {
  const double x = args[1].real(), y = args[2].real();
  find_first(engine, result, [&](const RoomTile& tile) {
    return tile.depth == args[0].real() && covers(tile, x, y, false);
  });
}
void tile_layer_delete_at(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                          Args args) {
  const double x = args[1].real(), y = args[2].real();
  std::erase_if(tiles_of(engine), [&](const RoomTile& tile) {
    return tile.depth == args[0].real() && covers(tile, x, y, false);
  });
}

}  // namespace

void register_tile_functions(FunctionRegistry& functions) {
  functions.add("tile_get_x", &tile_get<&RoomTile::x>, 1);
  functions.add("tile_get_y", &tile_get<&RoomTile::y>, 1);
  functions.add("tile_get_left", &tile_get<&RoomTile::left>, 1);
  functions.add("tile_get_top", &tile_get<&RoomTile::top>, 1);
  functions.add("tile_get_width", &tile_get<&RoomTile::width>, 1);
  functions.add("tile_get_height", &tile_get<&RoomTile::height>, 1);
  functions.add("tile_get_depth", &tile_get<&RoomTile::depth>, 1);
  functions.add("tile_get_visible", &tile_get_visible, 1);
  functions.add("tile_get_xscale", &tile_get<&RoomTile::xscale>, 1);
  functions.add("tile_get_yscale", &tile_get<&RoomTile::yscale>, 1);
  functions.add("tile_get_blend", &tile_get<&RoomTile::blend>, 1);
  functions.add("tile_get_alpha", &tile_get<&RoomTile::alpha>, 1);
  functions.add("tile_get_background", &tile_get<&RoomTile::background>, 1);
  functions.add("tile_set_visible", &tile_set<&set_visible>, 2);
  functions.add("tile_set_background", &tile_set<&set_background>, 2);
  functions.add("tile_set_region", &tile_set<&set_region>, 5);
  functions.add("tile_set_position", &tile_set<&set_position>, 3);
  functions.add("tile_set_depth", &tile_set<&set_depth>, 2);
  functions.add("tile_set_scale", &tile_set<&set_scale>, 3);
  functions.add("tile_set_blend", &tile_set<&set_blend>, 2);
  functions.add("tile_set_alpha", &tile_set<&set_alpha>, 2);
  functions.add("tile_add", &tile_add, 8);
  functions.add("tile_find", &tile_find, 3);
  functions.add("tile_exists", &tile_exists, 1);
  functions.add("tile_delete", &tile_delete, 1);
  functions.add("tile_delete_at", &tile_delete_at, 3);
  functions.add("tile_layer_hide", &tile_layer_visible<false>, 1);
  functions.add("tile_layer_show", &tile_layer_visible<true>, 1);
  functions.add("tile_layer_delete", &tile_layer_delete, 1);
  functions.add("tile_layer_shift", &tile_layer_shift, 3);
  functions.add("tile_layer_find", &tile_layer_find, 3);
  functions.add("tile_layer_delete_at", &tile_layer_delete_at, 3);
  functions.add("tile_layer_depth", &tile_layer_depth, 2);
}

}  // namespace kestrel
