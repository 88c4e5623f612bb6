#pragma once

#include <string>

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

}  // namespace kestrel
