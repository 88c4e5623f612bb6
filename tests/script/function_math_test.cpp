#include "script/Function_Math.h"

#include <gtest/gtest.h>

#include <numbers>
#include <string>

#include "case_names.h"
#include "script_fixture.h"

namespace kestrel {
namespace {

struct RealCase {
  const char* expression;
  double expected;
};

class RealResults : public ScriptFixture, public ::testing::WithParamInterface<RealCase> {};

TEST_P(RealResults, AreExact) {
  const RValue value = value_of(GetParam().expression);
  EXPECT_TRUE(value.is_real()) << GetParam().expression;
  EXPECT_EQ(value.real(), GetParam().expected) << GetParam().expression;
  EXPECT_FALSE(engine.errors.error_occurred) << engine.errors.error_last;
}

INSTANTIATE_TEST_SUITE_P(
    Rounding, RealResults,
    ::testing::Values(RealCase{"round(2.5)", 2}, RealCase{"round(3.5)", 4},
                      RealCase{"round(-2.5)", -2}, RealCase{"floor(-0.5)", -1},
                      RealCase{"ceil(-0.5)", 0}, RealCase{"floor(3000000000.5)", -1294967296},
                      RealCase{"ceil(-2147483649.5)", 2147483647},
                      RealCase{"sign(power(10, -14))", 0}, RealCase{"sign(-power(10, -13))", -1},
                      RealCase{"sign(0.001)", 1}, RealCase{"frac(-2.75)", -0.75},
                      RealCase{"abs(-3)", 3}, RealCase{"sqr(-3)", 9}),
    case_names::NamedBy<&RealCase::expression>());

INSTANTIATE_TEST_SUITE_P(Arithmetic, RealResults,
                         ::testing::Values(RealCase{"sqrt(16)", 4}, RealCase{"logn(2, 8)", 3},
                                           RealCase{"log10(1000)", 3},
                                           RealCase{"power(2, 10)", 1024},
                                           RealCase{"power(-2, 3)", -8}, RealCase{"power(0, 0)", 1},
                                           RealCase{"degtorad(180)", std::numbers::pi},
                                           RealCase{"arctan2(-0, -1)", std::numbers::pi},
                                           RealCase{"arctan2(1, 0)", std::numbers::pi / 2}),
                         case_names::NamedBy<&RealCase::expression>());

INSTANTIATE_TEST_SUITE_P(Aggregates, RealResults,
                         ::testing::Values(RealCase{"max(1, \"a\")", 1},
                                           RealCase{"min(3, 1, 2, 1)", 1}, RealCase{"max()", 0},
                                           RealCase{"max3(4, 9, 2)", 9},
                                           RealCase{"mean(1, 2, 3, 4)", 2.5}, RealCase{"mean()", 0},
                                           RealCase{"median(5, 1, 3, 2)", 2},
                                           RealCase{"median(7, 7, 1)", 7}, RealCase{"median()", 0},
                                           RealCase{"is_real(1)", 1}, RealCase{"is_real(\"1\")", 0},
                                           RealCase{"is_string(\"\")", 1}),
                         case_names::NamedBy<&RealCase::expression>());

INSTANTIATE_TEST_SUITE_P(Geometry, RealResults,
                         ::testing::Values(RealCase{"point_distance(1, 1, 4, 5)", 5},
                                           RealCase{"point_direction(0, 0, 0, 10)", 270},
                                           RealCase{"point_direction(0, 0, 0, -10)", 90},
                                           RealCase{"point_direction(3, 3, 3, 3)", 0},
                                           RealCase{"point_direction(0, 0, 10, -10)", 45},
                                           RealCase{"point_direction(0, 0, -10, 0)", 180},
                                           RealCase{"point_direction(0, 0, 10, 10)", 315},
                                           RealCase{"lengthdir_x(10, 90)", 0},
                                           RealCase{"lengthdir_y(10, 90)", -10},
                                           RealCase{"lengthdir_x(10, 180)", -10}),
                         case_names::NamedBy<&RealCase::expression>());

INSTANTIATE_TEST_SUITE_P(
    Text, RealResults,
    ::testing::Values(
        RealCase{"real(\" \t12.5 \")", 12.5}, RealCase{"real(\"-1.5e+2\")", -150},
        RealCase{"real(\".5\")", 0.5}, RealCase{"real(\"  \")", 0}, RealCase{"real(7)", 7},
        RealCase{"ord(\"A\")", 65}, RealCase{"ord(chr(200))", 200}, RealCase{"ord(\"\")", 0},
        RealCase{"string_length(\"abc\")", 3}, RealCase{"string_pos(\"b\", \"abcb\")", 2},
        RealCase{"string_pos(\"x\", \"abc\")", 0}, RealCase{"string_pos(\"\", \"abc\")", 0},
        RealCase{"string_count(\"aa\", \"aaaa\")", 2}, RealCase{"string_count(\"\", \"aaaa\")", 0}),
    case_names::NamedBy<&RealCase::expression>());

struct TextCase {
  const char* expression;
  const char* expected;
};

class TextResults : public ScriptFixture, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextResults, AreExact) {
  const RValue value = value_of(GetParam().expression);
  EXPECT_TRUE(value.is_string()) << GetParam().expression;
  EXPECT_EQ(value.text(), GetParam().expected) << GetParam().expression;
  EXPECT_FALSE(engine.errors.error_occurred) << engine.errors.error_last;
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, TextResults,
    ::testing::Values(
        TextCase{"string(3)", "3"}, TextCase{"string(-2.5)", "-2.50"},
        TextCase{"string(1/3)", "0.33"}, TextCase{"string(-0.001)", "0.00"},
        TextCase{"string(0.125)", "0.13"}, TextCase{"string(2.999)", "3.00"},
        TextCase{"string(9999999999.5)", "1E10"}, TextCase{"string(123456789.25)", "123456789.30"},
        TextCase{"string(12345678901.5)", "1.23456789E10"},
        TextCase{"string(9007199254740993)", "9007199254740992"},
        TextCase{"string(power(10, 20))", "1E20"}, TextCase{"string(power(10, 400))", "ERROR"},
        TextCase{"string(\"as is\")", "as is"},
        TextCase{"string_format(3.14159, 8, 3)", "   3.142"},
        TextCase{"string_format(2, 0, 2)", "2.00"}, TextCase{"string_format(0.5, 0, 0)", "1"},
        TextCase{"string_format(-0.5, 0, 0)", "-1"},
        TextCase{"string_format(1/3, 0, 25)", "0.333333333333333315"},
        TextCase{"string_format(power(10, 20), 0, 0)", "1E20"},
        TextCase{"string_format(power(10, 20), 0, 7)", "1E20"},
        TextCase{"string_format(12.5, 0, -3)", "13"},
        TextCase{"string_format(\"as is\", 9, 2)", "as is"}, TextCase{"chr(65)", "A"},
        TextCase{"chr(321)", "A"}),
    case_names::NamedBy<&TextCase::expression>());

INSTANTIATE_TEST_SUITE_P(Indexing, TextResults,
                         ::testing::Values(TextCase{"string_copy(\"abcdef\", 2, 3)", "bcd"},
                                           TextCase{"string_copy(\"abc\", 0, 2)", "ab"},
                                           TextCase{"string_copy(\"abc\", 4, 1)", ""},
                                           TextCase{"string_copy(\"abc\", 2, 10)", "bc"},
                                           TextCase{"string_copy(\"abc\", 1, 0)", ""},
                                           TextCase{"string_char_at(\"abc\", 0)", "a"},
                                           TextCase{"string_char_at(\"abc\", 3)", "c"},
                                           TextCase{"string_char_at(\"abc\", 4)", ""},
                                           TextCase{"string_delete(\"abcdef\", 2, 3)", "aef"},
                                           TextCase{"string_delete(\"abc\", 0, 1)", "abc"},
                                           TextCase{"string_delete(\"abc\", 4, 1)", "abc"},
                                           TextCase{"string_delete(\"abc\", 2, 10)", "a"},
                                           TextCase{"string_delete(5, 1, 1)", ""},
                                           TextCase{"string_insert(\"XY\", \"abc\", 2)", "aXYbc"},
                                           TextCase{"string_insert(\"XY\", \"abc\", -4)", "XYabc"},
                                           TextCase{"string_insert(\"XY\", \"abc\", 9)", "abcXY"}),
                         case_names::NamedBy<&TextCase::expression>());

INSTANTIATE_TEST_SUITE_P(
    Editing, TextResults,
    ::testing::Values(TextCase{"string_lower(\"AbZ1[`\")", "abz1[`"},
                      TextCase{"string_upper(\"aBz1{@\")", "ABZ1{@"},
                      TextCase{"string_repeat(\"ab\", 3)", "ababab"},
                      TextCase{"string_repeat(\"ab\", 2.5)", "abab"},
                      TextCase{"string_repeat(\"ab\", -1)", ""},
                      TextCase{"string_letters(\"a1-B2 z\")", "aBz"},
                      TextCase{"string_digits(\"a1-B2 z\")", "12"},
                      TextCase{"string_lettersdigits(\"a1-B2 z\")", "a1B2z"},
                      TextCase{"string_replace(\"aXbXc\", \"X\", \"--\")", "a--bXc"},
                      TextCase{"string_replace_all(\"aXbXc\", \"X\", \"--\")", "a--b--c"},
                      TextCase{"string_replace_all(\"aaa\", \"a\", \"aa\")", "aaaaaa"},
                      TextCase{"string_replace_all(\"aXbx\", \"x\", \"\")", "aXb"},
                      TextCase{"string_replace(\"abc\", \"\", \"z\")", "abc"},
                      TextCase{"string_replace_all(\"abc\", \"\", \"z\")", "abc"},
                      TextCase{"max(\"a\", \"b\")", "b"}, TextCase{"min(2, \"a\")", "a"},
                      TextCase{"choose(\"only\")", "only"}),
    case_names::NamedBy<&TextCase::expression>());

struct ErrorCase {
  const char* expression;
  const char* message;
};

class ReportedErrors : public ScriptFixture, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ReportedErrors, GiveZeroAndGoOn) {
  const RValue value = value_of(GetParam().expression);
  EXPECT_TRUE(value.is_real()) << GetParam().expression;
  EXPECT_EQ(value.real(), 0) << GetParam().expression;
  ASSERT_TRUE(engine.errors.error_occurred) << GetParam().expression;
  const std::string& report = engine.errors.error_last;
  EXPECT_TRUE(report.starts_with("ERROR in")) << report;
  EXPECT_TRUE(report.ends_with(std::string("\r\n\r\n") + GetParam().message)) << report;
  EXPECT_FALSE(engine.errors.aborting);
}

