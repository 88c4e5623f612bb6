#pragma once

#include <string>
#include <vector>

#include "data/Action_Class.h"

namespace kestrel {

class CEvent {
 public:
  std::vector<CAction> actions;

  // An event without actions counts as absent wherever events are looked up.
  bool empty() const { return actions.empty(); }
  // Appends an action that runs the code, as game code adds them.
  void AddCodeAction(const std::string& code);

  bool Load(CStream& stream);
  void Save(CStream& stream) const;

  bool operator==(const CEvent&) const = default;
};

}  // namespace kestrel
