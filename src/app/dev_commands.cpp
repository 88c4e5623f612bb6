#include "app/dev_commands.h"

namespace kestrel::app {

void add_build_command(CLI::App& app, int& status);
void add_extract_command(CLI::App& app, int& status);
void add_info_command(CLI::App& app, int& status);
void add_run_command(CLI::App& app, int& status);
void add_eval_command(CLI::App& app, int& status);
void add_check_command(CLI::App& app, int& status);
void add_new_command(CLI::App& app, int& status);

void add_dev_commands(CLI::App& app, int& status) {
  add_new_command(app, status);
  add_check_command(app, status);
  add_run_command(app, status);
  add_build_command(app, status);
  add_extract_command(app, status);
  add_info_command(app, status);
  add_eval_command(app, status);
}

}  // namespace kestrel::app
