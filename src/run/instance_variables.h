#pragma once

namespace kestrel {

class ScriptEngine;

// The built-in variables backed by the instance record and by the room.
void register_instance_variables(ScriptEngine& engine);
void register_room_variables(ScriptEngine& engine);
// The room's background colour, background slots and views.
void register_room_display_variables(ScriptEngine& engine);
// The mouse and keyboard as variables, and the game's id and debug flag.
void register_input_variables(ScriptEngine& engine);
// score, lives, health, what the caption shows of them, and the cursor sprite.
void register_score_variables(ScriptEngine& engine);

}  // namespace kestrel
