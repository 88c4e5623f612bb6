#include "net/session_packet.h"

#include <bit>
#include <cstring>
#include <string_view>

namespace kestrel {
namespace {

static_assert(std::endian::native == std::endian::little, "packets are laid out little endian");

constexpr std::size_t kFieldsBeforeValue = 6;  // kind, id, is string
constexpr std::size_t kStringLengthSize = 4;
constexpr std::size_t kRealSize = 8;

template <class T>
void put(std::vector<std::uint8_t>& bytes, T value) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
  bytes.insert(bytes.end(), p, p + sizeof value);
}

template <class T>
T get(const std::uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

}  // namespace

std::vector<std::uint8_t> encode_session_packet(const SessionPacket& packet) {
  std::vector<std::uint8_t> bytes;
  put<std::uint8_t>(bytes, packet.is_message ? 1 : 0);
  put<std::int32_t>(bytes, packet.id);
  put<std::uint8_t>(bytes, packet.value.is_string() ? 1 : 0);
  if (packet.value.is_string()) {
    const std::string_view text = packet.value.text().substr(0, kMaxPacketText);
    put<std::int32_t>(bytes, static_cast<std::int32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
  } else {
    put<double>(bytes, packet.value.real());
  }
  return bytes;
}

std::optional<SessionPacket> decode_session_packet(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kFieldsBeforeValue) return std::nullopt;
  const std::uint8_t kind = bytes[0];
  const std::uint8_t is_string = bytes[5];
  if (kind > 1 || is_string > 1) return std::nullopt;
  SessionPacket packet;
  packet.is_message = kind == 1;
  packet.id = get<std::int32_t>(&bytes[1]);
  const std::span<const std::uint8_t> value = bytes.subspan(kFieldsBeforeValue);
  if (is_string == 0) {
    if (value.size() != kRealSize) return std::nullopt;
    packet.value.set_real(get<double>(value.data()));
    return packet;
  }
  if (value.size() < kStringLengthSize) return std::nullopt;
  const std::int32_t length = get<std::int32_t>(value.data());
  if (length < 0 || static_cast<std::size_t>(length) > kMaxPacketText ||
      value.size() - kStringLengthSize != static_cast<std::size_t>(length)) {
    return std::nullopt;
  }
  packet.value.set_text(
      std::string_view(reinterpret_cast<const char*>(value.data() + kStringLengthSize),
                       static_cast<std::size_t>(length)));
  return packet;
}

}  // namespace kestrel
