#pragma once

namespace kestrel {

class FunctionRegistry;

// The program's priority, the window's handle, the application's title, a
// plain wait and the clipboard.
void register_system_functions(FunctionRegistry& functions);

}  // namespace kestrel
