#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "run/Runner.h"
#include "script/Code_Exec.h"

namespace kestrel {

// Runs a piece of game code in the runner, a program or an expression for its
// value, with an instance of object 0 (id 100001, in no room) as self and other.
inline RValue run_game_code(Runner& runner, std::string_view text, bool expression) {
  CCode code(text, expression);
  EXPECT_TRUE(code.compile(runner.engine)) << text;
  CInstance self(runner.game, 100001, 0, 0, 0);
  RValue value;
  execute(runner.engine, code, &self, &self, value);
  return value;
}

// Runs the statements and gives the last line of what they reported; "" for
// nothing.
inline std::string last_report_line(Runner& runner, std::string_view statements) {
  runner.engine.errors.error_last.clear();
  run_game_code(runner, statements, false);
  const std::string& last = runner.engine.errors.error_last;
  const std::size_t line = last.rfind('\n');
  return line == std::string::npos ? last : last.substr(line + 1);
}

}  // namespace kestrel
