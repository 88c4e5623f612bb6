#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

#include "script/RValue.h"

namespace kestrel {

// Two reals closer than this compare equal.
inline constexpr double kCompareEpsilon = 1e-13;

// The quotient of div outside the range of 32 bits, wrapped to it.
double wrapped_large_quotient(double quotient);

// The quotient of div: truncated toward zero, wrapped to 32 bits.
[[gnu::always_inline]] inline double wrapped_quotient(double left, double right) {
  const double quotient = left / right;
  if (quotient > -2147483648.0 && quotient < 2147483648.0) [[likely]] {
    // The conversion truncates as std::trunc does, without its library call;
    // the sign keeps the zero of a small negative quotient negative.
    return std::copysign(static_cast<double>(static_cast<std::int32_t>(quotient)), quotient);
  }
  return wrapped_large_quotient(quotient);
}

// True for a whole number strictly between -2^31 and 2^31, given back as an
// integer.
[[gnu::always_inline]] inline bool small_integer(double value, std::int32_t& out) {
  if (!(value > -2147483648.0 && value < 2147483648.0)) return false;
  out = static_cast<std::int32_t>(value);
  return static_cast<double>(out) == value;
}

// The remainder of mod: left - wrapped_quotient(left, right) * right, for a
// divisor other than 0. Between whole numbers of that range the quotient
// never wraps and the real computation is exact, so the integer remainder
// is the same value, zeros included (both give +0).
[[gnu::always_inline]] inline double wrapped_remainder(double left, double right) {
  std::int32_t dividend = 0;
  std::int32_t divisor = 0;
  if (small_integer(left, dividend) && small_integer(right, divisor)) [[likely]] {
    return static_cast<double>(dividend % divisor);
  }
  return left - wrapped_quotient(left, right) * right;
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
      result = wrapped_remainder(a, b);
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
