// Any bytes given as code must compile to a tree or to the first error, and
// running what compiles must end within the step budget: no crash, no hang,
// no read out of bounds, no unbounded memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "script/script_engine.h"
#include "script/stand_in_world.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  StandInWorld world;
  const std::int32_t first = world.add_object("obj_first");
  const std::int32_t second = world.add_object("obj_second");
  world.add_room("room_only");
  ScriptInstance& self = world.add_instance(first);
  ScriptInstance& other = world.add_instance(second);
  world.add_instance(second);

  ScriptEngine engine(&world);
  engine.settings.errors.show_errors = false;
  engine.limits.max_string_length = 1 << 16;
  // A script for the code to call, which reads its arguments, leaves a value
  // in a slot it was not passed and may call itself.
  engine.scripts.add("scr_fuzz",
                     "argument9 = argument0; if argument1 > 0 argument0 = scr_fuzz(argument0, "
                     "argument1 - 1); return argument0 * argument1 + argument2 mod 3");
  // One that only computes from its arguments, and one that changes the
  // caller's names and draws.
  engine.scripts.add("scr_pure",
                     "if argument0 > 2 return argument0 / argument1; return argument2 mod 4");
  engine.scripts.add("scr_side", "n += 1; t = 'x'; return random(3)");
  engine.scripts.compile_all(engine);

  for (const bool is_expression : {false, true}) {
    CCode code(text, is_expression);
    if (!code.compile(engine)) continue;
    engine.steps_left = 5000;
    RValue result;
    execute(engine, code, &self, &other, result);
  }
  return 0;
}
