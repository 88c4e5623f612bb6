#pragma once

#include <cstdint>

namespace kestrel {

class ScriptEngine;

// What an effect needs to know of the running game.
struct EffectSurroundings {
  double room_speed = 30;
  double frame_rate = 30;  // measured over the last second
  double room_width = 640;
  double room_height = 480;
};

// Makes one ready-made effect (ef_explosion ... ef_snow) of a size (0 small,
// 2 large, anything else medium) in the given colour, in the system below
// the instances or the one above them.
void create_effect(ScriptEngine& engine, bool above, std::int32_t kind, double x, double y,
                   std::int32_t size, std::int32_t colour);
// Removes every particle of both effect systems.
void clear_effects(ScriptEngine& engine);

}  // namespace kestrel
