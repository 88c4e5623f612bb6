#pragma once

#include <cstdint>

namespace kestrel {

class Runner;

// Makes the device textures of every background and sprite image.
void prepare_textures(Runner& runner);
// Makes the textures of one background or sprite again after game code
// changed or deleted it.
void refresh_background_texture(Runner& runner, std::int32_t index);
void refresh_sprite_textures(Runner& runner, std::int32_t index);
// Sizes the drawn region to the room, or to its views' ports, and the window with it.
void fit_region_to_room(Runner& runner);
// Draws the current room into the back buffer: views that follow instances
// move first, then each visible view shows backgrounds, instances and tiles
// by depth, and foregrounds.
void redraw_room(Runner& runner);
// Shows the drawn region in the window.
void present_room(Runner& runner);

}  // namespace kestrel
