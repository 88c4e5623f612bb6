#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/RValue.h"

namespace kestrel {

class ScriptEngine;
struct ScriptInstance;

inline constexpr int kMaxArguments = 16;
// The values of one call's argument slots: its arguments, then fresh values.
using ArgumentSlots = std::array<RValue, kMaxArguments>;
// One past the last argument slot that is not fresh.
inline int slots_in_use(const ArgumentSlots& slots) {
  for (int used = kMaxArguments; used > 0; --used) {
    if (!slots[used - 1].is_fresh()) return used;
  }
  return 0;
}
// The argument count of a function that takes any number up to 16.
inline constexpr int kAnyArgumentCount = -1;
// The argument count reported for an index that names nothing.
inline constexpr int kNoSuchFunction = -100;

// A built-in function. Arguments holds 16 values: the first `argument_count`
// are the evaluated arguments, the rest real 0. The result starts as real 0.
// Handlers have no status: they report problems through the action error
// reporter and return, and the code goes on.
using BuiltinFunction = void (*)(ScriptEngine& engine, ScriptInstance& self, ScriptInstance& other,
                                 int argument_count, RValue& result, const RValue* arguments);

struct FunctionEntry {
  std::string name;
  BuiltinFunction handler = nullptr;
  int argument_count = 0;
  // Reads and writes no variable and runs no game code, so code holding
  // names in registers may call it without writing them back first.
  bool calculation = false;
};

// The built-in functions, numbered in registration order. Each family
// registers its functions once when the engine is made.
class FunctionRegistry {
 public:
  void add(std::string_view name, BuiltinFunction handler, int argument_count,
           bool calculation = false);
  // The index of the first function with that name, or -1.
  std::int32_t find(std::string_view name) const;
  // The registered count, or kNoSuchFunction for an index that names nothing.
  int argument_count(std::int32_t index) const;
  const FunctionEntry& at(std::int32_t index) const { return entries_[index]; }
  std::int32_t size() const { return static_cast<std::int32_t>(entries_.size()); }

 private:
  std::vector<FunctionEntry> entries_;
  std::unordered_map<std::string, std::int32_t> first_;
};

}  // namespace kestrel
