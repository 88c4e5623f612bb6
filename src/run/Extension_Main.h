#pragma once

namespace kestrel {

class Runner;

// Defines every package's constants and the names of its functions, without
// their code: what compiling other code needs to know of the packages.
bool declare_extension_packages(Runner& runner);

// Defines every package's constants, makes the table of extension functions
// and compiles the script functions. False after the message or fatal report
// that stops the start.
bool prepare_extension_packages(Runner& runner);

// The initialization functions of every package file that names one, at game
// start; the finalization functions at game end. False after a report, which
// stops the rest.
bool call_extension_initializers(Runner& runner);
bool call_extension_finalizers(Runner& runner);

}  // namespace kestrel
