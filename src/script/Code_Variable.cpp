#include "script/Code_Variable.h"

namespace kestrel {

std::int32_t VariableNameTable::index_of(std::string_view name) {
  const std::string key(name);
  const auto found = indices_.find(key);
  if (found != indices_.end()) return found->second;
  const auto index = kFirstUserVariable + static_cast<std::int32_t>(names_.size());
  names_.push_back(key);
  indices_.emplace(key, index);
  return index;
}

std::string_view VariableNameTable::name_of(std::int32_t index) const {
  const std::int64_t position = std::int64_t{index} - kFirstUserVariable;
  if (position < 0 || position >= static_cast<std::int64_t>(names_.size())) {
    return "<unknown variable>";
  }
  return names_[static_cast<std::size_t>(position)];
}

}  // namespace kestrel
