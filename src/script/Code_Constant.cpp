#include "script/Code_Constant.h"

namespace kestrel {

void ConstantTable::add(std::string_view name, const RValue& value) {
  entries_.push_back(Entry{std::string(name), value});
  newest_[entries_.back().name] = entries_.size() - 1;
}

const RValue* ConstantTable::find(std::string_view name) const {
  const auto found = newest_.find(std::string(name));
  return found == newest_.end() ? nullptr : &entries_[found->second].value;
}

}  // namespace kestrel
