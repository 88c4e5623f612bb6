#pragma once

namespace kestrel {

class FunctionRegistry;

// The frame: synchronization, automatic drawing, redrawing and presenting at
// will, and saving the screen to an image file.
void register_screen_functions(FunctionRegistry& functions);

}  // namespace kestrel
