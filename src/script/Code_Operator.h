#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

#include "script/RValue.h"

namespace kestrel {

// Two reals closer than this compare equal.
inline constexpr double kCompareEpsilon = 1e-13;

// The quotient of div: truncated toward zero, wrapped to 32 bits.
inline double wrapped_quotient(double left, double right) {
  const double quotient = left / right;
  if (quotient > -2147483648.0 && quotient < 2147483648.0) [[likely]] {
    // The conversion truncates as std::trunc does, without its library call;
    // the sign keeps the zero of a small negative quotient negative.
    return std::copysign(static_cast<double>(static_cast<std::int32_t>(quotient)), quotient);
  }
  const double truncated = std::trunc(quotient);
  if (!std::isfinite(truncated)) return 0.0;
  double wrapped = std::fmod(truncated, 4294967296.0);
  if (wrapped < 0) wrapped += 4294967296.0;
  if (wrapped >= 2147483648.0) wrapped -= 4294967296.0;
  return wrapped;
}

// The commonest operators of two reals, which the executor applies inline;
// false for every other operator and for a division that must fail.
[[gnu::always_inline]] inline bool real_operation(std::int32_t op, double a, double b,
                                                  double& result) {
  switch (op) {
    case 210:  // +
      result = a + b;
      return true;
    case 211:  // -
      result = a - b;
      return true;
    case 212:  // *
      result = a * b;
      return true;
    case 101:  // = in an expression
    case 206:  // ==
      result = (a - b > -kCompareEpsilon && a - b < kCompareEpsilon) ? 1.0 : 0.0;
      return true;
    case 207:  // !=
      result = (a - b < -kCompareEpsilon || a - b > kCompareEpsilon) ? 1.0 : 0.0;
      return true;
    case 204:  // <
      result = a - b < -kCompareEpsilon ? 1.0 : 0.0;
      return true;
    case 205:  // <=
      result = a - b <= kCompareEpsilon ? 1.0 : 0.0;
      return true;
    case 209:  // >
      result = a - b > kCompareEpsilon ? 1.0 : 0.0;
      return true;
    case 208:  // >=
      result = a - b >= -kCompareEpsilon ? 1.0 : 0.0;
      return true;
    case 213:  // /, unless it must report a division by 0
      if (b == 0.0) return false;
      result = a / b;
      return true;
    case 214:  // div, likewise
      if (b == 0.0) return false;
      result = wrapped_quotient(a, b);
      return true;
    case 215:  // mod, unless it must report a modulo by 0
      if (b == 0.0) return false;
      result = a - wrapped_quotient(a, b) * b;
      return true;
    case 201:  // and
      result = (a >= 0.5 && b >= 0.5) ? 1.0 : 0.0;
      return true;
    case 202:  // or
      result = (a >= 0.5 || b >= 0.5) ? 1.0 : 0.0;
      return true;
    default:
      return false;
  }
}

// Applies a unary operator code to the value in place. On failure the value
// is unchanged and `message` holds the error text.
bool unary_operation(std::int32_t op, RValue& value, std::string_view& message);

// Applies a binary operator code with the result in `left`. On failure left
// is unchanged and `message` holds the error text.
bool binary_operation(std::int32_t op, RValue& left, const RValue& right,
                      std::string_view& message);

// The comparison of two values of one kind: real difference, or the ordinal
// order of two byte strings.
double compare_values(const RValue& left, const RValue& right);

}  // namespace kestrel
