#include <algorithm>
#include <string>

#include "graphics/image/BM32_PNG.h"
#include "platform/clock.h"
#include "run/Runner.h"
#include "run/functions/families.h"
#include "run/room_draw.h"
#include "script/Code_Error.h"
#include "script/Code_Function.h"

namespace kestrel {
namespace {

using Args = const RValue*;

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

void set_synchronization(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                         Args args) {
  runner_of(engine).graphics.set_synchronization(is_true(args[0]));
}

void set_automatic_draw(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                        Args args) {
  runner_of(engine).automatic_draw = is_true(args[0]);
}

void screen_redraw(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  Runner& runner = runner_of(engine);
  redraw_room(runner);
  present_room(runner);
}

void screen_refresh(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  present_room(runner_of(engine));
}

// A present cannot be waited for without showing a frame, so the wait is one
// refresh of the screen.
void screen_wait_vsync(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  const int refresh = runner_of(engine).layout.display_mode().refresh_rate;
  platform::Clock::sleep(1'000'000 / std::max(refresh, 1));
}

// The screen's picture is opaque, whatever alpha the drawing left behind.
// Writing problems are not the game's to handle, so they are passed over.
void save_screen(ScriptEngine& engine, const std::string& name, int x, int y, int width,
                 int height) {
  if (name.empty()) {
    report_action_error(engine, "Trying to save screen to empty image file name.", false);
    return;
  }
  Capture capture;
  if (!runner_of(engine).graphics.capture(x, y, width, height, capture)) return;
  for (std::uint32_t& pixel : capture.argb) pixel |= 0xFF000000u;
  WriteImageFile(name, capture.width, capture.height, capture.argb);
}

void screen_save(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  const Graphics& graphics = runner_of(engine).graphics;
  save_screen(engine, args[0].str(), 0, 0, graphics.region_width(), graphics.region_height());
}

void screen_save_part(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      Args args) {
  save_screen(engine, args[0].str(), whole(args[1]), whole(args[2]), whole(args[3]),
              whole(args[4]));
}

}  // namespace

void register_screen_functions(FunctionRegistry& functions) {
  functions.add("set_synchronization", &set_synchronization, 1);
  functions.add("set_automatic_draw", &set_automatic_draw, 1);
  functions.add("screen_redraw", &screen_redraw, 0);
  functions.add("screen_refresh", &screen_refresh, 0);
  functions.add("screen_wait_vsync", &screen_wait_vsync, 0);
  functions.add("screen_save", &screen_save, 1);
  functions.add("screen_save_part", &screen_save_part, 5);
}

}  // namespace kestrel