INSTANTIATE_TEST_SUITE_P(
    Domains, ReportedErrors,
    ::testing::Values(ErrorCase{"sqrt(-1)", "Cannot apply sqrt to negative number."},
                      ErrorCase{"exp(1000)", "Error in function exp()."},
                      ErrorCase{"ln(0)", "Error in function ln()."},
                      ErrorCase{"log2(-1)", "Error in function log2()."},
                      ErrorCase{"log10(0)", "Error in function log10()."},
                      ErrorCase{"logn(1, 5)", "Error in function logn()."},
                      ErrorCase{"logn(2, 0)", "Error in function logn()."},
                      ErrorCase{"logn(-2, 4)", "Error in function logn()."},
                      ErrorCase{"arcsin(1.5)", "Error in function arcsin()."},
                      ErrorCase{"arccos(-2)", "Error in function arccos()."},
                      ErrorCase{"power(-8, 1/3)", "Error in function power()."},
                      ErrorCase{"power(0, -1)", "Error in function power()."},
                      ErrorCase{"real(\"abc\")", "Error in function real()."},
                      ErrorCase{"real(\"1e\")", "Error in function real()."},
                      ErrorCase{"real(\"1 2\")", "Error in function real()."},
                      ErrorCase{"real(\"1,5\")", "Error in function real()."},
                      ErrorCase{"real(\"-\")", "Error in function real()."},
                      ErrorCase{"real(\"inf\")", "Error in function real()."}),
    case_names::NamedBy<&ErrorCase::expression>());

