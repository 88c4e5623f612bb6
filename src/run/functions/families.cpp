#include "run/functions/families.h"

#include "lib/Function_Data_Structures.h"
#include "lib/Function_Particles.h"
#include "lib/library_functions.h"
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
  register_sprite_functions(functions);
  register_background_functions(functions);
  register_surface_functions(functions);
  register_3d_functions(functions);
  register_font_functions(functions);
  register_collision_functions(functions);
  register_path_functions(functions);
  register_time_line_functions(functions);
  register_object_functions(functions);
  register_room_functions(functions);
  register_motion_functions(functions);
  register_input_functions(functions);
  register_window_functions(functions);
  register_screen_functions(functions);
  register_information_functions(functions);
  register_message_functions(functions);
  register_highscore_functions(functions);
  register_splash_functions(functions);
  register_tile_functions(functions);
  register_sound_functions(functions);
  register_action_functions(functions);
  register_data_structure_functions(functions);
  register_particle_functions(functions);
  register_system_functions(functions);
  register_date_functions(functions);
  register_file_functions(functions);
  register_included_file_functions(functions);
  register_registry_functions(functions);
  register_ini_functions(functions);
  register_external_functions(functions);
  register_multiplayer_functions(functions);
}

}  // namespace kestrel
