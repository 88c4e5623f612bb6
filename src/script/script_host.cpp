#include "script/script_host.h"

#include <cstdio>
#include <string>

#include "script/Code_Error.h"

namespace kestrel {

// Until the game window brings the error form, a shown report goes to
// standard error and counts as ignored.
bool ScriptHost::show_error(std::string_view message, bool fatal) {
  const std::string lines = report_as_lines(message);
  std::fwrite(lines.data(), 1, lines.size(), stderr);
  return true;
}

void ScriptHost::debug_message(std::string_view line) {
  std::string text(line);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), stdout);
  // Whoever watches the output (a terminal, a log, a test) sees the line
  // when the game says it, not when the buffer happens to fill.
  std::fflush(stdout);
}

}  // namespace kestrel
