#include <algorithm>

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

using Args = const RValue*;

// The longest stretch a wait blocks before the window is answered again.
constexpr std::int64_t kMessageIntervalMicroseconds = 10'000;

void set_program_priority(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue&,
                          Args args) {
  platform::set_program_priority(round_to_int32(args[0].real()));
}

void window_handle(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args) {
  const platform::Window* window = runner_of(engine).layout.window();
  result.set_real(window ? static_cast<double>(window->native_handle()) : 0);
}

void set_application_title(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue&,
                           Args args) {
  if (args[0].is_string()) platform::set_program_title(args[0].str());
}

// The game stands still while the window keeps answering.
void sleep(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  const std::int64_t wait = round_to_int64(args[0].real() * 1000);
  const platform::Clock clock;
  for (std::int64_t left = wait; left > 0; left = wait - clock.microseconds()) {
    platform::Clock::sleep(std::min(left, kMessageIntervalMicroseconds));
    engine.host().process_messages();
  }
}

void clipboard_has_text(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args) {
  result.set_real(platform::clipboard_has_text() ? 1 : 0);
}

void clipboard_get_text(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args) {
  result.set_text(platform::clipboard_text());
}

void clipboard_set_text(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  platform::set_clipboard_text(args[0].str());
}

}  // namespace

void register_system_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("set_program_priority", &set_program_priority, 1);
  f.add("window_handle", &window_handle, 0);
  f.add("set_application_title", &set_application_title, 1);
  f.add("sleep", &sleep, 1);
  f.add("clipboard_has_text", &clipboard_has_text, 0);
  f.add("clipboard_get_text", &clipboard_get_text, 0);
  f.add("clipboard_set_text", &clipboard_set_text, 1);
}

}  // namespace kestrel
