#include "net/message_queue.h"

namespace kestrel {

MessageQueue::MessageQueue() : slots_(kCapacity), consumed_(kCapacity, false) {}

void MessageQueue::compact() {
  std::int32_t kept = 0;
  for (std::int32_t i = head_; i < tail_; ++i) {
    if (consumed_[i]) continue;
    slots_[kept] = std::move(slots_[i]);
    consumed_[kept] = false;
    ++kept;
  }
  for (std::int32_t i = kept; i < tail_; ++i) {
    slots_[i] = SessionMessage();
    consumed_[i] = false;
  }
  head_ = 0;
  tail_ = kept;
}

bool MessageQueue::append(SessionMessage message) {
  if (tail_ == kCapacity) compact();
  if (tail_ == kCapacity) return false;
  slots_[tail_] = std::move(message);
  consumed_[tail_] = false;
  ++tail_;
  return true;
}

bool MessageQueue::take(std::int32_t player, SessionMessage& message) {
  for (std::int32_t i = head_; i < tail_; ++i) {
    if (consumed_[i] || !matches(slots_[i], player)) continue;
    message = std::move(slots_[i]);
    slots_[i] = SessionMessage();
    consumed_[i] = true;
    while (head_ < tail_ && consumed_[head_]) ++head_;
    return true;
  }
  return false;
}

std::int32_t MessageQueue::count(std::int32_t player) const {
  std::int32_t found = 0;
  for (std::int32_t i = head_; i < tail_; ++i) {
    if (!consumed_[i] && matches(slots_[i], player)) ++found;
  }
  return found;
}

void MessageQueue::clear(std::int32_t player) {
  for (std::int32_t i = head_; i < tail_; ++i) {
    if (matches(slots_[i], player)) consumed_[i] = true;
  }
  compact();
}

}  // namespace kestrel
