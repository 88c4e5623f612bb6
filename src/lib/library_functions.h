#pragma once

namespace kestrel {

class FunctionRegistry;

// Binary, text and legacy files by handle, files and folders, searches, file
// names, programs, the command line, the environment and the disks.
void register_file_functions(FunctionRegistry& functions);
// The registry: the game's own key and keys under a chosen root.
void register_registry_functions(FunctionRegistry& functions);
// One INI file at a time, next to the game.
void register_ini_functions(FunctionRegistry& functions);
// Calendar arithmetic on date-time values and their text forms.
void register_date_functions(FunctionRegistry& functions);
// Functions of native libraries that game code defines and calls.
void register_external_functions(FunctionRegistry& functions);

}  // namespace kestrel
