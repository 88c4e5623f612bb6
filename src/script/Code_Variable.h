#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrel {

// User variable names are numbered from here; smaller indices are built-in.
inline constexpr std::int32_t kFirstUserVariable = 100000;
// Instance access treats any index from here on as a user variable.
inline constexpr std::int32_t kUserVariableThreshold = 10000;

// The game-wide table of user variable names, shared by all code, all
// instances and the globals. Names are only ever added.
class VariableNameTable {
 public:
  // The index of the name, appending it when new.
  std::int32_t index_of(std::string_view name);
  // The name, or "<unknown variable>" for an index that names no entry.
  std::string_view name_of(std::int32_t index) const;
  std::size_t size() const { return names_.size(); }

 private:
  std::vector<std::string> names_;
  std::unordered_map<std::string, std::int32_t> indices_;
};

}  // namespace kestrel
