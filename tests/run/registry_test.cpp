#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <utility>

#include "data/Runner_Load.h"
#include "run/Extension_Main.h"
#include "run/Runner.h"
#include "script/extension_functions.h"

namespace kestrel {
namespace {

// The list of every built-in function the system defines with its argument
// count (-1: any number); it is also the map of what remains to build.
std::map<std::string, int> defined_functions() {
  std::ifstream file(KESTREL_BUILTIN_LIST);
  std::map<std::string, int> defined;
  std::string line;
  std::getline(file, line);  // the column names
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string name;
    int count = 0;
    if (fields >> name >> count) defined[name] = count;
  }
  return defined;
}

TEST(Registry, EveryRegisteredFunctionIsDefinedWithItsArgumentCount) {
  const std::map<std::string, int> defined = defined_functions();
  ASSERT_GT(defined.size(), 1000u);
  GameData game;
  Runner runner(game);
  const FunctionRegistry& functions = runner.engine.functions;
  std::size_t registered = 0;
  for (std::int32_t i = 0; i < functions.size(); ++i) {
    const FunctionEntry& entry = functions.at(i);
    const auto found = defined.find(entry.name);
    if (found == defined.end()) {
      ADD_FAILURE() << entry.name << " is registered but not defined";
      continue;
    }
    EXPECT_EQ(entry.argument_count, found->second) << entry.name;
    ++registered;
  }
  std::cout << registered << " of " << defined.size() << " built-in functions are registered\n";
}

// Ids lie anywhere a function index can name them, and take no room between
// them; an id past that is never defined.
TEST(Registry, ExtensionFunctionsAreFoundByFarIds) {
  GameData game;
  CExtensionFile& file = game.extension_packages.emplace_back().files.emplace_back();
  file.kind = 2;
  for (const auto& [name, id] : {std::pair{"near_fn", 3}, std::pair{"far_fn", kLastExtensionId},
                                 std::pair{"past_fn", kLastExtensionId + 1}}) {
    CExtensionFunction& function = file.functions.emplace_back();
    function.name = name;
    function.id = id;
    function.code = "return 7";
  }
  Runner runner(game);
  runner.engine.settings.secure_mode = false;
  ASSERT_TRUE(prepare_extension_packages(runner));
  EXPECT_EQ(runner.engine.find_function("near_fn"), kFirstExtensionFunction + 3);
  EXPECT_EQ(runner.engine.find_function("far_fn"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(runner.engine.find_function("past_fn"), -1);
}

}  // namespace
}  // namespace kestrel
