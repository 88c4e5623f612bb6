#include "script/Code_Function.h"

namespace kestrel {

void FunctionRegistry::add(std::string_view name, BuiltinFunction handler, int argument_count,
                           bool calculation) {
  const auto index = static_cast<std::int32_t>(entries_.size());
  entries_.push_back(FunctionEntry{std::string(name), handler, argument_count, calculation});
  first_.emplace(entries_.back().name, index);
}

std::int32_t FunctionRegistry::find(std::string_view name) const {
  const auto found = first_.find(std::string(name));
  return found == first_.end() ? -1 : found->second;
}

int FunctionRegistry::argument_count(std::int32_t index) const {
  if (index < 0 || index >= size()) return kNoSuchFunction;
  return entries_[index].argument_count;
}

}  // namespace kestrel
