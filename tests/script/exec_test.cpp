#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "case_names.h"
#include "script_fixture.h"

namespace kestrel {
namespace {

// A program and the value an expression has after it ran.
struct RunCase {
  const char* program;
  const char* expression;
  double expected;
};

class Statements : public ScriptFixture, public ::testing::WithParamInterface<RunCase> {};

TEST_P(Statements, LeaveTheExpectedState) {
  ASSERT_TRUE(run(GetParam().program)) << engine.errors.last_text;
  EXPECT_EQ(real_of(GetParam().expression), GetParam().expected) << GetParam().program;
}

INSTANTIATE_TEST_SUITE_P(
    Executor, Statements,
    ::testing::Values(
        RunCase{"v = 3", "v[0]", 3}, RunCase{"v[0, 0] = 7", "v", 7},
        RunCase{"v[1] = 2", "v[0, 1]", 2}, RunCase{"v[4] = 1", "v[2]", 0},
        RunCase{"v[2, 5] = 9", "v[2, 5] * 2", 18},
        RunCase{"total = 1; global.total = 2", "total * 10 + global.total", 12},
        RunCase{"global.g = 5; globalvar g; g += 1", "global.g", 6},
        RunCase{"globalvar h", "h + global.h", 0}, RunCase{"a = 0; while (a < 5) a += 1", "a", 5},
        RunCase{"a = 0; do a += 2 until a >= 7", "a", 8},
        RunCase{
            "a = 0; for (i = 0; i < 10; i += 1) { if i == 3 continue; if i == 6 break; a += i }",
            "a", 0 + 1 + 2 + 4 + 5},
        RunCase{"a = 0; repeat 2.5 a += 1; repeat -3 a += 100", "a", 2},
        RunCase{"a = 0; repeat 3.5 a += 1", "a", 4},
        RunCase{"a = 1; if a > 0 then a = 2 else a = 3", "a", 2},
        RunCase{"a = 0; if a a = 2 else if !a a = 3", "a", 3},
        RunCase{"a = 0; while (1) { a += 1; if a > 3 exit } a = 100", "a", 4},
        RunCase{"x = 1; switch (x) { case 1: a = 1; case 2: a = 2; break; case 3: a = 3 }", "a", 2},
        RunCase{"a = 0; switch ('') { case 0: a = 1; }", "a", 0},
        RunCase{"a = 0; switch (5) { case 1: a = 1; default: a += 10; break; case 5: a += 100 }",
                "a", 10},
        RunCase{"a = 0; switch ('k') { case 'j': a = 1; break; case 'k': a = 2; break }", "a", 2},
        RunCase{"a = 0; switch (1 + 0.00000000000001) { case 1: a = 1 }", "a", 0},
        RunCase{"a = 0; for (i = 0; i < 3; i += 1) switch i { case 1: continue; default: a += 1 }",
                "a", 2},
        RunCase{"a = 0; b = 0 and execute_string('a = 1')", "a", 1},
        RunCase{"s = ''; repeat 1000 s += 'ab'; n = (s == 1000 * 'ab')", "n", 1},
        RunCase{"var t; t = 4; u = t * 2", "u", 8}, RunCase{"a = 0; with (self) { a = 3 }", "a", 3},
        RunCase{"a[3] = 1; a[2] += 5", "a[2]", 5},
        RunCase{"x = 2; x *= 3; x -= 1; x /= 2; x |= 8; x &= 11; x ^= 1", "x", 11},
        // Indices round halves to even, and a little below 0 rounds to 0.
        RunCase{"a[2.5] = 1; a[3.5] = 2; a[-0.4] = 6", "a[2] * 100 + a[4] * 10 + a", 126},
        RunCase{"var i; i = 3; j = (i * 2 + 1) mod 4 + (-7 div 2) * 10", "j", -27},
        // A comparison of strings is a real that still carries a string.
        RunCase{"s = ('b' > 'a'); t = s + 1", "t", 2},
        RunCase{"n = 0; switch (n + 1) { case n: a = 1; break; case n + 1: a = 2 }", "a", 2},
        // A string label passes a real by; the first default or match in order wins.
        RunCase{"a = 0; switch (2) { case 'x': a = 1; break; case 2: a = 2 }", "a", 2},
        RunCase{"a = 0; switch (3) { default: a = 1; break; case 3: a = 3 }", "a", 1},
        RunCase{"a = 0; switch (-0) { case 0: a = 1 }", "a", 1},
        // Element reads by row and column: element 0, 0 is the scalar, one
        // index is row 0, and the instance may be other than self.
        RunCase{"v = 7; w = v[0, 0] + v[0]", "w", 14},
        RunCase{"a[1, 2] = 5; a[2] = 1; var i; i = 1; b = a[i, i + 1] * 10 + a[0, 2]", "b", 51},
        RunCase{"a[1] = 3; a[1] += 1; b = other.a[1]", "b", 4},
        // Assignments to built-in variables through their getters and setters.
        RunCase{"argument0 = 3; argument0 *= 5; argument0 -= 1; b = argument0", "b", 14},
        RunCase{"argument0 = 'a'; argument0 += 'b'; b = (argument0 == 'ab')", "b", 1},
        RunCase{"r = execute_string('return argument1 * 10 + other.argument1 + argument[0]', 5, 7)",
                "r", 82}),
    case_names::NamedBy<&RunCase::program>());

struct ErrorCase {
  const char* program;
  const char* message;
};

class RunErrors : public ScriptFixture, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(RunErrors, StopTheCodeWithTheirMessage) {
  EXPECT_FALSE(run(GetParam().program));
  EXPECT_TRUE(compiled) << engine.errors.last_text;
  EXPECT_EQ(error(), GetParam().message) << engine.errors.last_text;
}

INSTANTIATE_TEST_SUITE_P(
    Executor, RunErrors,
    ::testing::Values(
        ErrorCase{"y = x", "Unknown variable x"},
        // An error in a loop body ends the loop and the code.
        ErrorCase{"while (1) { y = x }", "Unknown variable x"},
        ErrorCase{"do y = x until 0", "Unknown variable x"},
        ErrorCase{"for (i = 0; 1; i += 1) y = x", "Unknown variable x"},
        ErrorCase{"repeat 1000000000 y = x", "Unknown variable x"},
        ErrorCase{"with (all) y = x", "Unknown variable x"},
        ErrorCase{"a[4] = 1; y = a[5]", "Unknown variable a or array index out of bounds"},
        ErrorCase{"a[2, 0] = 1; y = a[1, 0]", "Unknown variable a or array index out of bounds"},
        ErrorCase{"y = (100999).x", "Unknown variable x"},
        ErrorCase{"x += 1", "Unknown variable x"}, ErrorCase{"a[-1] = 0", "Negative array index"},
        ErrorCase{"a[32000] = 0", "Array index >= 32000"},
        ErrorCase{"a[0, 31999.6] = 0", "Array index >= 32000"},
        ErrorCase{"a['1'] = 0", "Wrong type of array index"},
        ErrorCase{"i = 'x'; i.a = 0", "Wrong type of variable index"},
        ErrorCase{";", "Statement expected."}, ErrorCase{"x = 1; {;}", "Statement expected."},
        ErrorCase{"case 1:", "Case statement only allowed inside switch statement."},
        ErrorCase{"default:", "Default statement only allowed inside switch statement."},
        ErrorCase{"if 'a' x = 1", "Expression expected"},
        ErrorCase{"while 'a' x = 1", "Boolean expression expected"},
        ErrorCase{"do x = 1 until 'a'", "Boolean expression expected"},
        ErrorCase{"for (i = 0; 'a'; i += 1) {}", "Expression expected"},
        ErrorCase{"repeat 'a' x = 1", "Repeat count must be a number"},
        ErrorCase{"with ('a') x = 1", "Object id expected"},
        ErrorCase{"with (local) x = 1", "Cannot use local in with statement."},
        ErrorCase{"with (global) x = 1", "Cannot use global in with statement."},
        ErrorCase{"noone.x = 1", "Cannot assign to the variable"},
        ErrorCase{"i = -10; i.x = 1", "Cannot assign to the variable"},
        ErrorCase{"s = 'a'; s -= 1", "Wrong type of arguments to -."},
        ErrorCase{"a = 1; b = 'x'; c = a < b", "Cannot compare arguments."},
        ErrorCase{"a = 0; b = 1 / a", "Division by 0."},
        ErrorCase{"a = 0; b = 3 div a", "Division by 0."},
        ErrorCase{"a = 0; if (a + 1) mod a b = 1", "Modulo by 0."},
        ErrorCase{"a = 'x'; b = -a", "Wrong type of arguments to unary operator."},
        ErrorCase{"a = 'x'; while a + 1 > 0 b = 1", "Wrong type of arguments to +."},
        ErrorCase{"v[1] = 1; v[2.5] += 1", "Unknown variable v or array index out of bounds"},
        ErrorCase{"a[1, 1] = 1; b = a[1, 2]", "Unknown variable a or array index out of bounds"},
        ErrorCase{"argument0 = 1; argument0 /= 0", "Division by 0."},
        ErrorCase{"argument3 = 's'; argument3 *= 2", "Wrong type of arguments to *."}),
    case_names::NamedBy<&ErrorCase::program>());

TEST_F(ScriptFixture, MissingReadsAreZeroWhenUninitializedAsZero) {
  engine.settings.uninitialized_as_zero = true;
  ASSERT_TRUE(run("a[3] = 1; y = x + a[7] + noone.z"));
  EXPECT_EQ(real_of("y"), 0);
  // A compound assignment to a missing variable writes nothing.
  ASSERT_TRUE(run("w += 5"));
  engine.settings.uninitialized_as_zero = false;
  EXPECT_FALSE(run("q = w"));
}

TEST_F(ScriptFixture, TheResultSlotHoldsTheLastAssignmentCallOrReturn) {
  ASSERT_TRUE(run("a = 1; b = 2"));
  EXPECT_EQ(result.real(), 2);
  ASSERT_TRUE(run("a = 5; return a * 3; a = 0"));
  EXPECT_EQ(result.real(), 15);
  ASSERT_TRUE(run("a = 7; for (i = 0; i < 3; i += 1) {}"));
  EXPECT_EQ(result.real(), 7);  // the for's own statements use a scratch value
  ASSERT_TRUE(run("a = 7; execute_string('return 9')"));
  EXPECT_EQ(result.real(), 9);
  ASSERT_TRUE(run("a = 7; if a > 100 a = 1"));
  EXPECT_EQ(result.real(), 7);
  ASSERT_TRUE(run("x = 1; break; x = 2"));
  EXPECT_EQ(real_of("x"), 1);
}

// Loops of plain reals run in registers: every way out of them, and every
// way their names stop being plain reals part way, must leave the state the
// statement-by-statement run leaves.
INSTANTIATE_TEST_SUITE_P(
    RegisterLoops, Statements,
    ::testing::Values(
        // A name that becomes a string part way: the rest of the body, the
        // loop and the loops around it go on without registers.
        RunCase{"a[0, 3] = 'x'; s = 0; t = 0;"
                "for (i = 0; i < 5; i += 1) { t = i; if i == 3 t = a[0, i]; s += 1 }",
                "s * 10 + t", 54},
        RunCase{"a[0] = 0; a[1] = 's'; a[2] = 2; k = 0; t = 0; repeat 3 { t = a[k]; k += 1 }",
                "k * 10 + t", 32},
        RunCase{"a[1] = 'x'; s = 0; t = 0;"
                "for (i = 0; i < 4; i += 1) switch (i) { case 1: t = a[1]; s += 10; break;"
                "default: s += 1 }",
                "s", 13},
        RunCase{"var i, j; for (i = 0; i < 3; i += 1) for (j = 0; j < 3; j += 1) g[i, j] = 1;"
                "g[1, 1] = 'x'; c = 0; t = 0;"
                "for (i = 0; i < 3; i += 1) for (j = 0; j < 3; j += 1) { t = g[i, j]; c += 1 }",
                "c * 10 + t", 91},
        RunCase{"a[2] = 'q'; a[0] = 1; a[1] = 1; a[3] = 1; t = 0; i = 0; n = 0;"
                "do { t = a[i]; i += 1; n += 1 } until i > 3",
                "n", 4},
        // Two names for one variable, and elements made while the loop runs.
        RunCase{"a = 0; for (i = 0; i < 3; i += 1) { a += 1; self.a += 10 }", "a", 33},
        RunCase{"globalvar g; g = 0; for (i = 0; i < 3; i += 1) { g += 1; global.g += 1 }", "g", 6},
        RunCase{"n = 0; for (i = 0; i < 3; i += 1) { fresh[i] = i; n += 1 }", "fresh[2] * 10 + n",
                23},
        // Loops inside loops, with their own ways out.
        RunCase{"a = 0; for (i = 0; i < 4; i += 1) repeat i a += 1", "a", 6},
        RunCase{
            "a = 0; j = 0; for (i = 0; i < 3; i += 1) { j = 0; do j += 1 until j >= i; a += j }",
            "a", 4},
        RunCase{"a = 0; for (i = 0; i < 5; i += 1) { while (1) { a += 1; break } }", "a", 5},
        RunCase{"a = 0; for (i = 0; i < 6; i += 1) { if i mod 2 continue; a += i }", "a", 6},
        RunCase{
            "a = 0; for (i = 0; i < 4; i += 1) switch (i) { case 2: continue; default: a += 1 }",
            "a", 3},
        // Arguments, fields and returns.
        RunCase{"r = execute_string('var s, i; s = 0; for (i = 0; i < argument0; i += 1)"
                " s += argument1; return s', 4, 2.5)",
                "r", 10},
        RunCase{"r = execute_string('var i; for (i = 0; i < 10; i += 1) if i == 4 return i * 3;"
                " return -1')",
                "r", 12},
        RunCase{"v = 5; w = 0; var i; for (i = 0; i < 3; i += 1) w += (self).v + other.v", "w",
                30}),
    case_names::NamedBy<&RunCase::program>());

INSTANTIATE_TEST_SUITE_P(
    RegisterLoops, RunErrors,
    ::testing::Values(ErrorCase{"a = 0; for (i = 0; i < 3; i += 1) b = i / a", "Division by 0."},
                      ErrorCase{"a[0] = 1; a[1] = 'x'; for (i = 0; i < 3; i += 1) b = a[i] < 1",
                                "Cannot compare arguments."},
                      ErrorCase{"s = 0; t = 'x'; for (i = 0; i < 3; i += 1) repeat t s += 1",
                                "Repeat count must be a number"},
                      ErrorCase{"a[1] = 'x'; for (i = 0; i < 3; i += 1) while a[i] b = 1",
                                "Boolean expression expected"},
                      ErrorCase{"c[0] = 1; for (i = 0; i < 3; i += 1) b = c[i]",
                                "Unknown variable c or array index out of bounds"}),
    case_names::NamedBy<&ErrorCase::program>());

// A program of plain reals runs in registers once its names exist, as an
// event's code does from its second run on: each case runs the program twice
// over the same instance and checks the state after both runs.
TEST_F(ScriptFixture, ProgramsRunAgainOverTheirNamesLeaveTheSameState) {
  const struct {
    std::string_view setup;
    std::string_view program;
    std::string_view expression;
    double expected;
  } cases[] = {
      {"a = 0; b = 0", "a += 1; if a > 1 b = a * 3 else b -= 1", "a * 100 + b", 206},
      // A name that turns to a string hands the rest of the program over.
      {"s[0] = 'x'; s[1] = 1; t = 0; n = 0", "n += 1; t = s[n mod 2]; n += 10", "n", 22},
      {"s[0] = 'x'; t = 0; n = 0", "n += 1; if n mod 2 == 0 { t = s[0]; n += 10 } n += 100", "n",
       212},
      {"n = 0", "n += 1; if n > 5 exit; n += 10", "n", 12},
      {"n = 0; d = 1", "n += 1 / d; d -= 1", "n", 1},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(run(c.setup)) << c.setup << ": " << engine.errors.last_text;
    run(c.program);
    run(c.program);
    EXPECT_EQ(real_of(c.expression), c.expected) << c.program;
  }
  // The second run divides by 0 and reports it.
  EXPECT_EQ(error(), "Division by 0.");
  ASSERT_TRUE(run("r = 5"));
  ASSERT_TRUE(run("r = r * 2; return r + 1; r = 0"));
  EXPECT_EQ(result.real(), 11);
  EXPECT_EQ(real_of("r"), 10);
}

TEST_F(ScriptFixture, LoopsLeaveTheResultSlotWithTheLastAssignment) {
  ASSERT_TRUE(run("a = 7; for (i = 0; i < 3; i += 1) b = i * 2"));
  EXPECT_EQ(result.real(), 4);
  ASSERT_TRUE(run("a = 7; b = 0; for (i = 0; i < 3; i += 1) if i > 5 b = 1"));
  EXPECT_EQ(result.real(), 0);
  ASSERT_TRUE(run("a = 0; while (a < 5) { a += 1; if a == 3 exit }"));
  EXPECT_EQ(result.real(), 3);
  ASSERT_TRUE(run("v[2] = 0; for (i = 0; i < 3; i += 1) v[i] = i + 0.5"));
  EXPECT_EQ(result.real(), 2.5);
}

class WithFixture : public ScriptFixture {
 protected:
  WithFixture() {
    for (int i = 0; i < 3; ++i)
      world.add_instance(1).variables.set(kFirstUserVariable, 0, RValue(i));
    // The first user name must be n so the instances above carry it.
    engine.user_names.index_of("n");
  }
};

TEST_F(WithFixture, WithVisitsInstancesAndSwapsSelfAndOther) {
  ASSERT_TRUE(run("total = 0; with (obj_b) other.total += n; with (all) c = 1"));
  EXPECT_EQ(real_of("total"), 0 + 1 + 2);
  EXPECT_EQ(real_of("obj_b.c"), 1);
  // Assigning through an object index writes every instance of it.
  ASSERT_TRUE(run("obj_b.n = 7; s = 0; with (obj_b) other.s += n"));
  EXPECT_EQ(real_of("s"), 21);
  ASSERT_TRUE(run("with (obj_b) { id_seen = n; break }"));
  const std::int32_t first_b = world.family_at(1, 0)->id;
  EXPECT_EQ(real_of("(" + std::to_string(first_b) + ").id_seen"), 7);
  // An instance held in a local names the same one.
  ASSERT_TRUE(run("var i; i = " + std::to_string(first_b) + "; got = i.id_seen * 10 + (i).n"));
  EXPECT_EQ(real_of("got"), 77);
  // An instance id names one instance; a missing one is skipped quietly.
  ASSERT_TRUE(run("(" + std::to_string(first_b) + ").n = 1; (999999).n = 3"));
  EXPECT_EQ(real_of("obj_b.n"), 1);
  world.family_at(1, 0)->destroyed = true;
  EXPECT_EQ(real_of("obj_b.n"), 7);  // destroyed instances are skipped
}

// A loop reading fields of instances by id finds each instance by the id it
// is given in that round.
TEST_F(WithFixture, LoopsReadFieldsOfTheInstanceEachIdNames) {
  const std::string first_b = std::to_string(world.family_at(1, 0)->id);
  ASSERT_TRUE(
      run("t = 0; for (i = 0; i < 6; i += 1) t += (" + first_b + " + i mod 3).n * 10 + obj_b.n"));
  EXPECT_EQ(real_of("t"), 2 * (0 + 10 + 20));
  EXPECT_FALSE(run("t = 0; for (i = 0; i < 6; i += 1) t += (" + first_b + " + i).n"));
  EXPECT_EQ(error(), "Unknown variable n");
  EXPECT_EQ(real_of("t"), 0 + 1 + 2);
}

TEST_F(WithFixture, BreakInAWithOfOneInstanceLeavesTheLoopAround) {
  ASSERT_TRUE(run("a = 0; repeat 5 { a += 1; with (other) { break } }"));
  EXPECT_EQ(real_of("a"), 1);
  ASSERT_TRUE(run("a = 0; repeat 5 { a += 1; with (all) { break } }"));
  EXPECT_EQ(real_of("a"), 5);
  ASSERT_TRUE(run("a = 0; repeat 5 { with (self) continue; a += 1 }"));
  EXPECT_EQ(real_of("a"), 5);
}

TEST_F(ScriptFixture, ReadOnlyBuiltinsRefuseWrites) {
  engine.builtin_variables.add(
      "fixed",
      [](ScriptEngine&, ScriptInstance&, std::int32_t, RValue& value) {
        value.set_real(42);
        return true;
      },
      nullptr);
  EXPECT_EQ(real_of("fixed"), 42);
  EXPECT_FALSE(run("fixed = 1"));
  EXPECT_EQ(error(), "Cannot assign to the variable");
  EXPECT_FALSE(run("fixed += 1"));
  EXPECT_EQ(error(), "Cannot assign to the variable");
  EXPECT_FALSE(run("var fixed"));
  EXPECT_EQ(error(), "Cannot redeclare a builtin variable.");
}

TEST_F(ScriptFixture, ExecuteStringRunsWithItsOwnArguments) {
  ASSERT_TRUE(run("r = execute_string('return argument0 * 2', 21)"));
  EXPECT_EQ(real_of("r"), 42);
  ASSERT_TRUE(run("argument2 = 5; execute_string('inner = argument2', 1, 2); outer = argument2"));
  EXPECT_EQ(real_of("inner"), 0);
  EXPECT_EQ(real_of("outer"), 5);
  // Each level has its own locals and argument slots.
  ASSERT_TRUE(
      run("f = 'var n; n = argument0; if n <= 0 return 0; return n + execute_string(f, n - 1)';"
          "r = execute_string(f, 100)"));
  EXPECT_EQ(real_of("r"), 5050);
  // Locals end with their execution.
  ASSERT_TRUE(run("execute_string('var q; q = 5'); execute_string('var q; r2 = q')"));
  EXPECT_NE(engine.errors.error_last.find("Unknown variable q"), std::string::npos);
}

TEST_F(ScriptFixture, ScriptCallsHaveTheirOwnArgumentSlots) {
  engine.scripts.add("scr_inner",
                     "inner_high = argument9; left_before = argument12; argument12 = 7;"
                     "return argument0 + argument1");
  ASSERT_TRUE(engine.scripts.compile_all(engine));
  ASSERT_TRUE(run("argument9 = 3; r = scr_inner(1, 2); high = argument12; kept = argument9"));
  EXPECT_EQ(real_of("r"), 3);
  EXPECT_EQ(real_of("inner_high"), 0);
  EXPECT_EQ(real_of("high"), 0);
  EXPECT_EQ(real_of("kept"), 3);
  // What a call left in a slot it was not passed is gone by the next call.
  ASSERT_TRUE(run("r = scr_inner(1, 2) + scr_inner(3, 4)"));
  EXPECT_EQ(real_of("r"), 10);
  EXPECT_EQ(real_of("left_before"), 0);
}

TEST_F(ScriptFixture, ScriptCallsSeeNoSlotTheirCallerFilled) {
  engine.scripts.add("scr_peek", "return argument4 + argument6");
  ASSERT_TRUE(engine.scripts.compile_all(engine));
  // Slots filled from outside the code, as actions fill them, and slots the
  // code fills itself, by name or through the array.
  engine.arguments[4] = RValue(9.0);
  ASSERT_TRUE(run("seen = scr_peek(1); own = argument4"));
  EXPECT_EQ(real_of("seen"), 0);
  EXPECT_EQ(real_of("own"), 9);
  ASSERT_TRUE(run("argument[6] = 4; seen = scr_peek(1); own = argument6 + argument4"));
  EXPECT_EQ(real_of("seen"), 0);
  EXPECT_EQ(real_of("own"), 13);
  ASSERT_TRUE(run("seen = execute_string('argument6 = 1; return scr_peek(2)'); own = argument6"));
  EXPECT_EQ(real_of("seen"), 0);
  EXPECT_EQ(real_of("own"), 4);
}

TEST_F(ScriptFixture, ScriptCallsEndWithExitReturnOrAnError) {
  engine.scripts.add("scr_inner", "return argument0 + never_set");
  engine.scripts.add("scr_outer", "x = 1; return scr_inner(argument0) * 2");
  engine.scripts.add("scr_leave", "left = argument0; exit; left = 0");
  engine.scripts.add("scr_deeper", "depth = argument0; return scr_deeper(argument0 + 1)");
  ASSERT_TRUE(engine.scripts.compile_all(engine));
  ASSERT_TRUE(run("scr_leave(3); after = 1"));
  EXPECT_EQ(real_of("left"), 3);
  EXPECT_EQ(real_of("after"), 1);
  // The failing script's error, with a line for each script it ran in.
  EXPECT_FALSE(run("r = scr_outer(1); after = 2"));
  const std::string& text = engine.errors.last_text;
  EXPECT_EQ(text.rfind("In script scr_outer:\rIn script scr_inner:\r", 0), 0u) << text;
  EXPECT_NE(text.find("at position 20: Unknown variable never_set"), std::string::npos) << text;
  EXPECT_EQ(real_of("after"), 1);
  // Each call is a level: the 400th fails.
  EXPECT_FALSE(run("scr_deeper(1)"));
  EXPECT_EQ(error(), "Stack overflow.");
  EXPECT_EQ(real_of("depth"), engine.limits.max_nesting - 1);
  EXPECT_EQ(engine.nesting, 0);
}

TEST_F(ScriptFixture, AnAssignedCallRunsOnceWhateverItsTarget) {
  engine.scripts.add("scr_count", "global.calls += 1; return argument0");
  ASSERT_TRUE(engine.scripts.compile_all(engine));
  struct Case {
    const char* code;
    const char* result;
    double value;
  };
  for (const Case& c : {
           Case{"var v; v = scr_count(3); r = v", "r", 3},
           Case{"w = 2; w *= scr_count(4); r = w", "r", 8},
           Case{"globalvar g; g = 1; g -= scr_count(5); r = g", "r", -4},
           Case{"argument1 = scr_count(6); r = argument1", "r", 6},
           Case{"s = 'a'; s += scr_count('b'); r = (s == 'ab')", "r", 1},
       }) {
    ASSERT_TRUE(run("global.calls = 0")) << c.code;
    ASSERT_TRUE(run(c.code)) << c.code << ": " << engine.errors.last_text;
    EXPECT_EQ(real_of(c.result), c.value) << c.code;
    EXPECT_EQ(real_of("global.calls"), 1) << c.code;
  }
  // A target that cannot take the value fails after the one call.
  ASSERT_TRUE(run("global.calls = 0"));
  EXPECT_FALSE(run("never_set += scr_count(1)"));
  EXPECT_EQ(error(), "Unknown variable never_set");
  EXPECT_FALSE(run("n = 1; n += scr_count('x')"));
  EXPECT_EQ(error(), "Wrong type of arguments to +.");
  EXPECT_EQ(real_of("global.calls"), 2);
}

// Loops and programs of plain reals call functions and scripts from their
// registers: each call runs once, names a call changes are seen on both
// sides, and values read before a call keep what they were.
TEST_F(ScriptFixture, CallsFromLoopsLeaveTheStateOfOneCallEach) {
  engine.scripts.add("scr_bump", "a += 10; return 1");
  engine.scripts.add("scr_set", "a = 100; k = 5; return 7");
  engine.scripts.add("scr_name", "a = 'x'; global.names += 1; return 0");
  engine.scripts.add("scr_pick", "if argument0 > 1 return argument0 * 5");
  engine.scripts.add("scr_div", "return 10 / argument0");
  ASSERT_TRUE(engine.scripts.compile_all(engine));
  const struct {
    std::string_view program;
    std::string_view expression;
    double expected;
  } cases[] = {
      {"a = 0; for (i = 0; i < 3; i += 1) a += floor(i / 2) + sqrt(4)", "a", 7},
      {"a = 0; for (i = 0; i < 3; i += 1) { a += 1; b = scr_bump() }", "a", 33},
      {"a = 1; for (i = 0; i < 1; i += 1) b = a + scr_set()", "a * 1000 + b", 100008},
      // The element's index is read before the call changes it.
      {"k = 0; e[5] = 0; e[0] = 0; for (i = 0; i < 1; i += 1) e[k] = scr_set()",
       "e[0] * 10 + e[5] + k * 100", 570},
      // A name the call turns to a string, and a call whose value is one.
      {"a = 0; n = 0; global.names = 0; for (i = 0; i < 3; i += 1) { n += 1; c = a; b = scr_name() "
       "}",
       "n * 100 + global.names * 10 + (c == 'x')", 331},
      {"s = 0; t = 0; for (i = 0; i < 4; i += 1) { s = chr(65 + i); t += 1 }",
       "t * 10 + (s == 'D')", 41},
      // Scripts that only compute from their arguments, ending without a return.
      {"r = 0; for (i = 0; i < 4; i += 1) r += scr_pick(i)", "r", 25},
      {"r = 0; var i; for (i = 1; i < 3; i += 1) r += scr_div(i) + scr_div(i * 2)", "r", 22.5},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(run(c.program)) << c.program << ": " << engine.errors.last_text;
    EXPECT_EQ(real_of(c.expression), c.expected) << c.program;
  }
  EXPECT_FALSE(run("r = 0; for (i = 3; i >= 0; i -= 1) r += scr_div(i)"));
  EXPECT_EQ(engine.errors.last_text.rfind("In script scr_div:\r", 0), 0u)
      << engine.errors.last_text;
  EXPECT_EQ(error(), "Division by 0.");
  EXPECT_EQ(real_of("i"), 0);
}

// Each random draw happens once even where the statement it is in is handed
// over to the general run, as a write that makes an element is.
TEST_F(ScriptFixture, DrawsInLoopsHappenOnceEach) {
  ASSERT_TRUE(run("random_set_seed(7); d0 = random(100); d1 = random(100); d2 = random(100)"));
  ASSERT_TRUE(run("random_set_seed(7); for (i = 0; i < 3; i += 1) made[i] = floor(random(100))"));
  ASSERT_TRUE(run("random_set_seed(7); for (i = 0; i < 3; i += 1) kept[i] = random(100)"));
  EXPECT_FALSE(run("random_set_seed(7); n = 0; for (i = 0; i < 3; i += 1) n += random(100) / i"));
  EXPECT_EQ(error(), "Division by 0.");
  ASSERT_TRUE(run("next = random(100)"));
  EXPECT_EQ(real_of("next"), real_of("d1"));
  for (const char* index : {"0", "1", "2"}) {
    const std::string draw = std::string("d") + index;
    EXPECT_EQ(real_of("made[" + std::string(index) + "]"), std::floor(real_of(draw))) << index;
    EXPECT_EQ(real_of("kept[" + std::string(index) + "]"), real_of(draw)) << index;
  }
}

TEST_F(ScriptFixture, ArgumentsInExpressionsKeepTheirKinds) {
  engine.scripts.add("scr_combine", "return argument0 * argument1 + argument2 mod 3");
  engine.scripts.add("scr_twice", "return argument0 * argument1");
  ASSERT_TRUE(engine.scripts.compile_all(engine));
  ASSERT_TRUE(run("r = scr_combine(4, 2.5, 7); s = scr_twice(2, 'ab')"));
  EXPECT_EQ(real_of("r"), 11);
  EXPECT_EQ(text_of("s"), "abab");
  EXPECT_FALSE(run("r = scr_combine(1, 2, 'x')"));
  EXPECT_NE(error().find("Wrong type of arguments to mod."), std::string::npos) << error();
}

TEST_F(ScriptFixture, ExecuteStringReportsItsErrorsAndGoesOn) {
  ASSERT_TRUE(run("r = execute_string('a ='); after = 1"));
  EXPECT_EQ(real_of("r"), 0);
  EXPECT_EQ(real_of("after"), 1);
  EXPECT_TRUE(engine.errors.error_occurred);
  EXPECT_EQ(engine.errors.error_last.rfind("COMPILATION ERROR in string to be executed\r", 0), 0u);
  EXPECT_NE(engine.errors.error_last.find("at position 3: Unexpected symbol in expression."),
            std::string::npos)
      << engine.errors.error_last;
  ASSERT_TRUE(run("execute_string('x = undefined_one'); after = 2"));
  EXPECT_NE(engine.errors.error_last.find("Unknown variable undefined_one"), std::string::npos);
  EXPECT_EQ(real_of("after"), 2);
  ASSERT_TRUE(run("error_occurred = 0; e = error_occurred"));
  EXPECT_EQ(real_of("e"), 0);
}

TEST_F(ScriptFixture, ExecuteStringFollowsNamesThatChangeMeaning) {
  // Run a few times, as a game runs the same text over and over.
  ASSERT_TRUE(
      run("t = 'return obj_new'; obj_new = 5; for (k = 0; k < 3; k += 1) r = execute_string(t)"));
  EXPECT_EQ(real_of("r"), 5);
  // The same text, once an object has the name, reads the object's index.
  world.add_object("obj_new");
  ASSERT_TRUE(run("r = execute_string(t)"));
  EXPECT_EQ(real_of("r"), 2);
  // A text that fails to compile fails each time it runs.
  for (int attempt = 0; attempt < 2; ++attempt) {
    engine.errors.error_last.clear();
    ASSERT_TRUE(run("execute_string('b = ')"));
    EXPECT_EQ(engine.errors.error_last.rfind("COMPILATION ERROR in string to be executed\r", 0), 0u)
        << attempt;
  }
}

TEST_F(ScriptFixture, TheStepBudgetEndsRunawayCode) {
  engine.steps_left = 1000;
  EXPECT_FALSE(run("while (1) {}"));
  EXPECT_EQ(error(), "Step limit reached.");
}

// Every statement, block and call costs one step, however it is run.
TEST_F(ScriptFixture, StatementsCostOneStepEach) {
  engine.scripts.add("scr_sum", "var t; t = argument0; t += argument1; return t");
  engine.scripts.add("scr_twice", "if argument0 > 0 return argument0 * 2; return 0");
  ASSERT_TRUE(engine.scripts.compile_all(engine));
  const struct {
    std::string_view program;
    std::int64_t steps;
  } cases[] = {
      {"a = 1", 2},
      {"var a; a = 1; a += 2; a *= 3", 5},
      {"if (1) a = 2 else a = 3", 3},
      {"if (0) { a = 2 } else { a = 3; a += 1 }", 5},
      {"for (i = 0; i < 3; i += 1) a += i", 3 + 3 * 2},
      {"for (i = 0; i < 3; i += 1) { a += i; b = a }", 3 + 3 * 4},
      {"for (i = 0; i < 3; i += 1) { if (i == 1) continue; a += i }", 3 + 3 * 4},
      {"for (i = 0; i < 3; i += 1) { a = i; break }", 3 + 3},
      {"i = 0; while (i < 3) i += 1", 3 + 3},
      {"i = 0; do { i += 1 } until (i >= 3)", 3 + 3 * 2},
      {"repeat 3 { a = 1 }", 2 + 3 * 2},
      {"a = scr_sum(1, 2)", 2 + 1 + 5},
      {"var i; for (i = 0; i < 2; i += 1) a += scr_sum(i, 1)", 4 + 2 * (3 + 5)},
      {"var i, j; for (i = 0; i < 2; i += 1) for (j = 0; j < 2; j += 1) a += j", 4 + 2 * 7},
      {"a = 0; for (i = 0; i < 4; i += 1) switch (i mod 2) { case 0: a += 1; break; "
       "default: a -= 1 }",
       4 + 14},
      {"for (i = 0; i < 2; i += 1) repeat 2 a = i", 3 + 2 * 4},
      {"var i; for (i = 0; i < 2; i += 1) a = floor(sqrt(i))", 4 + 2 * 4},
      {"var i; for (i = 0; i < 2; i += 1) a = scr_sum(i, 1) + abs(i)", 4 + 2 * (4 + 5)},
      {"var i; for (i = 0; i < 3; i += 1) a = scr_twice(i)", 4 + 3 * (3 + 3)},
  };
  for (const auto& c : cases) {
    engine.steps_left = 1000;
    ASSERT_TRUE(run(c.program)) << c.program << ": " << engine.errors.last_text;
    EXPECT_EQ(1000 - engine.steps_left, c.steps) << c.program;
    // One step fewer ends the program at its last statement.
    engine.steps_left = c.steps - 1;
    EXPECT_FALSE(run(c.program)) << c.program;
    EXPECT_EQ(error(), "Step limit reached.") << c.program;
  }
  engine.steps_left = -1;
}

// A block's step and its first statement's are counted together in a loop
// of plain reals, and a call counts its step before the calls among its
// arguments count theirs: a budget that runs out between them names the
// statement or the call it ran out at.
TEST_F(ScriptFixture, TheStepBudgetNamesWhereItRanOut) {
  const std::string statements = "a = 0; for (i = 0; i < 2; i += 1) { b = i; c = i }";
  const std::string calls = "a = 0; for (i = 0; i < 2; i += 1) { b = floor(sqrt(i)) }";
  const struct {
    const std::string& program;
    std::int64_t budget;
    std::string_view named;
  } cases[] = {{statements, 5, "b = i"},   {statements, 9, "b = i"}, {statements, 10, "c = i"},
               {statements, 11, "i += 1"}, {calls, 6, "floor"},      {calls, 7, "sqrt"},
               {calls, 11, "floor"},       {calls, 12, "sqrt"}};
  for (const auto& c : cases) {
    engine.steps_left = c.budget;
    EXPECT_FALSE(run(c.program));
    const std::string position = "position " + std::to_string(c.program.find(c.named) + 1) + ":";
    EXPECT_NE(engine.errors.last_text.find(position), std::string::npos)
        << c.program << ", " << c.budget << ": " << engine.errors.last_text;
  }
  engine.steps_left = -1;
}

TEST_F(ScriptFixture, RunawayRecursionFailsInsteadOfOverflowing) {
  ASSERT_TRUE(run("f = 'execute_string(f)'; execute_string(f); after = 1"));
  EXPECT_NE(engine.errors.error_last.find("Stack overflow."), std::string::npos);
  EXPECT_EQ(real_of("after"), 1);
}

TEST_F(ScriptFixture, AppendingToAStringKeepsEarlierCopiesIntact) {
  ASSERT_TRUE(run("s = 'ab'; t = s; s += 'c'; u = s; s += 'd'"));
  EXPECT_EQ(text_of("t"), "ab");
  EXPECT_EQ(text_of("u"), "abc");
  EXPECT_EQ(text_of("s"), "abcd");
  ASSERT_TRUE(run("s = 'x'; s += s; s += s"));
  EXPECT_EQ(text_of("s"), "xxxx");
}

}  // namespace
}  // namespace kestrel
