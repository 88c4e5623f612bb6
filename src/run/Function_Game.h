#pragma once

#include <cstdint>

namespace kestrel {

class CInstance;
class FunctionRegistry;
class Runner;

// Moving between rooms, ending and restarting the game.
void register_game_functions(FunctionRegistry& functions);
// The drawing state, colours, shapes, primitives, sprites, backgrounds, textures and text.
void register_graphics_functions(FunctionRegistry& functions);
// Creating, finding and destroying instances, and running their events.
void register_interaction_functions(FunctionRegistry& functions);

// Turns the instance into an instance of another object that keeps its id and
// fields and joins the end of the lists, with the destroy and create events
// when asked; reports an object that does not exist and changes nothing.
void change_instance(Runner& runner, CInstance& instance, std::int32_t object, bool run_events);

}  // namespace kestrel
