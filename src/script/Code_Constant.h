#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/RValue.h"

namespace kestrel {

// Names that the compiler replaces by their values: the built-in constants,
// then the game's own. A look-up takes the most recently added match.
class ConstantTable {
 public:
  void add(std::string_view name, const RValue& value);
  void add_real(std::string_view name, double value) { add(name, RValue(value)); }
  // The value of the newest constant with that name, or null.
  const RValue* find(std::string_view name) const;

 private:
  struct Entry {
    std::string name;
    RValue value;
  };
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> newest_;
};

// The system's 289 constants: instances, colours, keys, events and the rest.
void add_builtin_constants(ConstantTable& constants);

}  // namespace kestrel
