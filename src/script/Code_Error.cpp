#include "script/Code_Error.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "data/code_origin.h"
#include "script/Code_Main.h"
#include "script/script_engine.h"

namespace kestrel {

namespace {

constexpr char kCr = '\r';
constexpr std::string_view kCrLf = "\r\n";

// A CR, or an LF that does not follow a CR, breaks a line. Code written with
// LF alone shows its own line in a report, not the whole text.
bool starts_line(std::string_view text, std::size_t i) {
  return text[i] == kCr || (text[i] == '\n' && (i == 0 || text[i - 1] != kCr));
}

}  // namespace

std::string report_as_lines(std::string_view message) {
  std::string lines;
  lines.reserve(message.size() + 1);
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '\r') {
      lines += '\n';
      if (i + 1 < message.size() && message[i + 1] == '\n') ++i;
    } else {
      lines += message[i];
    }
  }
  lines += '\n';
  return lines;
}

namespace {

void append_to_log(ErrorState& errors, std::string_view message) {
  // The first report of a run starts a fresh log; a log that cannot be
  // written is no reason to disturb the game.
  const auto mode =
      errors.first_log ? std::ios::binary | std::ios::trunc : std::ios::binary | std::ios::app;
  errors.first_log = false;
  std::ofstream log("game_errors.log", mode);
  if (!log) return;
  log << message << kCrLf << kCrLf << kCrLf;
}

// The 1-based line of `position`, the column of the character before it and
// where that line starts, as the report counts them.
struct LineAndColumn {
  std::int32_t line = 1;
  std::int32_t column = 0;
  std::int32_t line_start = 0;  // 0-based index just after the last line break
};

LineAndColumn line_and_column(std::string_view text, std::int32_t position) {
  const auto length = static_cast<std::int32_t>(text.size());
  const std::int32_t p = std::max(std::min(position, length), 1);
  LineAndColumn at;
  for (std::int32_t i = 0; i < p && i < length; ++i) {
    if (!starts_line(text, i)) {
      ++at.column;
      continue;
    }
    ++at.line;
    at.column = 0;
    if (i < p - 1) at.line_start = i + 1;
  }
  return at;
}

// The text of the line that starts at `line_start`.
std::string_view line_at(std::string_view text, std::int32_t line_start) {
  std::size_t line_end = static_cast<std::size_t>(line_start);
  while (line_end < text.size() && !starts_line(text, line_end)) ++line_end;
  return text.substr(line_start, line_end - line_start);
}

}  // namespace

CodePlace place_in_code(std::string_view text, std::int32_t position) {
  const LineAndColumn at = line_and_column(text, position);
  return {{}, at.line, std::max(at.column, 1), std::string(line_at(text, at.line_start)), {}};
}

std::string format_code_error(std::string_view text, bool is_program, std::int32_t position,
                              std::string_view message) {
  const LineAndColumn at = line_and_column(text, position);
  if (!is_program) {
    return "Error in expression:" + std::string(text) + kCr + " position " +
           std::to_string(at.column) + ": " + std::string(message);
  }
  return "Error in code at line " + std::to_string(at.line) + ":" + kCr + "   " +
         std::string(line_at(text, at.line_start)) + kCr + std::string(at.column + 1, ' ') + "^" +
         kCr + "at position " + std::to_string(at.column) + ": " + std::string(message);
}

void record_code_error(ScriptEngine& engine, const CCode& code, std::int32_t position,
                       std::string_view message) {
  if (engine.errors.pending) return;
  engine.errors.pending = true;
  const std::string text = code.text();
  engine.errors.last_text =
      format_code_error(text, code.kind() == CodeKind::program, position, message);
  engine.errors.last_place = place_in_code(text, position);
  engine.errors.last_place.origin = code.origin();
  engine.errors.last_place.message = std::string(message);
}

namespace {

// The place of the report in the code: a recorded code error, or else the
// call of the built-in function that is reporting.
bool place_of_report(const ScriptEngine& engine, std::string_view message, CodePlace& place) {
  if (engine.errors.pending) {
    place = engine.errors.last_place;
    return true;
  }
  const CallSite& call = engine.errors.calling;
  if (call.code == nullptr) return false;
  place = place_in_code(call.code->text(), call.position);
  place.origin = call.code->origin();
  // A function's own message is the last line of the report.
  const std::size_t last_break = message.find_last_of("\r\n");
  place.message =
      std::string(last_break == std::string_view::npos ? message : message.substr(last_break + 1));
  return true;
}

// The line that points a terminal's reader at the project file of the code.
void echo_place(const ScriptEngine& engine, std::string_view message) {
  const SourceMap* sources = engine.settings.sources;
  CodePlace place;
  if (sources == nullptr || !place_of_report(engine, message, place)) return;
  const std::string line = sources->describe(place.origin, place.line, place.column, place.message);
  if (!line.empty()) std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace

void report_error(ScriptEngine& engine, std::string_view message, bool fatal) {
  ErrorState& errors = engine.errors;
  if (errors.aborting) return;
  const ErrorSettings& settings = engine.settings.errors;
  if (settings.abort_on_all_errors) fatal = true;
  if (settings.show_errors) {
    const bool ignored = engine.host().show_error(message, fatal);
    if (!fatal && !ignored) fatal = true;
  } else if (engine.settings.echo_reports) {
    const std::string lines = report_as_lines(message);
    std::fwrite(lines.data(), 1, lines.size(), stderr);
    echo_place(engine, message);
  }
  engine.host().clear_input();
  if (settings.log_errors) append_to_log(errors, message);
  errors.error_last = std::string(message);
  errors.error_occurred = true;
  if (fatal) {
    errors.aborting = true;
    engine.host().end_game();
  }
}

void report_action_error(ScriptEngine& engine, std::string_view message, bool fatal) {
  const ActionContext& context = engine.action;
  ScriptHost& host = engine.host();
  std::string text = fatal ? "FATAL ERROR in" : "ERROR in";
  text += kCrLf;
  text += "action number " + std::to_string(context.action + 1);
  text += kCrLf;
  if (context.event_type == kTimeLineEvent) {
    text += "at time step " + std::to_string(context.event_number);
    text += kCrLf;
    text += "of time line " + host.time_line_name(context.object) + ":";
  } else {
    text += "of " + host.event_name(context.event_type, context.event_number);
    text += kCrLf;
    text += "for object " + host.object_name(context.object) + ":";
  }
  text += kCrLf;
  text += kCrLf;
  text += message;
  report_error(engine, text, fatal);
}

}  // namespace kestrel
