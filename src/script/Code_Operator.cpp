#include "script/Code_Operator.h"

#include <cmath>
#include <string>

#include "script/Code_Main.h"

namespace kestrel {

namespace {

std::uint64_t to_bits(double value) {
  return static_cast<std::uint64_t>(round_to_int64(value));
}

double from_signed_bits(std::uint64_t bits) {
  return static_cast<double>(static_cast<std::int64_t>(bits));
}

bool fail(std::string_view& message, std::string_view text) {
  message = text;
  return false;
}

}  // namespace

double wrapped_large_quotient(double quotient) {
  const double truncated = std::trunc(quotient);
  if (!std::isfinite(truncated)) return 0.0;
  double wrapped = std::fmod(truncated, 4294967296.0);
  if (wrapped < 0) wrapped += 4294967296.0;
  if (wrapped >= 2147483648.0) wrapped -= 4294967296.0;
  return wrapped;
}

double compare_values(const RValue& left, const RValue& right) {
  if (left.is_real()) return left.real() - right.real();
  const int order = left.text().compare(right.text());
  return order < 0 ? -1.0 : (order > 0 ? 1.0 : 0.0);
}

bool unary_operation(std::int32_t op, RValue& value, std::string_view& message) {
  if (!value.is_real()) return fail(message, "Wrong type of arguments to unary operator.");
  switch (op) {
    case kOpNot:
      value.set_real(is_true(value) ? 0.0 : 1.0);
      return true;
    case kOpAdd:
      return true;
    case kOpSubtract:
      value.set_real(-value.real());
      return true;
    case kOpBitNot:
      value.set_real(from_signed_bits(~to_bits(value.real())));
      return true;
    default:
      return fail(message, "Internal error: unknown unary operator.");
  }
}

// Two reals under the operators of real_operation never reach the switch.
bool binary_operation(std::int32_t op, RValue& left, const RValue& right,
                      std::string_view& message) {
  const bool reals = left.is_real() && right.is_real();
  double real_result = 0.0;
  if (reals && real_operation(op, left.real(), right.real(), real_result)) {
    left.set_real(real_result);
    return true;
  }
  switch (op) {
    case kOpAdd:
      if (!left.is_string() || !right.is_string()) {
        return fail(message, "Wrong type of arguments to +.");
      }
      if (left.text().size() + right.text().size() > kMaxStringLength) {
        return fail(message, "String too long.");
      }
      left.append_text(right.text());
      return true;
    case kOpSubtract:
      return fail(message, "Wrong type of arguments to -.");
    case kOpMultiply: {
      if (!left.is_real() || !right.is_string()) {
        return fail(message, "Wrong type of arguments to *.");
      }
      const std::int64_t times = round_to_int64(left.real());
      const std::string_view unit = right.text();
      if (times > 0 && !unit.empty() &&
          static_cast<std::uint64_t>(times) > kMaxStringLength / unit.size()) {
        return fail(message, "String too long.");
      }
      std::string repeated;
      if (times > 0 && !unit.empty()) {
        repeated.reserve(unit.size() * static_cast<std::size_t>(times));
        for (std::int64_t i = 0; i < times; ++i) repeated += unit;
      }
      left.set_text(repeated);
      return true;
    }
    case kOpDivide:
      if (!reals) return fail(message, "Wrong type of arguments to /.");
      return fail(message, "Division by 0.");
    case kOpDiv:
      if (!reals) return fail(message, "Wrong type of arguments to div.");
      return fail(message, "Division by 0.");
    case kOpMod:
      if (!reals) return fail(message, "Wrong type of arguments to mod.");
      return fail(message, "Modulo by 0.");
    case kOpAnd:
      return fail(message, "Wrong type of arguments for &&.");
    case kOpOr:
      return fail(message, "Wrong type of arguments for ||.");
    case kOpXor:
      if (!reals) return fail(message, "Wrong type of arguments for ^^.");
      left.set_real(is_true(left) != is_true(right) ? 1.0 : 0.0);
      return true;
    case kOpBitOr:
      if (!reals) return fail(message, "Wrong type of arguments for |.");
      left.set_real(from_signed_bits(to_bits(left.real()) | to_bits(right.real())));
      return true;
    case kOpBitAnd:
      if (!reals) return fail(message, "Wrong type of arguments for &.");
      left.set_real(from_signed_bits(to_bits(left.real()) & to_bits(right.real())));
      return true;
    case kOpBitXor:
      if (!reals) return fail(message, "Wrong type of arguments for ^.");
      left.set_real(from_signed_bits(to_bits(left.real()) ^ to_bits(right.real())));
      return true;
    case kOpShiftLeft:
    case kOpShiftRight: {
      if (!reals) {
        return fail(message, op == kOpShiftLeft ? "Wrong type of arguments for <<."
                                                : "Wrong type of arguments for >>.");
      }
      // Only the low byte of the count counts; 64 and more shift everything out.
      const auto count = static_cast<unsigned>(to_bits(right.real()) & 0xFF);
      const std::uint64_t bits = to_bits(left.real());
      if (count >= 64) {
        left.set_real(0.0);
      } else if (op == kOpShiftLeft) {
        left.set_real(from_signed_bits(bits << count));
      } else {
        left.set_real(static_cast<double>(bits >> count));
      }
      return true;
    }
    case kTokAssign:
    case kOpEqual:
    case kOpNotEqual:
    case kOpLess:
    case kOpLessEqual:
    case kOpGreater:
    case kOpGreaterEqual:
      if (left.kind() != right.kind()) return fail(message, "Cannot compare arguments.");
      // Strings compare by their order, with the tolerance of the reals.
      real_operation(op, compare_values(left, right), 0.0, real_result);
      left.set_real(real_result);
      return true;
    default:
      return fail(message, "Internal error: unknown binary operator.");
  }
}

}  // namespace kestrel
