// Any bytes from other players, cut into packets, must be taken in or dropped
// by the session: no crash, no read out of bounds, no unbounded memory. The
// input is a series of packets, each a one-byte sender, a two-byte length and
// that many bytes; what is left after the last whole packet drives the queue.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>

#include "net/multiplayer_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrel;
  std::deque<platform::ReceivedPacket> packets;
  std::size_t at = 0;
  while (size - at >= 3) {
    std::uint16_t length = 0;
    std::memcpy(&length, data + at + 1, 2);
    if (length > size - at - 3) break;
    packets.push_back({data[at] % 4, {data + at + 3, data + at + 3 + length}});
    at += 3 + length;
  }

  MultiplayerSession session;
  session.open_transport = [&](const std::string&, std::uint16_t) {
    return platform::open_null_session_transport(packets, {{2, "two"}, {3, "three"}});
  };
  session.connect_tcpip("");
  session.create_session({}, "fuzz", 0, "one");
  // The rest picks which functions look at the traffic, and for whom.
  for (; at < size; ++at) {
    const std::int32_t player = data[at] % 5 - 1;
    switch (data[at] / 5 % 5) {
      case 0:
        session.receive_message(player);
        break;
      case 1:
        session.count_messages(player);
        break;
      case 2:
        session.clear_messages(player);
        break;
      case 3:
        session.read_data(data[at]);
        break;
      default:
        session.current_sender_name();
        break;
    }
  }
  session.count_messages(0);
  return 0;
}
