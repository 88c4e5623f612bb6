#pragma once

#include <CLI/CLI.hpp>

namespace kestrel::app {

// Adds every subcommand of kestrel-dev; the one that runs stores its exit status.
void add_dev_commands(CLI::App& app, int& status);

}  // namespace kestrel::app
