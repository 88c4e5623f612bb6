#include <cstdio>
#include <fstream>

#include "script_fixture.h"

namespace kestrel {
namespace {

using VariableFunctions = ScriptFixture;

TEST_F(VariableFunctions, ReachVariablesByName) {
  ASSERT_TRUE(
      run("variable_global_set(\"total\", 12);"
          "variable_local_array_set(\"grid\", 3, \"three\");"
          "variable_local_array2_set(\"table\", 1, 2, 7);"));
  struct Case {
    const char* expression;
    double expected;
  };
  const Case cases[] = {
      {"variable_global_get(\"total\")", 12},
      {"global.total", 12},
      {"variable_global_exists(\"total\")", 1},
      {"variable_global_exists(\"never_set\")", 0},
      {"variable_local_exists(\"grid\")", 1},
      {"variable_local_exists(\"never_set\")", 0},
      {"variable_local_get(\"never_set\")", 0},
      {"table[1, 2]", 7},
      {"variable_local_array2_get(\"table\", 1, 2)", 7},
  };
  for (const Case& c : cases) EXPECT_EQ(real_of(c.expression), c.expected) << c.expression;
  EXPECT_EQ(text_of("variable_local_array_get(\"grid\", 3)"), "three");
}

TEST_F(VariableFunctions, IndicesTheStorageCannotHoldAreRefused) {
  ASSERT_TRUE(run("variable_global_array_set(\"big\", 32000, 1);"));
  EXPECT_EQ(real_of("variable_global_exists(\"big\")"), 0) << "nothing was created";
  EXPECT_NE(engine.errors.error_last.find("Array index >= 32000"), std::string::npos);
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

using ExecuteFile = ScriptFixture;

TEST_F(ExecuteFile, RunsTheFileWithItsOwnArguments) {
  const std::string path = ::testing::TempDir() + "execute_file_test.txt";
  std::ofstream(path) << "var doubled;\ndoubled = argument0 * 2;\nreturn doubled;\n";
  EXPECT_EQ(real_of("execute_file(\"" + path + "\", 21)"), 42);
  EXPECT_EQ(real_of("execute_file(\"" + path + ".missing\")"), 0);
  EXPECT_NE(engine.errors.error_last.find("Trying to execute non-existing file."),
            std::string::npos);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace kestrel
