#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/message_queue.h"
#include "platform/session_transport.h"
#include "script/RValue.h"

namespace kestrel {

// The ways of connecting a game can ask for; only TCP/IP is carried (over
// UDP). The others answer as a connection that failed.
enum ConnectionKind : std::int32_t {
  kNotConnected = 0,
  kIpx = 1,
  kTcpIp = 2,
  kModem = 3,
  kSerial = 4
};
enum SessionRole : std::int32_t { kNoSession = 0, kHosting = 1, kJoined = 2 };

// The multiplayer state of one running game: the connection, the session and
// its players, the shared data array and the waiting messages. Failures are
// results (0, "", nothing), never reports. Traffic that arrived is only taken
// in when a message or data function asks.
class MultiplayerSession {
 public:
  using OpenTransport = std::function<std::unique_ptr<platform::SessionTransport>(
      const std::string& host, std::uint16_t port)>;

  MultiplayerSession();

  // Connects with TCP/IP to the address ("" to host or search the local
  // network, a host, either followed by ":PORT"). False when already connected.
  bool connect_tcpip(const std::string& address);
  std::int32_t connection() const { return connection_; }
  // Leaves the session if there is one and drops the connection.
  void end();

  void set_migrate_host(bool migrate) { migrate_host_ = migrate; }
  void set_guaranteed_data(bool guaranteed) { guaranteed_data_ = guaranteed; }

  bool create_session(const platform::SessionGuid& game, const std::string& name,
                      std::int32_t max_players, const std::string& player_name);
  std::int32_t find_sessions(const platform::SessionGuid& game);
  std::string session_name(std::int32_t index) const;
  bool join_session(std::int32_t index, const std::string& player_name);
  std::int32_t session() const { return session_; }
  void end_session();

  // Rebuilds the player list (this player first); its length.
  std::int32_t find_players();
  std::string player_name(std::int32_t index) const;
  std::int32_t player_id(std::int32_t index) const;
  // The id of the player with exactly that name in a rebuilt list; 0 when none.
  std::int32_t player_named(const std::string& name);

  bool write_data(std::int32_t index, const RValue& value);
  RValue read_data(std::int32_t index);

  // to: a player id, 0 for all.
  bool send_message(std::int32_t to, std::int32_t id, const RValue& value, bool guaranteed);
  bool receive_message(std::int32_t from);
  const SessionMessage& current_message() const { return current_; }
  // The current message's sender in a rebuilt player list; "(unknown)" when gone.
  std::string current_sender_name();
  std::int32_t count_messages(std::int32_t from);
  void clear_messages(std::int32_t from);

  // Packets dropped as malformed or beyond a limit, here and in the transport.
  std::uint64_t dropped_packets() const;

  // Tests put a transport of their own in place of the network.
  OpenTransport open_transport;

 private:
  bool in_session() const { return transport_ && session_ != kNoSession; }
  // Takes every packet that arrived into the queue and the shared data.
  void receive_pending();
  void store(std::int32_t index, RValue value);

  std::unique_ptr<platform::SessionTransport> transport_;
  std::int32_t connection_ = kNotConnected;
  std::int32_t session_ = kNoSession;
  bool migrate_host_ = false;
  bool guaranteed_data_ = true;
  std::int32_t own_id_ = 0;
  std::string own_name_;
  std::vector<platform::SessionOffer> sessions_;
  std::vector<platform::RemotePlayer> players_;
  std::vector<RValue> shared_;
  // The text that other players put into the shared data, bounded.
  std::size_t shared_text_ = 0;
  MessageQueue queue_;
  SessionMessage current_;
  std::uint64_t dropped_ = 0;
};

}  // namespace kestrel
