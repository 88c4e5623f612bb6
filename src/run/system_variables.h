#pragma once

namespace kestrel {

class ScriptEngine;

// The game-wide variables of the machine and the program: folders, the clock
// and the date, secure mode, the system version, the view being drawn and the
// room transition.
void register_system_variables(ScriptEngine& engine);

}  // namespace kestrel