// Results that would not fit in a value are refused instead of exhausting
// memory.
INSTANTIATE_TEST_SUITE_P(
    Sizes, ReportedErrors,
    ::testing::Values(ErrorCase{"string_repeat(\"ab\", 10000000000)", "String too long."},
                      ErrorCase{"string_replace_all(string_repeat(\"a\", 100000), \"a\", "
                                "string_repeat(\"b\", 100000))",
                                "String too long."}),
    case_names::NamedBy<&ErrorCase::expression>());

using MathFunctions = ScriptFixture;

TEST_F(MathFunctions, RandomSequenceFollowsTheSeed) {
  ASSERT_TRUE(run("random_set_seed(0); a = irandom(9); b = random_get_seed()"));
  EXPECT_EQ(real_of("a"), 0);
  EXPECT_EQ(real_of("b"), 1);

  ASSERT_TRUE(
      run("random_set_seed(12345); a = random(1); b = irandom(99); "
          "c = irandom_range(-5, 5); d = random_range(10, 20); "
          "e = choose(\"a\", \"b\", \"c\"); f = random_get_seed(); g = random_get_seed()"));
  EXPECT_EQ(real_of("a"), 0.3853505323641002);
  EXPECT_EQ(real_of("b"), 28);
  EXPECT_EQ(real_of("c"), -5);
  EXPECT_EQ(real_of("d"), 15.53610072704032);
  EXPECT_EQ(text_of("e"), "b");
  // The seed reads as a signed 32-bit integer, and reading it draws nothing.
  EXPECT_EQ(real_of("f"), -1573353766);
  EXPECT_EQ(real_of("g"), -1573353766);
}

TEST_F(MathFunctions, SeedIsRoundedToItsLow32Bits) {
  EXPECT_EQ(real_of("random_set_seed(2.5) + random_get_seed()"), 2);
  EXPECT_EQ(real_of("random_set_seed(4294967297) + random_get_seed()"), 1);
  ASSERT_TRUE(run("random_set_seed(5); choose()"));
  EXPECT_EQ(engine.random_seed, 5u * 134775813u + 1u);
}

// Over enough draws every integer between the bounds comes up, and nothing
// outside them; bounds in reverse order give the same range.
TEST_F(MathFunctions, RandomIntegersCoverTheirBounds) {
  ASSERT_TRUE(
      run("random_set_seed(99); low = 100; high = -100; low2 = 100; high2 = -100; "
          "repeat 400 { v = irandom_range(1.7, 4.2); low = min(low, v); high = max(high, v); "
          "w = irandom_range(3, -2); low2 = min(low2, w); high2 = max(high2, w) }"));
  EXPECT_EQ(real_of("low"), 1);
  EXPECT_EQ(real_of("high"), 4);
  EXPECT_EQ(real_of("low2"), -2);
  EXPECT_EQ(real_of("high2"), 3);
}

}  // namespace
}  // namespace kestrel
