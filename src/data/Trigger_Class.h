#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Support_Stream.h"

namespace kestrel {

class CTrigger {
 public:
  std::string name;
  std::string condition;
  int moment = 1;  // 0 begin step, 1 step, 2 end step
  std::string constant_name;

  bool Load(CStream& stream);
  void Save(CStream& stream) const;

  bool operator==(const CTrigger&) const = default;
};

// The index of the first existing trigger whose constant name is exactly
// `name`, or -1: game code refers to a trigger by that name.
int FindTriggerByConstantName(const std::vector<std::optional<CTrigger>>& triggers,
                              std::string_view name);

}  // namespace kestrel
