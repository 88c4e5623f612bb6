// Runs one benchmark program and prints the seconds its execution took, so
// that bench/script/compare can set it beside the same algorithm in Lua.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "lib/Function_Data_Structures.h"
#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "script/script_engine.h"
#include "script/stand_in_world.h"

int main(int argc, char** argv) {
  using namespace kestrel;
  if (argc != 2) {
    std::fprintf(stderr, "usage: script_bench PROGRAM\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "script_bench: cannot read %s\n", argv[1]);
    return 2;
  }
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};

  // The room every program runs in: obj_bench has 1000 instances, the code
  // runs for one more of obj_runner.
  constexpr int kInstances = 1000;
  StandInWorld world;
  const std::int32_t runner = world.add_object("obj_runner");
  const std::int32_t bench = world.add_object("obj_bench");
  ScriptInstance& self = world.add_instance(runner);
  ScriptEngine engine(&world);
  register_data_structure_functions(engine.functions);
  engine.settings.errors.show_errors = false;
  engine.settings.echo_reports = true;
  const std::int32_t x = engine.variable_index("x");
  for (int i = 0; i < kInstances; ++i) world.add_instance(bench).variables.set(x, 0, RValue(0.0));

  CCode code(text, false);
  if (!code.compile(engine)) {
    std::fprintf(stderr, "%s\n", report_as_lines(engine.errors.last_text).c_str());
    return 1;
  }
  RValue result;
  const auto start = std::chrono::steady_clock::now();
  const bool ok = execute(engine, code, &self, &self, result);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (!ok) {
    std::fprintf(stderr, "%s\n", report_as_lines(engine.errors.last_text).c_str());
    return 1;
  }
  std::printf("%.6f\n", elapsed.count());
  return 0;
}
