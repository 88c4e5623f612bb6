#include "run/Extension_Main.h"

#include <memory>
#include <string>

#include "data/Runner_Load.h"
#include "data/code_origin.h"
#include "lib/Support_DLL.h"
#include "platform/process.h"
#include "run/Runner.h"
#include "script/Code_Error.h"

namespace kestrel {
namespace {

// Runs one of the file's own functions, named by its initialization or
// finalization entry, as a call from a temporary instance.
bool call_lifecycle_function(Runner& runner, const CExtensionFile& file, const std::string& name,
                             const char* not_found) {
  ScriptEngine& engine = runner.engine;
  if (engine.settings.secure_mode) {
    report_error(engine, kSecureExtensionMessage, true);
    return false;
  }
  const auto function = std::find_if(file.functions.begin(), file.functions.end(),
                                     [&](const CExtensionFunction& f) { return f.name == name; });
  if (function == file.functions.end()) {
    report_error(engine, not_found + name, true);
    return false;
  }
  CInstance scratch(runner.game, 0, 0, 0, 0);
  RValue result;
  if (!engine.extensions.call(engine, function->id, scratch, scratch, nullptr, 0, result)) {
    report_error(engine, engine.errors.last_text, true);
    engine.errors.pending = false;
    return false;
  }
  return true;
}

template <std::string CExtensionFile::*which>
bool call_lifecycle_functions(Runner& runner, const char* not_found) {
  for (const CExtensionPackage& package : runner.game.extension_packages) {
    for (const CExtensionFile& file : package.files) {
      const std::string& name = file.*which;
      if (!name.empty() && !call_lifecycle_function(runner, file, name, not_found)) return false;
    }
  }
  return true;
}

// Where libraries named without a folder are looked for: beside the game, in
// the working folder, then in the packages' folders of the temporary folder.
std::vector<std::filesystem::path> library_folders(Runner& runner) {
  const std::vector<std::string>& command_line = runner.engine.settings.command_line;
  std::vector<std::filesystem::path> folders{
      command_line.empty() ? platform::executable_path().parent_path()
                           : std::filesystem::path(command_line[0]).parent_path(),
      "."};
  if (runner.temp_folder.created()) {
    for (const CExtensionPackage& package : runner.game.extension_packages)
      folders.push_back(runner.temp_folder.path() / package.folder_name);
  }
  return folders;
}

constexpr int kLibraryFile = 1;
constexpr int kStoredString = 1;
constexpr int kStoredCdecl = 12;

platform::NativeType native_type(int stored) {
  return stored == kStoredString ? platform::NativeType::text : platform::NativeType::real;
}

// The native call behind a function of a library file; none in secure mode,
// where the library is not even loaded, since calling it is refused anyway.
ExtensionFunctions::LibraryCall library_call(Runner& runner, const CExtensionPackage& package,
                                             const CExtensionFile& file,
                                             const CExtensionFunction& function) {
  if (runner.engine.settings.secure_mode) return nullptr;
  ExternalFunctions& external = runner.engine.families.get<ExternalFunctions>();
  std::int32_t handle = -1;
  if (function.argument_count >= 0 && function.argument_count <= kMaxExternalArguments) {
    std::vector<platform::NativeType> types;
    for (int i = 0; i < function.argument_count; ++i)
      types.push_back(native_type(function.argument_types[static_cast<std::size_t>(i)]));
    const std::filesystem::path library =
        runner.temp_folder.path() / package.folder_name / file.file_name;
    handle = external.define(library.string(), function.external_name,
                             function.calling_convention == kStoredCdecl ? 0 : kStdcall,
                             std::move(types), native_type(function.result_type));
  }
  return [&external, handle](const RValue* arguments, int count) {
    return external.call(handle, arguments, count);
  };
}

}  // namespace

bool declare_extension_packages(Runner& runner) {
  ScriptEngine& engine = runner.engine;
  const auto& packages = runner.game.extension_packages;
  for (const CExtensionPackage& package : packages) {
    for (const CExtensionFile& file : package.files) {
      for (const CExtensionConstant& constant : file.constants) {
        if (!runner.define_constant(constant.name, constant.value)) return false;
      }
    }
  }
  engine.extensions.clear();
  for (const CExtensionPackage& package : packages) {
    for (const CExtensionFile& file : package.files) {
      for (const CExtensionFunction& function : file.functions)
        engine.extensions.define(function.id, function.name, function.argument_count, nullptr);
    }
  }
  return true;
}

bool prepare_extension_packages(Runner& runner) {
  // Every function is known by name before any is compiled, so that one
  // function's code can call another's.
  if (!declare_extension_packages(runner)) return false;
  ScriptEngine& engine = runner.engine;
  engine.families.get<ExternalFunctions>().set_library_folders(library_folders(runner));
  const auto& packages = runner.game.extension_packages;
  for (std::size_t p = 0; p < packages.size(); ++p) {
    const CExtensionPackage& package = packages[p];
    for (std::size_t f = 0; f < package.files.size(); ++f) {
      const CExtensionFile& file = package.files[f];
      for (std::size_t n = 0; n < file.functions.size(); ++n) {
        const CExtensionFunction& function = file.functions[n];
        std::unique_ptr<CCode> code;
        ExtensionFunctions::LibraryCall library;
        if (file.kind == kLibraryFile) library = library_call(runner, package, file, function);
        if (file.kind == 2 && !function.code.empty()) {
          code = std::make_unique<CCode>(function.code, false,
                                         code_origin::extension_function(p, f, n));
          if (!code->compile(engine)) {
            report_error(engine,
                         "COMPILATION ERROR in extension package " + package.name + kCr +
                             engine.errors.last_text,
                         true);
            engine.errors.pending = false;
            return false;
          }
        }
        engine.extensions.define(function.id, function.name, function.argument_count,
                                 std::move(code), std::move(library));
      }
    }
  }
  return true;
}

bool call_extension_initializers(Runner& runner) {
  return call_lifecycle_functions<&CExtensionFile::initialization_function>(
      runner, "Could not locate initialization function ");
}

bool call_extension_finalizers(Runner& runner) {
  return call_lifecycle_functions<&CExtensionFile::finalization_function>(
      runner, "Could not locate finalization function ");
}

}  // namespace kestrel
