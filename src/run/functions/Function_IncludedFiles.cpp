#include "lib/game_names.h"
#include "run/DataNew_Main.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

constexpr const char* kSecureLocation = "In secure mode you cannot export a file to a location.";
constexpr const char* kExportMissing = "Trying to export non-existing file.";
constexpr const char* kDiscardMissing = "Trying to discard non-existing file.";

using Args = const RValue*;

// The included file the first argument names; none after the report.
std::optional<std::size_t> named_file(ScriptEngine& engine, Args args, const char* missing) {
  const auto index = find_included_file(runner_of(engine), args[0].text());
  if (!index) report_action_error(engine, missing, false);
  return index;
}

void export_include_file(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                         Args args) {
  if (const auto index = named_file(engine, args, kExportMissing)) {
    export_included_file(runner_of(engine), *index);
  }
}

void export_include_file_location(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                                  RValue&, Args args) {
  if (engine.settings.secure_mode) return report_action_error(engine, kSecureLocation, false);
  if (const auto index = named_file(engine, args, kExportMissing)) {
    export_included_file_to(runner_of(engine), *index, system_path(args[1].text()));
  }
}

void discard_include_file(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                          Args args) {
  if (const auto index = named_file(engine, args, kDiscardMissing)) {
    discard_included_file(runner_of(engine), *index);
  }
}

}  // namespace

void register_included_file_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("export_include_file", &export_include_file, 1);
  f.add("export_include_file_location", &export_include_file_location, 2);
  f.add("discard_include_file", &discard_include_file, 1);
}

}  // namespace kestrel
