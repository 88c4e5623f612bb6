#pragma once

#include <cstdint>

#include "script/Code_Main.h"
#include "script/RValue.h"
#include "script/script_engine.h"

namespace kestrel {

// A real whose string field is empty, as every operator result of such
// reals is, so that the fast evaluation makes exactly the value the general
// one would.
inline bool plain_real(const RValue& value, double& out) {
  if (!value.is_real() || !value.text().empty()) return false;
  out = value.real();
  return true;
}

// The slot of a plain argument0..argument15 of self, other or no instance,
// which all read the running script's arguments, or -1.
inline std::int32_t argument_slot_of(const RToken& node) {
  const auto slot = static_cast<std::uint32_t>(node.op - kFirstArgumentVariable);
  if (node.kind != kNodeFixedVariable || slot >= kMaxArguments) return -1;
  switch (node.fixed_instance) {
    case kSelf:
    case kUnspecified:
    case kOther:
      return static_cast<std::int32_t>(slot);
    default:
      return -1;
  }
}

// The designators whose variables live in a list the executor reaches
// directly: the locals, the globals, self's and other's.
inline bool is_list_designator(std::int32_t designator) {
  switch (designator) {
    case kLocal:
    case kGlobal:
    case kUnspecified:
    case kSelf:
    case kOther:
      return true;
    default:
      return false;
  }
}

// The binary operator that a compound assignment applies.
inline std::int32_t compound_operator(std::int32_t assignment) {
  switch (assignment) {
    case kTokAddAssign:
      return kOpAdd;
    case kTokSubAssign:
      return kOpSubtract;
    case kTokMulAssign:
      return kOpMultiply;
    case kTokDivAssign:
      return kOpDivide;
    case kTokOrAssign:
      return kOpBitOr;
    case kTokAndAssign:
      return kOpBitAnd;
    default:
      return kOpBitXor;
  }
}

// Lowers the loops whose statements only compute reals from plain names,
// arguments, constants, array elements and fields into register loops.
void lower_register_loops(CCode& code);

}  // namespace kestrel
