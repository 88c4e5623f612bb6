#pragma once

#include <string>

namespace kestrel {

class Runner;

// The file F5 saves to and F6 loads from.
std::string quick_save_file(const Runner& runner);

// Writes the whole running game to the file at once; failures are reported
// as action errors and the game goes on.
void save_game(Runner& runner, const std::string& file_name);
// Restores a saved game now, without any event. A missing file does nothing;
// a file of another version or game, or a damaged one, is reported and
// leaves the running game as it was.
void load_game(Runner& runner, const std::string& file_name);
// Loading asked for by game code waits until the step is over.
void request_load(Runner& runner, std::string file_name);
// Carries out the requested load between steps.
void load_requested_game(Runner& runner);

}  // namespace kestrel
