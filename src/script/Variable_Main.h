#pragma once

#include <cstdint>
#include <vector>

#include "script/Code_Variable.h"
#include "script/Variable_Class.h"

namespace kestrel {

// The global variables and the flags of the names declared with globalvar.
class Globals {
 public:
  Globals() { initialise(); }

  // Empties the list and resets the flags, as at game start and restart.
  void initialise();
  // Marks a user variable as declared global; a declared global that was
  // never assigned reads as real 0, and an existing value is kept.
  void declare_global(std::int32_t index);
  bool is_declared_global(std::int32_t index) const {
    const std::int64_t slot = std::int64_t{index} - kFirstUserVariable;
    return slot >= 0 && slot < static_cast<std::int64_t>(declared_.size()) && declared_[slot] != 0;
  }

  // The stream form of saved games: version 700, the list, then the flags.
  void save(CStream& stream) const;
  bool load(CStream& stream);

  CVariableList& list() { return list_; }
  const CVariableList& list() const { return list_; }
  const std::vector<std::uint8_t>& declared_flags() const { return declared_; }

 private:
  CVariableList list_;
  std::vector<std::uint8_t> declared_;
};

}  // namespace kestrel
