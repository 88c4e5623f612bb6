#pragma once

namespace kestrel {

class FunctionRegistry;
class Runner;

// Starts the game's sound on the sound card and prepares the sounds marked
// for preloading. A machine without a sound card plays on without sound, and
// the player is told once.
bool prepare_sounds(Runner& runner);

// Playing sounds and music, their volume, pan, effects and place in space;
// the CD drive; the sound resources; and the sound and CD actions.
void register_sound_functions(FunctionRegistry& functions);

}  // namespace kestrel
