#pragma once

#include <string>
#include <vector>

#include "data/Support_Stream.h"

namespace kestrel {

// The most argument kinds and values an action holds.
inline constexpr int kMaxActionArguments = 8;

enum ActionKind : int {
  kActionNormal = 0,
  kActionBeginBlock = 1,
  kActionEndBlock = 2,
  kActionElse = 3,
  kActionExit = 4,
  kActionRepeat = 5,
  kActionVariable = 6,
  kActionCode = 7,
};

enum ExecutionKind : int { kExecuteNothing = 0, kExecuteFunction = 1, kExecuteCode = 2 };

// An action as stored; preparing its code and arguments comes with the run time.

class CAction {
 public:
  int library_id = 0;
  int action_id = 0;
  int kind = kActionNormal;  // an ActionKind
  bool may_be_relative = false;
  bool question = false;
  bool has_apply_to = false;
  int execution_type = kExecuteNothing;  // an ExecutionKind
  std::string function_name;
  std::string code;
  int argument_count = 0;
  std::vector<int> argument_kinds;  // at most kMaxActionArguments
  int apply_to = -1;                // -1 self, -2 other, else an object index
  bool relative = false;
  std::vector<std::string> argument_values;  // at most kMaxActionArguments
  bool is_not = false;

  // The stored version; a record with another version keeps the defaults.
  bool Load(CStream& stream);
  void Save(CStream& stream) const;

  bool operator==(const CAction&) const = default;
};

}  // namespace kestrel
