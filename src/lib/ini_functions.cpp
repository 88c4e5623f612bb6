#include <filesystem>
#include <optional>

#include "lib/game_names.h"
#include "lib/ini_file.h"
#include "lib/library_functions.h"
#include "script/Code_Error.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

constexpr const char* kFolderRefused =
    "INI files must be located in the same directory as the program";
constexpr const char* kNoIniToRead = "Trying to read from undefined INI file";
constexpr const char* kNoIniToWrite = "Trying to write to undefined INI file";
constexpr const char* kNoIniToChange = "Trying to change undefined INI file";

using Args = const RValue*;

struct OpenIni {
  std::optional<IniFile> file;
};

// The open INI file; none after the report.
const IniFile* ini(ScriptEngine& engine, const char* message) {
  const std::optional<IniFile>& file = engine.families.get<OpenIni>().file;
  if (!file) report_action_error(engine, message, false);
  return file ? &*file : nullptr;
}

void ini_open(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  const std::string name = args[0].str();
  if (has_folder_part(name)) return report_action_error(engine, kFolderRefused, false);
  std::error_code error;
  engine.families.get<OpenIni>().file.emplace(std::filesystem::current_path(error) /
                                              system_path(name));
}

void ini_close(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  engine.families.get<OpenIni>().file.reset();
}

void ini_read_string(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     Args args) {
  const IniFile* file = ini(engine, kNoIniToRead);
  if (!file) return;
  result.set_text(file->read().value(args[0].text(), args[1].text()).value_or(args[2].str()));
}

// A real default reads as the text ini_write_real would store for it.
void ini_read_real(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args args) {
  const IniFile* file = ini(engine, kNoIniToRead);
  if (!file) return;
  const auto text = file->read().value(args[0].text(), args[1].text());
  result.set_real(ini_text_to_real(text ? *text : ini_real_text(args[2].real())));
}

void write_value(ScriptEngine& engine, Args args, const std::string& text) {
  const IniFile* file = ini(engine, kNoIniToWrite);
  if (!file) return;
  IniText ini_text = file->read();
  ini_text.set_value(args[0].text(), args[1].text(), text);
  file->write(ini_text);
}

void ini_write_string(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      Args args) {
  write_value(engine, args, args[2].str());
}

void ini_write_real(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                    Args args) {
  write_value(engine, args, ini_real_text(args[2].real()));
}

void ini_key_exists(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                    Args args) {
  const IniFile* file = ini(engine, kNoIniToRead);
  if (file) result.set_real(file->read().value(args[0].text(), args[1].text()) ? 1 : 0);
}

void ini_section_exists(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args args) {
  const IniFile* file = ini(engine, kNoIniToRead);
  if (file) result.set_real(file->read().section_exists(args[0].text()) ? 1 : 0);
}

void ini_key_delete(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                    Args args) {
  const IniFile* file = ini(engine, kNoIniToChange);
  if (!file) return;
  IniText text = file->read();
  text.delete_key(args[0].text(), args[1].text());
  file->write(text);
}

void ini_section_delete(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                        Args args) {
  const IniFile* file = ini(engine, kNoIniToChange);
  if (!file) return;
  IniText text = file->read();
  text.delete_section(args[0].text());
  file->write(text);
}

}  // namespace

void register_ini_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("ini_open", &ini_open, 1);
  f.add("ini_close", &ini_close, 0);
  f.add("ini_read_string", &ini_read_string, 3);
  f.add("ini_read_real", &ini_read_real, 3);
  f.add("ini_write_string", &ini_write_string, 3);
  f.add("ini_write_real", &ini_write_real, 3);
  f.add("ini_key_exists", &ini_key_exists, 2);
  f.add("ini_section_exists", &ini_section_exists, 1);
  f.add("ini_key_delete", &ini_key_delete, 2);
  f.add("ini_section_delete", &ini_section_delete, 1);
}

}  // namespace kestrel
