#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

class CCode;
class ScriptEngine;

// The game settings that decide what a report does.
struct ErrorSettings {
  bool show_errors = true;
  bool log_errors = false;
  bool abort_on_all_errors = false;
};

// Where the running action stands, for the context lines of action errors.
// While a time line moment runs, event_type is kTimeLineEvent, object holds
// the time line and event_number the step.
struct ActionContext {
  std::int32_t object = 0;
  std::int32_t event_type = 0;
  std::int32_t event_number = 0;
  std::int32_t action = 0;
};

inline constexpr std::int32_t kTimeLineEvent = 100000;

// Where a recorded code error sits in its code: lines and columns count
// from 1, as the report's "line" and "position" do.
struct CodePlace {
  std::string origin;
  std::int32_t line = 1;
  std::int32_t column = 1;
  std::string line_text;
  std::string message;
};

// The call of a built-in function that code is making, so that the function's
// own report can point at the call in the maker's file.
struct CallSite {
  const CCode* code = nullptr;
  std::int32_t position = 0;
};

struct ErrorState {
  bool pending = false;  // the current phase or execution has recorded one
  std::string last_text;
  CodePlace last_place;  // of last_text while pending
  bool error_occurred = false;
  std::string error_last;
  bool aborting = false;
  bool first_log = true;
  CallSite calling;  // while a built-in function called from code runs
};

// The line and column of a position (counted from 1) in code text.
CodePlace place_in_code(std::string_view text, std::int32_t position);

// The text of a code error: the line, a caret under the column and the
// message for a program; the whole text for an expression.
std::string format_code_error(std::string_view text, bool is_program, std::int32_t position,
                              std::string_view message);

// A report as lines for a terminal: CR, LF and CR LF all end a line.
std::string report_as_lines(std::string_view message);

// Records the first error of a compile phase or execution.
void record_code_error(ScriptEngine& engine, const CCode& code, std::int32_t position,
                       std::string_view message);

// Shows, logs and stores a report, ending the game when it is fatal. Under
// the developer tool a report about a recorded code error whose origin the
// engine's source map knows is followed by "FILE:LINE:COLUMN: message" on
// standard error.
void report_error(ScriptEngine& engine, std::string_view message, bool fatal);

// As report_error, with the running action's context in front.
void report_action_error(ScriptEngine& engine, std::string_view message, bool fatal);

}  // namespace kestrel
