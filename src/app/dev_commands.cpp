#include "app/dev_commands.h"

namespace kestrel::app {

void add_dev_commands(CLI::App& app, int& status) {
  // Subcommands register here as they are built: build, extract, info, run, eval.
  (void)app;
  (void)status;
}

}  // namespace kestrel::app
