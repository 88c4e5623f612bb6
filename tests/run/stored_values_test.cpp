#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/Runner_Load.h"
#include "game_code.h"
#include "platform/window.h"
#include "run/Runner.h"
#include "run/room_lifecycle.h"

namespace kestrel {
namespace {

// What a read gives back: a real, or a string when `text` is set.
struct Expected {
  Expected(int value) : real(value) {}
  Expected(double value) : real(value) {}
  Expected(const char* value) : text(value) {}
  double real = 0;
  const char* text = nullptr;
};

// Game code writes a value, then reads it back: it reads what the state's
// type holds (whole numbers rounded with halves to even, variables' flags
// from the rounded value and functions' flags from 0.5 up, colours as the
// drawing state keeps them, clamped ranges, the first character of a string).
struct StoredValue {
  std::string write;
  std::string read;
  Expected expected;
};

// The runner's settings that game code can write, as one table. Every
// writable built-in variable has a row: its write starts with its name.
std::vector<StoredValue> stored_values() {
  std::vector<StoredValue> rows = {
      // Instances.
      {"x = 2.5", "x", 2.5},
      {"y = -1.25", "y", -1.25},
      {"xprevious = 2.5", "xprevious", 2.5},
      {"yprevious = 2.5", "yprevious", 2.5},
      {"xstart = 2.5", "xstart", 2.5},
      {"ystart = 2.5", "ystart", 2.5},
      {"hspeed = 3", "hspeed", 3},
      {"vspeed = -4", "vspeed", -4},
      {"direction = 370", "direction", 10},
      {"direction = -90", "direction", 270},
      {"speed = 2.5", "speed", 2.5},
      {"friction = 0.25", "friction", 0.25},
      {"gravity = 0.5", "gravity", 0.5},
      {"gravity_direction = 2.5", "gravity_direction", 2.5},
      {"alarm[3] = 2.5", "alarm[3]", 2},
      {"alarm[1] = 3.5", "alarm[1]", 4},
      {"alarm[12] = 7", "alarm[0]", 7},
      {"solid = 0.6", "solid", 1},
      {"visible = 0.5", "visible", 0},
      {"persistent = 1.5", "persistent", 1},
      {"depth = 2.5", "depth", 2.5},
      {"sprite_index = 0.5", "sprite_index", 0},
      {"image_index = 1.5", "image_index", 1.5},
      {"image_single = 2.5", "image_single", 2.5},
      {"image_single = -1", "image_speed", 1},
      {"image_xscale = 2.5", "image_xscale", 2.5},
      {"image_yscale = -1", "image_yscale", -1},
      {"image_angle = 370", "image_angle", 370},
      {"image_alpha = 0.25", "image_alpha", 0.25},
      {"image_blend = 16777216 + 255", "image_blend", 16777471},
      {"image_blend = 2.5", "image_blend", 2},
      {"image_speed = 0.5", "image_speed", 0.5},
      {"mask_index = 1.5", "mask_index", 2},
      {"path_position = 1.5", "path_position", 1},
      {"path_positionprevious = -0.5", "path_positionprevious", 0},
      {"path_speed = 2.5", "path_speed", 2.5},
      {"path_scale = 0.5", "path_scale", 0.5},
      {"path_orientation = 45.5", "path_orientation", 45.5},
      {"path_endaction = 2.5", "path_endaction", 2},
      {"timeline_index = 0.5", "timeline_index", 0},
      {"timeline_position = 2.5", "timeline_position", 2.5},
      {"timeline_speed = 0.5", "timeline_speed", 0.5},
      {"timeline_running = 0.6", "timeline_running", 1},
      {"timeline_loop = 0.4", "timeline_loop", 0},
      // Arguments and errors.
      {"argument[20] = 'a'", "argument[0]", "a"},
      {"error_occurred = 0.5", "error_occurred", 1},
      {"error_last = 'e'", "error_last", "e"},
      // The room, its views and its background slots.
      {"room = 0", "room", 0},
      {"transition_kind = 2.5", "transition_kind", 2},
      {"transition_steps = 0", "transition_steps", 1},
      {"transition_steps = 10.5", "transition_steps", 10},
      {"room_caption = 'c'", "room_caption", "c"},
      {"room_caption = 5", "room_caption", ""},
      {"room_speed = 30.5", "room_speed", 30},
      {"room_persistent = 0.6", "room_persistent", 1},
      {"background_color = 16777216 + 255", "background_color", 16777471},
      {"background_showcolor = 0.5", "background_showcolor", 0},
      {"background_visible[1] = 0.6", "background_visible[1]", 1},
      {"background_foreground[1] = 1", "background_foreground[1]", 1},
      {"background_index[1] = 0.5", "background_index[1]", 0},
      {"background_x[1] = 2.5", "background_x[1]", 2.5},
      {"background_x[8] = 3", "background_x[0]", 3},
      {"background_y[1] = 2.5", "background_y[1]", 2.5},
      {"background_htiled[1] = 0.5", "background_htiled[1]", 0},
      {"background_vtiled[1] = 0.5", "background_vtiled[1]", 0},
      {"background_xscale[1] = 0.5", "background_xscale[1]", 0.5},
      {"background_yscale[1] = 0.5", "background_yscale[1]", 0.5},
      {"background_hspeed[1] = -1.5", "background_hspeed[1]", -1.5},
      {"background_vspeed[1] = -1.5", "background_vspeed[1]", -1.5},
      {"background_blend[1] = 2.5", "background_blend[1]", 2},
      {"background_alpha[1] = 0.25", "background_alpha[1]", 0.25},
      {"view_enabled = 0.6", "view_enabled", 1},
      {"view_visible[2] = 1.4", "view_visible[2]", 1},
      {"view_xview[2] = 2.5", "view_xview[2]", 2},
      {"view_xview[9] = 5", "view_xview[0]", 5},
      {"view_yview[2] = 3.5", "view_yview[2]", 4},
      {"view_wview[2] = 100.5", "view_wview[2]", 100},
      {"view_hview[2] = 100.5", "view_hview[2]", 100},
      {"view_xport[2] = 2.5", "view_xport[2]", 2},
      {"view_yport[2] = 2.5", "view_yport[2]", 2},
      {"view_wport[2] = 2.5", "view_wport[2]", 2},
      {"view_hport[2] = 2.5", "view_hport[2]", 2},
      {"view_angle[2] = 2.5", "view_angle[2]", 2.5},
      {"view_hborder[2] = 2.5", "view_hborder[2]", 2},
      {"view_vborder[2] = 2.5", "view_vborder[2]", 2},
      {"view_hspeed[2] = -1.5", "view_hspeed[2]", -2},
      {"view_vspeed[2] = -1.5", "view_vspeed[2]", -2},
      {"view_object[2] = 0.5", "view_object[2]", 0},
      // Input.
      {"mouse_button = 2.5", "mouse_button", 2},
      {"mouse_lastbutton = 1.5", "mouse_lastbutton", 2},
      {"keyboard_key = 65.5", "keyboard_key", 66},
      {"keyboard_lastkey = 66.5", "keyboard_lastkey", 66},
      {"keyboard_lastchar = 'xyz'", "keyboard_lastchar", "x"},
      {"keyboard_lastchar = 'a'; keyboard_lastchar = ''", "keyboard_lastchar", "a"},
      {"keyboard_string = 'typed'", "keyboard_string", "typed"},
      {"keyboard_set_map(65.4, 66.6)", "keyboard_get_map(65)", 67},
      // Score, lives and health with their display.
      {"score = 2.5", "score", 2},
      {"score = 3.5", "score", 4},
      {"lives = 2.5", "lives", 2},
      {"health = 2.5", "health", 2.5},
      {"show_score = 0.5", "show_score", 0},
      {"show_lives = 0.6", "show_lives", 1},
      {"show_health = 1", "show_health", 1},
      {"caption_score = 'S'", "caption_score", "S"},
      {"caption_lives = 'L'", "caption_lives", "L"},
      {"caption_health = 'H'", "caption_health", "H"},
      {"cursor_sprite = 0.5", "cursor_sprite", 0},
      // The drawing colour and alpha are one 32-bit vertex colour.
      {"draw_set_color(16777216 + 255)", "draw_get_color()", 255},
      {"draw_set_color(-1)", "draw_get_color()", 16777215},
      // The literal 0.3 is 3 x 0.1, a little above 0.3, so its byte is 77.
      {"draw_set_alpha(0.3)", "draw_get_alpha()", 77.0 / 255},
      {"draw_set_alpha(0.298)", "draw_get_alpha()", 76.0 / 255},
      {"draw_set_alpha(2)", "draw_get_alpha()", 1},
      {"draw_set_alpha(-1)", "draw_get_alpha()", 0},
      {"draw_set_color(c_red); draw_set_alpha(0.5)", "draw_get_color()", 255},
      {"draw_set_alpha(0.5); draw_set_color(c_blue)", "draw_get_alpha()", 128.0 / 255},
      // The window.
      {"window_set_color(16777216 + 255)", "window_get_color()", 16777471},
      {"window_set_caption('w')", "window_get_caption()", "w"},
      {"window_set_cursor(-2.5)", "window_get_cursor()", -2},
      {"window_set_region_scale(1.5, 0)", "window_get_region_scale()", 1.5},
      {"window_set_showborder(0); window_set_showborder(0.5)", "window_get_showborder()", 1},
      {"window_set_sizeable(0); window_set_sizeable(0.5)", "window_get_sizeable()", 1},
      // The random generator keeps the low 32 bits, read as a signed number.
      {"random_set_seed(4294967296 + 5)", "random_get_seed()", 5},
      {"random_set_seed(2147483648)", "random_get_seed()", -2147483648.0},
      // Tiles (global.tile is one of the room's), fonts and paths.
      {"tile_set_blend(global.tile, 16777216 + 255)", "tile_get_blend(global.tile)", 16777471},
      {"tile_set_region(global.tile, 1.5, 2.5, 3.5, 4.5)", "tile_get_left(global.tile)", 2},
      {"tile_set_region(global.tile, 1.5, 2.5, 3.5, 4.5)", "tile_get_height(global.tile)", 4},
      {"tile_set_visible(global.tile, 0.4)", "tile_get_visible(global.tile)", 0},
      {"tile_set_visible(global.tile, 0.5)", "tile_get_visible(global.tile)", 1},
      {"tile_set_depth(global.tile, 2.5)", "tile_get_depth(global.tile)", 2.5},
      {"tile_set_alpha(global.tile, 0.25)", "tile_get_alpha(global.tile)", 0.25},
      {"tile_set_scale(global.tile, 0.5, 2)", "tile_get_xscale(global.tile)", 0.5},
      {"tile_set_position(global.tile, 2.5, 3.5)", "tile_get_y(global.tile)", 3.5},
      {"tile_set_background(global.tile, 0.4)", "tile_get_background(global.tile)", 0},
      {"global.f = font_add('Courier New', 10, 0.5, 0, 300, -5)", "font_get_first(global.f)", 255},
      {"global.f = font_add('Courier New', 10, 0.5, 0, 300, -5)", "font_get_last(global.f)", 0},
      {"global.f = font_add('Courier New', 10.5, 0.5, 0, 32, 127)", "font_get_size(global.f)", 10},
      {"global.f = font_add('Courier New', 10, 0.5, 0, 32, 127)", "font_get_bold(global.f)", 1},
      {"path_set_kind(pth, 1.4)", "path_get_kind(pth)", 1},
      {"path_set_closed(pth, 0.5)", "path_get_closed(pth)", 1},
      {"path_set_precision(pth, 2.5)", "path_get_precision(pth)", 2},
  };
  for (int slot = 0; slot < 16; ++slot) {
    const std::string name = "argument" + std::to_string(slot);
    rows.push_back({name + " = 'slot'", "argument[" + std::to_string(slot) + "]", "slot"});
  }
  return rows;
}

// A game with a sprite, a background, a path and one room with an instance
// and a tile, started.
class StoredValues : public testing::Test {
 protected:
  void SetUp() override {
    CSprite sprite;
    sprite.images.assign(1, TBitmap32{8, 8, {}});
    game_.sprites.add("spr", sprite);
    game_.backgrounds.add("bg", CBackground{});
    CPath path;
    path.points = {{0, 0, 100}, {10, 0, 100}};
    game_.paths.add("pth", path);
    CObject object;
    object.sprite = 0;
    game_.objects.add("obj", object);
    CRoom room;
    room.instances.push_back({10, 20, 0, 100001, ""});
    game_.rooms.add("rm", room);
    game_.room_order = {0};
    game_.last_instance_id = 100001;
    runner_ = std::make_unique<Runner>(game_);
    runner_->engine.settings.errors.show_errors = false;
    ASSERT_TRUE(runner_->prepare_objects());
    runner_->layout.attach(window_.get());
    start_game(*runner_);
    run_game_code(*runner_, "global.tile = tile_add(bg, 0, 0, 4, 4, 0, 0, 10)", false);
  }

