#pragma once

#include <cstdint>
#include <string_view>

#include "script/RValue.h"

namespace kestrel {

// Two reals closer than this compare equal.
inline constexpr double kCompareEpsilon = 1e-13;

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
