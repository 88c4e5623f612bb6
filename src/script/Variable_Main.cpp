#include "script/Variable_Main.h"

namespace kestrel {

namespace {

constexpr std::size_t kInitialDeclaredFlags = 10000;
constexpr std::size_t kDeclaredFlagsHeadroom = 1000;

}  // namespace

void Globals::initialise() {
  list_.clear();
  declared_.assign(kInitialDeclaredFlags, 0);
}

void Globals::declare_global(std::int32_t index) {
  if (index < kFirstUserVariable) return;
  const auto slot = static_cast<std::size_t>(index - kFirstUserVariable);
  if (slot >= declared_.size()) declared_.resize(slot + kDeclaredFlagsHeadroom, 0);
  declared_[slot] = 1;
  list_.declare(index);
}

}  // namespace kestrel