  GameData game_;
  std::unique_ptr<platform::Window> window_ = platform::open_null_window({});
  std::unique_ptr<Runner> runner_;
};

TEST_F(StoredValues, EachReadsBackAsItsTypeHoldsIt) {
  const std::vector<StoredValue> rows = stored_values();
  for (const StoredValue& row : rows) {
    const RValue value = run_game_code(*runner_, row.write + "; return " + row.read, false);
    if (row.read != "error_last") {
      EXPECT_EQ(runner_->engine.errors.error_last, "") << row.write;
    }
    runner_->engine.errors.error_last.clear();
    runner_->pending_transfer = kNoTransfer;  // left by the write to room
    if (row.expected.text != nullptr) {
      EXPECT_TRUE(value.is_string()) << row.write;
      EXPECT_EQ(value.text(), row.expected.text) << row.write;
    } else {
      EXPECT_TRUE(value.is_real()) << row.write;
      EXPECT_EQ(value.real(), row.expected.real) << row.write;
    }
  }
  const BuiltinVariables& variables = runner_->engine.builtin_variables;
  for (std::int32_t i = 0; i < variables.size(); ++i) {
    const BuiltinVariable& variable = variables.at(i);
    if (variable.setter == nullptr) continue;
    const bool has_row = std::any_of(rows.begin(), rows.end(), [&](const StoredValue& row) {
      return row.write.starts_with(variable.name + " =") ||
             row.write.starts_with(variable.name + "[");
    });
    EXPECT_TRUE(has_row) << variable.name << " has no row";
  }
}

// Built-ins that code reaches as plain reals: compound assignments and reads
// inside expressions keep what their setters keep in step, and a read-only
// one still refuses to be written.
TEST_F(StoredValues, RealsOfTheInstanceKeepTheirSettersEffects) {
  const struct {
    const char* code;
    double expected;
  } kCases[] = {
      {"x = 10; var l; l = bbox_left; x += 4; return bbox_left - l", 4},
      {"y = 10; var t; t = bbox_top; y -= 3; return bbox_top - t", -3},
      {"x = 10; x *= 1.5; return x * 2 + 1", 31},
      {"hspeed += 3; vspeed -= 4; return speed", 5},
      {"vspeed -= 2; return direction", 90},
      {"direction = 0; speed = 2; direction += 90; return vspeed", -2},
      {"speed = 2; speed *= 2; return hspeed", 4},
      {"image_single += 2; return image_index * 10 + image_speed", 10},
      {"return id * 2 - 200002", 0},
  };
  for (const auto& row : kCases) {
    const RValue value = run_game_code(*runner_, row.code, false);
    EXPECT_EQ(runner_->engine.errors.error_last, "") << row.code;
    EXPECT_EQ(value.real(), row.expected) << row.code;
  }
  run_game_code(*runner_, "id += 1", false);
  EXPECT_NE(runner_->engine.errors.last_text.find("Cannot assign to the variable"),
            std::string::npos)
      << runner_->engine.errors.last_text;
}

// Each kind of resource sits at its own index, so that a name's value tells
// which kind it was found as.
TEST(ResourceNames, EveryKindIsAConstantInItsOrder) {
  GameData game;
  const auto at = [](auto& list, int index, const char* name) {
    for (int i = list.count(); i < index; ++i) list.add_empty();
    list.add(name);
  };
  at(game.objects, 0, "obj_a");
  at(game.sprites, 1, "spr_a");
  at(game.sounds, 2, "snd_a");
  at(game.backgrounds, 3, "bg_a");
  at(game.paths, 4, "pth_a");
  at(game.fonts, 5, "fnt_a");
  at(game.timelines, 6, "tl_a");
  at(game.scripts, 7, "scr_a");
  at(game.rooms, 8, "rm_a");
  at(game.rooms, 9, "shared");
  game.triggers.resize(10);
  for (const char* constant_name : {"tr_self", "shared"}) {
    CTrigger trigger;
    trigger.constant_name = constant_name;
    game.triggers.push_back(trigger);
  }
  Runner runner(game);
  runner.engine.settings.errors.show_errors = false;
  // Game constants come after every resource name.
  ASSERT_TRUE(runner.define_constant("tr_self", "100"));
  ASSERT_TRUE(runner.define_constant("spr_a", "100"));

  const struct {
    const char* name;
    double index;
  } kNames[] = {
      {"obj_a", 0}, {"spr_a", 1}, {"snd_a", 2}, {"bg_a", 3},     {"pth_a", 4},  {"fnt_a", 5},
      {"tl_a", 6},  {"scr_a", 7}, {"rm_a", 8},  {"tr_self", 10}, {"shared", 9},  // a room name wins
                                                                                 // over a trigger's
                                                                                 // constant name
  };
  for (const auto& name : kNames) {
    EXPECT_EQ(run_game_code(runner, name.name, true).real(), name.index) << name.name;
  }
  EXPECT_EQ(runner.engine.errors.error_last, "");
}

}  // namespace
}  // namespace kestrel
