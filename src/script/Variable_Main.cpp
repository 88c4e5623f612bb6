#include "script/Variable_Main.h"

#include "data/Support_Stream.h"

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

namespace {

constexpr std::int32_t kGlobalsVersion = 700;
// A count beyond what any game declares is taken as damage, not allocated.
constexpr std::int32_t kMostDeclaredFlags = 1 << 24;

}  // namespace

void Globals::save(CStream& stream) const {
  WriteInt(stream, kGlobalsVersion);
  list_.save(stream);
  WriteInt(stream, static_cast<std::int32_t>(declared_.size()));
  for (std::uint8_t flag : declared_) WriteBool(stream, flag != 0);
}

bool Globals::load(CStream& stream) {
  if (ReadInt(stream) != kGlobalsVersion) return false;
  if (!list_.load(stream)) return false;
  const std::int32_t count = ReadInt(stream);
  if (count < 0 || count > kMostDeclaredFlags) return false;
  declared_.assign(static_cast<std::size_t>(count), 0);
  for (std::uint8_t& flag : declared_) flag = ReadBool(stream) ? 1 : 0;
  return !stream.failed();
}

}  // namespace kestrel
