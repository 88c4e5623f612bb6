#include "script/Variable_BuiltIn.h"

namespace kestrel {

bool BuiltinVariables::add(std::string_view name, BuiltinGetter getter, BuiltinSetter setter,
                           BuiltinRealGetter real_getter, BuiltinRealSetter real_setter) {
  if (entries_.size() >= kMaxBuiltinVariables) return false;
  entries_.push_back(BuiltinVariable{std::string(name), getter, setter, real_getter, real_setter});
  return true;
}

std::int32_t BuiltinVariables::index_of(std::string_view name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].name == name) return static_cast<std::int32_t>(i);
  }
  return -1;
}

std::string_view BuiltinVariables::name_of(std::int32_t index) const {
  if (index < 0 || index >= size()) return "<unknown built-in variable>";
  return entries_[index].name;
}

}  // namespace kestrel
