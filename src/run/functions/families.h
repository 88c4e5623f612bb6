#pragma once

namespace kestrel {

class FunctionRegistry;
class ScriptEngine;

// Every family of built-in functions and variables through which game code
// reaches the world, registered in the order listed in families.cpp.
void register_families(ScriptEngine& engine);

// The families, one file each.

// The built-in variables backed by the instance record and by the room.
void register_instance_variables(ScriptEngine& engine);
void register_room_variables(ScriptEngine& engine);
// The room's background colour, background slots and views.
void register_room_display_variables(ScriptEngine& engine);
// The mouse and keyboard as variables, and the game's id and debug flag.
void register_input_variables(ScriptEngine& engine);
// score, lives, health, what the caption shows of them, and the cursor sprite.
void register_score_variables(ScriptEngine& engine);
// event_object, event_type, event_number and event_action.
void register_event_variables(ScriptEngine& engine);
// The game-wide variables of the machine and the program: folders, the clock
// and the date, secure mode, the system version, the view being drawn and the
// room transition.
void register_system_variables(ScriptEngine& engine);

// Moving between rooms, ending, restarting, saving and loading the game.
void register_game_functions(FunctionRegistry& functions);
// Creating, finding and destroying instances, and running their events.
void register_interaction_functions(FunctionRegistry& functions);
// The drawing state, colours, shapes, primitives, sprites, backgrounds, textures and text.
void register_graphics_functions(FunctionRegistry& functions);
// The sprite resources: adding them from picture files, sprite files, the
// screen and surfaces; copying, merging, saving; their masks and getters.
void register_sprite_functions(FunctionRegistry& functions);
// The background resources, made from files, captures, a colour or a gradient.
void register_background_functions(FunctionRegistry& functions);
// Surfaces to draw into and draw with, and the room transitions built on them.
void register_surface_functions(FunctionRegistry& functions);
// 3D mode and its states, 3D primitives and shapes, projections, the world
// transform and its stack, lights, and models with their files.
void register_3d_functions(FunctionRegistry& functions);
// font_add, font_exists, font_get_size and the other font functions.
void register_font_functions(FunctionRegistry& functions);
// place_, position_, collision_, move_contact, move_outside and bounce functions.
void register_collision_functions(FunctionRegistry& functions);
// Following paths, and the path resources: their points, shape and transformations.
void register_path_functions(FunctionRegistry& functions);
// Time lines made and changed by game code, with moments of code.
void register_time_line_functions(FunctionRegistry& functions);
// The object resources: their fields, parents and events with code.
void register_object_functions(FunctionRegistry& functions);
// The room definitions: settings, backgrounds, views, instances and tiles.
void register_room_functions(FunctionRegistry& functions);
// Motion planning: straight and potential steps, planned paths and grids.
void register_motion_functions(FunctionRegistry& functions);
// Keyboard, mouse and joystick tests, key mapping, waits for a key or button.
void register_input_functions(FunctionRegistry& functions);
// The game window's layout, region, cursor and mouse, and the display mode.
void register_window_functions(FunctionRegistry& functions);
// The frame: synchronization, automatic drawing, redrawing and presenting at
// will, and saving the screen to an image file.
void register_screen_functions(FunctionRegistry& functions);
// Showing the game information and replacing its text.
void register_information_functions(FunctionRegistry& functions);
// The message dialog, prompts and popup menus, the dialog's look, and the
// system's file, folder and colour dialogs.
void register_message_functions(FunctionRegistry& functions);
// Splash screens of pictures and texts, their settings, and their actions.
void register_splash_functions(FunctionRegistry& functions);
// The game's table of the ten best scores, its dialog and its settings.
void register_highscore_functions(FunctionRegistry& functions);
// The room's tiles one by one and in layers of equal depth.
void register_tile_functions(FunctionRegistry& functions);
// The standard actions: adapters over the other families that add the
// instance's position when relative and report missing resources in the
// actions' own words.
void register_action_functions(FunctionRegistry& functions);
// Playing sounds and music, their volume, pan, effects and place in space;
// the CD drive; the sound resources; and the sound and CD actions.
void register_sound_functions(FunctionRegistry& functions);
// The program's priority, the window's handle, the application's title, a
// plain wait and the clipboard.
void register_system_functions(FunctionRegistry& functions);
// export_include_file, export_include_file_location and discard_include_file.
void register_included_file_functions(FunctionRegistry& functions);
// Multiplayer sessions: connecting, sessions, players, shared data and messages.
void register_multiplayer_functions(FunctionRegistry& functions);

}  // namespace kestrel
