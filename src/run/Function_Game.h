#pragma once

namespace kestrel {

class FunctionRegistry;

// Moving between rooms, ending and restarting the game.
void register_game_functions(FunctionRegistry& functions);
// The drawing state, colours, shapes, primitives, sprites, backgrounds and textures.
void register_graphics_functions(FunctionRegistry& functions);
// Creating, finding and destroying instances, and running their events.
void register_interaction_functions(FunctionRegistry& functions);

}  // namespace kestrel
