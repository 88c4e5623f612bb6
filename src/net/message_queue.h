#pragma once

#include <cstdint>
#include <vector>

#include "script/RValue.h"

namespace kestrel {

// A message that reached this player.
struct SessionMessage {
  std::int32_t player = 0;  // the sender
  std::int32_t id = 0;
  RValue value;
};

// The messages waiting to be taken, oldest first, in a fixed array of 4000
// slots between a head and a tail. Taking a message marks its slot consumed;
// the slots are only reused once the tail reaches the end and the waiting
// messages are moved to the front. A player of 0 selects every sender, a
// negative one none.
class MessageQueue {
 public:
  static constexpr std::int32_t kCapacity = 4000;

  MessageQueue();
  // False when the message was dropped because all 4000 slots hold messages.
  bool append(SessionMessage message);
  // The oldest waiting message from the player; false when there is none.
  bool take(std::int32_t player, SessionMessage& message);
  std::int32_t count(std::int32_t player) const;
  void clear(std::int32_t player);

 private:
  static bool matches(const SessionMessage& message, std::int32_t player) {
    return player == 0 || (player > 0 && message.player == player);
  }
  void compact();

  std::vector<SessionMessage> slots_;
  std::vector<bool> consumed_;
  std::int32_t head_ = 0;
  std::int32_t tail_ = 0;
};

}  // namespace kestrel
