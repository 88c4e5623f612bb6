#pragma once

#include <cstdint>

#include "run/Runner.h"

namespace kestrel {

// Puts the instance on a path. A path that does not exist, has no length, or
// a negative scale leaves the instance off any path (path_index -1); when
// `absolute`, the instance jumps to the path's end it starts from.
void path_start(Runner& runner, CInstance& instance, std::int32_t path, double speed,
                std::int32_t end_action, bool absolute, double scale = 1, double orientation = 0);

// Moves the instance one step along its path, leaving speed 0 and direction
// along the movement; true when it reached an end in this step (the caller
// then runs the end-of-path event).
bool path_step(Runner& runner, CInstance& instance);

}  // namespace kestrel
