#include "run/DataNew_Main.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "data/Runner_Load.h"
#include "run/Runner.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

enum ExportKind { kNoExport = 0, kToTempFolder = 1, kToWorkingFolder = 2, kToExportFolder = 3 };

bool names_a_folder(const std::string& name) {
  return name.find_first_of("\\/") != std::string::npos;
}

// Games write folder separators as backslashes.
fs::path game_path(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return fs::path(text);
}

// Where the file goes; empty when secure mode refuses it (after the report).
fs::path export_target(Runner& runner, const CDataFile& file) {
  ScriptEngine& engine = runner.engine;
  if (engine.settings.secure_mode) {
    if (names_a_folder(file.file_name)) {
      report_error(engine, "In secure mode you cannot export a data file to " + file.file_name,
                   false);
      return {};
    }
    if (file.export_kind == kToExportFolder) {
      report_error(
          engine, "In secure mode you cannot export a data file to an indicated directory.", false);
      return {};
    }
  }
  switch (file.export_kind) {
    case kToTempFolder:
      return runner.temp_folder.path() / game_path(file.file_name);
    case kToWorkingFolder:
      return game_path(file.file_name);
    case kToExportFolder:
      return game_path(file.export_folder) / game_path(file.file_name);
    default:
      return {};
  }
}

}  // namespace

void export_included_files(Runner& runner) {
  for (const CDataFile& file : runner.game.included_files) {
    if (!file.stored || !file.data || file.export_kind == kNoExport) continue;
    const fs::path target = export_target(runner, file);
    if (target.empty()) continue;
    std::error_code error;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
    if (!file.overwrite && fs::exists(target, error)) continue;
    const std::string_view bytes(reinterpret_cast<const char*>(file.data->data()),
                                 file.data->size());
    std::string ignored;
    if (WriteFileAtomically(target, bytes, ignored) && file.remove_at_end) {
      runner.exported_files.push_back(target);
    }
  }
}

void remove_included_files(Runner& runner) {
  for (const fs::path& file : runner.exported_files) {
    std::error_code ignored;
    fs::remove(file, ignored);
  }
  runner.exported_files.clear();
}

}  // namespace kestrel
