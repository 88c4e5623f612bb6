#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "script/RValue.h"

namespace kestrel {

class Runner;

// The text the debug window shows for a value: a string as it is; a real as
// an integer when it lies within 1e-12 of one, else with the fewest of 2, 4,
// 6 or 8 decimals that hold it exactly enough, else with 10.
std::string debug_value_text(const RValue& value);

// One line of an information window: the name, ":", padded to 20
// characters, the value's text without NUL characters, CR LF.
std::string debug_line(std::string_view name, std::string_view value_text);
// The line between groups of an information window.
inline constexpr std::string_view kDebugSeparator = "________________________________\r\n";

// What the information windows show of the running game. A local-variable
// window names an instance by id, or an object by name (with id -1).
std::string global_variables_text(Runner& runner);
std::string local_variables_text(Runner& runner, std::int32_t id, std::string_view object_name);
std::string all_instances_text(Runner& runner);

// Watch files hold one expression a line.
std::vector<std::string> parse_watch_file(std::string_view text);
std::string watch_file_text(const std::vector<std::string>& expressions);
// Reads or writes (through a temporary file) a watch file; false with the
// reason in `error`.
bool read_watch_file(const std::filesystem::path& file, std::vector<std::string>& expressions,
                     std::string& error);
bool write_watch_file(const std::filesystem::path& file,
                      const std::vector<std::string>& expressions, std::string& error);

}  // namespace kestrel
