#pragma once

#include <memory>
#include <typeindex>
#include <unordered_map>

namespace kestrel {

// The tables a library family keeps for the whole run (its open files, its
// ids), one of each kind per engine, made on first use. Families outside the
// script engine keep their state here so that a fresh engine starts clean.
class FamilyStates {
 public:
  template <class State>
  State& get() {
    std::unique_ptr<Holder>& slot = states_[std::type_index(typeid(State))];
    if (!slot) slot = std::make_unique<Held<State>>();
    return static_cast<Held<State>&>(*slot).state;
  }

 private:
  struct Holder {
    virtual ~Holder() = default;
  };
  template <class State>
  struct Held final : Holder {
    State state;
  };
  std::unordered_map<std::type_index, std::unique_ptr<Holder>> states_;
};

}  // namespace kestrel
