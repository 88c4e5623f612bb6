#pragma once

namespace kestrel {

class FunctionRegistry;

// The game window's layout, region, cursor and mouse, and the display mode.
void register_window_functions(FunctionRegistry& functions);

}  // namespace kestrel
