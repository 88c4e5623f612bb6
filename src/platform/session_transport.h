#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kestrel::platform {

// The UDP port that sessions are hosted and searched on unless the game's
// address names another ("host:PORT").
inline constexpr std::uint16_t kDefaultSessionPort = 25870;
// Names the host to ask when a game searches with an empty address, instead
// of asking the whole local network (tests set it to 127.0.0.1).
inline constexpr char kSessionSearchVariable[] = "KESTREL_SESSION_SEARCH";

using SessionGuid = std::array<std::uint8_t, 16>;

struct SessionSettings {
  SessionGuid game{};  // only sessions of the same game find each other
  std::string name;
  int max_players = 0;  // 0: no limit
  bool migrate_host = false;
};

// A session that answered a search, with where its host listens.
struct SessionOffer {
  std::string name;
  SessionGuid instance{};
  std::uint32_t host = 0;  // IPv4 address in network order
  std::uint16_t port = 0;
};

// A player of the session other than this one.
struct RemotePlayer {
  std::int32_t id = 0;
  std::string name;
};

// Bytes that a player sent to this one.
struct ReceivedPacket {
  std::int32_t sender = 0;
  std::vector<std::uint8_t> bytes;
};

// Moves packets between the players of one peer-to-peer session: every
// player reaches every other directly; the host answers searches and lets
// players in. Nothing happens in the background: calls take in what has
// arrived, so the transport only moves while the game asks it to.
// Every byte from the network is checked; what does not fit is dropped and
// counted.
class SessionTransport {
 public:
  virtual ~SessionTransport() = default;
  // Opens a session that this player hosts; the own player's id, or 0.
  virtual std::int32_t create(const SessionSettings& settings, const std::string& player_name) = 0;
  // The sessions of the game that answer within a short wait.
  virtual std::vector<SessionOffer> find(const SessionGuid& game) = 0;
  // Joins the session and meets its players; the own player's id, or 0.
  virtual std::int32_t join(const SessionOffer& session, const std::string& player_name) = 0;
  // Leaves the session; the other players see this one go.
  virtual void leave() = 0;
  // The other players, in the order they came.
  virtual std::vector<RemotePlayer> players() = 0;
  // Sends to one player, or to all others with id 0; guaranteed packets
  // arrive, in order, unless the player leaves. False for an unknown player.
  virtual bool send(std::int32_t to, bool guaranteed, std::span<const std::uint8_t> packet) = 0;
  // Every packet that arrived and was not yet taken, oldest first.
  virtual std::deque<ReceivedPacket> receive_all() = 0;
  // Packets and datagrams dropped as malformed or beyond a limit.
  virtual std::uint64_t dropped() const = 0;
};

// A transport over UDP that searches and connects to the host (an IPv4
// address or a name; empty for the local network) on the port. Null when
// the network cannot be used.
std::unique_ptr<SessionTransport> open_udp_session_transport(const std::string& host,
                                                             std::uint16_t port);

// No network, for tests and the fuzzer: a session can be created (with the
// given other players in it), none is found or joined, sends to those players
// or to all succeed and go nowhere, and what is put into `arriving` arrives
// as if they had sent it.
std::unique_ptr<SessionTransport> open_null_session_transport(std::deque<ReceivedPacket>& arriving,
                                                              std::vector<RemotePlayer> others);

// The local computer's IPv4 address as dotted text, or "".
std::string local_ip_address();

}  // namespace kestrel::platform
