#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "app/dev_options.h"
#include "data/Support_File.h"
#include "data/code_origin.h"
#include "project.h"
#include "run/Extension_Main.h"
#include "run/Runner.h"
#include "script/Code_Error.h"
#include "script/Code_Main.h"

namespace kestrel::app {

namespace {

// A compile error as compilers print them: where, what, the line and a caret.
void print_error(const SourceMap& sources, const std::string& origin, const CodePlace& place) {
  std::string where = sources.describe(origin, place.line, place.column, place.message);
  if (where.empty())
    where = origin + ":" + std::to_string(place.line) + ":" + std::to_string(place.column) + ": " +
            place.message;
  // The caret keeps the line's tabs, so that it stands under the column.
  std::string caret;
  for (std::int32_t i = 0; i + 1 < place.column && i < std::int32_t(place.line_text.size()); ++i)
    caret += place.line_text[std::size_t(i)] == '\t' ? '\t' : ' ';
  std::fprintf(stderr, "%s\n  %s\n  %s^\n", where.c_str(), place.line_text.c_str(), caret.c_str());
}

int run_check(const std::string& project) {
  GameData game;
  SourceMap sources;
  std::string error;
  if (!tools::LoadProject(project, game, sources, error)) {
    std::fprintf(stderr, "kestrel-dev check: %s\n", error.c_str());
    return 1;
  }
  // The names that code can use are those known when the game starts.
  Runner runner(game, kNoTempFolder);
  runner.engine.settings.errors = {.show_errors = false, .log_errors = false};
  bool failed = false;
  runner.show_message = [&failed](std::string_view message) {
    std::fprintf(stderr, "kestrel-dev check: %.*s\n", int(message.size()), message.data());
    failed = true;
  };
  if (!declare_extension_packages(runner) || !runner.define_constants()) return 1;
  for_each_code(game, [&](const std::string& origin, const std::string& text, bool expression) {
    CCode code(text, expression, origin);
    if (code.compile(runner.engine)) return;
    print_error(sources, origin, runner.engine.errors.last_place);
    runner.engine.errors.pending = false;
    failed = true;
  });
  return failed ? 1 : 0;
}

}  // namespace

void add_check_command(CLI::App& app, int& status) {
  auto project = std::make_shared<std::string>();
  auto* command = app.add_subcommand(
      "check", "Compile every piece of code of a project folder without playing");
  command->add_option("PROJECT", *project, "The project folder")->required();
  add_example(*command, "kestrel-dev check games/demo");
  command->callback([project, &status] { status = run_check(*project); });
}

}  // namespace kestrel::app
