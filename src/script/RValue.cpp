#include "script/RValue.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace kestrel {

namespace {

// A string with room for `reserve` bytes, or more for a longer text; never
// null, so that callers that always want one write into it without a check.
StringRep* allocate_rep(std::string_view text, std::size_t reserve) {
  const std::size_t capacity = text.size() > reserve ? text.size() : reserve;
  void* memory = std::malloc(sizeof(StringRep) + capacity + 1);
  if (memory == nullptr) throw std::bad_alloc();
  auto* rep = static_cast<StringRep*>(memory);
  rep->refs = 1;
  rep->size = static_cast<std::uint32_t>(text.size());
  rep->capacity = static_cast<std::uint32_t>(capacity);
  if (!text.empty()) std::memcpy(rep->bytes(), text.data(), text.size());
  rep->bytes()[text.size()] = '\0';
  return rep;
}

}  // namespace

StringRep* RValue::make_rep(std::string_view text, std::size_t reserve) {
  if (text.empty() && reserve == 0) return nullptr;
  return allocate_rep(text, reserve);
}

void RValue::free_rep(StringRep* rep) {
  std::free(rep);
}

void RValue::set_text(std::string_view text) {
  StringRep* fresh = make_rep(text, 0);
  release();
  kind_ = ValueKind::string;
  rep_ = fresh;
}

void RValue::append_text(std::string_view tail) {
  if (tail.empty()) return;
  if (rep_ != nullptr && rep_->refs == 1 && rep_->capacity - rep_->size >= tail.size()) {
    std::memcpy(rep_->bytes() + rep_->size, tail.data(), tail.size());
    rep_->size += static_cast<std::uint32_t>(tail.size());
    rep_->bytes()[rep_->size] = '\0';
    return;
  }
  // Doubling the room keeps a loop of appends linear overall.
  const std::size_t size = rep_ ? rep_->size : 0;
  const std::size_t needed = size + tail.size();
  StringRep* grown = allocate_rep(text(), needed < 16 ? 16 : needed * 2);
  std::memcpy(grown->bytes() + size, tail.data(), tail.size());
  grown->size = static_cast<std::uint32_t>(needed);
  grown->bytes()[needed] = '\0';
  release();
  rep_ = grown;
}

double round_half_even(double value) {
  return std::nearbyint(value);
}

std::int64_t round_to_int64(double value) {
  const double rounded = std::nearbyint(value);
  if (std::isnan(rounded)) return 0;
  if (rounded >= 9223372036854775807.0) return std::numeric_limits<std::int64_t>::max();
  if (rounded <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(rounded);
}

std::int32_t round_to_int32(double value) {
  const double rounded = std::nearbyint(value);
  if (std::isnan(rounded)) return 0;
  if (rounded >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (rounded <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(rounded);
}

}  // namespace kestrel
