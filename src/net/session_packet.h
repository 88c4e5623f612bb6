#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "script/RValue.h"

namespace kestrel {

// Longer string values are cut to their first characters when sent.
inline constexpr std::size_t kMaxPacketText = 32000;
// The shared data array's highest index.
inline constexpr std::int32_t kMaxSharedIndex = 1000000;
// The largest packet: a string of the longest length and the 10 bytes of fields.
inline constexpr std::size_t kMaxSessionPacket = 33000;

// One packet between players: a message with its id, or a shared-data update
// with its index, carrying a real or a string. On the wire, little endian and
// without header: kind (1 message, 0 update), id (4 bytes, signed), is string
// (1 byte), then a string's length (4 bytes, signed) and characters, or an
// 8-byte double.
struct SessionPacket {
  bool is_message = false;
  std::int32_t id = 0;
  RValue value;
};

std::vector<std::uint8_t> encode_session_packet(const SessionPacket& packet);

// None when the bytes are not exactly one well-formed packet: an unknown kind
// or value flag, a length that is negative, over the limit or not the rest of
// the bytes.
std::optional<SessionPacket> decode_session_packet(std::span<const std::uint8_t> bytes);

}  // namespace kestrel
