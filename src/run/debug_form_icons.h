#pragma once

#include "run/Debug_Main.h"
#include "shell/canvas.h"

namespace kestrel {

// The tool bar's pictures are square, this many pixels a side.
inline constexpr int kDebugIconSize = 20;

// The tool bar picture of a command, drawn here in the look of the game's own
// dialogs: deep blue and silver, with green for going on and red for ending
// or removing. Transparent around the shape.
PixelCanvas debug_tool_icon(DebugCommand command);

}  // namespace kestrel
