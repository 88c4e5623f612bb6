#pragma once

namespace kestrel {

class FunctionRegistry;
class Runner;

// The game information as the game's record says, then the input is cleared:
// what arrived while it was shown was meant for it.
void show_game_information(Runner& runner);

// Showing the game information and replacing its text.
void register_information_functions(FunctionRegistry& functions);

}  // namespace kestrel
