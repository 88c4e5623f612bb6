#include <gtest/gtest.h>

#include "case_names.h"
#include "script/Code_Main.h"
#include "script/Code_Operator.h"
#include "script_fixture.h"

namespace kestrel {
namespace {

struct OperatorCase {
  const char* expression;
  double real;
  const char* text = nullptr;  // the expected string, for string results
};

class Operators : public ScriptFixture, public ::testing::WithParamInterface<OperatorCase> {};

TEST_P(Operators, GiveTheExpectedValue) {
  const OperatorCase& c = GetParam();
  // Through variables, so the executor computes what folding would.
  ASSERT_TRUE(run(std::string("a = 7; b = -7; s = 'ab'; z = 0; r = ") + c.expression))
      << engine.errors.last_text;
  const RValue value = value_of("r");
  if (c.text != nullptr) {
    ASSERT_TRUE(value.is_string()) << c.expression;
    EXPECT_EQ(value.text(), c.text) << c.expression;
  } else {
    ASSERT_TRUE(value.is_real()) << c.expression;
    EXPECT_EQ(value.real(), c.real) << c.expression;
  }
  // Folding a constant expression gives the same value.
  CCode folded(c.expression, true);
  if (folded.compile(engine) && folded.kind() == CodeKind::constant_expression) {
    EXPECT_EQ(folded.constant().kind(), value.kind()) << c.expression;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Executor, Operators,
    ::testing::Values(
        OperatorCase{"0.1 + 0.2 == 0.3", 1}, OperatorCase{"1 == 1 + 0.000000000001", 0},
        OperatorCase{"1 = 1", 1}, OperatorCase{"1 != 1 + 0.00000000000001", 0},
        OperatorCase{"2 <> 3", 1}, OperatorCase{"1 <= 1 + 0.00000000000001", 1},
        OperatorCase{"1 + 0.00000000000001 > 1", 0}, OperatorCase{"1 >= 1 + 0.00000000000001", 1},
        OperatorCase{"'10' < '9'", 1}, OperatorCase{"'ab' == 'ab'", 1},
        OperatorCase{"'ab' < 'abc'", 1}, OperatorCase{"'b' > 'abc'", 1},
        OperatorCase{"3 * 'ab'", 0, "ababab"}, OperatorCase{"2.5 * s", 0, "abab"},
        OperatorCase{"-1 * s", 0, ""}, OperatorCase{"s + 'c'", 0, "abc"},
        OperatorCase{"b div 2", -3}, OperatorCase{"b mod 2", -1}, OperatorCase{"b mod 3", -1},
        OperatorCase{"7.5 mod 2", 1.5}, OperatorCase{"a div 2", 3}, OperatorCase{"b mod -4", -3},
        OperatorCase{"a mod -4", 3}, OperatorCase{"2147483647 mod -2", 1},
        OperatorCase{"5000000000 mod 3", 2}, OperatorCase{"-2147483648 mod -1", -4294967296.0},
        OperatorCase{"(b - 2147483641) mod -1", -4294967296.0},
        OperatorCase{"5000000000 div 1", 705032704}, OperatorCase{"2.5 | 0", 2},
        OperatorCase{"3.5 | 0", 4}, OperatorCase{"6 & 3", 2}, OperatorCase{"6 ^ 3", 5},
        OperatorCase{"~0", -1}, OperatorCase{"1 << 4", 16}, OperatorCase{"1 << 64", 0},
        OperatorCase{"1 << 260", 16}, OperatorCase{"-1 >> 60", 15},
        OperatorCase{"-1 >> 1", 9223372036854775807.0}, OperatorCase{"a and 0", 0},
        OperatorCase{"0.5 && 0.5", 1}, OperatorCase{"0.4 || 0", 0}, OperatorCase{"1 xor 1", 0},
        OperatorCase{"1 ^^ 0", 1}, OperatorCase{"!0.4", 1}, OperatorCase{"not a", 0},
        OperatorCase{"!!a", 1}, OperatorCase{"-a", -7}, OperatorCase{"+a", 7},
        OperatorCase{"1 + 2 * 3 - 4 / 2", 5}, OperatorCase{"1 < 2 < 3", 1},
        OperatorCase{"3 > 2 > 1", 0}, OperatorCase{"1 or 0 and 0", 0},
        OperatorCase{"1 + 2 << 1", 6}, OperatorCase{"1 | 2 == 3", 1}, OperatorCase{"a = 7", 1}),
    case_names::NamedBy<&OperatorCase::expression>());

struct OperatorError {
  const char* expression;
  const char* message;
};

class OperatorErrors : public ScriptFixture, public ::testing::WithParamInterface<OperatorError> {};

TEST_P(OperatorErrors, FailWithTheirMessage) {
  EXPECT_FALSE(run(std::string("a = 1; s = 'ab'; z = 0; r = ") + GetParam().expression));
  EXPECT_EQ(error(), GetParam().message) << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(
    Executor, OperatorErrors,
    ::testing::Values(OperatorError{"s == 1", "Cannot compare arguments."},
                      OperatorError{"s * 3", "Wrong type of arguments to *."},
                      OperatorError{"s * s", "Wrong type of arguments to *."},
                      OperatorError{"a + s", "Wrong type of arguments to +."},
                      OperatorError{"s - s", "Wrong type of arguments to -."},
                      OperatorError{"s / a", "Wrong type of arguments to /."},
                      OperatorError{"a / z", "Division by 0."},
                      OperatorError{"a div z", "Division by 0."},
                      OperatorError{"a mod z", "Modulo by 0."},
                      OperatorError{"s div a", "Wrong type of arguments to div."},
                      OperatorError{"s mod a", "Wrong type of arguments to mod."},
                      OperatorError{"s && a", "Wrong type of arguments for &&."},
                      OperatorError{"s || a", "Wrong type of arguments for ||."},
                      OperatorError{"s ^^ a", "Wrong type of arguments for ^^."},
                      OperatorError{"s | a", "Wrong type of arguments for |."},
                      OperatorError{"s & a", "Wrong type of arguments for &."},
                      OperatorError{"s ^ a", "Wrong type of arguments for ^."},
                      OperatorError{"s << a", "Wrong type of arguments for <<."},
                      OperatorError{"s >> a", "Wrong type of arguments for >>."},
                      OperatorError{"-s", "Wrong type of arguments to unary operator."},
                      OperatorError{"~s", "Wrong type of arguments to unary operator."},
                      OperatorError{"100000000 * (100 * 'a')", "String too long."}),
    case_names::NamedBy<&OperatorError::expression>());

TEST(Operator, FailuresLeaveTheLeftOperandAlone) {
  RValue left(std::string_view("keep"));
  std::string_view message;
  EXPECT_FALSE(binary_operation(kOpSubtract, left, RValue(1.0), message));
  EXPECT_EQ(left.text(), "keep");
  EXPECT_FALSE(binary_operation(999, left, RValue(1.0), message));
  EXPECT_EQ(message, "Internal error: unknown binary operator.");
  RValue operand(1.0);
  EXPECT_FALSE(unary_operation(999, operand, message));
  EXPECT_EQ(message, "Internal error: unknown unary operator.");
}

TEST(Operator, TheUnselectedFieldTravelsAlong) {
  // A string literal carries real 0; a comparison result keeps the text.
  RValue value(std::string_view("x"));
  std::string_view message;
  ASSERT_TRUE(binary_operation(kOpEqual, value, RValue(std::string_view("x")), message));
  EXPECT_TRUE(value.is_real());
  EXPECT_EQ(value.real(), 1);
  EXPECT_EQ(value.text(), "x");
}

TEST_F(ScriptFixture, BothOperandsAreAlwaysEvaluated) {
  ASSERT_TRUE(run(
      "calls = 0; r = 0 and execute_string('calls += 1'); r = 1 or execute_string('calls += 1')"));
  EXPECT_EQ(real_of("calls"), 2);
}

}  // namespace
}  // namespace kestrel
