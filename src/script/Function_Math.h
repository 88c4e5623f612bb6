#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrel {

class FunctionRegistry;
class ScriptEngine;

// Registers the math and string functions: kind tests, the random
// generator, rounding, arithmetic, trigonometry, aggregates, conversions,
// string functions and plane geometry.
void register_math_functions(FunctionRegistry& registry);

// The random generator, shared by every family that picks random numbers.
// Each draw advances the engine's seed exactly once.
//
// A real in [0, range).
double random_real(ScriptEngine& engine, double range);
// An integer in 0 .. count - 1 for count >= 1 (floor(u * count / 2^32)).
std::int64_t random_below(ScriptEngine& engine, std::int64_t count);
// Seeds the generator from the clock, as at game start and restart.
void randomize_seed(ScriptEngine& engine);

// The longest text write_decimal produces, sign and exponent included.
inline constexpr std::size_t kMaxDecimalLength = 48;
// Writes `value` rounded to `significant` significant digits (1 to 18) and
// `decimals` decimals (0 to 18), with "." as the separator, in fixed form or,
// when the whole part has more digits than `significant`, in scientific form.
// Returns the length written, or 0 when the value has no decimal form.
std::size_t write_decimal(double value, int significant, int decimals, char* out);
// The text that string() makes of a real: integers exactly, other values
// with 10 significant digits and 2 decimals, "ERROR" when it cannot.
std::string real_to_text(double value);

}  // namespace kestrel
