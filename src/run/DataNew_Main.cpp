#include "run/DataNew_Main.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "data/Runner_Load.h"
#include "lib/game_names.h"
#include "run/Runner.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

enum ExportKind { kNoExport = 0, kToTempFolder = 1, kToWorkingFolder = 2, kToExportFolder = 3 };

// Stored in the game and not released by this run.
bool is_stored(const Runner& runner, std::size_t index) {
  const CDataFile& file = runner.game.included_files[index];
  return file.stored && file.data && !runner.released_included_files.contains(index);
}

// Where the file goes; empty when secure mode refuses it (after the report).
fs::path export_target(Runner& runner, const CDataFile& file) {
  ScriptEngine& engine = runner.engine;
  if (engine.settings.secure_mode) {
    if (has_folder_part(file.file_name)) {
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
      return runner.temp_folder.path() / system_path(file.file_name);
    case kToWorkingFolder:
      return system_path(file.file_name);
    case kToExportFolder:
      return system_path(file.export_folder) / system_path(file.file_name);
    default:
      return {};
  }
}

// Writes the file's data unless something is there that may not be replaced.
bool export_to(const CDataFile& file, const fs::path& target) {
  std::error_code error;
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
  if (!file.overwrite && fs::exists(target, error)) return false;
  const std::string_view bytes(reinterpret_cast<const char*>(file.data->data()), file.data->size());
  std::string ignored;
  return WriteFileAtomically(target, bytes, ignored);
}

}  // namespace

void export_included_file(Runner& runner, std::size_t index) {
  const CDataFile& file = runner.game.included_files[index];
  if (!is_stored(runner, index) || file.export_kind == kNoExport) return;
  const fs::path target = export_target(runner, file);
  if (target.empty()) return;
  if (export_to(file, target) && file.remove_at_end) runner.exported_files.push_back(target);
  if (file.free_after_export) runner.released_included_files.insert(index);
}

std::optional<std::size_t> find_included_file(const Runner& runner, std::string_view name) {
  const auto& files = runner.game.included_files;
  for (std::size_t index = 0; index < files.size(); ++index) {
    if (files[index].file_name == name) return index;
  }
  return std::nullopt;
}

void export_included_file_to(Runner& runner, std::size_t index, const fs::path& target) {
  if (is_stored(runner, index)) export_to(runner.game.included_files[index], target);
}

void discard_included_file(Runner& runner, std::size_t index) {
  runner.released_included_files.insert(index);
}

void export_included_files(Runner& runner) {
  for (std::size_t index = 0; index < runner.game.included_files.size(); ++index) {
    export_included_file(runner, index);
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
