#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/RValue.h"

namespace kestrel {

class ScriptEngine;
struct ScriptInstance;

// Game-wide getters and setters ignore the instance; those that are not
// arrays ignore the flat index.
using BuiltinGetter = bool (*)(ScriptEngine& engine, ScriptInstance& instance,
                               std::int32_t flat_index, RValue& value);
using BuiltinSetter = bool (*)(ScriptEngine& engine, ScriptInstance& instance,
                               std::int32_t flat_index, const RValue& value);

// A built-in that is a real of the instance may also be reached without
// values: the getter returns what the value getter gives as a real, the
// setter does what the value setter does with a real.
using BuiltinRealGetter = double (*)(const ScriptInstance& instance);
using BuiltinRealSetter = void (*)(ScriptInstance& instance, double value);

struct BuiltinVariable {
  std::string name;
  BuiltinGetter getter = nullptr;
  BuiltinSetter setter = nullptr;  // null for read-only variables
  // Null where the variable has no direct real access that way; a real
  // setter comes with a real getter.
  BuiltinRealGetter real_getter = nullptr;
  BuiltinRealSetter real_setter = nullptr;
};

inline constexpr std::size_t kMaxBuiltinVariables = 500;

// Names backed by the runner's own state; a variable's index is its position
// in registration order.
class BuiltinVariables {
 public:
  // Appends an entry; false (and nothing registered) when the table is full.
  bool add(std::string_view name, BuiltinGetter getter, BuiltinSetter setter,
           BuiltinRealGetter real_getter = nullptr, BuiltinRealSetter real_setter = nullptr);
  // The index of the first entry with that name, or -1.
  std::int32_t index_of(std::string_view name) const;
  // The name, or "<unknown built-in variable>" outside the table.
  std::string_view name_of(std::int32_t index) const;
  const BuiltinVariable& at(std::int32_t index) const { return entries_[index]; }
  std::int32_t size() const { return static_cast<std::int32_t>(entries_.size()); }

 private:
  std::vector<BuiltinVariable> entries_;
};

}  // namespace kestrel
