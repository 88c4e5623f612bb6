#include "net/multiplayer_session.h"

#include <algorithm>
#include <cctype>

#include "net/session_packet.h"

namespace kestrel {
namespace {

// The text after the colon of an address that is read as its port.
constexpr std::size_t kMaxPortText = 99;
// Text that other players may keep in the shared data array altogether.
constexpr std::size_t kMaxSharedText = 64 * 1024 * 1024;

// The leading digits of the text as a port; the default port for none, 0 or
// a number beyond the ports.
std::uint16_t port_of(const std::string& text) {
  long port = 0;
  for (const char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c)) || port > 65535) break;
    port = port * 10 + (c - '0');
  }
  return port >= 1 && port <= 65535 ? static_cast<std::uint16_t>(port)
                                    : platform::kDefaultSessionPort;
}

}  // namespace

MultiplayerSession::MultiplayerSession() : open_transport(&platform::open_udp_session_transport) {}

bool MultiplayerSession::connect_tcpip(const std::string& address) {
  if (connection_ != kNotConnected) return false;
  const std::size_t colon = address.find(':');
  const std::string host = address.substr(0, colon);
  const std::uint16_t port = colon == std::string::npos
                                 ? platform::kDefaultSessionPort
                                 : port_of(address.substr(colon + 1, kMaxPortText));
  transport_ = open_transport(host, port);
  if (!transport_) return false;
  connection_ = kTcpIp;
  return true;
}

void MultiplayerSession::end() {
  end_session();
  transport_.reset();
  connection_ = kNotConnected;
}

bool MultiplayerSession::create_session(const platform::SessionGuid& game, const std::string& name,
                                        std::int32_t max_players, const std::string& player_name) {
  if (!transport_ || session_ != kNoSession) return false;
  platform::SessionSettings settings{game, name, std::max(max_players, 0), migrate_host_};
  const std::int32_t id = transport_->create(settings, player_name);
  if (id == 0) return false;
  own_id_ = id;
  own_name_ = player_name;
  session_ = kHosting;
  return true;
}

std::int32_t MultiplayerSession::find_sessions(const platform::SessionGuid& game) {
  if (!transport_) return 0;
  sessions_ = transport_->find(game);
  return static_cast<std::int32_t>(sessions_.size());
}

std::string MultiplayerSession::session_name(std::int32_t index) const {
  if (!transport_ || index < 0 || index >= static_cast<std::int32_t>(sessions_.size())) return "";
  return sessions_[static_cast<std::size_t>(index)].name;
}

bool MultiplayerSession::join_session(std::int32_t index, const std::string& player_name) {
  if (!transport_ || session_ != kNoSession || index < 0 ||
      index >= static_cast<std::int32_t>(sessions_.size())) {
    return false;
  }
  const std::int32_t id = transport_->join(sessions_[static_cast<std::size_t>(index)], player_name);
  if (id == 0) return false;
  own_id_ = id;
  own_name_ = player_name;
  session_ = kJoined;
  return true;
}

void MultiplayerSession::end_session() {
  if (!in_session()) return;
  transport_->leave();
  session_ = kNoSession;
}

std::int32_t MultiplayerSession::find_players() {
  players_.clear();
  if (!in_session()) return 0;
  players_.push_back({own_id_, own_name_});
  for (platform::RemotePlayer& player : transport_->players())
    players_.push_back(std::move(player));
  return static_cast<std::int32_t>(players_.size());
}

std::string MultiplayerSession::player_name(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(players_.size())) return "";
  return players_[static_cast<std::size_t>(index)].name;
}

std::int32_t MultiplayerSession::player_id(std::int32_t index) const {
  if (index < 0 || index >= static_cast<std::int32_t>(players_.size())) return 0;
  return players_[static_cast<std::size_t>(index)].id;
}

std::int32_t MultiplayerSession::player_named(const std::string& name) {
  find_players();
  for (const platform::RemotePlayer& player : players_) {
    if (player.name == name) return player.id;
  }
  return 0;
}

bool MultiplayerSession::write_data(std::int32_t index, const RValue& value) {
  if (!in_session() || index < 0 || index > kMaxSharedIndex) return false;
  if (shared_.size() <= static_cast<std::size_t>(index)) shared_.resize(index + 1);
  const auto packet = encode_session_packet({false, index, value});
  if (!transport_->send(0, guaranteed_data_, packet)) return false;
  store(index, value);
  return true;
}

RValue MultiplayerSession::read_data(std::int32_t index) {
  if (index < 0 || index > kMaxSharedIndex) return RValue();
  if (shared_.size() <= static_cast<std::size_t>(index)) shared_.resize(index + 1);
  receive_pending();
  return shared_[static_cast<std::size_t>(index)];
}

void MultiplayerSession::store(std::int32_t index, RValue value) {
  RValue& slot = shared_[static_cast<std::size_t>(index)];
  shared_text_ -= slot.text().size();
  shared_text_ += value.text().size();
  slot = std::move(value);
}

bool MultiplayerSession::send_message(std::int32_t to, std::int32_t id, const RValue& value,
                                      bool guaranteed) {
  if (!in_session()) return false;
  return transport_->send(to, guaranteed, encode_session_packet({true, id, value}));
}

void MultiplayerSession::receive_pending() {
  if (!transport_) return;
  for (platform::ReceivedPacket& received : transport_->receive_all()) {
    if (received.sender == 0) continue;
    std::optional<SessionPacket> packet = decode_session_packet(received.bytes);
    if (!packet) {
      ++dropped_;
    } else if (packet->is_message) {
      if (!queue_.append({received.sender, packet->id, std::move(packet->value)})) ++dropped_;
    } else if (packet->id < 0 || packet->id > kMaxSharedIndex ||
               shared_text_ + packet->value.text().size() > kMaxSharedText) {
      ++dropped_;
    } else {
      if (shared_.size() <= static_cast<std::size_t>(packet->id)) shared_.resize(packet->id + 1);
      store(packet->id, std::move(packet->value));
    }
  }
}

bool MultiplayerSession::receive_message(std::int32_t from) {
  receive_pending();
  return queue_.take(from, current_);
}

std::string MultiplayerSession::current_sender_name() {
  find_players();
  for (const platform::RemotePlayer& player : players_) {
    if (player.id == current_.player) return player.name;
  }
  return "(unknown)";
}

std::int32_t MultiplayerSession::count_messages(std::int32_t from) {
  receive_pending();
  return queue_.count(from);
}

void MultiplayerSession::clear_messages(std::int32_t from) {
  receive_pending();
  queue_.clear(from);
}

std::uint64_t MultiplayerSession::dropped_packets() const {
  return dropped_ + (transport_ ? transport_->dropped() : 0);
}

}  // namespace kestrel
