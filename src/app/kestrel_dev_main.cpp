#include <CLI/CLI.hpp>
#include <cstdio>

#include "app/dev_commands.h"

// Each subcommand lives in its own dev_<name>.cpp and is added by add_dev_commands.
int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: kestrel-dev new DIR | check PROJECT | run GAME [options] | "
                 "build PROJECT -o OUT | extract GAME -o DIR | info GAME | eval FILE\n"
                 "       kestrel-dev COMMAND --help shows a command's options and an example\n");
    return 2;
  }
  CLI::App app{"kestrel-dev: builds, inspects and runs games"};
  app.require_subcommand(1);
  int status = 0;
  kestrel::app::add_dev_commands(app, status);
  CLI11_PARSE(app, argc, argv);
  return status;
}
