// Runs one benchmark program and prints the value it returns, so that
// bench/script/compare can time it beside the same algorithm in Lua and check
// that both give the same result.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lib/Function_Data_Structures.h"
#include "script/Code_Exec.h"
#include "script/Code_Main.h"
#include "script/script_engine.h"
#include "script/stand_in_world.h"

namespace {

bool read_file(const std::filesystem::path& path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "script_bench: cannot read %s\n", path.c_str());
    return false;
  }
  text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

// Every .ks file of the folder becomes a script named after the file, in name order.
bool add_scripts(kestrel::ScriptEngine& engine, const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".ks") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    std::string text;
    if (!read_file(path, text)) return false;
    engine.scripts.add(path.stem().string(), std::move(text));
  }
  return engine.scripts.compile_all(engine);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrel;
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: script_bench PROGRAM [SCRIPT_FOLDER]\n");
    return 2;
  }
  std::string text;
  if (!read_file(argv[1], text)) return 2;

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

  if (argc == 3 && !add_scripts(engine, argv[2])) {
    std::fprintf(stderr, "%s\n", report_as_lines(engine.errors.last_text).c_str());
    return 1;
  }

  CCode code(text, false);
  if (!code.compile(engine)) {
    std::fprintf(stderr, "%s\n", report_as_lines(engine.errors.last_text).c_str());
    return 1;
  }
  RValue result;
  if (!execute(engine, code, &self, &self, result)) {
    std::fprintf(stderr, "%s\n", report_as_lines(engine.errors.last_text).c_str());
    return 1;
  }
  if (result.is_string()) {
    std::printf("%s\n", result.str().c_str());
  } else {
    std::printf("%.4f\n", result.real());
  }
  return 0;
}
