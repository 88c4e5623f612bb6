#include <gtest/gtest.h>

#include "case_names.h"
#include "script_fixture.h"

namespace kestrel {
namespace {

struct CompileCase {
  const char* text;
  const char* message;  // empty when the text compiles
  int position = 0;     // column of the error, when it matters
};

class CompileErrors : public ScriptFixture, public ::testing::WithParamInterface<CompileCase> {};

TEST_P(CompileErrors, ReportTheFirstErrorWithItsMessage) {
  const CompileCase& c = GetParam();
  CCode code(c.text, false);
  const bool ok = code.compile(engine);
  if (*c.message == '\0') {
    EXPECT_TRUE(ok) << engine.errors.last_text;
    return;
  }
  ASSERT_FALSE(ok);
  EXPECT_EQ(error(), c.message) << engine.errors.last_text;
  if (c.position > 0) {
    EXPECT_NE(engine.errors.last_text.find("at position " + std::to_string(c.position) + ":"),
              std::string::npos)
        << engine.errors.last_text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Parser, CompileErrors,
    ::testing::Values(
        CompileCase{"", ""}, CompileCase{"x = 1 x = 2;;; y = 3", ""},
        CompileCase{"{ a = 1 } b = 2", "Program ends before end of the code.", 11},
        CompileCase{"{ a = 1 } { b = 2 }", "Program ends before end of the code."},
        CompileCase{"b = 2 { a = 1 }", ""}, CompileCase{"x = 1 / 0", "Division by 0.", 9},
        CompileCase{"x = 1 mod 0", "Modulo by 0."},
        CompileCase{"x = 'a' - 1", "Wrong type of arguments to -."},
        CompileCase{"x = -'a'", "Wrong type of arguments to unary operator."},
        CompileCase{"obj_a = 3", "Variable name expected.", 1},
        CompileCase{"a.obj_a = 3", "Variable name expected."},
        CompileCase{"a[1, 2, 3] = 0", "Only 1- and 2-dimensional arrays are supported."},
        CompileCase{"a[1, 2,] = 0", ""}, CompileCase{"a[1 2] = 0", "Symbol , or ] expected."},
        CompileCase{"a[1", "Symbol ] expected."},
        CompileCase{"if x", "Unexpected end of code reached."},
        CompileCase{"{ a = 1", "Symbol } expected."},
        CompileCase{"a = ", "Unexpected symbol in expression."},
        CompileCase{"a", "Assignment operator expected."},
        CompileCase{"a == 1", "Assignment operator expected."},
        CompileCase{"a++", "Assignment operator expected."},
        CompileCase{"do a = 1 while 0", "Keyword until expected."},
        CompileCase{"for i = 0; i < 3; i += 1) {}", "Symbol ( expected."},
        CompileCase{"for (i = 0; i < 3; i += 1 {}", "Symbol ) expected."},
        CompileCase{"switch (x) case 1: a = 1", "Symbol { expected."},
        CompileCase{"switch (x) { case 1 a = 1 }", "Symbol : expected."},
        CompileCase{"switch (x) { case 1: a = 1", "Symbol } expected."},
        CompileCase{"default a = 1", "Symbol : expected."},
        CompileCase{"var argument0", "Cannot redeclare a builtin variable."},
        CompileCase{"x = (1 + 2", "Symbol ) expected."},
        CompileCase{"x = nothing_here(1)", "Unknown function or script: nothing_here", 5},
        CompileCase{"show_debug_message(1, 2)", "Wrong number of arguments to function or script.",
                    24},
        CompileCase{"show_debug_message 1", "Assignment operator expected."},
        CompileCase{"show_debug_message(1 2)", "Symbol , or ) expected."},
        CompileCase{"show_debug_message(1", "Symbol ) expected."},
        CompileCase{"execute_string(1, 2,)", ""},
        CompileCase{"execute_string(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16)", ""},
        CompileCase{"execute_string(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17)",
                    "Wrong number of arguments to function or script."},
        CompileCase{"'a'.x = 1", "Left hand side must be a real value.", 1},
        CompileCase{"x = 1 @", "Unexpected symbol.", 7},
        CompileCase{"if a then b = 1 else c = 2", ""},
        CompileCase{"with (all) do x = 1; while (0) do {}; repeat 3 {}", ""},
        CompileCase{"begin a = 1 end", ""}),
    case_names::NamedBy<&CompileCase::text>());

TEST_F(ScriptFixture, AnEmptyProgramCompilesAndRuns) {
  CCode code("  // nothing\n", false);
  ASSERT_TRUE(code.compile(engine));
  EXPECT_EQ(code.nodes[code.root()].kind, kNodeEmptyProgram);
  EXPECT_TRUE(execute(engine, code, self, self, result));
}

TEST_F(ScriptFixture, ConstantExpressionsFoldToOneValue) {
  CCode sum("3 + 4", true);
  ASSERT_TRUE(sum.compile(engine));
  EXPECT_EQ(sum.kind(), CodeKind::constant_expression);
  EXPECT_EQ(sum.constant().real(), 7);
  CCode empty("", true);
  ASSERT_TRUE(empty.compile(engine));
  EXPECT_EQ(empty.kind(), CodeKind::constant_expression);
  EXPECT_EQ(empty.constant().real(), 0);
  CCode variable("x + 1", true);
  ASSERT_TRUE(variable.compile(engine));
  EXPECT_EQ(variable.kind(), CodeKind::expression);
  // Tokens after a complete expression are ignored.
  EXPECT_EQ(real_of("2 * 3 ) junk"), 6);
}

TEST_F(ScriptFixture, CodeCompilesOnlyOnce) {
  CCode code("x = 1", false);
  ASSERT_TRUE(code.compile(engine));
  EXPECT_FALSE(code.compile(engine));
  EXPECT_EQ(error(), "Internal Error: Recompiling compiled code.");
  EXPECT_EQ(code.text(), "x = 1");
}

TEST_F(ScriptFixture, VarMakesOnlyLaterReferencesLocal) {
  ASSERT_TRUE(run("var a; a = 1"));
  EXPECT_EQ(self->variables.count(), 0u);
  ASSERT_TRUE(run("b = 1; var b; b = 2"));
  EXPECT_EQ(real_of("b"), 1);
  // A declaration inside a block still reaches references after the block.
  ASSERT_TRUE(run("if 1 { var c } c = 5"));
  EXPECT_FALSE(run("d = c"));
  EXPECT_EQ(error(), "Unknown variable c");
}

TEST_F(ScriptFixture, ResourceAndConstantNamesAreNotVariables) {
  EXPECT_EQ(real_of("obj_b"), 1);
  EXPECT_EQ(real_of("room_a"), 0);
  EXPECT_EQ(real_of("noone"), -4);
  engine.constants.add_real("noone", 99);  // the newest definition wins
  EXPECT_EQ(real_of("noone"), 99);
}

TEST_F(ScriptFixture, DeepNestingFailsInsteadOfOverflowing) {
  const std::string deep = "x = " + std::string(5000, '(') + "1" + std::string(5000, ')');
  EXPECT_FALSE(run(deep));
  EXPECT_EQ(error(), "Code is nested too deeply.");
  std::string chain = "x = y";
  for (int i = 0; i < 5000; ++i) chain += " + y";
  EXPECT_FALSE(run(chain));
  EXPECT_EQ(error(), "Code is nested too deeply.");
  EXPECT_FALSE(run(std::string(5000, '{')));
  EXPECT_FALSE(run("x = " + std::string(5000, '-') + "1"));
}

}  // namespace
}  // namespace kestrel
