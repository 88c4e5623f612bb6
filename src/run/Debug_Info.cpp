#include "run/Debug_Info.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "data/Support_File.h"
#include "run/Instance_Class.h"
#include "run/Runner.h"
#include "script/Function_Math.h"

namespace kestrel {
namespace {

// The name of a line is padded to this width, its colon included.
constexpr std::size_t kNameWidth = 20;

bool near_whole(double value) {
  return std::fabs(value - std::nearbyint(value)) < 1e-12;
}

// The built-in variables of the global-variables window; an empty name
// stands for a separator.
constexpr std::string_view kGlobalNames[] = {"mouse_x",
                                             "mouse_y",
                                             "mouse_button",
                                             "mouse_lastbutton",
                                             "keyboard_key",
                                             "keyboard_lastkey",
                                             "keyboard_lastchar",
                                             "keyboard_string",
                                             "",
                                             "score",
                                             "lives",
                                             "health",
                                             "room",
                                             "room_width",
                                             "room_height",
                                             "room_speed",
                                             "room_persistent",
                                             "cursor_sprite",
                                             "",
                                             "working_directory",
                                             "temp_directory",
                                             "program_directory",
                                             "secure_mode",
                                             "error_occurred",
                                             "error_last",
                                             ""};

// The built-in variables of a local-variables window, the same way.
constexpr std::string_view kLocalNames[] = {"x",
                                            "y",
                                            "direction",
                                            "speed",
                                            "hspeed",
                                            "vspeed",
                                            "friction",
                                            "gravity",
                                            "gravity_direction",
                                            "",
                                            "id",
                                            "object_index",
                                            "sprite_index",
                                            "image_index",
                                            "image_single",
                                            "image_speed",
                                            "image_xscale",
                                            "image_yscale",
                                            "mask_index",
                                            "solid",
                                            "visible",
                                            "persistent",
                                            "depth",
                                            "",
                                            "path_index",
                                            "path_position",
                                            "path_orientation",
                                            "path_scale",
                                            ""};

// The lines of built-in variables as `instance` reads them.
template <std::size_t Count>
void append_builtin_lines(std::string& text, Runner& runner, CInstance& instance,
                          const std::string_view (&names)[Count]) {
  BuiltinVariables& table = runner.engine.builtin_variables;
  for (std::string_view name : names) {
    if (name.empty()) {
      text += kDebugSeparator;
      continue;
    }
    const std::int32_t index = table.index_of(name);
    RValue value;
    if (index >= 0) table.at(index).getter(runner.engine, instance, 0, value);
    text += debug_line(name, debug_value_text(value));
  }
}

void append_variable_lines(std::string& text, Runner& runner, const CVariableList& variables) {
  for (const RVariable& variable : variables.entries()) {
    text +=
        debug_line(runner.engine.variable_name(variable.index), debug_value_text(variable.value));
  }
}

}  // namespace

std::string debug_value_text(const RValue& value) {
  if (value.is_string()) return value.str();
  const double r = value.real();
  std::array<char, kMaxDecimalLength> text;
  const auto written = [&](double shown, int significant, int decimals) {
    const std::size_t length = write_decimal(shown, significant, decimals, text.data());
    return length == 0 ? real_to_text(r) : std::string(text.data(), length);
  };
  if (near_whole(r)) return written(std::nearbyint(r), 18, 0);
  for (int decimals = 2; decimals <= 8; decimals += 2) {
    if (near_whole(r * std::pow(10.0, decimals))) return written(r, 10, decimals);
  }
  return written(r, 10, 10);
}

std::string debug_line(std::string_view name, std::string_view value_text) {
  std::string line(name);
  line += ':';
  if (line.size() < kNameWidth) line.append(kNameWidth - line.size(), ' ');
  for (char c : value_text) {
    if (c != '\0') line += c;
  }
  line += "\r\n";
  return line;
}

std::string global_variables_text(Runner& runner) {
  CInstance temporary(runner.game, 0, 0, 0, 0);
  std::string text;
  append_builtin_lines(text, runner, temporary, kGlobalNames);
  append_variable_lines(text, runner, runner.engine.globals.list());
  return text;
}

std::string local_variables_text(Runner& runner, std::int32_t id, std::string_view object_name) {
  RoomInstances& instances = runner.instances();
  for (std::int32_t i = 0; i < instances.count(); ++i) {
    CInstance& instance = instances.at(i);
    if (instance.destroyed) continue;
    if (instance.id != id && runner.game.objects.name(instance.object_index) != object_name) {
      continue;
    }
    std::string text;
    append_builtin_lines(text, runner, instance, kLocalNames);
    append_variable_lines(text, runner, instance.variables);
    return text;
  }
  return "NO SUCH INSTANCE EXISTS";
}

std::string all_instances_text(Runner& runner) {
  std::string text = "   Id     Object Name    Sprite Name\r\n";
  text += std::string(36, '_') + "\r\n";
  RoomInstances& instances = runner.instances();
  for (std::int32_t i = 0; i < instances.count(); ++i) {
    const CInstance& instance = instances.at(i);
    if (instance.destroyed) continue;
    const std::string object = runner.game.objects.name(instance.object_index);
    const std::string sprite = runner.game.sprites.name(instance.sprite());
    // Names are not cut, however long.
    const int length =
        std::snprintf(nullptr, 0, "%6d %14s %14s", instance.id, object.c_str(), sprite.c_str());
    std::string row(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(row.data(), row.size(), "%6d %14s %14s", instance.id, object.c_str(),
                  sprite.c_str());
    row.pop_back();
    text += row + "\r\n";
  }
  return text;
}

std::vector<std::string> parse_watch_file(std::string_view text) {
  std::vector<std::string> expressions;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    expressions.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return expressions;
}

std::string watch_file_text(const std::vector<std::string>& expressions) {
  std::string text;
  for (const std::string& expression : expressions) text += expression + "\r\n";
  return text;
}

bool read_watch_file(const std::filesystem::path& file, std::vector<std::string>& expressions,
                     std::string& error) {
  std::ifstream in(file, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in && !in.eof()) {
    error = "Cannot read the watch file " + file.string() + ".";
    return false;
  }
  expressions = parse_watch_file(text);
  return true;
}

bool write_watch_file(const std::filesystem::path& file,
                      const std::vector<std::string>& expressions, std::string& error) {
  std::string reason;
  if (WriteFileAtomically(file, watch_file_text(expressions), reason)) return true;
  error = "Cannot save the watch file " + file.string() + ": " + reason;
  return false;
}

}  // namespace kestrel
