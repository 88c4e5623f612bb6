#pragma once

namespace kestrel {

class FunctionRegistry;

// Keyboard, mouse and joystick tests, key mapping, waits for a key or button.
void register_input_functions(FunctionRegistry& functions);

}  // namespace kestrel
