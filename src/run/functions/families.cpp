#include "run/functions/families.h"

#include "script/script_engine.h"

namespace kestrel {

void register_families(ScriptEngine& engine) {
  register_instance_variables(engine);
  register_room_variables(engine);
  register_room_display_variables(engine);
  register_input_variables(engine);
  register_score_variables(engine);
  register_event_variables(engine);
  register_system_variables(engine);

  FunctionRegistry& functions = engine.functions;
  register_game_functions(functions);
  register_interaction_functions(functions);
  register_graphics_functions(functions);
  register_font_functions(functions);
  register_collision_functions(functions);
  register_path_functions(functions);
  register_motion_functions(functions);
  register_input_functions(functions);
  register_window_functions(functions);
  register_screen_functions(functions);
  register_information_functions(functions);
  register_tile_functions(functions);
  register_sound_functions(functions);
}

}  // namespace kestrel
